#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/kept_versions.h"

namespace qz7 {

// What `qz7ctl backups` shows of a kept version.
struct KeptVersionSummary {
    std::string version;  // the version's file name, by which it is named to restore it
    std::string fileName;
    std::chrono::system_clock::time_point time;
    std::uintmax_t size = 0;
    std::optional<std::size_t> templates;  // for versions of the template store
};

// The versions kept in the game folder, oldest first.
std::vector<KeptVersionSummary> keptVersionSummaries(const std::filesystem::path& gameFolder);

// The kept version of that name; an OperationError (usage) when there is none.
KeptVersion findKeptVersion(const std::filesystem::path& gameFolder, const std::string& version);

// Adds the template that a kept version of the store holds under that name or "#N" to the end of
// the store, as "Новый" adds one; a name the store already has gets " (2)", " (3)" ..., cut to
// the record's name field. The new position (from 1) and the name it got.
struct RestoredTemplate {
    std::size_t position = 0;
    std::string name;
};
RestoredTemplate restoreKeptTemplate(const std::filesystem::path& gameFolder,
                                     const std::string& version, const std::string& nameOrPosition);

// Puts a kept version back in place of its file, the present file kept as a version first.
// The file it restored.
std::filesystem::path restoreKeptFile(const std::filesystem::path& gameFolder,
                                      const std::string& version);

// Removes every kept version of the file (an alert address that leaked must not live on in them).
// How many went.
std::size_t forgetKeptVersions(const std::filesystem::path& gameFolder,
                               const std::string& fileName);

// The name a restored template gets: the name itself when free, else with " (2)", " (3)" ...,
// cut so that it fits the record's name field.
std::string freeTemplateName(const std::string& name, const std::vector<std::string>& taken);

}  // namespace qz7
