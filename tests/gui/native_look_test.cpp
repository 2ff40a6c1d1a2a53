// The frames of the three windows: fixed sizes and the title bar buttons each window has. With
// Qt's windows platform also the window styles Windows itself keeps for them (the offscreen
// platform has no frames at all), and the native style Qt draws the controls in.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QtTest>
#include <array>

#include "app/launch_manager_window.h"
#include "app/program_start.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/template_name_dialog.h"
#include "tests/support/temporary_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace qz7;

namespace {

struct Frame {
    const char* window;
    bool systemMenu;  // shown as the window icon's menu; a close button alone does not need it
    bool minimise;
};

// How much darker a control is drawn than its background: the sum over its pixels of how much
// darker each is than it is with the caption removed.
qint64 inkOf(QWidget& control, const QString& caption, const QFont& font) {
    auto darkness = [&control] {
        const QImage image = control.grab().toImage();
        qint64 sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) sum += 255 - qGray(image.pixel(x, y));
        return sum;
    };
    const QFont before = control.font();
    control.setFont(font);
    control.setProperty("text", QString());
    const qint64 background = darkness();
    control.setProperty("text", caption);
    const qint64 withCaption = darkness();
    control.setFont(before);
    return withCaption - background;
}

QWidget& windowNamed(ProgramWindows& windows, const QString& name) {
    if (name == windows.serverSetup().objectName()) return windows.serverSetup();
    if (name == windows.templateNameDialog().objectName()) return windows.templateNameDialog();
    return windows.launchManager();
}

}  // namespace

class NativeLookTest : public QObject {
    Q_OBJECT

  private slots:
    void windowsDrawsTheWindowsInItsNativeStyle() {
#ifdef _WIN32
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            QSKIP("the native style goes with Qt's windows platform");
        // The style plugin beside the program; without it Qt falls back to its classic style.
        QCOMPARE(QApplication::style()->name(), QStringLiteral("windowsvista"));
#else
        QSKIP("the native style is that of Windows");
#endif
    }

