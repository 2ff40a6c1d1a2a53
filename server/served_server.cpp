#include "server/served_server.h"

#include "server/serve_status.h"

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
    if (state.contains("queryPort") && state["queryPort"].is_number_integer())
        served.queryPort = state["queryPort"].get<int>();
    return served;
}

}  // namespace qz7
