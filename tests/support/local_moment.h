#pragma once

#include <chrono>
#include <ctime>

namespace qz7::testing {

// A moment given as a local date and time, so expected dates hold in any time zone.
inline std::chrono::system_clock::time_point localMoment(int year, int month, int day, int hour) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

}  // namespace qz7::testing
