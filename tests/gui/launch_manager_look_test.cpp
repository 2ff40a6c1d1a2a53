#include <QFontDatabase>
#include <QPushButton>
#include <QtTest>

#include "app/launch_manager_decoration.h"
#include "app/launch_manager_window.h"
#include "app/led_display.h"
#include "app/led_segments.h"
#include "app/qz7_application.h"
#include "app/window_fonts.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

namespace {

const QString kTickerText =
    QStringLiteral("ver 2.0  from  Rovazid.  Steel Horizon. TeknoQZ7 2.8.0.4 ");

QImage imageOf(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Steps the ticker until some of its text is inside the visible part.
void stepIntoView(RzLEDDisplay& display, int steps) {
    for (int i = 0; i < steps; ++i) display.step();
}

}  // namespace

class LaunchManagerLookTest : public QObject {
    Q_OBJECT

  private slots:
    void theWindowIsAFixedDialogWithItsControlsInPlace() {
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        QCOMPARE(manager.size(), QSize(527, 182));
        QCOMPARE(manager.minimumSize(), manager.maximumSize());
        QCOMPARE(manager.pos(), QPoint(581, 321));
        QVERIFY(manager.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(manager.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(manager.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(manager.font().pixelSize(), 11);  // 8 pt at 96 dots per inch

        QCOMPARE(manager.RzBtnClientRun->text(), QStringLiteral("Запустить клиент QZ7"));
        QCOMPARE(manager.RzBtnClientRun->geometry(), QRect(264, 33, 233, 36));
        QCOMPARE(manager.RzBtnServerRun->text(), QStringLiteral("Запустить сервер QZ7"));
        QCOMPARE(manager.RzBtnServerRun->geometry(), QRect(264, 90, 233, 37));
        QCOMPARE(manager.RzLEDDisplay1->geometry(), QRect(20, 144, 450, 20));
        QCOMPARE(manager.RzLEDDisplay1->text(), kTickerText);
        QCOMPARE(manager.RzBackground1->geometry(), manager.rect());
        QCOMPARE(manager.RzBorder1->geometry(), manager.rect());
        QVERIFY(manager.RzBorder1->testAttribute(Qt::WA_TransparentForMouseEvents));
        for (const char* name :
             {"RzBackground1", "RzBorder1", "RzBtnClientRun", "RzBtnServerRun", "RzLEDDisplay1"})
            QVERIFY2(manager.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);

        // The client button comes first in the keyboard order.
        QCOMPARE(manager.RzBtnClientRun->nextInFocusChain(), manager.RzBtnServerRun);
    }

    void theLargeButtonsUseABoldCasualFaceThatWritesRussian() {
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        for (QPushButton* button : {manager.RzBtnClientRun, manager.RzBtnServerRun}) {
            const QFont font = button->font();
            QCOMPARE(font.pixelSize(), 17);
            QVERIFY(font.bold());
            QVERIFY2(QFontDatabase::writingSystems(QFontInfo(font).family())
                         .contains(QFontDatabase::Cyrillic),
                     qPrintable(QFontInfo(font).family()));
            QVERIFY(button->sizeHint().width() <= button->width());
        }
    }

    void aFontFallsBackToTheFirstInstalledFamilyThatWritesRussian() {
        QCOMPARE(firstCyrillicFont({"No Such Family QZ7", "DejaVu Sans"}).family(),
                 QStringLiteral("DejaVu Sans"));
        QCOMPARE(firstCyrillicFont({"No Such Family QZ7", "Also Missing"}).family(),
                 QStringLiteral("Also Missing"));
        // A family known only with a foundry ("Name [foundry]") counts by its name.
        for (const QString& listed : QFontDatabase::families(QFontDatabase::Cyrillic)) {
            const qsizetype foundry = listed.indexOf(QLatin1String(" ["));
            if (foundry <= 0) continue;
            const QString name = listed.left(foundry);
            QCOMPARE(firstCyrillicFont({"No Such Family QZ7", name}).family(), name);
        }
    }

    void theButtonsArePaleYellowWithMaroonCaptionsAndLightUpUnderTheMouse() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        manager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&manager));
        QPushButton* button = manager.RzBtnClientRun;
        const QImage plain = imageOf(*button);
        QCOMPARE(QColor(plain.pixel(8, button->height() / 2)), QColor(253, 247, 200));
        QCOMPARE(QColor(plain.pixel(0, button->height() / 2)), QColor(0, 60, 116));
        bool maroon = false;
        for (int x = 0; x < plain.width() && !maroon; ++x)
            for (int y = 0; y < plain.height() && !maroon; ++y)
                maroon = QColor(plain.pixel(x, y)) == QColor(128, 0, 0);
        QVERIFY(maroon);

        QTest::mouseMove(button);
        QTRY_VERIFY(button->underMouse());
        const QImage hovered = imageOf(*button);
        QVERIFY(QColor(hovered.pixel(8, button->height() / 2)) != QColor(253, 247, 200));
    }

