#include "server/supervisor_clock.h"

#include <thread>

#include "platform/local_time.h"

namespace qz7 {

namespace {

// The steady clock's part is steadyWaitClock's.
class SystemSupervisorClock final : public SupervisorClock {
  public:
    TimePoint now() override { return steadyWaitClock().now(); }
    std::chrono::system_clock::time_point wallNow() override {
        return std::chrono::system_clock::now();
    }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) override {
        return localUtcOffset(moment);
    }
    void sleepFor(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
    bool sleepOrWake(std::chrono::milliseconds duration, ClockWake& wake) override {
        return sleepUntil(now() + duration, wake);
    }
    bool sleepUntil(TimePoint deadline, ClockWake& wake) override {
        return steadyWaitClock().sleepUntil(deadline, wake);
    }
};

}  // namespace

SupervisorClock& systemSupervisorClock() {
    static SystemSupervisorClock clock;
    return clock;
}

}  // namespace qz7
