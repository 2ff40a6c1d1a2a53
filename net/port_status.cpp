#include "net/port_status.h"

#include <algorithm>
#include <exception>

#include "net/internal_client.h"

namespace qz7 {

namespace {

// The words for each state, in the order of MappingState.
struct StateNames {
    std::string_view text;  // for people
    std::string_view key;   // for JSON
};
constexpr StateNames kStateNames[] = {
    {"наш", "ours"}, {"чужой", "foreign"}, {"нет", "missing"}, {"нет ответа", "no-answer"}};

MappingState stateOf(const PortMappingLookup& lookup, const ServerPort& port,
                     const std::string& internalClient) {
    switch (lookup.answer) {
        case PortMappingLookup::Answer::Missing:
            return MappingState::Missing;
        case PortMappingLookup::Answer::NoAnswer:
            return MappingState::NoAnswer;
        case PortMappingLookup::Answer::Found:
            break;
    }
    const PortMappingEntry& entry = lookup.entry;
    const bool ours = entry.internalClient == internalClient && entry.internalPort == port.port &&
                      entry.description == kPortMappingDescription;
    return ours ? MappingState::Ours : MappingState::Foreign;
}

PortMappingLookup askRouter(PortMappingCollection& collection, const ServerPort& port) {
    try {
        return collection.specificEntry(port.port, port.protocol);
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

bool PortStatusReport::behindProviderNat() const {
    return isPrivateOrSharedAddress(externalAddress);
}

int PortStatusReport::count(MappingState state) const {
    return static_cast<int>(
        std::count_if(mappings.begin(), mappings.end(),
                      [state](const MappingCheck& m) { return m.state == state; }));
}

PortStatusReport CheckAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                               const PortBatchControl& control) {
    PortStatusReport report;
    const CollectionLookup lookup = lookUpCollection(gateway);
    if (lookup.collection == nullptr) {
        report.batch.status = PortBatchStatus::RouterUnreachable;
        return report;
    }
    PortMappingCollection& collection = *lookup.collection;
    report.internalClient = chooseInternalClient(lookedUpAddress, collection.lanAddress());
    try {
        report.externalAddress = collection.externalAddress();
    } catch (const std::exception&) {
        report.externalAddress.clear();
    }
    report.batch = runPortBatch(control, [&](const ServerPort& port) {
        MappingCheck check{port};
        const PortMappingLookup lookup = askRouter(collection, port);
        check.state = stateOf(lookup, port, report.internalClient);
        check.entry = lookup.entry;
        report.mappings.push_back(check);
        return check.state != MappingState::NoAnswer;
    });
    return report;
}

std::string_view mappingStateText(MappingState state) {
    return kStateNames[static_cast<std::size_t>(state)].text;
}

std::string_view mappingStateKey(MappingState state) {
    return kStateNames[static_cast<std::size_t>(state)].key;
}

PortStatusRow portStatusHeading() { return {"Порт", "Протокол", "Состояние", "Куда", "Описание"}; }

std::vector<PortStatusRow> portStatusRows(const PortStatusReport& report) {
    std::vector<PortStatusRow> rows;
    for (const MappingCheck& check : report.mappings) {
        const bool forwarded =
            check.state == MappingState::Ours || check.state == MappingState::Foreign;
        rows.push_back(
            {std::to_string(check.port.port), std::string(check.port.protocol),
             std::string(mappingStateText(check.state)),
             forwarded ? check.entry.internalClient + ":" + std::to_string(check.entry.internalPort)
                       : std::string(),
             forwarded ? check.entry.description : std::string()});
    }
    return rows;
}

std::vector<std::string> portStatusPreamble(const PortStatusReport& report) {
    std::vector<std::string> lines;
    lines.push_back("Внешний адрес роутера: " + (report.externalAddress.empty()
                                                     ? std::string("роутер его не сообщил")
                                                     : report.externalAddress));
    if (report.behindProviderNat()) lines.emplace_back(kProviderNatWarning);
    lines.push_back("Адрес этой машины для проброса: " + report.internalClient);
    return lines;
}

std::string portStatusSummary(const PortStatusReport& report) {
    std::string text = "Наших: " + std::to_string(report.count(MappingState::Ours)) +
                       ", чужих: " + std::to_string(report.count(MappingState::Foreign)) +
                       ", нет: " + std::to_string(report.count(MappingState::Missing));
    if (const int silent = report.count(MappingState::NoAnswer); silent > 0)
        text += ", без ответа: " + std::to_string(silent);
    return text;
}

std::string portStatusText(const PortStatusReport& report) {
    std::string text;
    for (const std::string& line : portStatusPreamble(report)) text += line + "\n";
    std::vector<PortStatusRow> rows = portStatusRows(report);
    rows.insert(rows.begin(), portStatusHeading());
    for (const PortStatusRow& row : rows) {
        for (std::size_t cell = 0; cell < row.size(); ++cell)
            text += (cell == 0 ? "" : "\t") + row[cell];
        text += "\n";
    }
    return text + portStatusSummary(report) + "\n";
}

}  // namespace qz7
