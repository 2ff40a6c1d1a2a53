#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "net/port_mapping_gateway.h"

namespace qz7 {

// Called after each mapping of a batch with the number attempted so far and the total.
using PortBatchProgress = std::function<void(int done, int total)>;

inline constexpr std::string_view kPortsForwardedMessage = "Порты проброшены";
inline constexpr std::string_view kPortsRemovedMessage = "Порты удалены";
inline constexpr std::string_view kPortOperationFailedMessage = "Ошибка при выполнении операции";

// Forwards port to clientAddress:port through the router's collection. Fails without asking
// the router when there is no collection or the address is a loopback address.
bool AddPortMapping(PortMappingCollection* collection, int port, std::string_view protocol,
                    std::string_view description, const std::string& clientAddress);

// Removes the mapping of port. Succeeds when there is no collection: nothing to remove from.
bool RemovePortMapping(PortMappingCollection* collection, int port, std::string_view protocol);

// Makes the 70 mappings of the server port table, every one attempted whatever the others
// gave, with one look-up of the router for the whole batch. lookedUpAddress is this machine's
// address from the host-name look-up; the router's own view of it wins (chooseInternalClient).
// True only when all 70 were made.
bool OpenAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                  const PortBatchProgress& progress = {});

// Removes the 70 mappings, every one attempted. True only when all 70 removals succeeded.
bool CloseAllPorts(PortMappingGateway& gateway, const PortBatchProgress& progress = {});

// The result box texts of the two batches.
std::string_view openAllPortsMessage(bool success);
std::string_view closeAllPortsMessage(bool success);

}  // namespace qz7
