#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "server/server_supervisor.h"

namespace qz7 {

// One event of a serve, made once: the line on standard error, the line in the log file,
// the state file and anything else that listens are all made from it.
struct ServeEvent {
    std::chrono::system_clock::time_point time;
    std::string name;       // "started", "crashed", ...: the JSON "event"
    std::string message;    // for people, in Russian
    nlohmann::json fields;  // the event's own fields, as in the JSON line
};

// The event as a line without its line end, headed by the local time: "08.12.2026 04:30:00
// (UTC+3) сервер запущен (pid 812)"; with json its JSON object on one line, in UTC.
std::string eventLine(const ServeEvent& event, bool json);

// The event as its JSON object: "time", "event", "message" and the event's own fields.
nlohmann::json eventObject(const ServeEvent& event);

// The event lines of a serve on standard error, one line per event, and the listeners
// that take every event too. Safe to use from several threads (alerts note their failures).
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
    // Every later event is handed to the listener too, after the line on standard error.
    void addListener(std::function<void(const ServeEvent&)> listener);

  private:
    void publish(const ServeEvent& event);

    std::mutex publishing_;  // notes come from the alert threads too
    std::vector<std::function<void(const ServeEvent&)>> listeners_;
    std::ostream& err_;
    bool json_;
    std::chrono::milliseconds crashWindow_;
    bool cleanExitsCounted_ = false;
};

// A duration in seconds for people: "1 с", "0.05 с", "600 с".
std::string secondsText(std::chrono::milliseconds duration);

}  // namespace qz7
