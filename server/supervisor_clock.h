#pragma once

#include <chrono>

#include "platform/wait_clock.h"

namespace qz7 {

// The supervisor's sense of time, given from outside so that tests run days of schedule at once:
// a steady clock for back-offs, crash windows and intervals, the wall clock and the host's local
// time for times of day. Every wait of a serve goes through it: the supervisor's own (sleepFor,
// sleepOrWake) and those of the companions' threads (sleepUntil, which another thread can cut
// short).
class SupervisorClock : public WaitClock {
  public:
    virtual std::chrono::system_clock::time_point wallNow() = 0;
    // How far local time is ahead of UTC at a moment.
    virtual std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) = 0;
    virtual void sleepFor(std::chrono::milliseconds duration) = 0;
    // Sleeps for duration or until wake is woken; true when woken.
    virtual bool sleepOrWake(std::chrono::milliseconds duration, ClockWake& wake) = 0;
};

// The system's clocks and time zone.
SupervisorClock& systemSupervisorClock();

}  // namespace qz7
