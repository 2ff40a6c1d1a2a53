#pragma once

#include <filesystem>
#include <string>

namespace qz7 {

// Whether a folder holds any of the files a game folder is known by: one of the two launchers,
// one of the base files under admin, or a template store. A folder without any of them is most
// likely not where the user meant to start the program (a menu entry starts it in the home
// folder).
bool looksLikeGameFolder(const std::filesystem::path& folder);

// "В папке <folder> нет файлов игры: ..." naming what was looked for, for the start-up question.
std::string notAGameFolderText(const std::filesystem::path& folder);

}  // namespace qz7
