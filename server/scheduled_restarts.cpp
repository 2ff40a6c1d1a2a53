#include "server/scheduled_restarts.h"

#include <algorithm>

namespace qz7 {

using SystemTime = std::chrono::system_clock::time_point;

void ScheduledRestarts::started() {
    if (schedule_.every) everyDue_ = clock_.now() + *schedule_.every;
    nextTimeOfDay_ = followingTimeOfDay();
}

bool ScheduledRestarts::due() {
    return (everyDue_ && clock_.now() >= *everyDue_) ||
           (nextTimeOfDay_ && clock_.wallNow() >= *nextTimeOfDay_);
}

void ScheduledRestarts::postpone() {
    if (everyDue_ && clock_.now() >= *everyDue_) everyDue_ = clock_.now() + *schedule_.every;
    if (nextTimeOfDay_ && clock_.wallNow() >= *nextTimeOfDay_)
        nextTimeOfDay_ = followingTimeOfDay();
}

std::optional<SystemTime> ScheduledRestarts::next() {
    std::optional<SystemTime> next = nextTimeOfDay_;
    if (everyDue_) {
        const SystemTime byInterval =
            clock_.wallNow() + std::chrono::duration_cast<std::chrono::system_clock::duration>(
                                   *everyDue_ - clock_.now());
        if (!next || byInterval < *next) next = byInterval;
    }
    return next;
}

std::chrono::milliseconds ScheduledRestarts::untilIntervalDue(std::chrono::milliseconds atMost) {
    if (!everyDue_) return atMost;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*everyDue_ - clock_.now());
    return std::clamp(left, std::chrono::milliseconds(0), atMost);
}

std::optional<SystemTime> ScheduledRestarts::followingTimeOfDay() {
    return nextTimeOfDay(schedule_.timesOfDay, clock_.wallNow(),
                         [this](SystemTime moment) { return clock_.utcOffset(moment); });
}

}  // namespace qz7
