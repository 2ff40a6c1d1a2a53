#include "net/port_mapping.h"

#include <exception>

#include "net/internal_client.h"

namespace qz7 {

namespace {

std::optional<PortBatchStatus> stopRequested(const PortBatchControl& control) {
    if (control.cancelRequested != nullptr && control.cancelRequested->load())
        return PortBatchStatus::Cancelled;
    if (control.deadline && std::chrono::steady_clock::now() >= *control.deadline)
        return PortBatchStatus::TimedOut;
    return std::nullopt;
}

PortBatchResult withoutRouter(PortBatchStatus status) {
    PortBatchResult result;
    result.status = status;
    return result;
}

// The words for each action, in the order of PortBatchAction: "проброшено 3 из 70 портов",
// "порты не проброшены".
struct ActionWords {
    const char* done;
    const char* notDone;
};
constexpr ActionWords kActionWords[] = {
    {"проброшено ", "проброшены"}, {"удалено ", "удалены"}, {"проверено ", "проверены"}};

const ActionWords& wordsOf(PortBatchAction action) {
    return kActionWords[static_cast<std::size_t>(action)];
}

std::string countText(PortBatchAction action, const PortBatchResult& result) {
    return wordsOf(action).done + std::to_string(result.succeeded) + " из " +
           std::to_string(result.total) + " портов";
}

}  // namespace

CollectionLookup lookUpCollection(PortMappingGateway& gateway) {
    try {
        return {gateway.staticPortMappingCollection(), false};
    } catch (const std::exception&) {
        return {nullptr, true};
    }
}

PortBatchResult runPortBatch(const PortBatchControl& control,
                             const std::function<bool(const ServerPort&)>& operation) {
    const auto& table = serverPortTable();
    PortBatchResult result;
    result.routerAnswered = true;
    result.total = static_cast<int>(table.size());
    bool allSucceeded = true;
    int done = 0;
    for (const ServerPort& entry : table) {
        if (auto stop = stopRequested(control)) {
            result.status = *stop;
            return result;
        }
        // No short-circuit: every mapping is attempted whatever the earlier ones gave.
        const bool succeeded = operation(entry);
        allSucceeded = allSucceeded && succeeded;
        if (succeeded) ++result.succeeded;
        if (control.progress) control.progress(++done, result.total);
    }
    result.status = allSucceeded ? PortBatchStatus::Done : PortBatchStatus::SomeFailed;
    return result;
}

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
    if (collection == nullptr) return false;
    try {
        return collection->remove(port, protocol);
    } catch (const std::exception&) {
        return false;
    }
}

PortBatchResult OpenAllPorts(PortMappingGateway& gateway, const std::string& lookedUpAddress,
                             const PortBatchControl& control) {
    const CollectionLookup lookup = lookUpCollection(gateway);
    if (lookup.collection == nullptr) return withoutRouter(PortBatchStatus::RouterUnreachable);
    const std::string client =
        chooseInternalClient(lookedUpAddress, lookup.collection->lanAddress());
    return runPortBatch(control, [&](const ServerPort& entry) {
        return AddPortMapping(lookup.collection, entry.port, entry.protocol,
                              kPortMappingDescription, client);
    });
}

PortBatchResult CloseAllPorts(PortMappingGateway& gateway, const PortBatchControl& control) {
    const CollectionLookup lookup = lookUpCollection(gateway);
    if (lookup.collection == nullptr) return withoutRouter(PortBatchStatus::RouterUnreachable);
    return runPortBatch(control, [&](const ServerPort& entry) {
        return RemovePortMapping(lookup.collection, entry.port, entry.protocol);
    });
}

std::string_view portBatchTitle(PortBatchAction action) {
    return action == PortBatchAction::Forward ? "Проброс портов" : "Удаление портов";
}

std::string portBatchMessage(PortBatchAction action, const PortBatchResult& result) {
    switch (result.status) {
        case PortBatchStatus::Done:
            if (action == PortBatchAction::Check) return std::string(kPortsCheckedMessage);
            return std::string(action == PortBatchAction::Forward ? kPortsForwardedMessage
                                                                  : kPortsRemovedMessage);
        case PortBatchStatus::SomeFailed:
            return std::string(kPortOperationFailedMessage) + ": " + countText(action, result);
        case PortBatchStatus::RouterUnreachable:
            return std::string(kPortOperationFailedMessage) +
                   ": роутер не отвечает по UPnP, порты не " + wordsOf(action).notDone;
        case PortBatchStatus::Cancelled:
            return "Операция отменена: " + countText(action, result);
        case PortBatchStatus::TimedOut:
            return "Время ожидания роутера истекло: " + countText(action, result);
    }
    return std::string(kPortOperationFailedMessage);
}

}  // namespace qz7
