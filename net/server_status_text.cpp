#include "net/server_status_text.h"

#include <algorithm>

#include "platform/utf8.h"
#include "settings/game_settings.h"

namespace qz7 {

namespace {

std::string orUnknown(const std::string& text) { return text.empty() ? "?" : text; }

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, utf8Width(text)), ' ');
}

}  // namespace

std::string gameModeText(std::string_view gameType) {
    for (const GameMode& mode : gameModeTable())
        if (mode.code == gameType)
            return std::string(mode.label) + " (" + std::string(mode.code) + ")";
    return orUnknown(std::string(gameType));
}

std::vector<std::string> serverStatusLines(const ServerStatus& status) {
    std::vector<std::string> lines = {
        "Сервер: " + orUnknown(status.hostName),
        "Карта: " + orUnknown(status.map),
        "Режим: " + gameModeText(status.gameType),
        "Игроки: " + std::to_string(status.players.size()) + " из " +
            (status.maxClients ? std::to_string(*status.maxClients) : std::string("?")),
    };
    if (status.players.empty()) return lines;
    const std::string nameHeading = "Имя", scoreHeading = "Очки", pingHeading = "Пинг";
    std::size_t nameWidth = utf8Width(nameHeading), scoreWidth = utf8Width(scoreHeading);
    for (const PlayerStatus& player : status.players) {
        nameWidth = std::max(nameWidth, utf8Width(player.name));
        scoreWidth = std::max(scoreWidth, std::to_string(player.score).size());
    }
    lines.push_back("  " + padded(nameHeading, nameWidth + 2) +
                    padded(scoreHeading, scoreWidth + 2) + pingHeading);
    for (const PlayerStatus& player : status.players)
        lines.push_back("  " + padded(player.name, nameWidth + 2) +
                        padded(std::to_string(player.score), scoreWidth + 2) +
                        std::to_string(player.ping));
    return lines;
}

}  // namespace qz7
