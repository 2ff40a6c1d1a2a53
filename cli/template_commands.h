#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/game_folder.h"

namespace qz7::cli {

// The templates in store order: position, name, mode label, number of maps. With none, says so
// on `err` (the JSON list is then empty).
void listTemplates(GameFolder& game, bool json, std::ostream& out, std::ostream& err);

// One template: its twenty settings with their labels and shown values, the rotation with display
// names, the command line.
void showTemplate(GameFolder& game, const std::string& which, bool json, std::ostream& out);

// The text form of one template, to the output file (written atomically) or to `out`.
void exportTemplate(GameFolder& game, const std::string& which,
                    const std::optional<std::string>& outputFile, std::ostream& out);

// Reads a template's text form, reports every problem with its line on `err`, and appends the
// template to the store only when there is no error. Returns the new template's position.
std::size_t importTemplate(GameFolder& game, const std::string& file,
                           const std::optional<std::string>& name, std::ostream& err);

}  // namespace qz7::cli
