#include "tools/stand_in/stand_in_server.h"

#include <fstream>
#include <iterator>

#include "net/console_variables.h"
#include "net/status_response.h"
#include "platform/windows1251.h"

namespace qz7::stand_in {

namespace {

// A file's bytes, at most 1 MiB of them; empty when it cannot be read.
std::string readSmallFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    char block[4096];
    while (in && bytes.size() < 1024 * 1024) {
        in.read(block, sizeof block);
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    return bytes;
}

std::string firstLine(const std::string& bytes) {
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

// The mode of the recipe: its line gameOpt gametype "war".
std::string recipeGameType(const std::string& recipe) {
    std::size_t start = 0;
    while (start < recipe.size()) {
        std::size_t end = recipe.find_first_of("\r\n", start);
        if (end == std::string::npos) end = recipe.size();
        const std::vector<std::string> words = consoleWords(recipe.substr(start, end - start));
        if (words.size() >= 3 && words[0] == "gameOpt" && words[1] == "gametype") return words[2];
        start = end + 1;
    }
    return {};
}

std::vector<std::string> playerLinesOf(const std::string& file) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find_first_of("\r\n", start);
        if (end == std::string::npos) end = file.size();
        const std::string line = file.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find(' ');
        const std::size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (second == std::string::npos) continue;
        lines.push_back(line.substr(0, second) + " \"" + line.substr(second + 1) + "\"");
    }
    return lines;
}

std::string infoPair(std::string_view key, std::string_view value) {
    return "\\" + std::string(key) + "\\" + std::string(value);
}

std::string statusAnswer(const StandInSetup& setup, std::string_view challenge) {
    std::string answer = std::string(kConnectionlessHeader) + "statusResponse\n";
    answer += infoPair("sv_hostname", setup.hostName) + infoPair("mapname", setup.map) +
              infoPair("g_gametype", setup.gameType) + infoPair("sv_maxclients", setup.maxClients) +
              infoPair("gamename", "Steel Horizon") + infoPair("protocol", "61586") +
              infoPair("sv_privateClients", "0");
    if (!challenge.empty()) answer += infoPair("challenge", challenge);
    answer += "\n";
    for (const std::string& line : setup.playerLines) answer += line + "\n";
    return answer;
}

// The short answer to "getinfo", which other query programs ask first.
std::string infoAnswer(const StandInSetup& setup, std::string_view challenge) {
    std::string answer = std::string(kConnectionlessHeader) + "infoResponse\n";
    if (!challenge.empty()) answer += infoPair("challenge", challenge);
    answer += infoPair("protocol", "61586") + infoPair("hostname", setup.hostName) +
              infoPair("mapname", setup.map) +
              infoPair("clients", std::to_string(setup.playerLines.size())) +
              infoPair("sv_maxclients", setup.maxClients) + infoPair("gametype", setup.gameType);
    return answer;
}

std::string printAnswer(std::string_view text) {
    return std::string(kConnectionlessHeader) + "print\n" + std::string(text);
}

std::string rconAnswer(const StandInSetup& setup, std::string_view request,
                       std::vector<std::string>& consoleLines) {
    // "rcon PASSWORD COMMAND": the password is the first word, the command the rest.
    std::size_t at = request.find_first_not_of(' ');
    std::string password;
    if (at != std::string_view::npos && request[at] == '"') {
        const std::size_t end = request.find('"', at + 1);
        password = std::string(request.substr(at + 1, end - at - 1));
        at = end == std::string_view::npos ? request.size() : end + 1;
    } else if (at != std::string_view::npos) {
        const std::size_t end = request.find(' ', at);
        password = std::string(request.substr(at, end - at));
        at = end == std::string_view::npos ? request.size() : end;
    } else {
        at = request.size();
    }
    if (setup.rconPassword.empty()) return printAnswer("No rconpassword set on the server.\n");
    if (password != setup.rconPassword) return printAnswer("Bad rcon password.\n");
    const std::string command(request.substr(std::min(request.size(), at + 1)));
    const std::vector<std::string> words = consoleWords(command);
    if (!words.empty() && words[0] == "say") {
        std::string text;
        for (std::size_t i = 1; i < words.size(); ++i) text += (i > 1 ? " " : "") + words[i];
        consoleLines.push_back("say: " + utf8FromWindows1251(text));
        return printAnswer("");
    }
    consoleLines.push_back("rcon: " + utf8FromWindows1251(command));
    return printAnswer("Unknown command \"" + (words.empty() ? std::string() : words[0]) + "\"\n");
}

}  // namespace

StandInSetup readStandInSetup(const std::filesystem::path& gameFolder,
                              const std::string& commandLine) {
    const std::string line = windows1251FromUtf8(commandLine);
    const std::string config = readSmallFile(gameFolder / "admin" / "server_mod.cfg");
    auto variable = [&](std::string_view name, std::string fallback) {
        if (auto value = commandLineVariable(line, name)) return *value;
        if (auto value = configVariable(config, name)) return *value;
        return fallback;
    };
    StandInSetup setup;
    setup.hostName = variable("sv_hostname", windows1251FromUtf8("^1QZ7 ^7заместитель"));
    setup.maxClients = variable("sv_maxclients", "18");
    setup.rconPassword = variable("rcon_password", "");
    if (commandLineVariable(line, "net_port")) {
        const std::string port = *commandLineVariable(line, "net_port");
        setup.port = port == "0" ? 0 : commandLineGamePort(line).value_or(0);
    }
    setup.gameType = recipeGameType(readSmallFile(gameFolder / "admin" / "Manual_Mod.dsr"));
    const std::string rotation =
        firstLine(readSmallFile(gameFolder / "admin" / "Manual_MapRot.dspl"));
    setup.map = rotation.substr(0, rotation.find(','));
    const std::filesystem::path players = gameFolder / kPlayersFile;
    setup.playerLines =
        std::filesystem::exists(players)
            ? playerLinesOf(readSmallFile(players))
            : playerLinesOf(windows1251FromUtf8("12 48 ^1Мясник\n5 63 ^4Player^7Two\n"));
    return setup;
}

std::optional<std::string> answerDatagram(const StandInSetup& setup, std::string_view datagram,
                                          std::vector<std::string>& consoleLines) {
    if (!datagram.starts_with(kConnectionlessHeader)) return std::nullopt;
    std::string_view request = datagram.substr(kConnectionlessHeader.size());
    while (!request.empty() &&
           (request.back() == '\n' || request.back() == '\r' || request.back() == '\0'))
        request.remove_suffix(1);
    if (request == "getstatus" || request.starts_with("getstatus ")) {
        std::string_view challenge = request.substr(std::min<std::size_t>(request.size(), 10));
        return statusAnswer(setup, challenge);
    }
    if (request == "getinfo" || request.starts_with("getinfo ")) {
        std::string_view challenge = request.substr(std::min<std::size_t>(request.size(), 8));
        return infoAnswer(setup, challenge);
    }
    if (request.starts_with("rcon ")) return rconAnswer(setup, request.substr(5), consoleLines);
    return std::nullopt;
}

}  // namespace qz7::stand_in