    // Judged by the ink the captions leave, as drawn: a font that asks for bold is no proof that
    // the platform found or made a bold face.
    void boldCaptionsAreDrawnBold() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        TFmQZ7ServerSetup& setup = windows.serverSetup();
        setup.show();
        QVERIFY(QTest::qWaitForWindowExposed(&setup));
        QList<QWidget*> bold;
        bold << setup.RzGroupBox1->findChild<QWidget*>(QStringLiteral("LabelRzComboBoxMode"))
             << setup.RzCheckBoxHard  // Arial Narrow, 15 px, as the setting captions
             << setup.findChild<QWidget*>(QStringLiteral("RzLabelSettings"))  // Tahoma, 13 px
             << setup.RzBitBtnCreateFiles                                     // Tahoma, 13 px
             << setup.RzLblNameMap                                            // Arial, 15 px
             << windows.launchManager().RzBtnServerRun;                       // Comic Sans, 17 px
        for (QWidget* control : bold) {
            QVERIFY(control != nullptr);
            const QString caption = control->property("text").toString();
            QFont regular = control->font();
            regular.setWeight(QFont::Normal);
            const qint64 boldInk = inkOf(*control, caption, control->font());
            const qint64 regularInk = inkOf(*control, caption, regular);
            QVERIFY2(regularInk > 0, qPrintable(control->objectName()));
            // A bold face leaves at least 40 % more ink than the regular one here; letters the
            // system merely thickens a little, as wine did with the Russian letters of one stand-in
            // for Arial Narrow, about a quarter more, and looked regular.
            QVERIFY2(boldInk * 100 >= regularInk * 135,
                     qPrintable(QStringLiteral("%1 (%2): ink %3 bold, %4 regular")
                                    .arg(control->objectName(), QFontInfo(control->font()).family())
                                    .arg(boldInk)
                                    .arg(regularInk)));
        }
    }

    // The map whose picture is shown stands out from the other rows of the catalogue whether or
    // not the setup window is the active one.
    void theShownMapStaysMarkedWhenTheWindowIsNotActive() {
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        TFmQZ7ServerSetup& setup = windows.serverSetup();
        QListWidget* catalogue = setup.RzListBoxMapReposit;
        // The mean colours of the shown map's row and of the row under it, as far as they are
        // in view, apart.
        auto contrast = [catalogue] {
            const QImage image = catalogue->viewport()->grab().toImage();
            auto mean = [&](int row) {
                const QRect rect = catalogue->visualItemRect(catalogue->item(row)) & image.rect();
                qint64 red = 0, green = 0, blue = 0;
                for (int y = rect.top(); y <= rect.bottom(); ++y)
                    for (int x = rect.left(); x <= rect.right(); ++x) {
                        const QColor colour = image.pixelColor(x, y);
                        red += colour.red(), green += colour.green(), blue += colour.blue();
                    }
                const qint64 pixels = qMax<qint64>(1, qint64(rect.width()) * rect.height());
                return std::array<qint64, 3>{red / pixels, green / pixels, blue / pixels};
            };
            const int row = catalogue->currentRow();
            const auto shown = mean(row), other = mean(row + 1);
            return qAbs(shown[0] - other[0]) + qAbs(shown[1] - other[1]) +
                   qAbs(shown[2] - other[2]);
        };
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QVERIFY(catalogue->currentItem() != nullptr && catalogue->currentItem()->isSelected());
        QVERIFY2(contrast() >= 60, qPrintable(QString::number(contrast())));
        windows.launchManager().show();
        windows.launchManager().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&windows.launchManager()));
        QVERIFY(!setup.isActiveWindow());
        QVERIFY2(contrast() >= 60, qPrintable(QString::number(contrast())));
    }

    void eachWindowHasAFixedFrameWithItsOwnButtons_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("systemMenu");
        QTest::addColumn<bool>("minimise");
        for (const Frame& frame :
             {Frame{"FormMenedger", false, false}, Frame{"FmQZ7ServerSetup", true, true},
              Frame{"FmQZ7_Save", false, false}})
            QTest::newRow(frame.window)
                << QString::fromLatin1(frame.window) << frame.systemMenu << frame.minimise;
    }

    void eachWindowHasAFixedFrameWithItsOwnButtons() {
        QFETCH(QString, window);
        QFETCH(bool, systemMenu);
        QFETCH(bool, minimise);
        testing::TemporaryGameFolder folder;
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        QWidget& shown = windowNamed(windows, window);
        QCOMPARE(shown.objectName(), window);

        QCOMPARE(shown.minimumSize(), shown.maximumSize());
        const Qt::WindowFlags flags = shown.windowFlags();
        QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
        QCOMPARE(flags.testFlag(Qt::WindowMinimizeButtonHint), minimise);
        // Qt adds the system menu to a dialog with a close button except on Windows.
        if (systemMenu) QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));

#ifdef _WIN32
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            QSKIP("the window styles exist only with Qt's windows platform");
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        const auto handle = reinterpret_cast<HWND>(shown.winId());
        const LONG_PTR style = GetWindowLongPtrW(handle, GWL_STYLE);
        const LONG_PTR extended = GetWindowLongPtrW(handle, GWL_EXSTYLE);
        auto has = [](LONG_PTR bits, LONG_PTR bit) { return (bits & bit) == bit; };
        QVERIFY(has(style, WS_CAPTION));
        QVERIFY(has(style, WS_SYSMENU));  // Windows draws no close button without it
        QVERIFY2(!has(style, WS_THICKFRAME), "a sizing border");
        QVERIFY(!has(style, WS_MAXIMIZEBOX));
        QCOMPARE(has(style, WS_MINIMIZEBOX), minimise);
        // A dialog frame: no icon, so no system menu to open from it.
        QCOMPARE(has(extended, WS_EX_DLGMODALFRAME), !systemMenu);
#endif
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    NativeLookTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "native_look_test.moc"
