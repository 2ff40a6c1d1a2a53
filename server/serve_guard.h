#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/thread_guard.h"

namespace qz7 {

// A test makes one step of serve fail by throwing from here when it is called with that step's
// name ("state-write", "server-start", "health", ...). Empty outside tests.
using ServeFailPoint = std::function<void(std::string_view step)>;

// The one guard of a serve. Every companion's thread, every listener of the event lines and serve
// itself run under it: an exception nobody expected is kept (the first one, its secrets
// redacted), said through the failure callback, and makes failed() true, which ends the serve in
// order (server stopped as by a stop request, ports removed, state ended with the reason).
class ServeGuard {
  public:
    explicit ServeGuard(ServeFailPoint failPoint = {}) : failPoint_(std::move(failPoint)) {}

    // A secret that no failure text may show, and what shows instead (an alert address redacted,
    // "***" for a password).
    void hide(std::string secret, std::string shown);
    // Told once, with the failure's text, when the first failure comes (from any thread).
    void onFailure(std::function<void(const std::string& text)> said) { said_ = std::move(said); }

    // Runs work under the guard; what it throws is taken as a failure of `where`.
    void run(std::string_view where, const std::function<void()>& work);
    // The guard for the threads and callbacks of one part of serve.
    ThreadGuard forPart(std::string where);
    // Takes an exception that reached serve itself.
    void take(std::string_view where, const std::string& what);
    // The test's fail point for a step that serve handles on its own (a write, a check).
    void step(std::string_view name) const;

    bool failed() const { return failed_; }
    // "<where>: <what>", redacted; empty before a failure.
    std::string failure() const;

  private:
    std::string redacted(std::string text) const;

    ServeFailPoint failPoint_;
    std::vector<std::pair<std::string, std::string>> secrets_;
    std::function<void(const std::string&)> said_;
    mutable std::mutex mutex_;
    std::string failure_;
    std::atomic<bool> failed_{false};
};

}  // namespace qz7
