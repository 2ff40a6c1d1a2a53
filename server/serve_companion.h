#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/serve_guard.h"
#include "server/serve_log.h"

namespace qz7 {

// What rides along a serve (the health checks, the alerts, and whatever comes next) is a
// companion: made when serve begins, told when each run of the server begins and ends and every
// event line, and ended with serve (its destructor stops its threads). A companion never reaches
// into another; what it has to say goes through the event lines. Its calls and threads run under
// serve's guard.
class ServeCompanion {
  public:
    virtual ~ServeCompanion() = default;
    // A run of the server begins: its process and the parameter text it was started with.
    virtual void runStarted(int /*processId*/, const std::string& /*commandLine*/) {}
    // That run has ended.
    virtual void runEnded() {}
    // Every event line of serve, after it has been written.
    virtual void observe(const ServeEvent& /*event*/) {}
};

// The companions of one serve, in the order they were added: a listener of serve's event lines
// that tells each companion of the runs and the events, each call under the guard as the part
// named by the companion. Destroyed in the reverse order.
class ServeCompanions {
  public:
    // commandLine: the server's parameter text, read when a run begins (a scheduled restart may
    // have changed it).
    ServeCompanions(ServeLog& log, ServeGuard& guard, const std::string& commandLine);
    ~ServeCompanions();
    ServeCompanions(const ServeCompanions&) = delete;
    ServeCompanions& operator=(const ServeCompanions&) = delete;

    void add(std::string name, std::unique_ptr<ServeCompanion> companion);

  private:
    struct Entry {
        std::string name;
        std::unique_ptr<ServeCompanion> companion;
    };
    // Shared with the listener, which may outlive this object: events that come while the
    // companions end (an alert given up) reach none of them.
    struct Shared {
        std::mutex mutex;
        bool closed = false;
        std::vector<Entry> companions;
        void tell(const ServeEvent& event, ServeGuard& guard, const std::string& commandLine);
    };
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

// Whether the event says that a run of the server is over.
bool endsTheRun(const std::string& eventName);

}  // namespace qz7
