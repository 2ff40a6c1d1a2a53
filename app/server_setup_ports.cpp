// Router port forwarding from the setup window, and the warning on close.
#include "app/message_boxes.h"
#include "app/port_batch_progress.h"
#include "app/server_setup_window.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"

namespace qz7 {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

}  // namespace

PortMappingGateway& TFmQZ7ServerSetup::portMappingGateway() {
    if (PortGatewayInUse != nullptr) return *PortGatewayInUse;
    if (!OwnPortGateway) OwnPortGateway = std::make_unique<MiniupnpcGateway>();
    return *OwnPortGateway;
}

void TFmQZ7ServerSetup::N2Click() {
    const std::string lookedUpAddress = GetLocalAddress();
    PortMappingGateway& gateway = portMappingGateway();
    const bool forwarded = runPortBatchWithProgress(
        this, QStringLiteral("Проброс портов"), [&](const PortBatchProgress& progress) {
            return OpenAllPorts(gateway, lookedUpAddress, progress);
        });
    messageBoxes().plain(this, text(openAllPortsMessage(forwarded)));
    if (forwarded) PortsMapped = true;
}

void TFmQZ7ServerSetup::N3Click() {
    PortMappingGateway& gateway = portMappingGateway();
    const bool removed = runPortBatchWithProgress(
        this, QStringLiteral("Удаление портов"),
        [&](const PortBatchProgress& progress) { return CloseAllPorts(gateway, progress); });
    messageBoxes().plain(this, text(closeAllPortsMessage(removed)));
    if (removed) PortsMapped = false;
}

bool TFmQZ7ServerSetup::FormCloseQuery() {
    if (!PortsMapped) return true;
    // Yes closes the window with the mappings left on the router; the next close asks again.
    return messageBoxes().confirm(this, QStringLiteral("Внимание были не закрыты проброшенные "
                                                       "порты для работы сервера. Закрыть "
                                                       "программу?"));
}

}  // namespace qz7
