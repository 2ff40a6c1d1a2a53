#include "server/served_server.h"

#include "server/serve_status.h"
#include "settings/template_lookup.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

std::optional<ServedServer> findServedServer(const std::filesystem::path& gameFolder) {
    const ServeStatus status = readServeStatus(gameFolder);
    if (!status.running()) return std::nullopt;
    ServedServer served;
    if (!status.state || !status.state->is_object()) return served;
    const nlohmann::json& state = *status.state;
    if (state.contains("template") && state["template"].is_string())
        served.templateName = state["template"].get<std::string>();
    if (state.contains("serverPid") && state["serverPid"].is_number_integer())
        served.serverProcessId = state["serverPid"].get<int>();
    if (served.templateName.empty()) return served;
    try {
        const TemplateLookup found =
            findTemplateNamed(templateStoreFile(gameFolder), served.templateName);
        if (found.index) served.commandLine = decodeTemplateRecord(found.record).CommandLine;
    } catch (const std::exception&) {
        // A store that cannot be read leaves the command line unknown; the query goes on.
    }
    return served;
}

}  // namespace qz7
