#include "net/port_status.h"

#include <gtest/gtest.h>

#include "net/internal_client.h"
#include "tests/fakes/fake_port_gateway.h"

namespace qz7 {
namespace {

using testing::FakePortGateway;

TEST(ProviderNat, PrivateAndSharedExternalAddressesAreRecognised) {
    const std::pair<const char*, bool> cases[] = {
        {"10.0.0.1", true},    {"10.255.255.255", true},
        {"172.16.0.1", true},  {"172.31.9.9", true},
        {"172.15.0.1", false}, {"172.32.0.1", false},
        {"192.168.0.1", true}, {"192.169.0.1", false},
        {"100.64.0.1", true},  {"100.127.255.1", true},
        {"100.63.0.1", false}, {"100.128.0.1", false},
        {"11.22.33.1", false}, {"", false},
        {"10.0.0", false},     {"10.0.0.1.5", false},
        {"0x0a.0.0.1", false},
    };
    for (const auto& [address, shared] : cases)
        EXPECT_EQ(isPrivateOrSharedAddress(address), shared) << address;
}

TEST(CheckAllPorts, SortsEveryMappingIntoOursSomeoneElsesOrMissing) {
    FakePortGateway gateway;
    auto& router = gateway.collection;
    router.lan = "192.168.1.20";
    for (const ServerPort& port : serverPortTable())
        router.entries[{port.port, std::string(port.protocol)}] = {"192.168.1.20", port.port, "QZ7",
                                                                   true};
    router.entries[{27015, "TCP"}] = {"192.168.1.33", 27015, "QZ7", true};    // another machine
    router.entries[{27016, "TCP"}] = {"192.168.1.20", 27016, "Other", true};  // another program
    router.entries[{27017, "TCP"}] = {"192.168.1.20", 28017, "QZ7", true};    // another port
    router.entries.erase({27000, "UDP"});
    router.external = "100.72.1.9";

    int progressCalls = 0;
    PortBatchControl control;
    control.progress = [&](int, int) { ++progressCalls; };
    const PortStatusReport report = CheckAllPorts(gateway, "127.0.1.1", control);

    EXPECT_EQ(report.batch.status, PortBatchStatus::Done);
    EXPECT_EQ(gateway.lookups, 1);
    EXPECT_EQ(progressCalls, 70);
    ASSERT_EQ(report.mappings.size(), 70u);
    EXPECT_EQ(report.count(MappingState::Ours), 66);
    EXPECT_EQ(report.count(MappingState::Foreign), 3);
    EXPECT_EQ(report.count(MappingState::Missing), 1);
    EXPECT_EQ(report.internalClient, "192.168.1.20");  // the router's view, not the look-up's
    EXPECT_TRUE(report.behindProviderNat());
    EXPECT_EQ(portStatusPreamble(report)[1], kProviderNatWarning);
    const std::vector<PortStatusRow> rows = portStatusRows(report);
    EXPECT_EQ(rows[0], (PortStatusRow{"3074", "TCP", "наш", "192.168.1.20:3074", "QZ7"}));
    EXPECT_EQ(rows[3], (PortStatusRow{"27015", "TCP", "чужой", "192.168.1.33:27015", "QZ7"}));
    EXPECT_EQ(rows[39], (PortStatusRow{"27000", "UDP", "нет", "", ""}));
    EXPECT_EQ(portStatusSummary(report), "Наших: 66, чужих: 3, нет: 1");
}

TEST(CheckAllPorts, NoRouterOrSilentAnswersAreNotASuccess) {
    FakePortGateway gateway;
    gateway.present = false;
    const PortStatusReport none = CheckAllPorts(gateway, "192.168.1.20");
    EXPECT_EQ(none.batch.status, PortBatchStatus::RouterUnreachable);
    EXPECT_TRUE(none.mappings.empty());
    EXPECT_EQ(portBatchMessage(PortBatchAction::Check, none.batch),
              "Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не проверены");

    gateway.present = true;
    gateway.collection.silent = {{3074, "UDP"}};
    gateway.collection.throwing = {{27020, "TCP"}};
    const PortStatusReport silent = CheckAllPorts(gateway, "192.168.1.20");
    EXPECT_EQ(silent.batch.status, PortBatchStatus::SomeFailed);
    EXPECT_EQ(silent.count(MappingState::NoAnswer), 2);
    EXPECT_EQ(silent.count(MappingState::Missing), 68);
    EXPECT_EQ(portStatusSummary(silent), "Наших: 0, чужих: 0, нет: 68, без ответа: 2");
    EXPECT_EQ(portBatchMessage(PortBatchAction::Check, silent.batch),
              "Ошибка при выполнении операции: проверено 68 из 70 портов");
}

}  // namespace
}  // namespace qz7
