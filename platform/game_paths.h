#pragma once

#include <filesystem>
#include <string_view>

namespace qz7 {

// The game folder joined with a backslash-led relative path such as "\admin\server_mod.cfg".
// The relative path is UTF-8; on systems other than Windows its backslashes become slashes.
std::filesystem::path gamePath(const std::filesystem::path& gameFolder,
                               std::string_view backslashRelative);

// A path from UTF-8 text, and back, the same on every system.
std::filesystem::path pathFromUtf8(std::string_view text);
std::string utf8FromPath(const std::filesystem::path& path);

// One text per folder however it was written: absolute, with ".", ".." and links resolved as far
// as the folder exists, without a trailing separator; on Windows with backslashes, an upper-case
// drive letter and the rest in lower case (the file system there ignores case). What names a
// folder's own things (its service entry) comes from this text.
std::string folderIdentity(const std::filesystem::path& folder);

}  // namespace qz7
