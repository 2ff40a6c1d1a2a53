#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qz7 {

// Files that hold secrets, such as alert addresses: only their owner may read them.

// Who besides the file's owner may read it, in Russian with the command that fixes it
// ("права 0644: читать могут и другие; выполните chmod 600 FILE"); nothing when only the owner
// (and on Windows the system and the administrators) may. Throws FileError when the file
// cannot be examined.
std::optional<std::string> othersMayRead(const std::filesystem::path& file);

// Replaces the file's content (atomically, as writeFileAtomically) so that only the current user
// may read it, also on the way: a new file is made private before anything is written to it.
void writePrivateFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace qz7
