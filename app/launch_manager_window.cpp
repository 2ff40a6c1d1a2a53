#include "app/launch_manager_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

#include "app/led_display.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"

namespace qz7 {

TFormMenedger::TFormMenedger(ProgramState& program, const QStringList& arguments, QWidget* parent)
    : QWidget(parent), Program(program) {
    setObjectName(QStringLiteral("FormMenedger"));
    setWindowTitle(applicationTitle());
    createControls();
    FormCreate(arguments);
}

void TFormMenedger::createControls() {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(527, 182);
    move(581, 321);

    RzBackground1 = new QWidget(this);
    RzBackground1->setObjectName(QStringLiteral("RzBackground1"));
    RzBackground1->setGeometry(0, 0, 527, 182);
    RzBorder1 = new QWidget(this);
    RzBorder1->setObjectName(QStringLiteral("RzBorder1"));
    RzBorder1->setGeometry(0, 0, 527, 182);
    RzBorder1->setAttribute(Qt::WA_TransparentForMouseEvents);

    RzBtnClientRun = new QPushButton(QStringLiteral("Запустить клиент QZ7"), this);
    RzBtnClientRun->setObjectName(QStringLiteral("RzBtnClientRun"));
    RzBtnClientRun->setGeometry(264, 33, 233, 36);
    RzBtnServerRun = new QPushButton(QStringLiteral("Запустить сервер QZ7"), this);
    RzBtnServerRun->setObjectName(QStringLiteral("RzBtnServerRun"));
    RzBtnServerRun->setGeometry(264, 90, 233, 37);
    setTabOrder(RzBtnClientRun, RzBtnServerRun);

    RzLEDDisplay1 = new RzLEDDisplay(
        QStringLiteral("ver 2.0  from  Rovazid.  Steel Horizon. TeknoQZ7 2.8.0.4 "), this);
    RzLEDDisplay1->setObjectName(QStringLiteral("RzLEDDisplay1"));
    RzLEDDisplay1->setGeometry(20, 144, 450, 20);

    connect(RzBtnClientRun, &QPushButton::clicked, this, [this] { RzBtnClientRunClick(); });
    connect(RzBtnServerRun, &QPushButton::clicked, this, [this] { RzBtnServerRunClick(); });
}

void TFormMenedger::FormCreate(const QStringList& arguments) {
    // The first argument names the client profile; the program's own path is not an argument.
    Program.ClientProfileName =
        arguments.size() > 1 && !arguments.at(1).isEmpty() ? arguments.at(1).toStdString() : "";
}

void TFormMenedger::RzBtnClientRunClick() {
    if (FmQZ7ServerSetup != nullptr) FmQZ7ServerSetup->RzBitBtnRunClientClick();
}

void TFormMenedger::RzBtnServerRunClick() {
    if (FmQZ7ServerSetup == nullptr) return;
    FmQZ7ServerSetup->show();
    FmQZ7ServerSetup->raise();
    FmQZ7ServerSetup->activateWindow();
}

void TFormMenedger::FormClose() {}

void TFormMenedger::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
    // Closing the main window ends the program; the setup window is not closed the ordinary way.
    QCoreApplication::quit();
}

}  // namespace qz7
