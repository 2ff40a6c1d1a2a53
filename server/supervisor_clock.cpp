#include "server/supervisor_clock.h"

#include <thread>

#include "platform/local_time.h"

namespace qz7 {

namespace {

class SystemSupervisorClock final : public SupervisorClock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return std::chrono::steady_clock::now();
    }
    std::chrono::system_clock::time_point wallNow() override {
        return std::chrono::system_clock::now();
    }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) override {
        return localUtcOffset(moment);
    }
    void sleepFor(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
    }
    bool sleepUntil(TimePoint deadline, ClockWake& wake) override {
        return sleepInRealTime(deadline, wake);
    }
};

}  // namespace

SupervisorClock& systemSupervisorClock() {
    static SystemSupervisorClock clock;
    return clock;
}

}  // namespace qz7
