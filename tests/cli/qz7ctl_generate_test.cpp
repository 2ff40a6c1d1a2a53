// qz7ctl generate writes, byte for byte, the files the window writes for the same template.
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

#include "app/qz7_application.h"
#include "hand_built_record.h"
#include "platform/windows1251.h"
#include "qz7ctl_process.h"
#include "support/template_session.h"

using namespace qz7;

namespace {

std::string bytesOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

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

        QTemporaryDir cliFolder;
        const std::filesystem::path cli(cliFolder.path().toStdString());
        std::filesystem::create_directories(cli / "admin");
        std::ofstream(cli / "ServerSetup_QZ7.cfg", std::ios::binary) << storedTemplate();
        copyDemoBaseFiles(cli);
        testing::ProcessResult result =
            testing::runQz7ctl({"generate", "Турнир", "--fixed-weights"}, cli);
        QCOMPARE(result.exitCode, 0);

        for (const char* file : {"Manual_Mod.dsr", "Manual_MapRot.dspl", "server_mod.cfg"}) {
            const std::string fromWindow = bytesOf(window.folder.path() / "admin" / file);
            QVERIFY2(!fromWindow.empty(), file);
            QCOMPARE(bytesOf(cli / "admin" / file), fromWindow);
        }
        QCOMPARE(bytesOf(cli / "admin" / "Manual_MapRot.dspl"),
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
