#include "net/port_mapping.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "net/internal_client.h"
#include "net/port_table.h"
#include "tests/fakes/fake_port_gateway.h"

namespace qz7 {
namespace {

using testing::FakePortGateway;
using Mapping = std::pair<int, std::string>;

// The server port table written out by hand, in forwarding order.
std::vector<Mapping> expectedTable() {
    std::vector<Mapping> table = {{3074, "TCP"}, {3074, "UDP"}};
    for (int port = 27014; port <= 27050; ++port) table.emplace_back(port, "TCP");
    for (int port = 27000; port <= 27030; ++port) table.emplace_back(port, "UDP");
    return table;
}

std::vector<Mapping> requestedMappings(const FakePortGateway& gateway, const std::string& action) {
    std::vector<Mapping> mappings;
    for (const auto& request : gateway.collection.requests)
        if (request.action == action) mappings.emplace_back(request.externalPort, request.protocol);
    return mappings;
}

TEST(ServerPortTable, HoldsTheSeventyMappingsInForwardingOrder) {
    const auto& table = serverPortTable();
    ASSERT_EQ(table.size(), 70u);
    EXPECT_EQ(table[0].port, 3074);
    EXPECT_EQ(table[0].protocol, "TCP");
    EXPECT_EQ(table[1].port, 3074);
    EXPECT_EQ(table[1].protocol, "UDP");
    EXPECT_EQ(table[2].port, 27014);
    EXPECT_EQ(table[38].port, 27050);
    EXPECT_EQ(table[38].protocol, "TCP");
    EXPECT_EQ(table[39].port, 27000);
    EXPECT_EQ(table[39].protocol, "UDP");
    EXPECT_EQ(table[69].port, 27030);
    EXPECT_EQ(table[69].protocol, "UDP");
    std::vector<Mapping> actual;
    for (const ServerPort& entry : table) actual.emplace_back(entry.port, entry.protocol);
    EXPECT_EQ(actual, expectedTable());
    for (const ServerPort& entry : table) {
        EXPECT_NE(entry.port, 27051);
        EXPECT_FALSE(entry.port == 27031 && entry.protocol == "UDP");
    }
}

TEST(OpenAllPorts, MakesEveryMappingWithOneRouterLookUp) {
    FakePortGateway gateway;
    std::vector<std::pair<int, int>> progress;
    PortBatchControl control;
    control.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    const PortBatchResult result = OpenAllPorts(gateway, "192.168.1.20", control);
    EXPECT_EQ(result.status, PortBatchStatus::Done);
    EXPECT_EQ(result.succeeded, 70);
    EXPECT_TRUE(result.routerAnswered);
    EXPECT_EQ(gateway.lookups, 1);
    EXPECT_EQ(requestedMappings(gateway, "add"), expectedTable());
    for (const auto& request : gateway.collection.requests) {
        EXPECT_EQ(request.internalPort, request.externalPort);
        EXPECT_EQ(request.internalClient, "192.168.1.20");
        EXPECT_TRUE(request.enabled);
        EXPECT_EQ(request.description, "QZ7");
    }
    ASSERT_EQ(progress.size(), 70u);
    for (int i = 0; i < 70; ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, 70));
}

TEST(PortBatches, AttemptEveryMappingWhenSomeFailOrThrowAndCountTheRest) {
    for (const bool forward : {true, false}) {
        FakePortGateway gateway;
        gateway.collection.failing = {{3074, "TCP"}, {27030, "UDP"}};
        gateway.collection.throwing = {{27040, "TCP"}};
        const PortBatchResult result =
            forward ? OpenAllPorts(gateway, "192.168.1.20") : CloseAllPorts(gateway);
        EXPECT_EQ(result.status, PortBatchStatus::SomeFailed);
        EXPECT_EQ(result.succeeded, 67);
        EXPECT_EQ(requestedMappings(gateway, forward ? "add" : "remove"), expectedTable());
    }
}

// Without a router's answer nothing is attempted, and neither forwarding nor removal succeeds:
// mappings made earlier may still be on the router.
TEST(PortBatches, WithoutARouterNeitherActionSucceeds) {
    struct Case {
        bool forward;
        bool lookUpThrows;
    };
    const Case cases[] = {{true, false}, {true, true}, {false, false}, {false, true}};
    for (const Case& c : cases) {
        FakePortGateway gateway;
        gateway.present = false;
        gateway.throwOnLookup = c.lookUpThrows;
        PortBatchControl control;
        int progressCalls = 0;
        control.progress = [&](int, int) { ++progressCalls; };
        const PortBatchResult result = c.forward ? OpenAllPorts(gateway, "192.168.1.20", control)
                                                 : CloseAllPorts(gateway, control);
        EXPECT_EQ(result.status, PortBatchStatus::RouterUnreachable) << c.forward << c.lookUpThrows;
        EXPECT_FALSE(result.success());
        EXPECT_FALSE(result.routerAnswered);
        EXPECT_EQ(result.succeeded, 0);
        EXPECT_EQ(progressCalls, 0);
    }
}

TEST(PortBatches, StopAfterTheMappingInFlightWhenCancelledOrOutOfTime) {
    for (const bool forward : {true, false}) {
        FakePortGateway cancelled;
        std::atomic<bool> cancel = false;
        cancelled.collection.failing = {{3074, "UDP"}};
        cancelled.collection.beforeRequest = [&](int number) {
            if (number == 12) cancel = true;  // pressed while the twelfth is in flight
        };
        PortBatchControl control;
        control.cancelRequested = &cancel;
        const PortBatchResult result = forward ? OpenAllPorts(cancelled, "192.168.1.20", control)
                                               : CloseAllPorts(cancelled, control);
        EXPECT_EQ(result.status, PortBatchStatus::Cancelled);
        EXPECT_EQ(cancelled.collection.requests.size(), 12u);
        EXPECT_EQ(result.succeeded, 11);
        EXPECT_FALSE(result.success());

        FakePortGateway late;
        PortBatchControl timed;
        timed.deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
        late.collection.beforeRequest = [&](int number) {
            if (number == 5) timed.deadline = std::chrono::steady_clock::now();
        };
        const PortBatchResult timedOut =
            forward ? OpenAllPorts(late, "192.168.1.20", timed) : CloseAllPorts(late, timed);
        EXPECT_EQ(timedOut.status, PortBatchStatus::TimedOut);
        EXPECT_EQ(timedOut.succeeded, 5);
        EXPECT_EQ(late.collection.requests.size(), 5u);
    }
}

TEST(InternalClient, RecognisesLoopbackAddresses) {
    for (const char* address : {"127.0.0.1", "127.0.1.1", "127.255.255.254"})
        EXPECT_TRUE(isLoopbackAddress(address)) << address;
    for (const char* address : {"", "128.0.0.1", "1127.0.0.1", "27.0.0.1", "127.0.0", "127.0.0.1.5",
                                "127.0.0.256", "localhost", "127.0.0.1 ", "::1"})
        EXPECT_FALSE(isLoopbackAddress(address)) << address;
}

TEST(InternalClient, PrefersTheAddressThroughWhichTheRouterAnswered) {
    EXPECT_EQ(chooseInternalClient("127.0.1.1", "192.168.1.20"), "192.168.1.20");
    EXPECT_EQ(chooseInternalClient("10.8.0.5", "192.168.1.20"), "192.168.1.20");
    EXPECT_EQ(chooseInternalClient("192.168.1.20", "192.168.1.20"), "192.168.1.20");
    EXPECT_EQ(chooseInternalClient("", "192.168.1.20"), "192.168.1.20");
    EXPECT_EQ(chooseInternalClient("192.168.1.7", ""), "192.168.1.7");
    EXPECT_EQ(chooseInternalClient("192.168.1.7", "127.0.0.1"), "192.168.1.7");
}

TEST(InternalClient, LoopbackLookUpMapsToTheRoutersViewOfThisMachine) {
    FakePortGateway gateway;
    gateway.collection.lan = "192.168.77.2";
    EXPECT_TRUE(OpenAllPorts(gateway, "127.0.1.1").success());
    for (const auto& request : gateway.collection.requests)
        EXPECT_EQ(request.internalClient, "192.168.77.2");
}

TEST(InternalClient, NeverAsksForALoopbackMapping) {
    FakePortGateway gateway;
    gateway.collection.lan = "";
    EXPECT_FALSE(OpenAllPorts(gateway, "127.0.0.1").success());
    EXPECT_TRUE(gateway.collection.requests.empty());
    EXPECT_FALSE(AddPortMapping(&gateway.collection, 3074, "TCP", "QZ7", "127.0.1.1"));
    EXPECT_TRUE(gateway.collection.requests.empty());
}

TEST(InternalClient, AnUnknownAddressIsStillAttempted) {
    FakePortGateway gateway;
    gateway.collection.lan = "";
    EXPECT_TRUE(OpenAllPorts(gateway, "").success());
    ASSERT_EQ(gateway.collection.requests.size(), 70u);
    EXPECT_EQ(gateway.collection.requests.front().internalClient, "");
}

TEST(PortBatchMessages, NameTheOutcomeAndTheCount) {
    using S = PortBatchStatus;
    const auto forward = PortBatchAction::Forward;
    const auto remove = PortBatchAction::Remove;
    const struct {
        PortBatchAction action;
        PortBatchStatus status;
        int succeeded;
        const char* message;
    } cases[] = {
        {forward, S::Done, 70, "Порты проброшены"},
        {remove, S::Done, 70, "Порты удалены"},
        {forward, S::SomeFailed, 69, "Ошибка при выполнении операции: проброшено 69 из 70 портов"},
        {remove, S::SomeFailed, 3, "Ошибка при выполнении операции: удалено 3 из 70 портов"},
        {forward, S::RouterUnreachable, 0,
         "Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не проброшены"},
        {remove, S::RouterUnreachable, 0,
         "Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не удалены"},
        {forward, S::Cancelled, 12, "Операция отменена: проброшено 12 из 70 портов"},
        {remove, S::TimedOut, 0, "Время ожидания роутера истекло: удалено 0 из 70 портов"},
    };
    for (const auto& c : cases) {
        PortBatchResult result;
        result.status = c.status;
        result.succeeded = c.succeeded;
        EXPECT_EQ(portBatchMessage(c.action, result), c.message);
    }
}

}  // namespace
}  // namespace qz7
