#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/template_lookup.h"

namespace qz7::cli {

// The game folder qz7ctl works in and its template store.
class GameFolder {
  public:
    explicit GameFolder(std::filesystem::path folder);

    const std::filesystem::path& path() const { return folder_; }
    std::filesystem::path templateStorePath() const;

    // The template a user named by name or "#N", read from the store afresh (qz7::findTemplate);
    // a CliError when there is none.
    TemplateLookup findTemplate(const std::string& nameOrPosition) const;

  private:
    std::filesystem::path folder_;
};

}  // namespace qz7::cli
