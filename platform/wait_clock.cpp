#include "platform/wait_clock.h"

#include <utility>

namespace qz7 {

ClockWake::~ClockWake() {
    if (forget_) forget_();
}

void ClockWake::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

bool WaitClock::sleepInRealTime(TimePoint deadline, ClockWake& wake) {
    std::unique_lock lock(wake.mutex_);
    const auto woken = [&] { return wake.woken_; };
    // A wait until the largest time point overflows in the library's conversions.
    if (deadline == kNoDeadline)
        wake.changed_.wait(lock, woken);
    else
        wake.changed_.wait_until(lock, deadline, woken);
    return std::exchange(wake.woken_, false);
}

namespace {

class SteadyWaitClock final : public WaitClock {
  public:
    TimePoint now() override { return std::chrono::steady_clock::now(); }
    bool sleepUntil(TimePoint deadline, ClockWake& wake) override {
        return sleepInRealTime(deadline, wake);
    }
};

}  // namespace

WaitClock& steadyWaitClock() {
    static SteadyWaitClock clock;
    return clock;
}

}  // namespace qz7
