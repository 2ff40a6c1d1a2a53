// qz7ctl generate writes, byte for byte, the files the window writes for the same template.
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "platform/windows1251.h"
#include "qz7ctl_process.h"
#include "support/template_session.h"
#include "tests/support/file_bytes.h"
#include "tests/support/hand_built_record.h"
#include "tests/support/temporary_folder.h"

using namespace qz7;

namespace {

void copyDemoBaseFiles(const std::filesystem::path& folder) {
    for (const char* name : {"Manual_Mod_default.dsr", "server_mod_default.cfg"})
        std::filesystem::copy_file(std::filesystem::path(QZ7_DEMO_DIR) / "admin" / name,
                                   folder / "admin" / name,
                                   std::filesystem::copy_options::overwrite_existing);
}

// A template with settings far from the defaults, laid out by hand.
std::string storedTemplate() {
    return testing::handBuiltRecord(
        "Турнир", "захват флага;100;1;15000 ;20;0;0;1;1;пароль;0;1;0;1;1;0;3;2;быстро;18;",
        "mp_dome;mp_seatown;mp_dome;mp_six_ss;", "+set dedicated 2");
}

}  // namespace

class Qz7ctlGenerateTest : public QObject {
    Q_OBJECT

  private slots:
    void generateWritesWhatTheWindowWrites() {
        testing::TemplateSession window;
        window.putStore(storedTemplate());
        copyDemoBaseFiles(window.folder.path());
        TFmQZ7ServerSetup& setup = window.open();  // applies the first template
        setup.RzCheckBoxShans->setChecked(false);
        QVERIFY(setup.RzBitBtnCreateFiles->isEnabled());
        setup.RzBitBtnCreateFiles->click();
        QVERIFY2(window.boxes.shown.isEmpty(), qPrintable(window.boxes.shown.join("; ")));

        testing::TemporaryFolder cliFolder;
        const std::filesystem::path& cli = cliFolder.path();
        testing::writeBytes(cli / "ServerSetup_QZ7.cfg", storedTemplate());
        std::filesystem::create_directories(cli / "admin");
        copyDemoBaseFiles(cli);
        testing::ProcessResult result =
            testing::runQz7ctl({"generate", "Турнир", "--fixed-weights"}, cli);
        QCOMPARE(result.exitCode, 0);

        for (const char* file : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"}) {
            const std::string fromWindow =
                testing::readBytes(window.folder.path() / "admin" / file).value_or("");
            QVERIFY2(!fromWindow.empty(), file);
            QCOMPARE(testing::readBytes(cli / "admin" / file).value_or(""), fromWindow);
        }
        QCOMPARE(testing::readBytes(cli / "admin" / "Manual_MapRot.dspl").value_or(""),
                 std::string("mp_dome,Manual_Mod,100\r\nmp_seatown,Manual_Mod,100\r\n"
                             "mp_dome,Manual_Mod,100\r\nmp_six_ss,Manual_Mod,100\r\n"));
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    Qz7ctlGenerateTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "qz7ctl_generate_test.moc"
