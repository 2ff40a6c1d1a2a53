#pragma once

#include <chrono>

namespace qz7 {

// How far the host's local time is ahead of UTC at a moment (negative west of Greenwich), as the
// C library's time zone rules (TZ, /etc/localtime) or Windows' time zone settings say; daylight
// saving time included.
std::chrono::seconds localUtcOffset(std::chrono::system_clock::time_point moment);

}  // namespace qz7
