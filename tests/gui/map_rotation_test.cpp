#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "app/list_selection.h"
#include "app/qz7_application.h"
#include "support/list_clicks.h"
#include "support/shown_setup_window.h"

using namespace qz7;
using qz7::testing::clickRow;

namespace {

// Catalogue rows of a few maps, a header and a blank line.
constexpr int kAlpha = 2, kBootleg = 3, kBravo = 4, kDome = 6, kSeatown = 14;
constexpr int kStandardHeader = 0, kBlank = 1, kDlcHeader = 19, kFaceOffHeader = 35;

QStringList items(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

}  // namespace

class MapRotationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ShownSetupWindow> fixture;
    TFmQZ7ServerSetup* window = nullptr;
    testing::RecordingMessageBoxes* boxes = nullptr;

    QListWidget* rotation() { return window->RzListBoxMap; }
    bool createFilesEnabled() { return window->RzBitBtnCreateFiles->isEnabled(); }
    bool runServerEnabled() { return window->RzBitBtnRunServer->isEnabled(); }

    void addFromCatalogue(int row) {
        clickRow(window->RzListBoxMapReposit, row);
        QTest::mouseClick(window->RzBitBtnAddMap, Qt::LeftButton);
    }

    void clickButton(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  private slots:
    void init() {
        fixture = std::make_unique<testing::ShownSetupWindow>();
        window = &fixture->window;
        boxes = &fixture->boxes;
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup() {
        QVERIFY(boxes->shown.isEmpty());
        fixture.reset();
    }

    void bothActionButtonsStartDisabledWithAnEmptyRotation() {
        QCOMPARE(rotation()->count(), 0);
        QVERIFY(!createFilesEnabled());
        QVERIFY(!runServerEnabled());
    }

    void addAppendsRepeatsWithoutSelectingAndEnablesCreateFilesOnly() {
        addFromCatalogue(kAlpha);
        clickRow(rotation(), 0);
        addFromCatalogue(kDome);
        addFromCatalogue(kDome);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_dome", "mp_dome"}));
        QCOMPARE(rotation()->currentRow(), 0);
        QCOMPARE(rotation()->selectedItems().size(), 1);
        QVERIFY(createFilesEnabled());
        QVERIFY(!runServerEnabled());
        QCOMPARE(window->readRotation(),
                 (std::vector<std::string>{"mp_alpha", "mp_dome", "mp_dome"}));
    }

    void doubleClickAddsMapsButNotHeadersOrBlanks() {
        for (int row : {kStandardHeader, kBlank, kDlcHeader, kFaceOffHeader})
            clickRow(window->RzListBoxMapReposit, row, true);
        QCOMPARE(rotation()->count(), 0);
        QVERIFY(!createFilesEnabled());
        clickRow(window->RzListBoxMapReposit, kSeatown, true);
        QCOMPARE(items(rotation()), QStringList{"mp_seatown"});
        QVERIFY(createFilesEnabled());
    }

    void addWithNothingSelectedInTheCatalogueAddsNothing() {
        selectRowSilently(window->RzListBoxMapReposit, -1);
        clickButton(window->RzBitBtnAddMap);
        QCOMPARE(rotation()->count(), 0);
        QVERIFY(!createFilesEnabled());
    }

    void addAfterClearEnablesCreateFilesButNotRunServer() {
        addFromCatalogue(kAlpha);
        clickRow(rotation(), 0);
        clickButton(window->RzBitBtnDelMap);  // leaves the list empty: both disabled
        addFromCatalogue(kAlpha);
        addFromCatalogue(kBootleg);
        window->RzBitBtnRunServer->setEnabled(true);  // as after forming the files
        clickButton(window->RzBitBtnClearMap);
        QCOMPARE(rotation()->count(), 0);
        QVERIFY(!createFilesEnabled());
        QVERIFY(!runServerEnabled());
        addFromCatalogue(kBravo);
        QVERIFY(createFilesEnabled());
        QVERIFY(!runServerEnabled());
    }

    void clearingAnEmptyRotationDisablesBoth() {
        window->RzBitBtnCreateFiles->setEnabled(true);
        window->RzBitBtnRunServer->setEnabled(true);
        clickButton(window->RzBitBtnClearMap);
        QVERIFY(!createFilesEnabled());
        QVERIFY(!runServerEnabled());
    }

    void removeWithoutSelectionDeletesNothingButEnablesBoth() {
        addFromCatalogue(kAlpha);
        addFromCatalogue(kBootleg);
        QCOMPARE(rotation()->currentRow(), -1);
        clickButton(window->RzBitBtnDelMap);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bootleg"}));
        QVERIFY(createFilesEnabled());
        QVERIFY(runServerEnabled());
    }

    void removeDeletesTheSelectedItemLeavesNoSelectionAndDoesNotRefreshTheDisplay() {
        for (int row : {kAlpha, kBootleg, kBravo}) addFromCatalogue(row);
        clickRow(rotation(), 1);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Bootleg"));
        clickButton(window->RzBitBtnDelMap);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bravo"}));
        QCOMPARE(rotation()->currentRow(), -1);
        QVERIFY(rotation()->selectedItems().isEmpty());
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Bootleg"));
        // With nothing selected, up and down do nothing.
        clickButton(window->RzBitBtnListMapUp);
        clickButton(window->RzBitBtnListMapDown);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bravo"}));
        QVERIFY(createFilesEnabled());
        QVERIFY(runServerEnabled());
    }

    void removingTheLastItemDisablesBoth() {
        addFromCatalogue(kAlpha);
        window->RzBitBtnRunServer->setEnabled(true);
        clickRow(rotation(), 0);
        clickButton(window->RzBitBtnDelMap);
        QCOMPARE(rotation()->count(), 0);
        QVERIFY(!createFilesEnabled());
        QVERIFY(!runServerEnabled());
    }

    void moveUpAndDownFollowTheItemWithoutRunningTheDisplay() {
        for (int row : {kAlpha, kBootleg, kBravo}) addFromCatalogue(row);
        window->RzBitBtnRunServer->setEnabled(true);
        clickRow(rotation(), 2);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Mission"));
        clickRow(window->RzListBoxMapReposit, kSeatown);  // the display now shows Seatown
        clickButton(window->RzBitBtnListMapUp);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bravo", "mp_bootleg"}));
        QCOMPARE(rotation()->currentRow(), 1);
        QVERIFY(rotation()->item(1)->isSelected());
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Seatown"));
        clickButton(window->RzBitBtnListMapUp);
        QCOMPARE(items(rotation()), (QStringList{"mp_bravo", "mp_alpha", "mp_bootleg"}));
        clickButton(window->RzBitBtnListMapUp);  // first item: stays
        QCOMPARE(items(rotation()), (QStringList{"mp_bravo", "mp_alpha", "mp_bootleg"}));
        QCOMPARE(rotation()->currentRow(), 0);
        clickButton(window->RzBitBtnListMapDown);
        clickButton(window->RzBitBtnListMapDown);
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bootleg", "mp_bravo"}));
        QCOMPARE(rotation()->currentRow(), 2);
        clickButton(window->RzBitBtnListMapDown);  // last item: stays
        QCOMPARE(items(rotation()), (QStringList{"mp_alpha", "mp_bootleg", "mp_bravo"}));
        QCOMPARE(rotation()->currentRow(), 2);
        QCOMPARE(window->RzLblNameMap->text(), QStringLiteral("Seatown"));
        QVERIFY(createFilesEnabled());
        QVERIFY(runServerEnabled());
    }

    void aSingleItemMovesNeitherWay() {
        addFromCatalogue(kDome);
        clickRow(rotation(), 0);
        clickButton(window->RzBitBtnListMapUp);
        clickButton(window->RzBitBtnListMapDown);
        QCOMPARE(items(rotation()), QStringList{"mp_dome"});
        QCOMPARE(rotation()->currentRow(), 0);
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    MapRotationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "map_rotation_test.moc"
