#include "app/game_folder_question.h"

#include <QFileDialog>

#include "app/message_boxes.h"
#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "platform/system_error_text.h"
#include "server/game_folder_check.h"

namespace qz7 {

namespace {

GameFolderDialog& dialogReplacement() {
    static GameFolderDialog replacement;
    return replacement;
}

std::optional<std::filesystem::path> askForFolder(QWidget* owner,
                                                  const std::filesystem::path& start) {
    if (dialogReplacement()) return dialogReplacement()(owner);
    const QString picked = QFileDialog::getExistingDirectory(
        owner, QStringLiteral("Выберите папку игры"), QString::fromStdString(utf8FromPath(start)));
    if (picked.isEmpty()) return std::nullopt;
    return pathFromUtf8(picked.toStdString());
}

}  // namespace

void setGameFolderDialogForTesting(GameFolderDialog answer) {
    dialogReplacement() = std::move(answer);
}

void offerGameFolderWhenAbsent(QWidget* owner) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error || looksLikeGameFolder(current)) return;
    std::filesystem::path looked = current;
    // Each round waits for the user; "Нет" or a cancelled dialog ends it.
    for (;;) {
        const QString question = QString::fromStdString(notAGameFolderText(looked) +
                                                        "\n\nВыбрать папку игры? «Нет» оставит "
                                                        "папку " +
                                                        textFromPath(current) + ".");
        if (!messageBoxes().question(owner, question)) return;
        const std::optional<std::filesystem::path> picked = askForFolder(owner, looked);
        if (!picked) return;
        if (!looksLikeGameFolder(*picked)) {
            looked = *picked;
            continue;
        }
        std::filesystem::current_path(*picked, error);
        if (error)
            messageBoxes().error(owner, QString::fromStdString("Не удалось перейти в папку " +
                                                               textFromPath(*picked) + ": " +
                                                               systemErrorText(error)));
        return;
    }
}

}  // namespace qz7
