#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "server/serve_lock.h"

namespace qz7 {

// What is known of the serve of a game folder: whether one holds it (its lock decides, never the
// state file alone) and the state its state file holds, which is a killed serve's last state when
// none holds the folder.
struct ServeStatus {
    std::optional<ServeHolder> holder;
    std::optional<nlohmann::json> state;

    bool running() const { return holder.has_value(); }
    // How long the server has run, while a serve runs it.
    std::optional<long long> uptimeSeconds() const;
};

// Looks at the game folder's lock and state file; takes no lock.
ServeStatus readServeStatus(const std::filesystem::path& gameFolder);

// The status for programs: running, the serve's process id and start (UTC), the server's uptime
// and the whole state.
nlohmann::json serveStatusJson(const ServeStatus& status);

// The status for people, one line each, times local: who runs, the template, the server's uptime,
// restarts, crashes, the last exit, the next restart and the ports; for a serve that is gone, its
// last known state.
std::vector<std::string> serveStatusLines(const ServeStatus& status);

// The state in a few words, for a small control: "Сервер: не запущен", "Сервер: работает 3:12,
// перезап. 2" (hours and minutes of the server's uptime, restarts), "Сервер: запускается",
// "Сервер: ждёт перезапуска".
std::string serveShortStatus(const ServeStatus& status);

// "1 ч 02 мин 05 с".
std::string durationText(long long seconds);

// The template the serve holding the folder runs, as its state file names it; nothing when no
// serve holds the folder.
std::optional<std::string> servedTemplate(const std::filesystem::path& gameFolder);

// Why an operation that would change what the serve runs (forming the files, starting a server,
// removing the ports) is refused now: the serve holding the folder and how to stop it; nothing
// when none holds it.
std::optional<std::string> refusalWhileServed(const std::filesystem::path& gameFolder);

}  // namespace qz7
