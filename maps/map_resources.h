#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qz7 {

// Splits resource bytes into lines: CR LF, a lone CR or a lone LF ends a line; a line end at the
// very end adds no empty line. The bytes are kept as they are (Windows-1251 for the map texts).
std::vector<std::string> splitResourceLines(std::span<const unsigned char> bytes);

// The lines of the TXT resource of that name (matched without regard to case). A resource that
// does not exist gives no lines.
std::vector<std::string> LoadTextResource(std::string_view name);

}  // namespace qz7
