#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace qz7 {

// What cuts a thread's sleep on a WaitClock short: another thread wakes it when something it
// waits for has come (a request, an alert, the end). A wake given while the thread is not
// asleep is kept, so its next sleep returns at once; each wake ends one sleep.
class ClockWake {
  public:
    ClockWake() = default;
    ~ClockWake();
    ClockWake(const ClockWake&) = delete;
    ClockWake& operator=(const ClockWake&) = delete;

    void wake();

  private:
    friend class WaitClock;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    // Set by a clock that keeps count of its sleepers; called when the wake ends.
    std::function<void()> forget_;
};

// A steady clock whose sleeps a companion thread waits in, given from outside so that a test
// drives those threads' time without waiting in real time.
class WaitClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    // A sleep with no time set: it ends only by its wake.
    static constexpr TimePoint kNoDeadline = TimePoint::max();

    virtual ~WaitClock() = default;
    virtual TimePoint now() = 0;
    // Sleeps until the clock reaches deadline or wake is woken; true when woken.
    virtual bool sleepUntil(TimePoint deadline, ClockWake& wake) = 0;

  protected:
    // The sleep of the steady clock in real time.
    static bool sleepInRealTime(TimePoint deadline, ClockWake& wake);
    // For clocks of their own: the wake's lock, its signal and its flag.
    static std::mutex& mutexOf(ClockWake& wake) { return wake.mutex_; }
    static std::condition_variable& signalOf(ClockWake& wake) { return wake.changed_; }
    static bool& wokenOf(ClockWake& wake) { return wake.woken_; }
    static void setForget(ClockWake& wake, std::function<void()> forget) {
        wake.forget_ = std::move(forget);
    }
};

// The steady clock, its sleeps in real time.
WaitClock& steadyWaitClock();

}  // namespace qz7
