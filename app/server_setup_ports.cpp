// Router port forwarding from the setup window, and the warning on close.
#include "app/message_boxes.h"
#include "app/port_batch_progress.h"
#include "app/port_status_dialog.h"
#include "app/server_setup_window.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "net/port_status.h"
#include "platform/firewall.h"
#include "platform/platform.h"
#include "server/launchers.h"

namespace qz7 {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Windows' firewall state for the router check; nothing where the system has none.
std::vector<std::string> firewallLines(const std::filesystem::path& gameFolder) {
    Firewall& firewall = currentFirewall();
    if (!firewall.available()) return {};
    return firewallStatusLines(
        checkFirewall(firewall, launcherPath(gameFolder, kServerLauncherName)));
}

}  // namespace

PortMappingGateway& TFmQZ7ServerSetup::portMappingGateway() {
    if (portGatewayInUse_ != nullptr) return *portGatewayInUse_;
    if (!ownPortGateway_) ownPortGateway_ = std::make_unique<MiniupnpcGateway>();
    return *ownPortGateway_;
}

void TFmQZ7ServerSetup::N2Click() {
    const std::string lookedUpAddress = GetLocalAddress();
    PortMappingGateway& gateway = portMappingGateway();
    const PortBatchResult result = runPortBatchWithProgress(
        this, text(portBatchTitle(PortBatchAction::Forward)), [&](const PortBatchControl& control) {
            return OpenAllPorts(gateway, lookedUpAddress, control);
        });
    messageBoxes().plain(this, text(portBatchMessage(PortBatchAction::Forward, result)));
    // One mapping made is one left on the router: closing the window warns about it.
    if (result.succeeded > 0) PortsMapped = true;
}

void TFmQZ7ServerSetup::N3Click() {
    if (refusedWhileServed()) return;
    PortMappingGateway& gateway = portMappingGateway();
    const PortBatchResult result = runPortBatchWithProgress(
        this, text(portBatchTitle(PortBatchAction::Remove)),
        [&](const PortBatchControl& control) { return CloseAllPorts(gateway, control); });
    messageBoxes().plain(this, text(portBatchMessage(PortBatchAction::Remove, result)));
    // Only a batch that removed every mapping (or found it absent) leaves none on the router.
    if (result.success()) PortsMapped = false;
}

void TFmQZ7ServerSetup::N4Click() {
    const std::string lookedUpAddress = GetLocalAddress();
    PortMappingGateway& gateway = portMappingGateway();
    PortStatusReport report;
    const PortBatchResult result = runPortBatchWithProgress(
        this, QStringLiteral("Проверка портов"), [&](const PortBatchControl& control) {
            report = CheckAllPorts(gateway, lookedUpAddress, control);
            return report.batch;
        });
    const std::vector<std::string> firewall = firewallLines(gameFolder_);
    if (report.mappings.empty()) {
        // Without a router the firewall is all there is to say.
        std::string message = portBatchMessage(PortBatchAction::Check, result);
        if (!firewall.empty()) message += "\n\n" + std::string(kFirewallHeading);
        for (const std::string& line : firewall) message += "\n" + line;
        messageBoxes().plain(this, text(message));
        return;
    }
    // Shown without blocking the window; it closes itself and goes when closed.
    auto* dialog = new PortStatusDialog(this, report, firewall);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void TFmQZ7ServerSetup::N5Click() { changeFirewallRules(FirewallAction::Open); }

void TFmQZ7ServerSetup::N6Click() { changeFirewallRules(FirewallAction::Close); }

void TFmQZ7ServerSetup::changeFirewallRules(FirewallAction action) {
    FirewallChangeRequest request;
    request.action = action;
    // qz7ctl.exe beside this program changes the rules with administrator rights.
    request.helperProgram =
        currentPlatform().programFile().parent_path() / std::string(kFirewallHelperProgram);
    request.ownerWindow = static_cast<std::uintptr_t>(winId());
    request.serverLauncher = launcherPath(gameFolder_, kServerLauncherName);
    messageBoxes().plain(this, text(changeFirewall(currentFirewall(), request).message));
}

bool TFmQZ7ServerSetup::FormCloseQuery() {
    if (!PortsMapped) return true;
    // Yes closes the window with the mappings left on the router; the next close asks again.
    return messageBoxes().confirm(this, QStringLiteral("Внимание были не закрыты проброшенные "
                                                       "порты для работы сервера. Закрыть "
                                                       "программу?"));
}

}  // namespace qz7
