#include "platform/version_label.h"

#include <ctime>

namespace qz7 {

namespace {

std::string twoDigits(int value) {
    value %= 100;
    return {char('0' + value / 10), char('0' + value % 10)};
}

}  // namespace

std::string formatFileDate(std::chrono::system_clock::time_point time, std::string_view separator) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    std::string date = twoDigits(local.tm_mday);
    date += separator;
    date += twoDigits(local.tm_mon + 1);
    date += separator;
    date += twoDigits(local.tm_year);
    return date;
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
