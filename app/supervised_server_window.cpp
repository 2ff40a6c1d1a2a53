#include "app/supervised_server_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "app/background_work.h"
#include "app/busy_ports_question.h"
#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "app/settings_restore_dialog.h"
#include "platform/detached_program.h"
#include "server/serve_requests.h"
#include "server/serve_start.h"
#include "server/serve_status.h"

namespace qz7 {

namespace {

constexpr int kRefreshMilliseconds = 1000;
// The events shown when the window first looks at the log.
constexpr int kShownEvents = 50;

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TFmQZ7Prismotr::TFmQZ7Prismotr(TFmQZ7ServerSetup& setup)
    : setup_(setup),
      gameFolder_(setup.gameFolder()),
      serviceHosts_(systemServiceHosts()),
      refreshTimer_(new QTimer(this)),
      serveCollector_(new QTimer(this)),
      serveWork_(new BackgroundWork(this)),
      alertWork_(new BackgroundWork(this)),
      serviceWork_(new BackgroundWork(this)),
      logReader_(setup.gameFolder()) {
    setObjectName(QStringLiteral("FmQZ7Prismotr"));
    createStateControls();
    createSettingsControls();
    applyAppearance();
    connectEvents();
    refreshTimer_->setInterval(kRefreshMilliseconds);
    serveCollector_->setInterval(kRefreshMilliseconds);
}

TFmQZ7Prismotr::~TFmQZ7Prismotr() = default;

void TFmQZ7Prismotr::connectEvents() {
    using Handler = void (TFmQZ7Prismotr::*)();
    auto guarded = [this](Handler handler) {
        return [this, handler] { runWithDefaultErrorHandling([&] { (this->*handler)(); }); };
    };
    auto onClick = [&](QAbstractButton* button, Handler handler) {
        connect(button, &QAbstractButton::clicked, this, guarded(handler));
    };
    using Self = TFmQZ7Prismotr;
    onClick(RzBitBtnServeStart, &Self::RzBitBtnServeStartClick);
    onClick(RzBitBtnServeRestart, &Self::RzBitBtnServeRestartClick);
    onClick(RzBitBtnServeStop, &Self::RzBitBtnServeStopClick);
    onClick(RzBitBtnAlertAdd, &Self::RzBitBtnAlertAddClick);
    onClick(RzBitBtnAlertDel, &Self::RzBitBtnAlertDelClick);
    onClick(RzBitBtnAlertCheck, &Self::RzBitBtnAlertCheckClick);
    onClick(RzBitBtnServeSave, &Self::RzBitBtnServeSaveClick);
    onClick(RzBitBtnServeRestore, &Self::RzBitBtnServeRestoreClick);
    onClick(RzCheckBoxService, &Self::RzCheckBoxServiceClick);
    connect(RzBitBtnServeClose, &QPushButton::clicked, this, &QWidget::close);
    // Enter in the address line adds it.
    connect(RzEditAlert, &QLineEdit::returnPressed, this, guarded(&Self::RzBitBtnAlertAddClick));
    connect(refreshTimer_, &QTimer::timeout, this, guarded(&Self::refresh));
    connect(serveCollector_, &QTimer::timeout, this, guarded(&Self::collectStartedServe));

    // Edits by the host (not the window's own loading) mark the settings as changed.
    connect(RzEditRestartAt, &QLineEdit::textEdited, this, &Self::markEdited);
    connect(RzEditRestartEvery, &QLineEdit::textEdited, this, &Self::markEdited);
    connect(RzComboBoxCleanExit, &QComboBox::activated, this, &Self::markEdited);
    connect(RzCheckBoxServePorts, &QCheckBox::clicked, this, &Self::markEdited);
}

void TFmQZ7Prismotr::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!settingsEdited_) runWithDefaultErrorHandling([this] { loadSettings(); });
    updateServiceSwitch();
    runWithDefaultErrorHandling([this] { refresh(); });
    // Opened again, the window starts at its buttons, not at "Закрыть" that closed it.
    if (!event->spontaneous()) focusServeButton();
    refreshTimer_->start();
}

void TFmQZ7Prismotr::hideEvent(QHideEvent* event) {
    refreshTimer_->stop();
    QWidget::hideEvent(event);
}

void TFmQZ7Prismotr::closeEvent(QCloseEvent* event) {
    bool closes = true;
    if (settingsEdited_)
        runWithDefaultErrorHandling([&] {
            if (messageBoxes().question(this, QStringLiteral("Настройки изменены и не "
                                                             "сохранены. Сохранить их?")))
                closes = saveSettings({}, std::nullopt);
            else
                loadSettings();
        });
    if (closes)
        event->accept();
    else
        event->ignore();
}

void TFmQZ7Prismotr::refresh() {
    const ServeStatus status = readServeStatus(gameFolder_);
    running_ = status.running();
    QStringList lines;
    for (const std::string& line : serveStatusLines(status)) lines << fromUtf8(line);
    RzLabelServeState->setText(lines.join(QLatin1Char('\n')));

    std::string added = logShown_ ? logReader_.newLines() : logReader_.lastLines(kShownEvents);
    logShown_ = true;
    while (!added.empty() && (added.back() == '\n' || added.back() == '\r')) added.pop_back();
    if (!added.empty()) RzMemoServeLog->appendPlainText(fromUtf8(added));

    if (waiting_.isValid())
        RzLabelServeProgress->setText(waitingFor_ +
                                      QStringLiteral(" %1 с").arg(waiting_.elapsed() / 1000));
    collectStartedServe();
    updateButtons(running_);
}

