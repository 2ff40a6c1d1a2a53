#include "platform/version_label.h"

namespace qz7 {

namespace {

std::string twoDigits(int value) {
    value %= 100;
    return {char('0' + value / 10), char('0' + value % 10)};
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
