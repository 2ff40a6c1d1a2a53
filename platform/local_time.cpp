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

}  // namespace qz7
