#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iosfwd>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/local_time.h"
#include "platform/thread_guard.h"
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
// that take every event too. Safe to use from several threads (alerts note their failures), and
// from its own listeners: what a listener notes follows the event it heard, never inside it.
// A line that standard error does not take is said once (to the listeners) and again when lines
// go out again; the stream is cleared each time, so that one failed write never silences serve.
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
    // Each listener is called through guard (serve's: an exception it throws ends serve in order).
    void guardListeners(ThreadGuard guard) { guard_ = std::move(guard); }
    // After each line on standard error, told its text (with the line end): serve keeps a file
    // it writes for weeks bounded so.
    void afterLine(std::function<void(const std::string&)> wrote) { wrote_ = std::move(wrote); }

  private:
    void publish(ServeEvent event);
    void writeLine(const ServeEvent& event);

    std::recursive_mutex publishing_;  // notes come from the alert threads and listeners too
    std::deque<ServeEvent> waiting_;   // noted while an event was being published
    bool publishingNow_ = false;
    bool errFailing_ = false;
    std::vector<std::function<void(const ServeEvent&)>> listeners_;
    ThreadGuard guard_;
    std::function<void(const std::string&)> wrote_;
    std::ostream& err_;
    bool json_;
    std::chrono::milliseconds crashWindow_;
    bool cleanExitsCounted_ = false;
};

// A duration in seconds for people: "1 с", "0.05 с", "600 с".
std::string secondsText(std::chrono::milliseconds duration);

}  // namespace qz7
