#include "net/port_mapping.h"

#include <exception>

#include "net/internal_client.h"
#include "net/port_table.h"

namespace qz7 {

namespace {

// The router is looked up once per batch. An error while looking it up fails every mapping of
// the batch, whereas a plain "no router" leaves the decision to each operation.
struct CollectionLookup {
    PortMappingCollection* collection = nullptr;
    bool failed = false;
};

CollectionLookup lookUpCollection(PortMappingGateway& gateway) {
    try {
        return {gateway.staticPortMappingCollection(), false};
    } catch (const std::exception&) {
        return {nullptr, true};
    }
}

template <typename Operation>
bool runBatch(const PortBatchProgress& progress, Operation operation) {
    const auto& table = serverPortTable();
    const int total = static_cast<int>(table.size());
    bool allSucceeded = true;
    int done = 0;
    for (const ServerPort& entry : table) {
        // No short-circuit: every mapping is attempted whatever the earlier ones gave.
        const bool succeeded = operation(entry);
        allSucceeded = allSucceeded && succeeded;
        if (progress) progress(++done, total);
    }
    return allSucceeded;
}

}  // namespace

bool AddPortMapping(PortMappingCollection* collection, int port, std::string_view protocol,
                    std::string_view description, const std::string& clientAddress) {
    if (collection == nullptr || isLoopbackAddress(clientAddress)) return false;
    try {
        return collection->add(port, protocol, port, clientAddress, true, description);
    } catch (const std::exception&) {
        return false;
    }
}

bool RemovePortMapping(PortMappingCollection* collection, int port, std::string_view protocol) {
    if (collection == nullptr) return true;
    try {
        return collection->remove(port, protocol);
    } catch (const std::exception&) {
        return false;
    }
}

bool OpenAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                  const PortBatchProgress& progress) {
    const CollectionLookup lookup = lookUpCollection(gateway);
    const std::string client =
        lookup.collection == nullptr
            ? lookedUpAddress
            : chooseInternalClient(lookedUpAddress, lookup.collection->lanAddress());
    return runBatch(progress, [&](const ServerPort& entry) {
        return AddPortMapping(lookup.collection, entry.port, entry.protocol,
                              kPortMappingDescription, client);
    });
}

bool CloseAllPorts(PortMappingGateway& gateway, const PortBatchProgress& progress) {
    const CollectionLookup lookup = lookUpCollection(gateway);
    return runBatch(progress, [&](const ServerPort& entry) {
        return !lookup.failed && RemovePortMapping(lookup.collection, entry.port, entry.protocol);
    });
}

std::string_view openAllPortsMessage(bool success) {
    return success ? kPortsForwardedMessage : kPortOperationFailedMessage;
}

std::string_view closeAllPortsMessage(bool success) {
    return success ? kPortsRemovedMessage : kPortOperationFailedMessage;
}

}  // namespace qz7
