#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "app/port_status_dialog.h"
#include "app/server_setup_window.h"
#include "net/port_table.h"
#include "platform/platform.h"
#include "support/port_messages.h"
#include "support/recording_message_boxes.h"
#include "tests/fakes/fake_firewall.h"
#include "tests/fakes/fake_port_gateway.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;
using namespace qz7::testing::port_boxes;

namespace {

// A setup window in a temporary game folder, with recorded message boxes, a fake router and a
// fake firewall (present only when asked for, so that every system sees the same menu).
struct PortsFixture {
    testing::FakeFirewall firewall;
    testing::FirewallInUse firewallInUse{firewall};
    testing::TemporaryGameFolder folder;
    testing::RecordingMessageBoxes boxes;
    ProgramState program;
    testing::FakePortGateway gateway;
    TFmQZ7ServerSetup setup{program};

    explicit PortsFixture(bool windowsFirewall = false) : firewall(windowsFirewall) {
        setup.setPortMappingGateway(&gateway);
    }
};

// What the progress dialog showed while the batch was held at one mapping.
struct HeldBatchView {
    bool seen = false;
    bool modal = false;
    QString label;
    int value = -1;
    int maximum = -1;
    QString cancelButton;
    bool setupStillVisible = false;
};

}  // namespace

class ServerSetupPortsTest : public QObject {
    Q_OBJECT

  private slots:
    void checkingThePortsShowsASortableCopyableTable() {
        PortsFixture f;
        auto& router = f.gateway.collection;
        for (const ServerPort& port : serverPortTable())
            router.entries[{port.port, std::string(port.protocol)}] = {router.lan, port.port, "QZ7",
                                                                       true};
        router.entries.erase({27000, "UDP"});
        router.entries[{27015, "TCP"}] = {"192.168.1.33", 27015, "QZ7", true};
        router.external = "192.168.0.2";
        f.setup.show();
        f.setup.N4->trigger();

        auto* dialog = f.setup.findChild<PortStatusDialog*>(QStringLiteral("PortStatusDialog"));
        QVERIFY(dialog != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto* warning = dialog->findChild<QLabel*>(QStringLiteral("PortStatusWarning"));
        QVERIFY(warning != nullptr && warning->isVisible());
        QCOMPARE(warning->text(), QString::fromUtf8(kProviderNatWarning.data()));
        auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("PortStatusTable"));
        QCOMPARE(table->rowCount(), 70);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("3074"));
        QCOMPARE(table->item(3, 2)->text(), QStringLiteral("чужой"));

