#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// How far the host's local time is ahead of UTC at a moment (negative west of Greenwich), as the
// C library's time zone rules (TZ, /etc/localtime) or Windows' time zone settings say; daylight
// saving time included.
std::chrono::seconds localUtcOffset(std::chrono::system_clock::time_point moment);

// A moment as ISO 8601 in UTC with milliseconds: "2026-12-08T01:30:00.125Z".
std::string utcTimestamp(std::chrono::system_clock::time_point moment);

// A moment as people read it: the local date and time with the offset from UTC that holds then,
// "08.12.2026 18:21:51 (UTC+3)", "(UTC+5:30)", "(UTC-4)", "(UTC+0)".
std::string localTimeText(std::chrono::system_clock::time_point moment);

// The same at a given offset from UTC.
std::string localTimeText(std::chrono::system_clock::time_point moment,
                          std::chrono::seconds utcOffset);

// The moment such a text names; nothing when the text is not one.
std::optional<std::chrono::system_clock::time_point> parseUtcTimestamp(std::string_view text);

}  // namespace qz7
