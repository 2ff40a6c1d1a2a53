#include "cli/port_commands.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/cli_error.h"
#include "net/json_text.h"
#include "net/local_address.h"
#include "net/miniupnpc_gateway.h"
#include "net/port_mapping.h"
#include "net/port_status.h"
#include "platform/utf8.h"

namespace qz7::cli {

namespace {

// The batch control of a qz7ctl port command: a progress line on err and the time limit.
PortBatchControl commandLineControl(const char* action, int timeoutSeconds, std::ostream& err,
                                    bool& progressShown) {
    PortBatchControl control;
    control.progress = [&err, &progressShown, action](int done, int total) {
        err << "\r" << action << ": " << done << " из " << total << std::flush;
        progressShown = true;
    };
    control.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    return control;
}

// The table with its columns padded to their widest cell.
void printTable(const std::vector<PortStatusRow>& rows, std::ostream& out) {
    std::array<std::size_t, std::tuple_size_v<PortStatusRow>> widths{};
    for (const PortStatusRow& row : rows)
        for (std::size_t cell = 0; cell < row.size(); ++cell)
            widths[cell] = std::max(widths[cell], utf8Width(row[cell]));
    for (const PortStatusRow& row : rows) {
        std::string line;
        for (std::size_t cell = 0; cell < row.size(); ++cell) {
            line += row[cell];
            if (cell + 1 < row.size())
                line += std::string(widths[cell] - utf8Width(row[cell]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }
}

nlohmann::json statusJson(const PortStatusReport& report) {
    nlohmann::json mappings = nlohmann::json::array();
    for (const MappingCheck& check : report.mappings) {
        nlohmann::json mapping = {{"port", check.port.port},
                                  {"protocol", check.port.protocol},
                                  {"state", mappingStateKey(check.state)}};
        if (check.state == MappingState::Ours || check.state == MappingState::Foreign) {
            mapping["internalClient"] = check.entry.internalClient;
            mapping["internalPort"] = check.entry.internalPort;
            mapping["description"] = check.entry.description;
            mapping["enabled"] = check.entry.enabled;
        }
        mappings.push_back(mapping);
    }
    nlohmann::json counts = nlohmann::json::object();
    for (MappingState state :
         {MappingState::Ours, MappingState::Foreign, MappingState::Missing, MappingState::NoAnswer})
        counts[std::string(mappingStateKey(state))] = report.count(state);
    return {{"externalAddress", report.externalAddress},
            {"behindProviderNat", report.behindProviderNat()},
            {"warning", report.behindProviderNat() ? nlohmann::json(kProviderNatWarning)
                                                   : nlohmann::json(nullptr)},
            {"internalClient", report.internalClient},
            {"complete", report.batch.success()},
            {"mappings", mappings},
            {"counts", counts}};
}

}  // namespace

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

void runPortStatus(const std::optional<std::string>& igdUrl, int timeoutSeconds, bool json,
                   std::ostream& out, std::ostream& err) {
    std::unique_ptr<MiniupnpcGateway> gateway = gatewayFor(igdUrl);
    bool progressShown = false;
    const PortStatusReport report =
        CheckAllPorts(*gateway, GetLocalAddress(),
                      commandLineControl("Проверка портов", timeoutSeconds, err, progressShown));
    if (progressShown) err << "\n";
    std::string message = portBatchMessage(PortBatchAction::Check, report.batch);
    if (report.batch.status == PortBatchStatus::RouterUnreachable) {
        if (igdUrl) message += " (" + *igdUrl + ")";
        throw CliError(message);
    }
    if (json) {
        out << jsonText(statusJson(report), 2) << "\n";
    } else {
        for (const std::string& line : portStatusPreamble(report)) out << line << "\n";
        std::vector<PortStatusRow> rows = portStatusRows(report);
        rows.insert(rows.begin(), portStatusHeading());
        printTable(rows, out);
        out << portStatusSummary(report) << "\n";
    }
    // A check that did not reach every mapping is a failure, after showing what it found.
    if (!report.batch.success()) throw CliError(message);
}

}  // namespace qz7::cli
