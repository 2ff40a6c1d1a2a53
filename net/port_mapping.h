#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/port_mapping_gateway.h"
#include "net/port_table.h"

namespace qz7 {

// Called after each mapping of a batch with the number attempted so far and the total.
using PortBatchProgress = std::function<void(int done, int total)>;

inline constexpr std::string_view kPortsForwardedMessage = "Порты проброшены";
inline constexpr std::string_view kPortsRemovedMessage = "Порты удалены";
inline constexpr std::string_view kPortOperationFailedMessage = "Ошибка при выполнении операции";

inline constexpr std::string_view kPortsCheckedMessage = "Порты проверены";

enum class PortBatchAction { Forward, Remove, Check };

// The title of a batch while it runs: "Проброс портов" or "Удаление портов".
std::string_view portBatchTitle(PortBatchAction action);

// How a batch ended.
enum class PortBatchStatus {
    Done,               // every mapping made, or every one removed (or reported absent)
    SomeFailed,         // the router answered; some mappings failed
    RouterUnreachable,  // no router answered, or the network could not be asked
    Cancelled,          // stopped by the user after the mapping in flight
    TimedOut,           // stopped at the deadline after the mapping in flight
};

struct PortBatchResult {
    PortBatchStatus status = PortBatchStatus::Done;
    int succeeded = 0;  // mappings made, or removed
    int total = kServerPortCount;
    bool routerAnswered = false;  // a router's mapping service was found for this batch

    bool success() const { return status == PortBatchStatus::Done; }
};

// What watches and bounds a batch. The batch checks the cancel flag and the deadline before each
// mapping, so it stops after the mapping in flight.
struct PortBatchControl {
    PortBatchProgress progress;
    const std::atomic<bool>* cancelRequested = nullptr;  // may be set from another thread
    std::optional<std::chrono::steady_clock::time_point> deadline;
};

// The router's collection, looked up once per batch. No router and an error while looking it up
// both mean a router that cannot be reached; `failed` tells the error apart.
struct CollectionLookup {
    PortMappingCollection* collection = nullptr;
    bool failed = false;
};
CollectionLookup lookUpCollection(PortMappingGateway& gateway);

// Runs operation for each mapping of the server port table in order, every one whatever the
// others gave, stopping before the next one when the control's cancel flag or deadline says
// so. The result counts the mappings for which operation returned true.
PortBatchResult runPortBatch(const PortBatchControl& control,
                             const std::function<bool(const ServerPort&)>& operation);

// Forwards port to clientAddress:port through the router's collection. Fails without asking
// the router when there is no collection or the address is a loopback address.
bool AddPortMapping(PortMappingCollection* collection, int port, std::string_view protocol,
                    std::string_view description, const std::string& clientAddress);

// Removes the mapping of port; the router's "no such mapping" counts as removed. Fails when
// there is no collection: what was forwarded through a router that does not answer stays there.
bool RemovePortMapping(PortMappingCollection* collection, int port, std::string_view protocol);

// Makes the 70 mappings of the server port table, every one attempted whatever the others
// gave, with one look-up of the router for the whole batch. lookedUpAddress is this machine's
// address from the host-name look-up; the router's own view of it wins (chooseInternalClient).
PortBatchResult OpenAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                             const PortBatchControl& control = {});

// Removes the 70 mappings, every one attempted. Without a router's answer nothing is removed,
// and that is a failure: mappings made earlier may still be on the router.
PortBatchResult CloseAllPorts(PortMappingGateway& gateway, const PortBatchControl& control = {});

// The result text of a batch, for the window's box and the command line: the plain outcome on
// success, otherwise what happened and how many of the 70 were made or removed.
std::string portBatchMessage(PortBatchAction action, const PortBatchResult& result);

}  // namespace qz7
