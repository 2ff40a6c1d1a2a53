#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qz7 {

// "dd/mm/yy" of the local date of a moment: two-digit day, month and year, joined by the
// system's date separator.
std::string formatFileDate(std::chrono::system_clock::time_point time, std::string_view separator);

// The caption followed by " v", the file's version, a blank and the date of the file's last
// modification ("Property Rovazid v1.2.1.54 05.03.14"). A missing version or date leaves its
// place empty.
std::string versionLabelText(std::string_view caption, const std::filesystem::path& file,
                             Platform& platform);

}  // namespace qz7
