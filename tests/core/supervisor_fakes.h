#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
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

// Time that passes only when the supervisor waits or a test moves it on: its steady and wall
// clocks move together, and a test may set the wall clock as a host's clock is set. Threads of
// serve's companions sleep on it (sleepUntil) and wake when it reaches their time; advance()
// returns once each of them has done what was due and sleeps again, so a test sees the checks
// and messages of a span without waiting in real time. Safe to use from several threads.
class FakeClock final : public SupervisorClock {
  public:
    // The longest any wait on this clock lasts in real time: a thread that does not go back to
    // sleep, or a sleep nobody moves the clock for, ends a fault in a wrong count (and a stall
    // counted), never in a test that hangs.
    static constexpr std::chrono::seconds kRealTimeBound{30};

    FakeClock(std::chrono::system_clock::time_point wall, FakeTimeZone zone)
        : wall_(wall), zone_(std::move(zone)) {}
    ~FakeClock() override {
        std::lock_guard lock(mutex_);
        for (auto& [wake, sleeper] : sleepers_) setForget(*wake, nullptr);
    }

    TimePoint now() override { return steady_.load(); }
    std::chrono::system_clock::time_point wallNow() override { return wall_.load(); }
    std::chrono::seconds utcOffset(std::chrono::system_clock::time_point moment) override {
        return zone_(moment);
    }
    void sleepFor(std::chrono::milliseconds duration) override { advance(duration); }
    bool sleepOrWake(std::chrono::milliseconds duration, ClockWake& wake) override {
        return runFor(duration, wake);
    }

    bool sleepUntil(TimePoint deadline, ClockWake& wake) override {
        {
            std::lock_guard lock(mutex_);
            auto [entry, added] = sleepers_.try_emplace(&wake);
            if (added) setForget(wake, [this, &wake] { forget(wake); });
            entry->second = {true, deadline};
        }
        settled_.notify_all();
        bool inTime = false;
        {
            std::unique_lock lock(mutexOf(wake));
            inTime = signalOf(wake).wait_for(
                lock, kRealTimeBound, [&] { return wokenOf(wake) || steady_.load() >= deadline; });
        }
        std::lock_guard lock(mutex_);
        if (!inTime && deadline != kNoDeadline) {
            ++stalls_;
            moveOn(deadline - steady_.load());
        }
        std::lock_guard wakeLock(mutexOf(wake));
        sleepers_[&wake].asleep = false;
        return std::exchange(wokenOf(wake), false);
    }

    void advance(std::chrono::milliseconds duration) {
        std::unique_lock lock(mutex_);
        settle(lock);
        moveOn(duration);
        settle(lock);
    }
    void setWall(std::chrono::system_clock::time_point wall) { wall_ = wall; }

    // Passes duration as a running machine does, sleeper by sleeper: each sleeper due within it
    // wakes at its own moment and is done before time goes on (advance() jumps instead, as a
    // machine that slept). Stops early, true, once wake (no sleeper of this clock) is woken.
    bool runFor(std::chrono::steady_clock::duration duration, ClockWake& wake) {
        std::unique_lock lock(mutex_);
        const TimePoint until = steady_.load() + duration;
        while (true) {
            settle(lock);
            {
                std::lock_guard wakeLock(mutexOf(wake));
                if (std::exchange(wokenOf(wake), false)) return true;
            }
            const TimePoint now = steady_.load();
            if (now >= until) return false;
            TimePoint next = until;
            for (auto& [sleeping, sleeper] : sleepers_)
                if (sleeper.deadline > now) next = std::min(next, sleeper.deadline);
            moveOn(next - now);
        }
    }

    // Waits until `count` threads sleep on the clock with nothing due: a companion made by the
    // test has begun its first wait. False when they did not within the bound.
    bool awaitSleepers(std::size_t count) {
        std::unique_lock lock(mutex_);
        return settled_.wait_for(lock, kRealTimeBound,
                                 [&] { return sleepers_.size() >= count && allAsleep(); });
    }
    // Waits that ran into the real-time bound: none in a sound test.
    int stalls() const { return stalls_.load(); }

  private:
    struct Sleeper {
        bool asleep = false;
        TimePoint deadline{};
    };

    // Under mutex_.
    void moveOn(std::chrono::steady_clock::duration duration) {
        steady_ = steady_.load() + duration;
        wall_ = wall_.load() +
                std::chrono::duration_cast<std::chrono::system_clock::duration>(duration);
        for (auto& [wake, sleeper] : sleepers_) {
            std::lock_guard wakeLock(mutexOf(*wake));
            signalOf(*wake).notify_all();
        }
    }
    bool allAsleep() {
        for (auto& [wake, sleeper] : sleepers_) {
            std::lock_guard wakeLock(mutexOf(*wake));
            if (!sleeper.asleep || sleeper.deadline <= steady_.load() || wokenOf(*wake))
                return false;
        }
        return true;
    }
    void settle(std::unique_lock<std::mutex>& lock) {
        if (!settled_.wait_for(lock, kRealTimeBound, [&] { return allAsleep(); })) ++stalls_;
    }
    void forget(ClockWake& wake) {
        {
            std::lock_guard lock(mutex_);
            sleepers_.erase(&wake);
        }
        settled_.notify_all();
    }

    std::atomic<TimePoint> steady_{};
    std::atomic<std::chrono::system_clock::time_point> wall_;
    FakeTimeZone zone_;
    std::mutex mutex_;  // before a wake's own mutex, when both are held
    std::condition_variable settled_;
    std::map<ClockWake*, Sleeper> sleepers_;
    std::atomic<int> stalls_{0};
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
    std::optional<ProcessEnd> waitOrWake(std::chrono::milliseconds timeout,
                                         ClockWake& wake) override {
        const auto now = clock_.now();
        const bool ends = endsAt_ && *endsAt_ <= now + timeout;
        const auto span = ends ? std::max(*endsAt_ - now, std::chrono::steady_clock::duration(0))
                               : std::chrono::steady_clock::duration(timeout);
        const bool woken = clock_.runFor(span, wake);
        if (ends && (!woken || clock_.now() >= *endsAt_)) return end_;
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
