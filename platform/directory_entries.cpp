#include "platform/directory_entries.h"

namespace qz7 {

std::vector<std::filesystem::directory_entry> directoryEntries(
    const std::filesystem::path& folder) {
    std::vector<std::filesystem::directory_entry> entries;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    // A range-for would call the increment that throws.
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error))
        entries.push_back(*entry);
    return entries;
}

}  // namespace qz7
