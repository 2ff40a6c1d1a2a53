#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "server/serve_log.h"

namespace qz7 {

// The state file of a serve, qz7-serve.json: rewritten atomically after every event, so that
// a reader (`qz7ctl status`, the window) sees whole states only, the last one of a killed serve
// too. Its times are UTC, for programs; what people read shows them in local time.
class ServeStateFile {
  public:
    // stopGrace: how long the server is given to end when asked, for `qz7ctl stop` to wait.
    ServeStateFile(std::filesystem::path file, const std::string& templateName,
                   std::chrono::system_clock::time_point serveStarted,
                   std::chrono::milliseconds stopGrace = {});

    // Writes the state as it begins (the constructor writes nothing).
    void begin();
    // Takes the event into the state and rewrites the file.
    void take(const ServeEvent& event);
    // The running server answered a query: when, its map, how many play and how many may.
    void serverAnswered(std::chrono::system_clock::time_point time, const std::string& map,
                        int players, std::optional<int> maxPlayers);
    // The query port serve asks its server on (for `qz7ctl players`); nothing while it searches.
    void queryPortAsked(std::optional<int> port);
    // serve ends: no server runs any more; reason says why when it ended of itself (an internal
    // error), empty otherwise.
    void ended(std::chrono::system_clock::time_point moment, const std::string& reason = {});

    const nlohmann::json& state() const { return state_; }

  private:
    void write();

    // Events come from serve's thread, answers from the thread that asks the server.
    std::mutex mutex_;
    std::filesystem::path file_;
    nlohmann::json state_;
    bool serverStartedOnce_ = false;
};

// The event log of a serve, qz7-serve.log: one line per event, appended. Before a line would take
// the file past maxBytes, it becomes qz7-serve.log.1 (the older ones .2 and .3; the oldest goes).
class ServeLogFile {
  public:
    static constexpr std::uintmax_t kMaxBytes = 1024 * 1024;
    static constexpr int kKeptOldFiles = 3;

    explicit ServeLogFile(std::filesystem::path file, std::uintmax_t maxBytes = kMaxBytes)
        : file_(std::move(file)), maxBytes_(maxBytes) {}

    // Appends the line and its line end in one write. Throws FileError when that fails.
    void append(const std::string& line);

  private:
    void rotate();

    std::filesystem::path file_;
    std::uintmax_t maxBytes_;
};

// The log file's n-th older file: qz7-serve.log.1 for 1.
std::filesystem::path olderLogFile(const std::filesystem::path& file, int n);

// The state a serve left in the game folder (its own while it runs); nothing when there is no
// state file or it is not a JSON object.
std::optional<nlohmann::json> readServeState(const std::filesystem::path& gameFolder);

}  // namespace qz7
