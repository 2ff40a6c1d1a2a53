#pragma once

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "platform/watched_process.h"
#include "server/supervisor_clock.h"

namespace qz7::testing {

// A UTC moment by its calendar date and time.
inline std::chrono::system_clock::time_point utcMoment(int year, int month, int day, int hour,
                                                       int minute) {
    using namespace std::chrono;
    return sys_days(std::chrono::year(year) / month / day) + hours(hour) + minutes(minute);
}

// A time zone of given offsets: `initial` until the first change, each change from its moment.
struct FakeTimeZone {
    std::chrono::seconds initial;
    std::vector<std::pair<std::chrono::system_clock::time_point, std::chrono::seconds>> changes;

    std::chrono::seconds operator()(std::chrono::system_clock::time_point moment) const {
        std::chrono::seconds offset = initial;
        for (const auto& [from, changed] : changes)
            if (moment >= from) offset = changed;
        return offset;
    }
};

// Time that passes only when the supervisor waits: its steady and wall clocks move together,
// and a test may set the wall clock as a host's clock is set.
class FakeClock final : public SupervisorClock {
  public:
    FakeClock(std::chrono::system_clock::time_point wall, FakeTimeZone zone)
        : wall_(wall), zone_(std::move(zone)) {}

    std::chrono::steady_clock::time_point now() override { return steady_; }
    std::chrono::system_clock::time_point wallNow() override { return wall_; }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) override {
        return zone_(moment);
    }
    void sleepFor(std::chrono::milliseconds duration) override { advance(duration); }

    void advance(std::chrono::milliseconds duration) {
        steady_ += duration;
        wall_ += duration;
    }
    void setWall(std::chrono::system_clock::time_point wall) { wall_ = wall; }

  private:
    std::chrono::steady_clock::time_point steady_{};
    std::chrono::system_clock::time_point wall_;
    FakeTimeZone zone_;
};

// A server that runs on the fake clock: it ends at a set moment, or when asked to stop.
class FakeProgram final : public RunningProgram {
  public:
    FakeProgram(FakeClock& clock, int id, std::optional<std::chrono::milliseconds> runsFor,
                ProcessEnd end)
        : clock_(clock), id_(id), end_(end) {
        if (runsFor) endsAt_ = clock.now() + *runsFor;
    }

    int id() const override { return id_; }
    std::optional<ProcessEnd> waitFor(std::chrono::milliseconds timeout) override {
        const auto now = clock_.now();
        if (endsAt_ && *endsAt_ <= now + timeout) {
            clock_.advance(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::max(*endsAt_ - now, std::chrono::steady_clock::duration(0))));
            return end_;
        }
        clock_.advance(timeout);
        return std::nullopt;
    }
    // Ends at once as a program ended by SIGTERM does.
    void requestStop() override {
        endsAt_ = clock_.now();
        end_ = {0, 15};
    }
    void kill() override {
        endsAt_ = clock_.now();
        end_ = {0, 9};
    }

  private:
    FakeClock& clock_;
    int id_;
    ProcessEnd end_;
    std::optional<std::chrono::steady_clock::time_point> endsAt_;
};

}  // namespace qz7::testing
