#include "app/launch_manager_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>

#include "app/launch_manager_decoration.h"
#include "app/led_display.h"
#include "app/message_boxes.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#include "app/window_fonts.h"
#include "app/window_frames.h"

namespace qz7 {

namespace {

// The large buttons: pale yellow faces in dark blue frames with maroon captions, brighter while
// the mouse is over them.
const char* const kLargeButtonStyle =
    "QPushButton { background-color: rgb(253, 247, 200); border: 2px solid rgb(0, 60, 116);"
    " color: rgb(128, 0, 0); }"
    "QPushButton:hover { background-color: rgb(255, 236, 140); border-color: rgb(0, 96, 184); }"
    "QPushButton:pressed { background-color: rgb(240, 228, 160); }";

QPushButton* largeButton(const QString& caption, const char* name, const QRect& geometry,
                         QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setFont(comicFont(17, true));
    button->setStyleSheet(QString::fromLatin1(kLargeButtonStyle));
    return button;
}

}  // namespace

TFormMenedger::TFormMenedger(ProgramState& program, const QStringList& arguments, QWidget* parent)
    : QWidget(parent), program_(program) {
    setObjectName(QStringLiteral("FormMenedger"));
    setWindowTitle(applicationTitle());
    createControls();
    FormCreate(arguments);
}

void TFormMenedger::createControls() {
    setWindowFlags(kFixedDialogFrame);
    setFixedSize(527, 182);
    move(581, 321);

    RzBackground1 =
        new CentredPicture(QPixmap(QStringLiteral(":/art/launch_background.png")), this);
    RzBackground1->setObjectName(QStringLiteral("RzBackground1"));
    RzBackground1->setGeometry(0, 0, 527, 182);
    RzBorder1 = new BumpBorder(QColor(255, 128, 0), 3, 5, this);
    RzBorder1->setObjectName(QStringLiteral("RzBorder1"));
    RzBorder1->setGeometry(0, 0, 527, 182);

    setFont(windowDefaultFont());

    RzBtnClientRun = largeButton(QStringLiteral("Запустить клиент QZ7"), "RzBtnClientRun",
                                 {264, 33, 233, 36}, this);
    RzBtnServerRun = largeButton(QStringLiteral("Запустить сервер QZ7"), "RzBtnServerRun",
                                 {264, 90, 233, 37}, this);
    setTabOrder(RzBtnClientRun, RzBtnServerRun);

    RzLEDDisplay1 = new RzLEDDisplay(
        QStringLiteral("ver 2.0  from  Rovazid.  Steel Horizon. TeknoQZ7 2.8.0.4 "), this);
    RzLEDDisplay1->setObjectName(QStringLiteral("RzLEDDisplay1"));
    RzLEDDisplay1->setGeometry(20, 144, 450, 20);

    connect(RzBtnClientRun, &QPushButton::clicked, this,
            [this] { runWithDefaultErrorHandling([this] { RzBtnClientRunClick(); }); });
    connect(RzBtnServerRun, &QPushButton::clicked, this,
            [this] { runWithDefaultErrorHandling([this] { RzBtnServerRunClick(); }); });
}

void TFormMenedger::FormCreate(const QStringList& arguments) {
    // The first argument names the client profile; the program's own path is not an argument.
    program_.ClientProfileName =
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

void TFormMenedger::closeEvent(QCloseEvent* event) {
    // The map descriptions go with the setup window, which the program destroys as it ends.
    event->accept();
    // Closing the main window ends the program at once. exit() rather than quit(): quit() would
    // first close every other window, running the setup window's close check and close handler.
    QCoreApplication::exit(0);
}

}  // namespace qz7
