// The windows at the scales Windows hosts use. Each scale runs in a process of its own, since the
// screen's scale factor is fixed when the application object is made: offscreen on a screen
// described to Qt with the scale's dots per inch, or under wine with Qt's windows platform and
// wine's LogPixels setting. Each process checks the scale factor it got, that every window with
// its frame fits the screen Windows offers the scale on, and that every caption fits its control.
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

#include "app/launch_manager_window.h"
#include "app/program_start.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "app/template_name_dialog.h"
#include "support/caption_fit.h"
#include "support/served_folder.h"
#include "tests/fakes/fake_service_hosts.h"
#include "tests/support/temporary_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace qz7;

namespace {

// The smallest screen Windows offers each scale on; the taskbar takes 48 pixels of its height
// at 100 %.
struct Scale {
    int percent;
    QSize screen;
};
const Scale kScales[] = {
    {100, {1920, 1080}}, {125, {1920, 1080}}, {150, {1920, 1080}}, {200, {3840, 2160}}};
constexpr int kTaskbarHeight = 48;
// Without frames (offscreen), the room a Windows title bar and border take.
const QSize kFrameAllowance(16, 40);

const char* const kScaleArgument = "--at-scale";

Scale scaleOf(int percent) {
    for (const Scale& scale : kScales)
        if (scale.percent == percent) return scale;
    return {percent, {}};
}

#ifdef _WIN32
bool underWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine's screen resolution setting, read by each process as it starts; put back on destruction.
class WineLogPixels {
  public:
    explicit WineLogPixels(DWORD dpi) {
        DWORD size = sizeof(previous_);
        had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &previous_,
                            &size) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof(dpi)) ==
               ERROR_SUCCESS;
    }
    ~WineLogPixels() {
        if (had_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &previous_,
                            sizeof(previous_));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    bool isSet() const { return set_; }

  private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    DWORD previous_ = 0;
    bool had_ = false;
    bool set_ = false;
};
#endif

}  // namespace

// Runs in the process of one scale.
class AtOneScaleTest : public QObject {
    Q_OBJECT

  public:
    explicit AtOneScaleTest(int percent) : scale_(scaleOf(percent)) {}

  private slots:
    void theScaleFactorIsRoundedDownToAWholeNumber() {
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), qreal(scale_.percent / 100));
    }

    void everyWindowFitsTheScreenAndEveryCaptionItsControl() {
        testing::TemporaryGameFolder folder;
        // The supervised server's button at its longest: cut to its strip, never past it.
        testing::ServedFolder served(folder.path(), std::chrono::hours(99999), 99999);
        QVERIFY(served.held());
        ProgramState program;
        ProgramWindows windows(program, {"qz7manager"});
        QScreen* screen = QGuiApplication::primaryScreen();
        const qreal ratio = screen->devicePixelRatio();
        const QSize room(scale_.screen.width(),
                         scale_.screen.height() - kTaskbarHeight * scale_.percent / 100);
        for (QWidget* window : QList<QWidget*>{&windows.launchManager(), &windows.serverSetup(),
                                               &windows.templateNameDialog()}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const QString name = window->objectName();
            QRect frame = window->frameGeometry();
            QVERIFY2(screen->availableGeometry().contains(frame), qPrintable(name));
            if (frame == window->geometry()) frame.setSize(frame.size() + kFrameAllowance);
            const QSize pixels = frame.size() * ratio;
            QVERIFY2(pixels.width() <= room.width() && pixels.height() <= room.height(),
                     qPrintable(QStringLiteral("%1: %2x%3 pixels on a %4x%5 screen")
                                    .arg(name)
                                    .arg(pixels.width())
                                    .arg(pixels.height())
                                    .arg(scale_.screen.width())
                                    .arg(scale_.screen.height())));
            const QStringList cut =
                testing::cutCaptions(*window, {windows.serverSetup().RzLabelInfa});
            QVERIFY2(cut.isEmpty(), qPrintable(name + ": " + cut.join(QStringLiteral(", "))));
            window->hide();
        }
        // The supervised server's own window fits too (its switch asks a stand-in for the
        // folder's service entry, not the system).
        testing::FakeTaskSchedulerHost scheduler;
        windows.serverSetup().useServiceHosts({nullptr, &scheduler});
        windows.serverSetup().openSupervisedServer();
        QWidget* supervised = windows.serverSetup().supervisedServerWindow();
        QVERIFY(QTest::qWaitForWindowExposed(supervised));
        QRect frame = supervised->frameGeometry();
        QVERIFY2(screen->availableGeometry().contains(frame), "FmQZ7Prismotr");
        if (frame == supervised->geometry()) frame.setSize(frame.size() + kFrameAllowance);
        const QSize pixels = frame.size() * ratio;
        QVERIFY(pixels.width() <= room.width() && pixels.height() <= room.height());
        const QStringList cut = testing::cutCaptions(*supervised);
        QVERIFY2(cut.isEmpty(), qPrintable("FmQZ7Prismotr: " + cut.join(QStringLiteral(", "))));
        supervised->hide();
        // The map's picture is scaled from the decoded pixels to the screen's, not enlarged after.
        const QPixmap preview = windows.serverSetup().Image1->pixmap();
        QCOMPARE(preview.devicePixelRatio(), ratio);
        const QSize shown = preview.deviceIndependentSize().toSize();
        QVERIFY2(shown.width() <= 401 && shown.height() <= 226 &&
                     (shown.width() >= 399 || shown.height() == 226),
                 qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
    }

  private:
    Scale scale_;
};

