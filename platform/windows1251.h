#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// Text inside the program is UTF-8; every byte that goes to or comes from a file or an embedded
// resource is Windows-1251. These two functions are the only place where the two meet.

// Windows-1251 bytes to UTF-8. Byte 0x98 is undefined in 1251 and becomes U+FFFD.
std::string utf8FromWindows1251(std::string_view bytes);

// UTF-8 to Windows-1251 bytes. A character that 1251 cannot hold becomes "?", as an 8-bit Windows
// program would write it; so does every byte of malformed UTF-8.
std::string windows1251FromUtf8(std::string_view text);

// The first character of the UTF-8 text (its bytes) that has no Windows-1251 byte, malformed
// UTF-8 included; nothing when every character has one.
std::optional<std::string_view> firstCharacterOutsideWindows1251(std::string_view text);

// True when every character of the UTF-8 text has a Windows-1251 byte.
bool fitsWindows1251(std::string_view text);

// Number of Windows-1251 bytes the UTF-8 text takes (capacities count these).
std::size_t windows1251Length(std::string_view text);

}  // namespace qz7
