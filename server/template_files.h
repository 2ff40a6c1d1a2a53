#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "server/server_files.h"
#include "settings/template_lookup.h"

namespace qz7 {

// The template a host named by name or "#N" in the game folder's store, read afresh. When there
// is none and the store itself is missing, the reason names the file that was looked for, so that
// a host who started outside the game folder learns where.
TemplateLookup findTemplateIn(const std::filesystem::path& gameFolder, const std::string& which);

// The same; an OperationError with the reason when there is none.
TemplateLookup requireTemplateIn(const std::filesystem::path& gameFolder, const std::string& which);

// The server files of a template (its stored bytes), formed in memory from its settings and
// rotation; a template without maps is refused.
FormedServerFiles formTemplateFiles(const std::filesystem::path& gameFolder,
                                    const std::string& storedRecord, bool fixedWeights);

// Forms and writes the recipe, playlist and server configuration of one template, as the
// window's "Сформировать файлы " does with that template applied (random map weights unless
// fixedWeights), and returns the line that says so. An OperationError with the reason when the
// files could not be formed; a FileError when they could not be written.
std::string writeTemplateServerFiles(const std::filesystem::path& gameFolder,
                                     const std::string& storedRecord, bool fixedWeights);

// The command line a template (its stored bytes) hands to the launchers.
std::string templateCommandLine(const std::string& storedRecord);

// What the launchers are given: command when given, else the command line of the named template,
// else what the window's command line shows when it opens (the first template's, or the default
// text when there is none).
std::string launcherParameters(const std::filesystem::path& gameFolder,
                               const std::optional<std::string>& which,
                               const std::optional<std::string>& command);

// " (папка игры: <folder>)": the game folder a file was looked for in, for a message.
std::string inGameFolderText(const std::filesystem::path& gameFolder);

}  // namespace qz7
