#include "cli/players_command.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_error.h"
#include "net/json_text.h"
#include "net/query_port_search.h"
#include "net/server_status_text.h"
#include "server/served_server.h"

namespace qz7::cli {

namespace {

const char* sourceKey(QueryPortSource source) {
    switch (source) {
        case QueryPortSource::Explicit:
            return "query-port";
        case QueryPortSource::Served:
            return "serve";
        case QueryPortSource::CommandLine:
            return "command-line";
        case QueryPortSource::ServerProcess:
            return "server-process";
        case QueryPortSource::PortTable:
            return "port-table";
    }
    return "";
}

nlohmann::json queryJson(const LocalServerQuery& query) {
    nlohmann::json object = {{"answered", query.status.has_value()},
                             {"portSource", sourceKey(query.source)},
                             {"askedPorts", query.askedPorts}};
    if (!query.status) {
        object["reason"] = query.reason;
        if (query.answeringPorts.size() > 1) object["answeringPorts"] = query.answeringPorts;
        return object;
    }
    const ServerStatus& status = *query.status;
    nlohmann::json players = nlohmann::json::array();
    for (const PlayerStatus& player : status.players)
        players.push_back({{"name", player.name}, {"score", player.score}, {"ping", player.ping}});
    nlohmann::json info = nlohmann::json::object();
    for (const auto& [key, value] : status.info)
        if (!info.contains(key)) info[key] = value;
    object.update({{"address", query.server->address},
                   {"port", query.server->port},
                   {"hostName", status.hostName},
                   {"map", status.map},
                   {"gameType", status.gameType},
                   {"mode", gameModeText(status.gameType)},
                   {"playerCount", status.players.size()},
                   {"maxClients", status.maxClients ? nlohmann::json(*status.maxClients)
                                                    : nlohmann::json(nullptr)},
                   {"players", players},
                   {"info", info}});
    return object;
}

}  // namespace

CLI::App* addPlayersCommand(CLI::App& app, PlayersOptions& options) {
    CLI::App* command = app.add_subcommand(
        "players",
        "спросить работающий сервер: имя, карта, режим и игроки (код 1, когда он не "
        "ответил)");
    command
        ->add_option("--query-port", options.queryPort,
                     "порт UDP сервера для запроса (по умолчанию: из строки запуска, порты "
                     "процесса сервера или таблицы портов)")
        ->type_name("ПОРТ")
        ->check(CLI::Range(1, 65535));
    command->add_flag("--json", options.json, "вывод в JSON");
    return command;
}

int showPlayers(GameFolder& game, const PlayersOptions& options, std::ostream& out) {
    QueryPortInputs inputs;
    inputs.explicitPort = options.queryPort;
    if (std::optional<ServedServer> served = findServedServer(game.path())) {
        inputs.servedPort = served->queryPort;
        inputs.serverProcessId = served->serverProcessId;
    }
    const LocalServerQuery query = queryLocalServer(inputs);
    if (options.json) {
        out << jsonText(queryJson(query), 2) << "\n";
        return query.status ? kExitSuccess : kExitFailed;
    }
    if (!query.status) throw CliError("Состояние сервера не получено: " + query.reason);
    for (const std::string& line : serverStatusLines(*query.status)) out << line << "\n";
    return kExitSuccess;
}

}  // namespace qz7::cli
