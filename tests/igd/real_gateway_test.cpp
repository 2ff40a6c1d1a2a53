// The port commands of the setup window against a real miniupnpd. Run only through
// igd_harness.sh (ctest does so); outside the harness's LAN namespace every case skips, so
// that discovery never runs in the machine's own network.
#include <QElapsedTimer>
#include <QtTest>

#include "app/server_setup_window.h"
#include "gateway_records.h"
#include "net/miniupnpc_gateway.h"
#include "platform/platform.h"
#include "support/game_folder.h"
#include "support/port_messages.h"
#include "support/recording_message_boxes.h"

using namespace qz7;
using namespace qz7::testing::port_boxes;

namespace {

QString lanAddress() { return QString::fromLocal8Bit(qgetenv("IGD_LAN_ADDRESS")); }

// The system's platform, except that the host-name look-up gives a chosen address.
class LookUpPlatform final : public Platform {
  public:
    explicit LookUpPlatform(std::string address) : address(std::move(address)) {
        setPlatformForTesting(this);
    }
    ~LookUpPlatform() override { setPlatformForTesting(nullptr); }

    StartResult startProgram(const std::filesystem::path& program,
                             const std::string& parameters) override {
        return systemPlatform().startProgram(program, parameters);
    }
    bool copyFileOverwriting(const std::filesystem::path& from,
                             const std::filesystem::path& to) override {
        return systemPlatform().copyFileOverwriting(from, to);
    }
    std::optional<std::string> userName() override { return systemPlatform().userName(); }
    std::string localIPv4Address() override { return address; }
    std::string fileVersion(const std::filesystem::path& file) override {
        return systemPlatform().fileVersion(file);
    }
    std::filesystem::path programFile() override { return systemPlatform().programFile(); }
    std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) override {
        return systemPlatform().lastModified(file);
    }
    std::string dateSeparator() override { return systemPlatform().dateSeparator(); }

  private:
    std::string address;
};

// A setup window with recorded boxes, reaching the harness's router through miniupnpc.
struct RealGatewayFixture {
    testing::TemporaryGameFolder folder;
    testing::RecordingMessageBoxes boxes;
    ProgramState program;
    MiniupnpcGateway gateway;
    TFmQZ7ServerSetup setup{program};

    RealGatewayFixture() { setup.setPortMappingGateway(&gateway); }
};

}  // namespace

class RealGatewayTest : public QObject {
    Q_OBJECT

  private slots:
    void forwardsListsAndRemovesTheSeventyPorts() {
        requireGateway();
        RealGatewayFixture f;
        f.setup.show();
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, QStringList{kForwarded});
        QVERIFY(f.setup.PortsMapped);
        // Whatever the host name looks up to (a loopback address on these machines), the
        // mappings go to the address through which the router answered.
        const QStringList expected = testing::expectedServerMappings(lanAddress());
        QCOMPARE(testing::mappingsListedByGateway(), expected);
        QCOMPARE(testing::mappingsInLeaseFile(), expected);

        f.boxes.answers = {false, true};
        f.setup.close();
        QVERIFY(f.setup.isVisible());
        f.setup.close();
        QVERIFY(!f.setup.isVisible());
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(testing::mappingsListedByGateway(), expected);

        f.setup.N3Click();
        QCOMPARE(f.boxes.shown,
                 (QStringList{kForwarded, kCloseQuestion, kCloseQuestion, kRemoved}));
        QVERIFY(!f.setup.PortsMapped);
        QCOMPARE(testing::mappingsListedByGateway(), QStringList());
        QCOMPARE(testing::mappingsInLeaseFile(), QStringList());
        // The removal reused the router found by the forwarding.
        QCOMPARE(f.gateway.discoveryCount(), 1);
    }

    void removingWhenNothingIsMappedSucceeds() {
        requireGateway();
        RealGatewayFixture f;
        f.setup.N3Click();
        QCOMPARE(f.boxes.shown, QStringList{kRemoved});
        QVERIFY(!f.setup.PortsMapped);
        QCOMPARE(testing::mappingsListedByGateway(), QStringList());
    }

    void mapsToTheLanAddressWhateverTheLookUpGives() {
        requireGateway();
        LookUpPlatform vpnAddress("10.8.0.5");
        RealGatewayFixture f;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, QStringList{kForwarded});
        QCOMPARE(testing::mappingsListedByGateway(), testing::expectedServerMappings(lanAddress()));
        f.setup.N3Click();
        QCOMPARE(testing::mappingsListedByGateway(), QStringList());
    }

    void deniedPortFailsTheBatchButNotTheOthers() {
        const int denied = qEnvironmentVariableIntValue("IGD_DENIED_PORTS");
        if (!testing::harnessHasGateway() || denied == 0) QSKIP("needs igd_harness.sh --deny PORT");
        RealGatewayFixture f;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, QStringList{kFailed});
        QVERIFY(!f.setup.PortsMapped);
        // The denied port is a TCP-only one, so exactly one of the 70 is missing.
        const QStringList expected =
            testing::expectedServerMappings(lanAddress(), denied, QStringLiteral("TCP"));
        QCOMPARE(expected.size(), 69);
        QCOMPARE(testing::mappingsListedByGateway(), expected);
        QCOMPARE(testing::mappingsInLeaseFile(), expected);

        f.setup.PortsMapped = true;
        f.setup.N2Click();
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(testing::mappingsListedByGateway(), expected);

        f.setup.N3Click();
        QCOMPARE(f.boxes.shown.last(), kRemoved);
        QVERIFY(!f.setup.PortsMapped);
        QCOMPARE(testing::mappingsListedByGateway(), QStringList());
    }

    void withoutAGatewayForwardingReportsTheError() {
        if (!testing::insideHarnessLan() || testing::harnessHasGateway())
            QSKIP("needs igd_harness.sh --no-gateway");
        RealGatewayFixture f;
        QElapsedTimer elapsed;
        elapsed.start();
        f.setup.N2Click();
        qInfo("forwarding without a gateway answered after %lld ms", elapsed.elapsed());
        QCOMPARE(f.boxes.shown, QStringList{kFailed});
        QVERIFY(!f.setup.PortsMapped);

        f.setup.PortsMapped = true;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, (QStringList{kFailed, kFailed}));
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(f.gateway.rememberedDescriptionUrl(), std::string());
    }

  private:
    void requireGateway() {
        if (!testing::harnessHasGateway()) QSKIP("needs igd_harness.sh with a gateway");
    }
};

QTEST_MAIN(RealGatewayTest)
#include "real_gateway_test.moc"
