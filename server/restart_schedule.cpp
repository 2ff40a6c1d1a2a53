#include "server/restart_schedule.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "platform/udp_socket.h"

namespace qz7 {

namespace {

using std::chrono::minutes;
using SystemTime = std::chrono::system_clock::time_point;

constexpr minutes kDay{24 * 60};
// How far back the local clock is looked at, so that a time the clock already showed before it
// was set back (an hour at the end of summer time) does not come a second time.
constexpr minutes kLookBack{3 * 60};
// How far ahead a time of day is looked for: two days and the largest clock change.
constexpr minutes kLookAhead{2 * 24 * 60 + 3 * 60};

std::optional<int> number(std::string_view text) {
    int value = 0;
    // Digits only: no sign, so that "-1:00" or "-5m" is no time at all.
    if (text.find_first_not_of("0123456789") != std::string_view::npos) return {};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
    return value;
}

}  // namespace

std::optional<std::vector<minutes>> parseTimesOfDay(std::string_view text, std::string& error) {
    std::vector<minutes> times;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string_view item = text.substr(from, comma - from);
        const std::size_t colon = item.find(':');
        const std::optional<int> hours =
            colon == 2 ? number(item.substr(0, 2)) : std::optional<int>();
        const std::optional<int> mins =
            item.size() == 5 && hours ? number(item.substr(3)) : std::optional<int>();
        if (!mins || *hours > 23 || *mins > 59) {
            error = "время «" + std::string(item) + "» не в виде ЧЧ:ММ (от 00:00 до 23:59)";
            return std::nullopt;
        }
        times.push_back(std::chrono::hours(*hours) + minutes(*mins));
        if (comma == text.size()) break;
        from = comma + 1;
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

std::optional<std::chrono::seconds> parseDuration(std::string_view text,
                                                  std::chrono::seconds shortest,
                                                  std::string& error) {
    const char unit = text.empty() ? '\0' : text.back();
    const int perUnit = unit == 's' ? 1 : unit == 'm' ? 60 : unit == 'h' ? 3600 : 0;
    const std::optional<int> count = perUnit ? number(text.substr(0, text.size() - 1)) : 0;
    if (!perUnit || !count || *count > 365 * 24 * 3600 / perUnit) {
        error = "промежуток «" + std::string(text) +
                "» не в виде числа с единицей s, m или h (например 90s, 30m, 6h)";
        return std::nullopt;
    }
    const std::chrono::seconds duration(std::int64_t(*count) * perUnit);
    if (duration < shortest) {
        error = "промежуток «" + std::string(text) + "» короче " +
                std::to_string(shortest.count()) + " с";
        return std::nullopt;
    }
    return duration;
}

std::chrono::seconds shortestRestartInterval(std::string_view asked,
                                             const std::vector<std::string>& localAddresses) {
    const bool loopbackOnly =
        std::all_of(localAddresses.begin(), localAddresses.end(),
                    [](const std::string& a) { return a.starts_with("127."); });
    return asked == "1" && loopbackOnly ? kShortestTestInterval : kShortestRestartInterval;
}

std::chrono::seconds shortestRestartInterval() {
    static const std::chrono::seconds shortest = [] {
        const char* asked = std::getenv("QZ7_TEST_SHORT_INTERVALS");
        // The interfaces are looked at only when asked: a host's serve never needs them here.
        if (asked == nullptr || std::string_view(asked) != "1") return kShortestRestartInterval;
        return shortestRestartInterval(asked, localIPv4Addresses());
    }();
    return shortest;
}

std::optional<std::chrono::seconds> parseRestartInterval(std::string_view text,
                                                         std::string& error) {
    return parseDuration(text, shortestRestartInterval(), error);
}

std::optional<std::vector<std::chrono::seconds>> parseDurationList(std::string_view text,
                                                                   std::chrono::seconds shortest,
                                                                   std::string& error) {
    std::vector<std::chrono::seconds> durations;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::optional<std::chrono::seconds> duration =
            parseDuration(text.substr(start, comma - start), shortest, error);
        if (!duration) return std::nullopt;
        durations.push_back(*duration);
        if (comma == std::string_view::npos) return durations;
        start = comma + 1;
    }
}

std::optional<std::vector<std::chrono::seconds>> parseIntervals(std::string_view text,
                                                                std::string& error) {
    return parseDurationList(text, shortestRestartInterval(), error);
}

std::string timeOfDayText(minutes sinceMidnight) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", int(sinceMidnight.count() / 60),
                  int(sinceMidnight.count() % 60));
    return text;
}

std::string timesOfDayText(const std::vector<minutes>& timesOfDay) {
    std::string text;
    for (minutes time : timesOfDay) text += (text.empty() ? "" : ",") + timeOfDayText(time);
    return text;
}

std::string restartIntervalText(std::chrono::seconds interval) {
    const long long seconds = interval.count();
    if (seconds != 0 && seconds % 3600 == 0) return std::to_string(seconds / 3600) + "h";
    if (seconds != 0 && seconds % 60 == 0) return std::to_string(seconds / 60) + "m";
    return std::to_string(seconds) + "s";
}

std::optional<SystemTime> nextTimeOfDay(const std::vector<minutes>& timesOfDay, SystemTime after,
                                        const UtcOffsetAt& utcOffset) {
    if (timesOfDay.empty()) return std::nullopt;
    // The local clock's reading at a UTC minute, in minutes of the same count.
    auto localClock = [&](minutes utc) {
        return utc + std::chrono::floor<minutes>(utcOffset(SystemTime(utc)));
    };
    auto isScheduled = [&](minutes local) {
        const minutes ofDay = ((local % kDay) + kDay) % kDay;
        return std::find(timesOfDay.begin(), timesOfDay.end(), ofDay) != timesOfDay.end();
    };
    const minutes start = std::chrono::floor<minutes>(after.time_since_epoch());
    // The latest reading the local clock has shown: a time comes when the clock passes it.
    minutes shown = localClock(start - kLookBack);
    for (minutes utc = start - kLookBack + minutes(1); utc <= start; ++utc)
        shown = std::max(shown, localClock(utc));
    for (minutes utc = start + minutes(1); utc <= start + kLookAhead; ++utc) {
        const minutes local = localClock(utc);
        for (minutes passed = shown + minutes(1); passed <= local; ++passed) {
            if (isScheduled(passed)) return SystemTime(utc);
        }
        shown = std::max(shown, local);
    }
    return std::nullopt;
}

}  // namespace qz7
