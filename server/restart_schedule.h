#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// When a healthy server is restarted on purpose: at times of the host's local day, every so
// often counted from the server's last start, or both (whichever comes first).
struct RestartSchedule {
    std::vector<std::chrono::minutes> timesOfDay;  // from local midnight
    std::optional<std::chrono::seconds> every;

    bool empty() const { return timesOfDay.empty() && !every; }
};

// The shortest interval between restarts --restart-every accepts.
inline constexpr std::chrono::seconds kShortestRestartInterval{10};
// The shortest a test of serve's timing may ask for instead, so that it waits seconds, not minutes.
inline constexpr std::chrono::seconds kShortestTestInterval{1};

// The shortest duration serve's restart, health and warning options accept:
// kShortestTestInterval where a test asks for it (QZ7_TEST_SHORT_INTERVALS=1) and runs where no
// host serves players (every interface address a loopback one: a network namespace of the test's
// own), else kShortestRestartInterval. A host's settings are never read shorter, whatever its
// environment holds.
std::chrono::seconds shortestRestartInterval(std::string_view asked,
                                             const std::vector<std::string>& localAddresses);
// The same for this process: its environment and this machine's interfaces, read once.
std::chrono::seconds shortestRestartInterval();

// "04:00" or "04:00,16:30": times of day, HH:MM each. Nothing, with the reason in error (Russian),
// when the text is not such a list.
std::optional<std::vector<std::chrono::minutes>> parseTimesOfDay(std::string_view text,
                                                                 std::string& error);

// "90s", "30m", "6h": a number and its unit, at least `shortest`. Nothing, with the reason in
// error (Russian), otherwise.
std::optional<std::chrono::seconds> parseDuration(std::string_view text,
                                                  std::chrono::seconds shortest,
                                                  std::string& error);

// "5m,1m": such durations separated by commas.
std::optional<std::vector<std::chrono::seconds>> parseDurationList(std::string_view text,
                                                                   std::chrono::seconds shortest,
                                                                   std::string& error);

// Durations of at least shortestRestartInterval() separated by commas: "5m,1m".
std::optional<std::vector<std::chrono::seconds>> parseIntervals(std::string_view text,
                                                                std::string& error);

// A duration of at least shortestRestartInterval().
std::optional<std::chrono::seconds> parseRestartInterval(std::string_view text, std::string& error);

// "04:00" for 240 minutes after midnight.
std::string timeOfDayText(std::chrono::minutes sinceMidnight);

// "04:00,16:30": the times as parseTimesOfDay reads them back; empty for none.
std::string timesOfDayText(const std::vector<std::chrono::minutes>& timesOfDay);

// "6h", "30m", "90s": the interval in its largest whole unit, as parseRestartInterval reads it.
std::string restartIntervalText(std::chrono::seconds interval);

// The local time's distance from UTC at a moment.
using UtcOffsetAt = std::function<std::chrono::seconds(std::chrono::system_clock::time_point)>;

// The first whole minute after `after` at which the local clock reaches one of the times of day.
// A time that a clock change skips comes at the first minute after the gap; a time that it
// repeats comes only the first time the clock shows it. Nothing when there are no times.
std::optional<std::chrono::system_clock::time_point> nextTimeOfDay(
    const std::vector<std::chrono::minutes>& timesOfDay,
    std::chrono::system_clock::time_point after, const UtcOffsetAt& utcOffset);

}  // namespace qz7
