#include "net/port_mapping.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(OpenAllPorts(gateway, "192.168.1.20",
                             [&](int done, int total) { progress.emplace_back(done, total); }));
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

TEST(OpenAllPorts, AttemptsEveryMappingWhenSomeFailOrThrow) {
    FakePortGateway gateway;
    gateway.collection.failing = {{3074, "TCP"}, {27030, "UDP"}};
    gateway.collection.throwing = {{27040, "TCP"}};
    int lastProgress = 0;
    EXPECT_FALSE(
        OpenAllPorts(gateway, "192.168.1.20", [&](int done, int) { lastProgress = done; }));
    EXPECT_EQ(requestedMappings(gateway, "add"), expectedTable());
    EXPECT_EQ(lastProgress, 70);

    FakePortGateway oneFailing;
    oneFailing.collection.failing = {{27005, "UDP"}};
    EXPECT_FALSE(OpenAllPorts(oneFailing, "192.168.1.20"));
    EXPECT_EQ(oneFailing.collection.requests.size(), 70u);
}

TEST(OpenAllPorts, FailsEveryMappingWithoutARouter) {
    FakePortGateway absent;
    absent.present = false;
    int lastProgress = 0;
    EXPECT_FALSE(OpenAllPorts(absent, "192.168.1.20", [&](int done, int) { lastProgress = done; }));
    EXPECT_EQ(lastProgress, 70);

    FakePortGateway broken;
    broken.throwOnLookup = true;
    EXPECT_FALSE(OpenAllPorts(broken, "192.168.1.20"));
    EXPECT_TRUE(broken.collection.requests.empty());
}

TEST(CloseAllPorts, RemovesEveryMappingAndCountsFailures) {
    FakePortGateway gateway;
    EXPECT_TRUE(CloseAllPorts(gateway));
    EXPECT_EQ(gateway.lookups, 1);
    EXPECT_EQ(requestedMappings(gateway, "remove"), expectedTable());

    FakePortGateway oneFailing;
    oneFailing.collection.failing = {{27014, "TCP"}};
    oneFailing.collection.throwing = {{3074, "UDP"}};
    EXPECT_FALSE(CloseAllPorts(oneFailing));
    EXPECT_EQ(requestedMappings(oneFailing, "remove"), expectedTable());
}

TEST(CloseAllPorts, SucceedsWithoutARouterButNotWhenTheLookUpFails) {
    FakePortGateway absent;
    absent.present = false;
    EXPECT_TRUE(CloseAllPorts(absent));

    FakePortGateway broken;
    broken.throwOnLookup = true;
    int lastProgress = 0;
    EXPECT_FALSE(CloseAllPorts(broken, [&](int done, int) { lastProgress = done; }));
    EXPECT_EQ(lastProgress, 70);
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
    EXPECT_TRUE(OpenAllPorts(gateway, "127.0.1.1"));
    for (const auto& request : gateway.collection.requests)
        EXPECT_EQ(request.internalClient, "192.168.77.2");
}

TEST(InternalClient, NeverAsksForALoopbackMapping) {
    FakePortGateway gateway;
    gateway.collection.lan = "";
    EXPECT_FALSE(OpenAllPorts(gateway, "127.0.0.1"));
    EXPECT_TRUE(gateway.collection.requests.empty());
    EXPECT_FALSE(AddPortMapping(&gateway.collection, 3074, "TCP", "QZ7", "127.0.1.1"));
    EXPECT_TRUE(gateway.collection.requests.empty());
}

TEST(InternalClient, AnUnknownAddressIsStillAttempted) {
    FakePortGateway gateway;
    gateway.collection.lan = "";
    EXPECT_TRUE(OpenAllPorts(gateway, ""));
    ASSERT_EQ(gateway.collection.requests.size(), 70u);
    EXPECT_EQ(gateway.collection.requests.front().internalClient, "");
}

TEST(PortBatchMessages, NameTheOutcome) {
    EXPECT_EQ(openAllPortsMessage(true), "Порты проброшены");
    EXPECT_EQ(openAllPortsMessage(false), "Ошибка при выполнении операции");
    EXPECT_EQ(closeAllPortsMessage(true), "Порты удалены");
    EXPECT_EQ(closeAllPortsMessage(false), "Ошибка при выполнении операции");
}

}  // namespace
}  // namespace qz7