void TFmQZ7Prismotr::updateButtons(bool running) {
    const bool waiting = serveWork_->busy();
    QPushButton* const buttons[] = {RzBitBtnServeStart, RzBitBtnServeRestart, RzBitBtnServeStop};
    QWidget* const focused = focusWidget();
    const bool buttonFocused =
        std::find(std::begin(buttons), std::end(buttons), focused) != std::end(buttons);
    // A serve just started holds the folder a moment later: no second start meanwhile.
    RzBitBtnServeStart->setEnabled(!running && !waiting && !startedServe_);
    RzBitBtnServeRestart->setEnabled(running && !waiting);
    RzBitBtnServeStop->setEnabled(running && !waiting);
    // The keyboard stays on these buttons while they change: a button that was pressed and is
    // now disabled hands the focus to the one that can be pressed next, not to the event log.
    if (buttonFocused && focused->isEnabled()) return;
    if (buttonFocused) buttonFocusPending_ = true;
    if (buttonFocusPending_ &&
        (buttonFocused || focusWidget() == RzMemoServeLog || focusWidget() == nullptr))
        focusServeButton();
}

void TFmQZ7Prismotr::focusServeButton() {
    for (QPushButton* button : {RzBitBtnServeStart, RzBitBtnServeRestart, RzBitBtnServeStop})
        if (button->isEnabled()) {
            button->setFocus();
            buttonFocusPending_ = false;
            return;
        }
}

void TFmQZ7Prismotr::sayProgress(const QString& text) { RzLabelServeProgress->setText(text); }

void TFmQZ7Prismotr::collectStartedServe() {
    if (startedServe_) {
        if (const std::optional<int> status = startedServe_->exitStatus()) {
            endedServe_ = EndedServe{startedServe_->id(), *status};
            startedServe_.reset();
            serveCollector_->stop();
        }
    }
    if (!endedServe_ || !isVisible()) return;
    const EndedServe collected = *endedServe_;
    endedServe_.reset();
    // Ended well: a stop, or the server's own clean end, which the state and the events show.
    if (collected.status == 0) return;
    const QString ended = QStringLiteral("qz7ctl serve (pid %1) завершился с кодом %2")
                              .arg(collected.processId)
                              .arg(collected.status);
    sayProgress(ended);
    // In serve's own words: what it wrote before it ended.
    const std::string output = serveOutput(gameFolder_);
    messageBoxes().error(this, ended + (output.empty() ? QStringLiteral(".")
                                                       : QStringLiteral(":\n") + fromUtf8(output)));
}

void TFmQZ7Prismotr::RzBitBtnServeStartClick() {
    const std::string templateName = setup_.selectedTemplateName();
    if (templateName.empty()) {
        messageBoxes().error(this, QStringLiteral("Выберите шаблон в окне настройки сервера: "
                                                  "сервер под присмотром запускает его."));
        return;
    }
    // serve reads the template from the store, not from the setup window.
    if (setup_.selectedTemplateDiffers() &&
        messageBoxes().question(
            this, QStringLiteral("Окно настройки сервера показывает не то, что сохранено в шаблоне "
                                 "«%1», а serve берёт шаблон из списка шаблонов. Сохранить "
                                 "изменения в шаблон перед запуском?")
                      .arg(fromUtf8(templateName))) &&
        !setup_.saveSelectedTemplate())
        return;
    if (!saveSettings(templateName, !setup_.RzCheckBoxShans->isChecked())) return;
    const std::filesystem::path qz7ctl = servingProgram();
    if (std::optional<std::string> problem = serveStartProblem(qz7ctl, gameFolder_)) {
        messageBoxes().error(this, fromUtf8(*problem));
        return;
    }
    bool portsBusy = false;
    if (!startDespiteBusyPorts(this, &portsBusy)) return;
    std::string error;
    startedServe_ = startServe(qz7ctl, gameFolder_, portsBusy, error);
    if (!startedServe_) {
        messageBoxes().error(this, QStringLiteral("Не удалось запустить %1: %2")
                                       .arg(fromUtf8(qz7ctl.filename().string()))
                                       .arg(fromUtf8(error)));
        return;
    }
    serveCollector_->start();
    const QString started = QStringLiteral("Запущен qz7ctl serve (pid %1), шаблон «%2»; ")
                                .arg(startedServe_->id())
                                .arg(fromUtf8(templateName));
    if (startedServe_->insideProgramJob())
        sayProgress(started + QStringLiteral("система не дала вывести его из задания (job) этой "
                                             "программы, и он завершится вместе с ней"));
    else
        sayProgress(started + QStringLiteral("он работает и без этой программы"));
    refresh();
}

void TFmQZ7Prismotr::RzBitBtnServeStopClick() {
    const std::filesystem::path folder = gameFolder_;
    askServe(
        QStringLiteral("Остановка qz7ctl serve…"),
        [folder](const BackgroundWork::Progress& tell) { return stopServe(folder, tell).message; });
}

void TFmQZ7Prismotr::RzBitBtnServeRestartClick() {
    const std::filesystem::path folder = gameFolder_;
    askServe(QStringLiteral("Перезапуск сервера…"), [folder](const BackgroundWork::Progress& tell) {
        return restartServedServer(folder, tell).message;
    });
}

void TFmQZ7Prismotr::askServe(
    const QString& what,
    std::function<std::string(const std::function<void(const std::string&)>&)> request) {
    waitingFor_ = what;
    waiting_.start();
    RzProgressServe->show();
    serveWork_->run(
        std::move(request), [this](const QString& line) { waitingFor_ = line; },
        [this](bool succeeded, const QString& text) {
            waiting_.invalidate();
            RzProgressServe->hide();
            sayProgress(text);
            if (!succeeded) messageBoxes().error(this, text);
            runWithDefaultErrorHandling([this] { refresh(); });
        });
    refresh();
}

}  // namespace qz7
