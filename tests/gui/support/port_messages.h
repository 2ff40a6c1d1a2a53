#pragma once

#include <QString>

namespace qz7::testing::port_boxes {

// The boxes of the port commands as RecordingMessageBoxes records them.
inline const QString kForwarded = QStringLiteral("plain: Порты проброшены");
inline const QString kRemoved = QStringLiteral("plain: Порты удалены");
inline const QString kForwardingUnreachable = QStringLiteral(
    "plain: Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не проброшены");
inline const QString kRemovalUnreachable = QStringLiteral(
    "plain: Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не удалены");
inline const QString kCloseQuestion = QStringLiteral(
    "confirm: Внимание были не закрыты проброшенные порты для работы сервера. Закрыть "
    "программу?");

// A batch that ended with some of the 70 failed, cancelled: the count it names.
inline QString failedForwarding(int made) {
    return QStringLiteral("plain: Ошибка при выполнении операции: проброшено %1 из 70 портов")
        .arg(made);
}
inline QString failedRemoval(int removed) {
    return QStringLiteral("plain: Ошибка при выполнении операции: удалено %1 из 70 портов")
        .arg(removed);
}
inline QString cancelledForwarding(int made) {
    return QStringLiteral("plain: Операция отменена: проброшено %1 из 70 портов").arg(made);
}

}  // namespace qz7::testing::port_boxes