        // A click on the "Состояние" heading sorts by state: "нет" after the "наш" rows, the
        // same click again the other way round.
        QHeaderView* heading = table->horizontalHeader();
        const QPoint stateHeading(heading->sectionViewportPosition(2) + 5, heading->height() / 2);
        QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, stateHeading);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("наш"));
        QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, stateHeading);
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("чужой"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("нет"));

        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("PortStatusCopy")),
                          Qt::LeftButton);
        const QString copied = QApplication::clipboard()->text();
        QVERIFY2(copied.startsWith(QStringLiteral("Внешний адрес роутера: 192.168.0.2\nРоутер "
                                                  "сам находится за NAT провайдера")),
                 qPrintable(copied));
        QVERIFY(
            copied.contains(QStringLiteral("\nПорт\tПротокол\tСостояние\tКуда\tОписание\n27015\tTCP"
                                           "\tчужой\t192.168.1.33:27015\tQZ7\n"
                                           "27000\tUDP\tнет\t\t\n")));
        QVERIFY(copied.endsWith(QStringLiteral("Наших: 68, чужих: 1, нет: 1\n")));
        QCOMPARE(f.boxes.shown, QStringList());
        dialog->close();
    }

    void firewallItemsChangeTheRulesThroughTheElevatedHelper() {
        PortsFixture f(true);
        const auto actions = f.setup.PopupMenu2->actions();
        QCOMPARE(actions.size(), 6);
        QVERIFY(actions[3]->isSeparator());
        QCOMPARE(actions[4], f.setup.N5);
        QCOMPARE(f.setup.N5->text(), QStringLiteral("Открыть порты в брандмауэре"));
        QCOMPARE(actions[5], f.setup.N6);
        QCOMPARE(f.setup.N6->text(), QStringLiteral("Убрать правила брандмауэра"));

        f.setup.show();
        f.setup.N5->trigger();
        QCOMPARE(f.firewall.elevationRequests.size(), std::size_t(1));
        const auto& asked = f.firewall.elevationRequests[0];
        QCOMPARE(asked.program, currentPlatform().programFile().parent_path() / "qz7ctl.exe");
        QCOMPARE(asked.parameters, std::string("firewall open --no-prompt"));
        QCOMPARE(asked.ownerWindow, std::uintptr_t(f.setup.winId()));
        QCOMPARE(f.boxes.shown, QStringList{QStringLiteral("plain: Запрос прав администратора "
                                                           "отклонён: правила брандмауэра не "
                                                           "изменены")});

        // The helper ran elevated and removed the rules.
        f.firewall.rules = serverFirewallRules();
        f.firewall.elevate = [&f](const testing::FakeFirewall::ElevationRequest&) {
            f.firewall.rules.clear();
            return ElevatedRun{ElevatedRun::Outcome::Finished, 0, {}};
        };
        f.boxes.shown.clear();
        f.setup.N6->trigger();
        QCOMPARE(f.firewall.elevationRequests.back().parameters,
                 std::string("firewall close --no-prompt"));
        QCOMPARE(f.boxes.shown,
                 QStringList{QStringLiteral("plain: Правила брандмауэра «QZ7 сервер (TCP)» и "
                                            "«QZ7 сервер (UDP)» удалены")});
    }

    void checkingThePortsShowsTheFirewallBesideTheRouter() {
        PortsFixture f(true);
        FirewallRule block;
        block.name = QStringLiteral("Закрыть всё").toStdString();
        block.protocol = "Any";
        block.localPorts = "*";
        block.action = FirewallRule::Action::Block;
        f.firewall.rules = {serverFirewallRules()[0], block};
        const QString firewallState = QStringLiteral(
            "Брандмауэр Windows:\nПравило «QZ7 сервер (TCP)»: есть\nПравило «QZ7 сервер (UDP)»: "
            "нет\nЗапрещающее правило «Закрыть всё» (любой протокол, все порты, любая "
            "программа, все профили) закрывает сервер: запрет сильнее разрешающих правил");

        f.setup.N4->trigger();
        auto* dialog = f.setup.findChild<PortStatusDialog*>(QStringLiteral("PortStatusDialog"));
        QVERIFY(dialog != nullptr);
        auto* firewall = dialog->findChild<QLabel*>(QStringLiteral("PortStatusFirewall"));
        QVERIFY(firewall != nullptr);
        QCOMPARE(firewall->text(), firewallState);
        QVERIFY(dialog->reportText().endsWith(firewallState + QLatin1Char('\n')));
        dialog->close();

        f.gateway.present = false;
        f.setup.N4->trigger();
        QCOMPARE(f.boxes.shown.size(), 1);
        QVERIFY2(
            f.boxes.shown[0].endsWith(QStringLiteral("порты не проверены\n\n") + firewallState),
            qPrintable(f.boxes.shown[0]));
    }

    void checkingThePortsWithoutARouterSaysSo() {
        PortsFixture f;
        f.gateway.present = false;
        f.setup.N4->trigger();
        QCOMPARE(f.setup.findChild<PortStatusDialog*>(), nullptr);
        QCOMPARE(f.boxes.shown,
                 QStringList{QStringLiteral("plain: Ошибка при выполнении операции: роутер не "
                                            "отвечает по UPnP, порты не проверены")});
    }

    void portsButtonCarriesItsHintAndMenu() {
        PortsFixture f;
        auto* button = f.setup.findChild<QPushButton*>(QStringLiteral("RzMenuButton1"));
        QVERIFY(button != nullptr);
        QCOMPARE(button->text(), QStringLiteral("Порты"));
        // Three lines as shown; Qt draws a lone carriage return as a blank.
        QCOMPARE(button->toolTip(),
                 QStringLiteral("При использовании роутера.\nЕсли у роутера включен режим "
                                "UpnP.\nПробрасываются порты необходимые для работы сервера. "));
        QMenu* menu = button->menu();
        QVERIFY(menu != nullptr);
        QCOMPARE(menu->objectName(), QStringLiteral("PopupMenu2"));
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->objectName(), QStringLiteral("N2"));
        QCOMPARE(actions[0]->text(), QStringLiteral("Пробросить порты"));
        QCOMPARE(actions[1]->objectName(), QStringLiteral("N3"));
        QCOMPARE(actions[1]->text(), QStringLiteral("Убрать порты"));
        QCOMPARE(actions[2]->objectName(), QStringLiteral("N4"));
        QCOMPARE(actions[2]->text(), QStringLiteral("Проверить порты"));
        // The pictures come from the embedded artwork (put in place when the window is first
        // shown): forward, remove, and the flag.
        f.setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.setup));
        auto showsPicture = [](const QIcon& icon, const char* file) {
            const QImage picture = QImage(QStringLiteral(":/art/") + QLatin1String(file))
                                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            return !picture.isNull() &&
                   icon.pixmap(picture.size())
                           .toImage()
                           .convertToFormat(QImage::Format_ARGB32_Premultiplied) == picture;
        };
        QVERIFY(showsPicture(actions[0]->icon(), "ports_forward.png"));
        QVERIFY(showsPicture(actions[1]->icon(), "ports_remove.png"));
        QVERIFY(showsPicture(button->icon(), "flag_chequered.png"));
    }

    void choosingFromTheMenuRunsTheCommand() {
        PortsFixture f;
        f.setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.setup));
        // The menu runs its own loop while open: pick "Убрать порты" from inside it.
        QTimer::singleShot(0, &f.setup, [&f] {
            QTRY_VERIFY(f.setup.PopupMenu2->isVisible());
            f.setup.PopupMenu2->setActiveAction(f.setup.N3);
            QTest::keyClick(f.setup.PopupMenu2, Qt::Key_Return);
        });
        QTest::mouseClick(f.setup.RzMenuButton1, Qt::LeftButton);
        QTRY_COMPARE(f.boxes.shown, QStringList{kRemoved});
        QCOMPARE(f.gateway.collection.requests.size(), size_t(70));
        QCOMPARE(f.gateway.collection.requests.front().action, std::string("remove"));
    }

    // One mapping made is one left on the router: closing the window then warns about it.
    void forwardingSetsPortsMappedWhenAnyMappingWasMade() {
        PortsFixture f;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, QStringList{kForwarded});
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(f.gateway.lookups, 1);

        PortsFixture failing;
        failing.gateway.collection.failing = {{27040, "TCP"}};
        failing.setup.N2Click();
        QCOMPARE(failing.gateway.collection.requests.size(), size_t(70));
        QVERIFY(failing.setup.PortsMapped);
        failing.boxes.answers = {false};
        QVERIFY(!failing.setup.close());
        QCOMPARE(failing.boxes.shown, (QStringList{failedForwarding(69), kCloseQuestion}));

        PortsFixture none;
        for (const ServerPort& port : serverPortTable())
            none.gateway.collection.failing.insert({port.port, std::string(port.protocol)});
        none.setup.N2Click();
        QCOMPARE(none.boxes.shown, QStringList{failedForwarding(0)});
        QVERIFY(!none.setup.PortsMapped);
    }

    void forwardingWithoutARouterReportsTheError() {
        PortsFixture f;
        f.gateway.present = false;
        f.setup.N2Click();
        QCOMPARE(f.boxes.shown, QStringList{kForwardingUnreachable});
        QVERIFY(!f.setup.PortsMapped);
        QVERIFY(f.gateway.collection.requests.empty());
    }

    void removalClearsPortsMappedOnlyWhenAllSucceed() {
        PortsFixture f;
        f.setup.PortsMapped = true;
        f.gateway.collection.throwing = {{3074, "UDP"}};
        f.setup.N3Click();
        QCOMPARE(f.boxes.shown, QStringList{failedRemoval(69)});
        QVERIFY(f.setup.PortsMapped);
        QCOMPARE(f.gateway.collection.requests.size(), size_t(70));

        f.gateway.collection.throwing.clear();
        f.setup.N3Click();
        QCOMPARE(f.boxes.shown, (QStringList{failedRemoval(69), kRemoved}));
        QVERIFY(!f.setup.PortsMapped);
    }

    // Without a router nothing is removed: a failure, and the warning on close stays.
    void removalWithoutARouterIsAFailure() {
        PortsFixture never;
        never.gateway.present = false;
        never.setup.N3Click();
        QCOMPARE(never.boxes.shown, QStringList{kRemovalUnreachable});
        QVERIFY(!never.setup.PortsMapped);

        PortsFixture gone;
        gone.setup.N2Click();
        gone.gateway.present = false;
        gone.setup.N3Click();
        QCOMPARE(gone.boxes.shown, (QStringList{kForwarded, kRemovalUnreachable}));
        QVERIFY(gone.setup.PortsMapped);
    }

    // The window's close button does not get past the dialog; Escape, like "Отмена", stops the
    // batch after the mapping in flight.
    void progressDialogCountsBlocksTheWindowAndCancels() {
        PortsFixture f;
        f.setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.setup));

        QSemaphore held, release;
        f.gateway.collection.beforeRequest = [&](int number) {
            if (number == 35) {
                held.release();
                release.acquire();
            }
        };
        HeldBatchView view;
        int polls = 0;
        QTimer poll;
        poll.setInterval(5);
        connect(&poll, &QTimer::timeout, &f.setup, [&] {
            auto* dialog =
                f.setup.findChild<QProgressDialog*>(QStringLiteral("PortProgressDialog"));
            const bool atHeldMapping = dialog != nullptr && dialog->value() == 34;
            if (!atHeldMapping && ++polls < 2000) return;
            poll.stop();
            if (dialog != nullptr) {
                view.seen = true;
                view.modal = QApplication::activeModalWidget() == dialog && dialog->isVisible();
                view.label = dialog->labelText();
                view.value = dialog->value();
                view.maximum = dialog->maximum();
                if (auto* button =
                        dialog->findChild<QPushButton*>(QStringLiteral("PortProgressCancel")))
                    view.cancelButton = button->text();
                // Through the window system, as a real click comes, so that modality applies.
                QTest::mouseClick(f.setup.windowHandle(), Qt::LeftButton, {},
                                  f.setup.RzBitBtn1->geometry().center());
                QApplication::setActiveWindow(dialog);
                QTest::keyClick(dialog, Qt::Key_Escape);
                view.setupStillVisible = f.setup.isVisible() && dialog->isVisible();
            }
            held.acquire();
            release.release();
        });
        poll.start();
        f.setup.N2Click();

        QVERIFY(view.seen);
        QVERIFY(view.modal);
        QCOMPARE(view.label, QStringLiteral("Проброс портов: 34 из 70"));
        QCOMPARE(view.value, 34);
        QCOMPARE(view.maximum, 70);
        QCOMPARE(view.cancelButton, QStringLiteral("Отмена"));
        QVERIFY(view.setupStillVisible);
        // The close click did not get through (no question); Escape stopped the batch after
        // the mapping in flight, and the 35 made keep PortsMapped set.
        QCOMPARE(f.boxes.shown, QStringList{cancelledForwarding(35)});
        QCOMPARE(f.gateway.collection.requests.size(), size_t(35));
        QVERIFY(f.setup.PortsMapped);
        auto* dialog = f.setup.findChild<QProgressDialog*>(QStringLiteral("PortProgressDialog"));
        QVERIFY(dialog == nullptr || !dialog->isVisible());
    }

    void closingWithoutForwardedPortsAsksNothing() {
        PortsFixture f;
        f.setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.setup));
        // The same kind of click that the progress dialog must block.
        QTest::mouseClick(f.setup.windowHandle(), Qt::LeftButton, {},
                          f.setup.RzBitBtn1->geometry().center());
        QVERIFY(!f.setup.isVisible());
        QVERIFY(f.boxes.shown.isEmpty());
    }

    void closingWithForwardedPortsAsksEachTime() {
        PortsFixture f;
        f.setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.setup));
        f.setup.N2Click();
        QVERIFY(f.setup.PortsMapped);

        f.boxes.answers = {false};
        QTest::mouseClick(f.setup.RzBitBtn1, Qt::LeftButton);
        QVERIFY(f.setup.isVisible());
        QVERIFY(f.setup.PortsMapped);

        f.boxes.answers = {true};
        f.setup.close();  // the title-bar button's way
        QVERIFY(!f.setup.isVisible());
        QVERIFY(f.setup.PortsMapped);
        const auto removals = std::count_if(
            f.gateway.collection.requests.begin(), f.gateway.collection.requests.end(),
            [](const auto& request) { return request.action == "remove"; });
        QCOMPARE(removals, 0);

        f.setup.show();
        f.boxes.answers = {false};
        f.setup.close();
        QCOMPARE(f.boxes.shown,
                 (QStringList{kForwarded, kCloseQuestion, kCloseQuestion, kCloseQuestion}));
        QVERIFY(f.setup.isVisible());
    }
};

QTEST_MAIN(ServerSetupPortsTest)
#include "server_setup_ports_test.moc"
