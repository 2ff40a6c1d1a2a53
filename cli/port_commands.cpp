#include "cli/port_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"

namespace qz7::cli {

void runPortBatch(bool open, const std::optional<std::string>& igdUrl, std::ostream& out,
                  std::ostream& err) {
    std::unique_ptr<MiniupnpcGateway> gateway =
        igdUrl ? MiniupnpcGateway::atDescriptionUrl(*igdUrl) : std::make_unique<MiniupnpcGateway>();
    const char* action = open ? "Проброс портов" : "Удаление портов";
    auto progress = [&](int done, int total) {
        err << "\r" << action << ": " << done << " из " << total << std::flush;
        if (done == total) err << "\n";
    };
    const bool success = open ? OpenAllPorts(*gateway, GetLocalAddress(), progress)
                              : CloseAllPorts(*gateway, progress);
    const std::string_view message =
        open ? openAllPortsMessage(success) : closeAllPortsMessage(success);
    if (!success) throw CliError(std::string(message));
    out << message << "\n";
}

}  // namespace qz7::cli
