#include "server/busy_ports_check.h"

#include "net/busy_ports.h"
#include "server/operation_error.h"

namespace qz7 {

std::optional<std::string> checkServerPortsFree(bool force) {
    const std::vector<BusyPort> busy = findBusyServerPorts();
    if (busy.empty()) return std::nullopt;
    if (!force)
        throw OperationError(
            busyPortsMessage(busy) +
            " Сервер не запущен; чтобы запустить его всё равно, добавьте --force.");
    return busyPortsMessage(busy) + " Запуск всё равно (--force).";
}

}  // namespace qz7
