// The port commands of the setup window against a real miniupnpd. Run only through
// igd_harness.sh (ctest does so); outside the harness's LAN namespace every case skips, so
// that discovery never runs in the machine's own network.
#include <signal.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>
#include <atomic>

#include "app/server_setup_window.h"
#include "gateway_records.h"
#include "net/miniupnpc_gateway.h"
#include "platform/platform.h"
#include "support/port_messages.h"
#include "support/recording_message_boxes.h"
#include "tests/support/pass_through_platform.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
using namespace qz7::testing::port_boxes;

namespace {

QString lanAddress() { return QString::fromLocal8Bit(qgetenv("IGD_LAN_ADDRESS")); }

// The system's platform, except that the host-name look-up gives a chosen address.
class LookUpPlatform final : public testing::PassThroughPlatform {
  public:
    explicit LookUpPlatform(std::string address) : address_(std::move(address)) {}

    std::string localIPv4Address() override { return address_; }

  private:
    std::string address_;
    testing::PlatformInUse inUse_{*this};
};

// The harness's router, stopped (SIGSTOP) just before one chosen request reaches it: from then
// on it takes requests and answers none, as a router that has frozen.
class FreezingGateway final : public PortMappingGateway, public PortMappingCollection {
  public:
    FreezingGateway(PortMappingGateway& router, pid_t routerProcess, int freezeAtRequest)
        : router_(router), routerProcess_(routerProcess), freezeAtRequest_(freezeAtRequest) {}

    PortMappingCollection* staticPortMappingCollection() override {
        collection_ = router_.staticPortMappingCollection();
        return collection_ != nullptr ? this : nullptr;
    }
    bool add(int externalPort, std::string_view protocol, int internalPort,
             const std::string& internalClient, bool enabled,
             std::string_view description) override {
        beforeRequest();
        return collection_->add(externalPort, protocol, internalPort, internalClient, enabled,
                                description);
    }
    bool remove(int externalPort, std::string_view protocol) override {
        beforeRequest();
        return collection_->remove(externalPort, protocol);
    }
    PortMappingLookup specificEntry(int externalPort, std::string_view protocol) override {
        beforeRequest();
        return collection_->specificEntry(externalPort, protocol);
    }
    std::string externalAddress() override { return collection_->externalAddress(); }
    std::string lanAddress() const override { return collection_->lanAddress(); }

    std::atomic<int> requests = 0;
    std::atomic<bool> frozen = false;

  private:
    void beforeRequest() {
        if (++requests == freezeAtRequest_) {
            ::kill(routerProcess_, SIGSTOP);
            frozen = true;
        }
    }

    PortMappingGateway& router_;
    pid_t routerProcess_;
    int freezeAtRequest_;
    PortMappingCollection* collection_ = nullptr;
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
        QCOMPARE(f.boxes.shown, QStringList{failedForwarding(69)});
        QVERIFY(f.setup.PortsMapped);  // 69 are on the router
        // The denied port is a TCP-only one, so exactly one of the 70 is missing.
        const QStringList expected =
            testing::expectedServerMappings(lanAddress(), denied, QStringLiteral("TCP"));
        QCOMPARE(expected.size(), 69);
        QCOMPARE(testing::mappingsListedByGateway(), expected);
        QCOMPARE(testing::mappingsInLeaseFile(), expected);

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
        QCOMPARE(f.boxes.shown, QStringList{kForwardingUnreachable});
        QVERIFY(!f.setup.PortsMapped);

        f.setup.PortsMapped = true;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, (QStringList{kForwardingUnreachable, kForwardingUnreachable}));
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(f.gateway.rememberedDescriptionUrl(), std::string());
    }

    // "Отмена" pressed while the router has frozen on the tenth mapping: the batch ends when
    // that request gives up, not after 61 more, and names the nine the router holds.
    void cancelWhileTheRouterIsFrozenStopsAfterTheMappingInFlight() {
        requireGateway();
        const pid_t routerProcess = qEnvironmentVariableIntValue("IGD_GATEWAY_PID");
        QVERIFY(routerProcess > 0);
        RealGatewayFixture f;
        FreezingGateway freezing(f.gateway, routerProcess, 10);
        f.setup.setPortMappingGateway(&freezing);
        f.setup.show();
        QElapsedTimer sinceCancel;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, &f.setup, [&] {
            auto* cancel = f.setup.findChild<QPushButton*>(QStringLiteral("PortProgressCancel"));
            if (!freezing.frozen || cancel == nullptr || !cancel->isVisible()) return;
            poll.stop();
            QTest::mouseClick(cancel, Qt::LeftButton);
            sinceCancel.start();
        });
        poll.start();
        f.setup.N2Click();
        const qint64 waited = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
        const QStringList heldByTheRouter = testing::mappingsInLeaseFile();
        ::kill(routerProcess, SIGCONT);
        qInfo("the batch ended %lld ms after the cancel", waited);

        QCOMPARE(f.boxes.shown, QStringList{cancelledForwarding(9)});
        QCOMPARE(freezing.requests.load(), 10);
        QCOMPARE(heldByTheRouter.size(), 9);
        QVERIFY(f.setup.PortsMapped);  // the nine made are on the router
        QVERIFY(waited >= 0 && waited < 30000);

        // The router answers again: everything comes off.
        f.setup.N3Click();
        QCOMPARE(f.boxes.shown.last(), kRemoved);
        QCOMPARE(testing::mappingsListedByGateway(), QStringList());
    }

  private:
    void requireGateway() {
        if (!testing::harnessHasGateway()) QSKIP("needs igd_harness.sh with a gateway");
    }
};

QTEST_MAIN(RealGatewayTest)
#include "real_gateway_test.moc"
