#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/serve_log.h"

namespace qz7::cli {

// The state file of a serve, qz7-serve.json: rewritten atomically after every event, so that
// `qz7ctl status` reads whole states only, the last one of a killed serve too.
class ServeStateFile {
  public:
    // stopGrace: how long the server is given to end when asked, for `qz7ctl stop` to wait.
    ServeStateFile(std::filesystem::path file, const std::string& templateName,
                   std::chrono::system_clock::time_point serveStarted,
                   std::chrono::milliseconds stopGrace = {});

    // Takes the event into the state and rewrites the file.
    void take(const ServeEvent& event);
    // serve ends: no server runs any more.
    void ended(std::chrono::system_clock::time_point moment);

    const nlohmann::json& state() const { return state_; }

  private:
    void write();

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

}  // namespace qz7::cli
