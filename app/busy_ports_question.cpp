#include "app/busy_ports_question.h"

#include <QString>

#include "app/message_boxes.h"
#include "net/busy_ports.h"

namespace qz7 {

bool startDespiteBusyPorts(QWidget* owner, bool* busy) {
    const std::vector<BusyPort> held = findBusyServerPorts();
    if (busy != nullptr) *busy = !held.empty();
    if (held.empty()) return true;
    return messageBoxes().question(owner, QString::fromStdString(busyPortsMessage(held)) +
                                              QStringLiteral(" Всё равно запустить?"));
}

}  // namespace qz7
