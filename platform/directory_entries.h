#pragma once

#include <filesystem>
#include <vector>

namespace qz7 {

// The entries of a folder, read with the increment that does not throw: a folder that cannot be
// read gives none, and one that goes away meanwhile (the /proc folder of a process that ended)
// ends the list where it is instead of throwing.
std::vector<std::filesystem::directory_entry> directoryEntries(const std::filesystem::path& folder);

}  // namespace qz7
