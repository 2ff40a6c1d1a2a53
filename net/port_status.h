#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "net/port_mapping.h"
#include "net/port_table.h"

namespace qz7 {

inline constexpr std::string_view kProviderNatWarning =
    "Роутер сам находится за NAT провайдера: проброс портов не откроет сервер из интернета.";

// What the router says about one of the server's mappings.
enum class MappingState {
    Ours,      // forwarded to this machine, the same port, as "QZ7"
    Foreign,   // forwarded to another address or port, or under another description
    Missing,   // not forwarded
    NoAnswer,  // the router gave no usable answer
};

struct MappingCheck {
    ServerPort port;
    MappingState state = MappingState::NoAnswer;
    PortMappingEntry entry{};  // as the router reports it, when forwarded
};

// The outcome of asking the router about the 70 mappings.
struct PortStatusReport {
    // Done when every mapping got an answer; otherwise why not (no router, cancelled, ...).
    PortBatchResult batch;
    std::string externalAddress;         // the router's, empty when it did not tell
    std::string internalClient;          // this machine's address, as the forwarding names it
    std::vector<MappingCheck> mappings;  // in table order, as far as the check went

    // The router's external address is private or shared: it sits behind the provider's NAT.
    bool behindProviderNat() const;
    int count(MappingState state) const;
};

// Asks the router, after one look-up, for each of the 70 mappings (GetSpecificPortMappingEntry)
// and for its external address. lookedUpAddress is this machine's address from the host-name
// look-up; the router's own view of it wins, as when forwarding. The control's progress, cancel
// flag and deadline work as in the other batches.
PortStatusReport CheckAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                               const PortBatchControl& control = {});

// "наш", "чужой", "нет", "нет ответа"; and the English key for JSON: "ours", "foreign",
// "missing", "no-answer".
std::string_view mappingStateText(MappingState state);
std::string_view mappingStateKey(MappingState state);

// The report as a table: a heading row and one row per mapping (port, protocol, state, where it
// is forwarded, description).
using PortStatusRow = std::array<std::string, 5>;
PortStatusRow portStatusHeading();
std::vector<PortStatusRow> portStatusRows(const PortStatusReport& report);

// The lines around the table: the external address, the warning when it applies and this
// machine's address; and the count of each state.
std::vector<std::string> portStatusPreamble(const PortStatusReport& report);
std::string portStatusSummary(const PortStatusReport& report);

// The whole report as text, the table's cells separated by tabs (for copying).
std::string portStatusText(const PortStatusReport& report);

}  // namespace qz7
