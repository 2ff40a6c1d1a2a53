#include "server/serve_files.h"

#include <cerrno>
#include <fstream>

#include "net/json_text.h"
#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "platform/watched_process.h"
#include "server/serve_lock.h"

namespace qz7 {

ServeStateFile::ServeStateFile(std::filesystem::path file, const std::string& templateName,
                               std::chrono::system_clock::time_point serveStarted,
                               std::chrono::milliseconds stopGrace)
    : file_(std::move(file)) {
    state_ = {{"servePid", currentProcessId()},
              {"template", templateName},
              {"serveStarted", utcTimestamp(serveStarted)},
              {"serveEnded", nullptr},
              {"serverPid", nullptr},
              {"serverStarted", nullptr},
              {"restarts", 0},
              {"scheduledRestarts", 0},
              {"requestedRestarts", 0},
              {"crashesInWindow", 0},
              {"lastCrash", nullptr},
              {"lastExit", nullptr},
              {"lastRefusedRestart", nullptr},
              {"nextRestart", nullptr},
              {"portsForwarded", false},
              {"sleepBlocked", false},
              {"lastAnswer", nullptr},
              {"queryPort", nullptr},
              {"stopGraceSeconds", double(stopGrace.count()) / 1000.0},
              {"endReason", nullptr},
              {"lastEvent", nullptr}};
}

void ServeStateFile::begin() {
    std::lock_guard lock(mutex_);
    write();
}

void ServeStateFile::queryPortAsked(std::optional<int> port) {
    std::lock_guard lock(mutex_);
    const nlohmann::json value = port ? nlohmann::json(*port) : nlohmann::json(nullptr);
    if (state_["queryPort"] == value) return;
    state_["queryPort"] = value;
    write();
}

void ServeStateFile::take(const ServeEvent& event) {
    std::lock_guard lock(mutex_);
    const std::string time = utcTimestamp(event.time);
    const nlohmann::json moment = {{"time", time}, {"message", event.message}};
    const std::string& name = event.name;
    auto field = [&](const char* key) { return event.fields.value(key, nlohmann::json()); };
    if (name == "started") {
        if (serverStartedOnce_) state_["restarts"] = state_["restarts"].get<int>() + 1;
        state_["lastAnswer"] = nullptr;
        serverStartedOnce_ = true;
        state_["serverPid"] = field("pid");
        state_["serverStarted"] = time;
        state_["nextRestart"] = field("nextRestart");
    } else if (name == "crashed" || name == "exited" || name == "stopped" ||
               name == "stopped-for-restart") {
        state_["serverPid"] = nullptr;
        state_["serverStarted"] = nullptr;
        state_["lastAnswer"] = nullptr;
        if (!field("pid").is_null()) state_["lastExit"] = moment;
        if (name == "crashed") state_["lastCrash"] = moment;
        if (event.fields.contains("crashesInWindow"))
            state_["crashesInWindow"] = field("crashesInWindow");
        if (name == "stopped-for-restart") {
            const char* count =
                field("requested") == true ? "requestedRestarts" : "scheduledRestarts";
            state_[count] = state_[count].get<int>() + 1;
            state_["crashesInWindow"] = 0;
        }
        if (name == "stopped") state_["nextRestart"] = nullptr;
    } else if (name == "start-failed") {
        state_["lastCrash"] = moment;
        state_["crashesInWindow"] = field("crashesInWindow");
    } else if (name == "requested-restart" && field("pid") == 0) {
        // Asked for while a restart after a crash waited: the start that follows is asked for.
        state_["requestedRestarts"] = state_["requestedRestarts"].get<int>() + 1;
        state_["crashesInWindow"] = 0;
    } else if (name == "restart-postponed") {
        state_["nextRestart"] = field("nextRestart");
        if (field("requested") == true) state_["lastRefusedRestart"] = moment;
    } else if (name == "ports-forwarded") {
        state_["portsForwarded"] = true;
    } else if (name == "ports-removed") {
        state_["portsForwarded"] = false;
    } else if (name == "sleep-blocked") {
        state_["sleepBlocked"] = true;
    }
    state_["lastEvent"] = {{"time", time}, {"event", name}, {"message", event.message}};
    write();
}

void ServeStateFile::serverAnswered(std::chrono::system_clock::time_point time,
                                    const std::string& map, int players,
                                    std::optional<int> maxPlayers) {
    std::lock_guard lock(mutex_);
    // An answer that comes after the server has gone says nothing of the next one.
    if (state_["serverPid"].is_null()) return;
    state_["lastAnswer"] = {{"time", utcTimestamp(time)},
                            {"map", map},
                            {"players", players},
                            {"maxPlayers", maxPlayers ? nlohmann::json(*maxPlayers) : nullptr}};
    write();
}

void ServeStateFile::ended(std::chrono::system_clock::time_point moment,
                           const std::string& reason) {
    std::lock_guard lock(mutex_);
    state_["serveEnded"] = utcTimestamp(moment);
    state_["endReason"] = reason.empty() ? nlohmann::json(nullptr) : nlohmann::json(reason);
    state_["serverPid"] = nullptr;
    state_["serverStarted"] = nullptr;
    state_["nextRestart"] = nullptr;
    state_["sleepBlocked"] = false;
    state_["lastAnswer"] = nullptr;
    write();
}

void ServeStateFile::write() { writeFileAtomically(file_, jsonText(state_, 2) + "\n"); }

std::filesystem::path olderLogFile(const std::filesystem::path& file, int n) {
    std::filesystem::path older = file;
    older += "." + std::to_string(n);
    return older;
}

void ServeLogFile::append(const std::string& line) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file_, error);
    if (!error && size > 0 && size + line.size() + 1 > maxBytes_) rotate();
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out << line << '\n' << std::flush;
    if (!out) throw fileErrorFromErrno("Не удалось дописать файл", file_, errno);
}

std::optional<nlohmann::json> readServeState(const std::filesystem::path& gameFolder) {
    const std::filesystem::path file = gameFolder / kServeStateFile;
    std::string text;
    try {
        text = readWholeFile(file);
    } catch (const FileError&) {
        return std::nullopt;
    }
    nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
    if (!state.is_object()) return std::nullopt;
    return state;
}

void ServeLogFile::rotate() {
    std::error_code ignored;
    std::filesystem::remove(olderLogFile(file_, kKeptOldFiles), ignored);
    for (int n = kKeptOldFiles - 1; n >= 1; --n)
        renameFile(olderLogFile(file_, n), olderLogFile(file_, n + 1));
    if (const std::error_code error = renameFile(file_, olderLogFile(file_, 1)))
        throw fileError("Не удалось переименовать файл", file_, error);
}

}  // namespace qz7
