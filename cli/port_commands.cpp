#include "cli/port_commands.h"

#include <ostream>

#include "cli/cli_error.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"

namespace qz7::cli {

std::unique_ptr<MiniupnpcGateway> gatewayFor(const std::optional<std::string>& igdUrl) {
    return igdUrl ? MiniupnpcGateway::atDescriptionUrl(*igdUrl)
                  : std::make_unique<MiniupnpcGateway>();
}

void runPortBatch(bool open, const std::optional<std::string>& igdUrl, int timeoutSeconds,
                  std::ostream& out, std::ostream& err) {
    std::unique_ptr<MiniupnpcGateway> gateway = gatewayFor(igdUrl);
    const PortBatchAction action = open ? PortBatchAction::Forward : PortBatchAction::Remove;
    bool progressShown = false;
    PortBatchControl control;
    control.progress = [&](int done, int total) {
        err << "\r" << portBatchTitle(action) << ": " << done << " из " << total << std::flush;
        progressShown = true;
    };
    control.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    control.routerExpected = igdUrl.has_value();

    const PortBatchResult result = open ? OpenAllPorts(*gateway, GetLocalAddress(), control)
                                        : CloseAllPorts(*gateway, control);
    if (progressShown) err << "\n";
    std::string message = portBatchMessage(action, result);
    if (!result.success()) {
        if (result.status == PortBatchStatus::RouterUnreachable && igdUrl)
            message += " (" + *igdUrl + ")";
        throw CliError(message);
    }
    out << message << "\n";
}

}  // namespace qz7::cli
