#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qz7 {

// Text for people and for JSON made from bytes that ought to be UTF-8 but need not be: a folder's
// name from the file system (an old archive unpacked on Linux keeps its Windows-1251 names), a
// template's name, a server's answer. Every well-formed UTF-8 character stays as it is; every
// other byte is read as Windows-1251 (0x98, undefined there, becomes U+FFFD). The result is always
// well-formed UTF-8, and this never throws.
std::string readableText(std::string_view bytes);

// A path as readable text (readableText of its UTF-8 form). Paths handed to programs keep their
// bytes: those go through utf8FromPath.
std::string textFromPath(const std::filesystem::path& path);

}  // namespace qz7