// Starts one process for each scale.
class HighDpiTest : public QObject {
    Q_OBJECT

  private slots:
    void everyScaleInAProcessOfItsOwn_data() {
        QTest::addColumn<int>("percent");
        for (const Scale& scale : kScales)
            QTest::newRow(qPrintable(QString::number(scale.percent) + " %")) << scale.percent;
    }

    void everyScaleInAProcessOfItsOwn() {
        QFETCH(int, percent);
        const Scale scale = scaleOf(percent);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QStringList arguments{QString::fromLatin1(kScaleArgument), QString::number(percent)};
#ifdef _WIN32
        std::optional<WineLogPixels> logPixels;
        if (underWine()) {
            logPixels.emplace(DWORD(96 * percent / 100));
            QVERIFY(logPixels->isSet());
            arguments << QStringLiteral("-platform") << QStringLiteral("windows");
        }
#else
        constexpr bool logPixels = false;
#endif
        if (!logPixels) {
            // Named relative to the process's folder: the platform's arguments are separated
            // by colons, which a drive letter would split.
            QFile screen(folder.filePath(QStringLiteral("screen.json")));
            QVERIFY(screen.open(QIODevice::WriteOnly));
            screen.write(QStringLiteral("{\"screens\": [{\"name\": \"qz7\", \"x\": 0, \"y\": 0, "
                                        "\"width\": %1, \"height\": %2, \"logicalDpi\": %3, "
                                        "\"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                             .arg(scale.screen.width())
                             .arg(scale.screen.height())
                             .arg(96 * percent / 100)
                             .toUtf8());
            screen.close();
            arguments << QStringLiteral("-platform")
                      << QStringLiteral("offscreen:configfile=screen.json");
        }
        // The results go to a file: under wine a test program's own output may not arrive.
        arguments << QStringLiteral("-o") << QStringLiteral("results.txt,txt");
        QProcess child;
        child.setWorkingDirectory(folder.path());
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        QVERIFY(child.waitForStarted(30000));
        const bool ended = child.waitForFinished(240000);
        QFile results(folder.filePath(QStringLiteral("results.txt")));
        const QString output =
            QString::fromUtf8(child.readAll()) + (results.open(QIODevice::ReadOnly)
                                                      ? QString::fromUtf8(results.readAll())
                                                      : QStringLiteral("(no results)"));
        QVERIFY2(ended, qPrintable(output));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(output));
    }
};

int main(int argc, char** argv) {
    // "--at-scale PERCENT": the checks of one scale, on the screen the arguments describe.
    int percent = 0;
    if (argc > 2 && qstrcmp(argv[1], kScaleArgument) == 0) {
        percent = QByteArray(argv[2]).toInt();
        for (int i = 3; i <= argc; ++i) argv[i - 2] = argv[i];
        argc -= 2;
    }
    Qz7Application application(argc, argv);
    if (percent > 0) {
        AtOneScaleTest test(percent);
        return QTest::qExec(&test, argc, argv);
    }
    HighDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "high_dpi_test.moc"
