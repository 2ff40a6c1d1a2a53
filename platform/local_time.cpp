#include "platform/local_time.h"

#include <cstdio>
#include <ctime>

namespace qz7 {

std::chrono::seconds localUtcOffset(std::chrono::system_clock::time_point moment) {
    const std::time_t time = std::chrono::system_clock::to_time_t(moment);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &time) != 0) return std::chrono::seconds(0);
    // The local calendar time read back as if it were UTC, minus the moment, is the offset.
    const std::time_t asUtc = _mkgmtime(&local);
    if (asUtc == -1) return std::chrono::seconds(0);
    return std::chrono::seconds(asUtc - time);
#else
    if (localtime_r(&time, &local) == nullptr) return std::chrono::seconds(0);
    return std::chrono::seconds(local.tm_gmtoff);
#endif
}

std::string utcTimestamp(std::chrono::system_clock::time_point moment) {
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(moment);
    const auto day = floor<days>(milliseconds);
    const year_month_day date(day);
    const hh_mm_ss time(milliseconds - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()),
                  int(time.subseconds().count()));
    return text;
}

std::string localTimeText(std::chrono::system_clock::time_point moment) {
    return localTimeText(moment, localUtcOffset(moment));
}

std::string localTimeText(std::chrono::system_clock::time_point moment,
                          std::chrono::seconds utcOffset) {
    using namespace std::chrono;
    const auto local = floor<seconds>(moment) + utcOffset;
    const auto day = floor<days>(local);
    const year_month_day date(day);
    const hh_mm_ss time(local - day);
    const long long offsetMinutes = utcOffset.count() / 60;
    const long long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char offset[48];
    if (absolute % 60 == 0)
        std::snprintf(offset, sizeof offset, "%c%lld", offsetMinutes < 0 ? '-' : '+',
                      absolute / 60);
    else
        std::snprintf(offset, sizeof offset, "%c%lld:%02lld", offsetMinutes < 0 ? '-' : '+',
                      absolute / 60, absolute % 60);
    char text[96];
    std::snprintf(text, sizeof text, "%02u.%02u.%04d %02d:%02d:%02d (UTC%s)", unsigned(date.day()),
                  unsigned(date.month()), int(date.year()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()), offset);
    return text;
}

std::optional<std::chrono::system_clock::time_point> parseUtcTimestamp(std::string_view text) {
    using namespace std::chrono;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    char zone = 0;
    const std::string copy(text);
    if (copy.size() != 24 ||
        std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d%c", &year, &month, &day, &hour,
                    &minute, &second, &millisecond, &zone) != 8 ||
        zone != 'Z')
        return std::nullopt;
    const year_month_day date{std::chrono::year(year), std::chrono::month(unsigned(month)),
                              std::chrono::day(unsigned(day))};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    return sys_days(date) + hours(hour) + minutes(minute) + seconds(second) +
           milliseconds(millisecond);
}

}  // namespace qz7
