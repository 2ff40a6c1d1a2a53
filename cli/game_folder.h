#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/template_store.h"

namespace qz7::cli {

// The game folder qz7ctl works in and its template store.
class GameFolder {
  public:
    explicit GameFolder(std::filesystem::path folder);

    const std::filesystem::path& path() const { return folder_; }
    std::filesystem::path templateStorePath() const;

    // The store's records; read once, on first use.
    const TemplateRecords& records();

    // The index of the template a user named by name or "#N" (qz7::findTemplate); a CliError
    // when there is none.
    std::size_t findTemplate(const std::string& nameOrPosition);

  private:
    std::filesystem::path folder_;
    std::optional<TemplateRecords> records_;
};

}  // namespace qz7::cli
