#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/local_time.h"
#include "server/server_supervisor.h"

namespace qz7::cli {

// The event lines of `qz7ctl serve` on standard error: one line per event, headed by the moment
// in UTC ("2026-12-08T01:30:00.125Z сервер запущен (pid 812)"), or with --json one JSON object
// per line with "time", "event", "message" and the event's own fields. Safe to use from
// several threads.
class ServeLog {
  public:
    // crashWindow: the span in which crashes are counted, named in the crash lines.
    ServeLog(std::ostream& err, bool json, std::chrono::milliseconds crashWindow)
        : err_(err), json_(json), crashWindow_(crashWindow) {}

    // An event of the supervisor.
    void report(const SupervisorEvent& event);
    // Any other step: name is the JSON "event", message the Russian text.
    void note(const std::string& name, const std::string& message,
              const nlohmann::json& fields = nlohmann::json::object());

    // Told about every event after it was written, as its JSON object (with or without --json).
    void setObserver(std::function<void(const nlohmann::json& line)> observer) {
        observer_ = std::move(observer);
    }

  private:
    std::mutex writing_;  // notes come from the alert threads too
    std::function<void(const nlohmann::json&)> observer_;
    std::ostream& err_;
    bool json_;
    std::chrono::milliseconds crashWindow_;
};

// A duration in seconds for people: "1 с", "0.05 с", "600 с".
std::string secondsText(std::chrono::milliseconds duration);

}  // namespace qz7::cli
