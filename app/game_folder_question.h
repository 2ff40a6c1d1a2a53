#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace qz7 {

// Start-up in a folder that holds none of the game's files (the menu entry starts the program in
// the home folder): says so and offers a folder dialog to pick the game folder for this run. A
// picked folder that holds the game's files becomes the current folder, which the setup window
// then fixes as the game folder; one that does not is named and the offer made again. "Нет" or
// the dialog's cancel keeps the current folder. Nothing is remembered for the next run. In a game
// folder nothing is shown.
void offerGameFolderWhenAbsent(QWidget* owner);

// Tests only: replaces the folder dialog by a function that answers it (a folder, or nothing for
// cancel); an empty function restores the real dialog.
using GameFolderDialog = std::function<std::optional<std::filesystem::path>(QWidget* owner)>;
void setGameFolderDialogForTesting(GameFolderDialog answer);

}  // namespace qz7