    void theFrameIsAnOrangeBump() {
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        const QImage image = imageOf(manager);
        const int middle = image.height() / 2;
        // Outside in: the raised bevel lighter at the top and left, darker at the bottom and
        // right, the flat band of the frame's own colour, then the sunken bevel the other way.
        auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
        QVERIFY(at(0, middle).lightness() > QColor(255, 128, 0).lightness());
        QVERIFY(at(image.width() - 1, middle).lightness() < QColor(255, 128, 0).lightness());
        for (int inset = 5; inset < 8; ++inset) {
            QCOMPARE(at(inset, middle), QColor(255, 128, 0));
            QCOMPARE(at(image.width() / 2, image.height() - 1 - inset), QColor(255, 128, 0));
        }
        QVERIFY(at(8, middle).lightness() < QColor(255, 128, 0).lightness());
        QCOMPARE(at(20, 20), QColor(Qt::black));  // the picture's black ground inside
    }

    void theBackgroundShowsItsPictureCentred() {
        ProgramState program;
        TFormMenedger manager(program, {"qz7manager"});
        auto* background = static_cast<CentredPicture*>(manager.RzBackground1);
        QCOMPARE(background->picture().size(), QSize(520, 300));
        // The picture's left edge lies at (527 - 520) / 2 = 3: compare a row of it with the window.
        const QImage picture =
            background->picture().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shown = imageOf(*background);
        const int pictureRow = 150, shownRow = pictureRow - (300 - 182) / 2;
        for (int x = 20; x < 240; x += 7)
            QCOMPARE(shown.pixel(x + 3, shownRow), picture.pixel(x, pictureRow));
    }

    void theTickerScrollsLeftOneStepEvery20Milliseconds() {
        RzLEDDisplay display(kTickerText);
        display.resize(450, 20);
        QCOMPARE(RzLEDDisplay::kStepMilliseconds, 20);
        QVERIFY(!display.isTicking());
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QVERIFY(display.isTicking());

        stepIntoView(display, 200);
        const QImage before = imageOf(display);
        display.step();
        const QImage after = imageOf(display);
        // Everything moved left by one step; a new column came in at the right.
        const int step = RzLEDDisplay::kStepPixels;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x + step < before.width(); ++x)
                QCOMPARE(after.pixel(x, y), before.pixel(x + step, y));

        display.hide();
        QVERIFY(!display.isTicking());
    }

    void theTickerStartsAgainOnceTheTextHasPassed() {
        RzLEDDisplay display(kTickerText);
        display.resize(450, 20);
        const int cycle = 450 + int(kTickerText.size()) * display.cellWidth();
        for (int i = 0; i < cycle; ++i) display.step();
        QCOMPARE(display.scrollOffset(), cycle);
        // The text has fully left at the left edge: nothing lit.
        const QImage gone = imageOf(display);
        for (int y = 0; y < gone.height(); ++y)
            for (int x = 0; x < gone.width(); ++x)
                QCOMPARE(QColor(gone.pixel(x, y)), QColor(Qt::black));
        display.step();
        QCOMPARE(display.scrollOffset(), 0);
        for (int round = 0; round < 2; ++round)
            for (int i = 0; i < cycle + 1; ++i) display.step();
        QCOMPARE(display.scrollOffset(), 0);
    }

    void theTickerLightsOnlyRedSegmentsOnBlack() {
        RzLEDDisplay display(kTickerText);
        display.resize(450, 20);
        stepIntoView(display, 450);
        const QImage image = imageOf(display);
        int lit = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour(image.pixel(x, y));
                // No grey frame, no dimmed unlit segments: black, or red of some strength.
                QCOMPARE(colour.green(), 0);
                QCOMPARE(colour.blue(), 0);
                if (colour.red() > 200) ++lit;
            }
        QVERIFY(lit > 200);
    }

    void everyCharacterOfTheTickerTextHasSegments() {
        for (QChar character : kTickerText) {
            if (character == u' ')
                QCOMPARE(ledSegmentsOf(character), std::uint16_t(0));
            else
                QVERIFY2(ledSegmentsOf(character) != 0, qPrintable(QString(character)));
        }
        QCOMPARE(ledSegmentsOf(u'r'), ledSegmentsOf(u'R'));
        QCOMPARE(ledSegmentsOf(u'.'), std::uint16_t(SegmentPoint));
        QVERIFY(ledSegmentsOf(u'0') != ledSegmentsOf(u'O'));
        QVERIFY(ledSegmentsOf(u'8') != ledSegmentsOf(u'B'));
        QVERIFY(ledSegmentsOf(u'5') == ledSegmentsOf(u'S'));  // as on any segment display
        QCOMPARE(ledSegmentsOf(u'Ж'), std::uint16_t(0));
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    LaunchManagerLookTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "launch_manager_look_test.moc"
