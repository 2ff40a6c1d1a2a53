#include <ostream>

#include "cli/serve_commands.h"
#include "platform/readable_text.h"
#include "server/serve_alerts.h"

namespace qz7::cli {

void runNotifyTest(const std::string& url, const std::optional<std::string>& format,
                   const std::string& gameFolder, std::ostream& out) {
    out << sendTestAlert(url, format, readableText(gameFolder)) << "\n";
}

}  // namespace qz7::cli
