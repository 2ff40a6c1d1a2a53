#include "app/template_name_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/qz7_application.h"
#include "support/recording_message_boxes.h"
#include "support/typing.h"

using namespace qz7;

namespace {

QStringList namesListed(const TFmQZ7_Save& dialog) {
    QStringList names;
    for (int i = 0; i < dialog.RzComboBoxNameShablon->count(); ++i)
        names << dialog.RzComboBoxNameShablon->itemText(i);
    return names;
}

// Runs the dialog for real (modally), doing the step once it is shown.
bool runShown(TFmQZ7_Save& dialog, std::function<void()> step) {
    QTimer::singleShot(0, &dialog, [&dialog, step] {
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        step();
        // A step that leaves the dialog open is ended like a frame close.
        if (dialog.isVisible()) dialog.close();
    });
    return dialog.run();
}

}  // namespace

class TemplateNameDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void carriesItsCaptionsAndSitsBelowLeftOfTheSetupWindow() {
        QWidget setup;
        setup.move(300, 200);
        TFmQZ7_Save dialog(&setup);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("FmQZ7_Save"));
        QCOMPARE(dialog.RzLabelName->text(), QStringLiteral("Введите имя шаблона"));
        QCOMPARE(dialog.RzBitBtnOk->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.RzBitBtnClose->text(), QStringLiteral("Закрыть"));
        QVERIFY(dialog.RzBitBtnOk->isDefault());
        QVERIFY(dialog.RzComboBoxNameShablon->isEditable());
        QCOMPARE(dialog.pos(), QPoint(280, 320));
        setup.move(10, 10);  // placed once, at creation
        QCOMPARE(dialog.pos(), QPoint(280, 320));
    }

    void anEmptyNameIsRefusedAndTheDialogStaysOpen() {
        testing::RecordingMessageBoxes boxes;
        TFmQZ7_Save dialog(nullptr);
        bool stillOpen = false;
        const bool confirmed = runShown(dialog, [&] {
            dialog.RzBitBtnOk->click();
            stillOpen = dialog.isVisible();
        });
        QVERIFY(stillOpen);
        QVERIFY(!confirmed);
        QCOMPARE(boxes.shown, QStringList{"error: Введите имя шаблона для сохранения"});
        QVERIFY(namesListed(dialog).isEmpty());
    }

    void enterConfirmsAndTheNameBoxHasTheFocus() {
        TFmQZ7_Save dialog(nullptr);
        dialog.RzBitBtnClose->setFocus();  // where the focus was left last time
        bool focused = false;
        const bool confirmed = runShown(dialog, [&] {
            QTRY_VERIFY(dialog.RzComboBoxNameShablon->hasFocus());
            focused = true;
            QTest::keyClicks(dialog.RzComboBoxNameShablon, QStringLiteral("Night map"));
            QTest::keyClick(dialog.RzComboBoxNameShablon, Qt::Key_Return);
        });
        QVERIFY(focused);
        QVERIFY(confirmed);
        QCOMPARE(dialog.nameText(), QStringLiteral("Night map"));
        QCOMPARE(namesListed(dialog), QStringList{"Night map"});
    }

    // Save shows the template's own name selected; Enter confirms that name, even when the name
    // typed last time is listed now and a completer could still offer it.
    void enterConfirmsTheNameShown() {
        TFmQZ7_Save dialog(nullptr);
        QVERIFY(runShown(dialog, [&] {
            testing::typeText(dialog.RzComboBoxNameShablon->lineEdit(), QStringLiteral("Гамма"));
            QTest::keyClick(dialog.RzComboBoxNameShablon, Qt::Key_Return);
        }));
        dialog.setNameText(QStringLiteral("Альфа"));
        QString afterEnter;
        const bool confirmed = runShown(dialog, [&] {
            dialog.RzComboBoxNameShablon->lineEdit()->selectAll();
            QTest::keyClick(dialog.RzComboBoxNameShablon, Qt::Key_Return);
            afterEnter = dialog.nameText();
        });
        QCOMPARE(afterEnter, QStringLiteral("Альфа"));
        QVERIFY(confirmed);
    }

    void escapeAndTheFrameCountAsClose() {
        TFmQZ7_Save dialog(nullptr);
        dialog.setNameText(QStringLiteral("name"));
        QVERIFY(!runShown(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }));
        QVERIFY(!runShown(dialog, [&] { dialog.close(); }));
        QVERIFY(!runShown(dialog, [&] { dialog.RzBitBtnClose->click(); }));
        QVERIFY(namesListed(dialog).isEmpty());
        QCOMPARE(dialog.nameText(), QStringLiteral("name"));  // kept for the next showing
    }

    void confirmedNamesAreKeptSortedOnePerConfirmation() {
        TFmQZ7_Save dialog(nullptr);
        TFmQZ7_Save::setModalRunForTesting([](TFmQZ7_Save& d) { d.RzBitBtnOk->click(); });
        for (const char* name : {"бета", "Альфа", "alpha", "Бета", "альфа", "бета"}) {
            dialog.setNameText(QString::fromUtf8(name));
            QVERIFY(dialog.run());
            QCOMPARE(dialog.nameText(), QString::fromUtf8(name));
        }
        TFmQZ7_Save::setModalRunForTesting({});
        QCOMPARE(namesListed(dialog),
                 (QStringList{"alpha", "Альфа", "альфа", "Бета", "бета", "бета"}));
    }
};

int main(int argc, char** argv) {
    Qz7Application application(argc, argv);
    TemplateNameDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "template_name_dialog_test.moc"
