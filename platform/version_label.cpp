#include "platform/version_label.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace qz7 {

namespace {

std::string twoDigits(int value) {
    value %= 100;
    return {char('0' + value / 10), char('0' + value % 10)};
}

// The local calendar date of a moment as day, month and year.
struct LocalDate {
    int day;
    int month;
    int year;
};

LocalDate localDate(std::chrono::system_clock::time_point time) {
#ifdef _WIN32
    // The system's own time zone rules, as for every other date the user sees; the C runtime
    // would follow a TZ variable of the environment instead.
    using Steps = std::chrono::duration<long long, std::ratio<1, 10'000'000>>;
    constexpr long long stepsFrom1601To1970 = 116444736000000000LL;
    auto steps = static_cast<unsigned long long>(
        std::chrono::duration_cast<Steps>(time.time_since_epoch()).count() + stepsFrom1601To1970);
    FILETIME utc{DWORD(steps & 0xFFFFFFFFu), DWORD(steps >> 32)};
    SYSTEMTIME universal{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&utc, &universal) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
        local = universal;
    return {local.wDay, local.wMonth, local.wYear};
#else
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_mday, local.tm_mon + 1, local.tm_year + 1900};
#endif
}

}  // namespace

std::string formatFileDate(std::chrono::system_clock::time_point time, std::string_view separator) {
    const LocalDate date = localDate(time);
    std::string text = twoDigits(date.day);
    text += separator;
    text += twoDigits(date.month);
    text += separator;
    text += twoDigits(date.year);
    return text;
}

std::string versionLabelText(std::string_view caption, const std::filesystem::path& file,
                             Platform& platform) {
    std::string text(caption);
    text += " v";
    text += platform.fileVersion(file);
    text += ' ';
    if (auto modified = platform.lastModified(file))
        text += formatFileDate(*modified, platform.dateSeparator());
    return text;
}

}  // namespace qz7
