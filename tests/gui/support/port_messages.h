#pragma once

#include <QString>

namespace qz7::testing::port_boxes {

// The boxes of the port commands as RecordingMessageBoxes records them.
inline const QString kForwarded = QStringLiteral("plain: Порты проброшены");
inline const QString kRemoved = QStringLiteral("plain: Порты удалены");
inline const QString kFailed = QStringLiteral("plain: Ошибка при выполнении операции");
inline const QString kCloseQuestion = QStringLiteral(
    "confirm: Внимание были не закрыты проброшенные порты для работы сервера. Закрыть "
    "программу?");

}  // namespace qz7::testing::port_boxes
