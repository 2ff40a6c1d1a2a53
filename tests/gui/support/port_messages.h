#pragma once

#include <QString>

namespace qz7::testing {

// The boxes of the port commands as RecordingMessageBoxes records them.
inline const QString kPortsForwardedBox = QStringLiteral("plain: Порты проброшены");
inline const QString kPortsRemovedBox = QStringLiteral("plain: Порты удалены");
inline const QString kPortsFailedBox = QStringLiteral("plain: Ошибка при выполнении операции");
inline const QString kPortsCloseQuestion = QStringLiteral(
    "confirm: Внимание были не закрыты проброшенные порты для работы сервера. Закрыть "
    "программу?");

}  // namespace qz7::testing
