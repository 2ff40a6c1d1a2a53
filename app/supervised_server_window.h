#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/service_host.h"
#include "server/serve_log_reader.h"
#include "server/serve_session.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qz7 {

class BackgroundWork;
class DetachedProgram;
class SettingsRestoreDialog;
class TFmQZ7ServerSetup;

// "Сервер под присмотром": the serve of the game folder (`qz7ctl serve`, a program of its own that
// runs on when this program ends) in a window of its own. It shows whether a serve holds the
// folder and what its state file and event log say, refreshed every second; starts a serve of the
// template selected in the setup window on the folder's settings, restarts its server and stops
// it; and edits those settings: the restart schedule, what a clean end of the server does, the
// ports, the alert addresses (with a test message) and the entry that starts the serve with the
// system. It never supervises in this program: it watches the lock and the state file, as
// `qz7ctl status` does, so it finds a serve again however it was started.
class TFmQZ7Prismotr : public QWidget {
    Q_OBJECT

  public:
    explicit TFmQZ7Prismotr(TFmQZ7ServerSetup& setup);
    ~TFmQZ7Prismotr() override;

    // Status
    QGroupBox* RzGroupBoxServeState;
    QLabel* RzLabelServeState;  // the serve's state, one line each (as qz7ctl status)
    QPushButton* RzBitBtnServeStart;
    QPushButton* RzBitBtnServeRestart;
    QPushButton* RzBitBtnServeStop;
    QProgressBar* RzProgressServe;  // runs while a stop or a restart waits
    QLabel* RzLabelServeProgress;   // what the last start, stop or restart did

    // Events
    QGroupBox* RzGroupBoxServeLog;
    QPlainTextEdit* RzMemoServeLog;  // the latest lines of the event log

    // Settings (qz7-serve.ini, qz7-serve.alerts)
    QGroupBox* RzGroupBoxServeSettings;
    QLabel* RzLabelServeTemplate;
    QLineEdit* RzEditRestartAt;
    QLineEdit* RzEditRestartEvery;
    QComboBox* RzComboBoxCleanExit;
    QCheckBox* RzCheckBoxServePorts;
    QListWidget* RzListBoxAlerts;  // the addresses, shown hidden; each entry keeps its own
    QLineEdit* RzEditAlert;        // a new address
    QPushButton* RzBitBtnAlertAdd;
    QPushButton* RzBitBtnAlertDel;
    QPushButton* RzBitBtnAlertCheck;
    QLabel* RzLabelAlertCheck;
    QPushButton* RzBitBtnServeSave;
    QPushButton* RzBitBtnServeRestore;  // "Вернуть настройки…": their kept versions
    QLabel* RzLabelSettingsState;       // a bad settings file, what was saved
    QCheckBox* RzCheckBoxService;       // the entry that starts serve with the system
    QLabel* RzLabelServiceReport;       // what installing or removing it did
    QPushButton* RzBitBtnServeClose;

    // Events of the controls
    void RzBitBtnServeStartClick();
    void RzBitBtnServeRestartClick();
    void RzBitBtnServeStopClick();
    void RzBitBtnAlertAddClick();
    void RzBitBtnAlertDelClick();
    void RzBitBtnAlertCheckClick();
    void RzBitBtnServeSaveClick();
    void RzBitBtnServeRestoreClick();
    void RzCheckBoxServiceClick();

    // Reads the lock, the state file and the log's new lines, and shows them; the timer calls it
    // every second while the window is shown.
    void refresh();

    // The service manager the switch uses (not owned): a test puts its own.
    void setServiceHosts(const ServiceHosts& hosts) { serviceHosts_ = hosts; }

    // The window "Вернуть настройки…" opened last, while it lives (tests).
    SettingsRestoreDialog* settingsRestoreDialog() const { return restoreDialog_.get(); }

    // Whether the settings part holds changes not yet saved.
    bool settingsEdited() const { return settingsEdited_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Settings changed and not saved: asks whether to save them first.
    void closeEvent(QCloseEvent* event) override;

  private:
    void createStateControls();
    void createSettingsControls();
    void applyAppearance();
    void connectEvents();

    // Settings part
    void loadSettings();
    // The settings as the window shows them, over those of the file; nothing (the reason shown)
    // when a value is refused.
    std::optional<ServeOptions> shownSettings();
    // Whether the settings file may be written with what the window shows: it is sound, or the
    // host, told what is wrong with it, agrees to replace it.
    bool settingsFileMayBeReplaced();
    // Saves the settings and the alert addresses; false (the reason shown) when refused.
    bool saveSettings(const std::string& templateName, std::optional<bool> fixedWeights);
    void markEdited();
    void updateServiceSwitch();
    std::vector<std::string> alertAddresses() const;

    // Status part
    void updateButtons(bool running);
    // Puts the keyboard on the first of start, restart and stop that can be pressed.
    void focusServeButton();
    void showStarted();
    void sayProgress(const QString& text);
    // Asks the serve off the window's thread (stop, restart) and shows what the request waits
    // for, with the seconds, until it has its answer.
    void askServe(
        const QString& what,
        std::function<std::string(const std::function<void(const std::string&)>&)> request);
    // Collects the serve this window started once it has ended, whether the window is shown or
    // not (no zombie while it is hidden); what an early end says is shown while it is shown.
    void collectStartedServe();

    TFmQZ7ServerSetup& setup_;
    std::filesystem::path gameFolder_;
    ServiceHosts serviceHosts_;
    QTimer* refreshTimer_;
    QTimer* serveCollector_;     // runs while the serve this window started has not been collected
    BackgroundWork* serveWork_;  // stop, restart
    BackgroundWork* alertWork_;  // the test message
    BackgroundWork* serviceWork_;  // install, remove, looking whether installed
    ServeLogReader logReader_;
    bool logShown_ = false;
    bool settingsEdited_ = false;
    bool running_ = false;
    // A start, restart or stop button had the keyboard focus and lost it to a disabled state.
    bool buttonFocusPending_ = false;
    std::unique_ptr<DetachedProgram> startedServe_;  // the serve this window started
    std::unique_ptr<SettingsRestoreDialog> restoreDialog_;
    struct EndedServe {
        int processId = 0;
        int status = 0;
    };
    std::optional<EndedServe> endedServe_;  // collected while hidden, not said yet
    QElapsedTimer waiting_;                 // since the stop or restart was asked
    QString waitingFor_;                    // what it waits for, with the time added
};

}  // namespace qz7
