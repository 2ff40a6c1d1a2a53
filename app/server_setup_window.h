#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "net/firewall_rules.h"
#include "net/port_mapping_gateway.h"
#include "platform/service_host.h"
#include "settings/settings_fields.h"
#include "settings/template_store_file.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QPushButton;
class QTimer;

namespace qz7 {

class TFmQZ7_Save;
class TFmQZ7Prismotr;
class TemplateRestoreDialog;

// The server setup window: templates, game settings, maps, command line and commands. Its
// controls are the working state; handlers read them into snapshots, call the subsystem's
// function and write the result back.
class TFmQZ7ServerSetup : public QWidget {
    Q_OBJECT

  public:
    explicit TFmQZ7ServerSetup(ProgramState& program, QWidget* parent = nullptr);
    ~TFmQZ7ServerSetup() override;

    // The template-name dialog, created after this window; the template commands show it.
    void setTemplateNameDialog(TFmQZ7_Save* dialog) { FmQZ7_Save = dialog; }

    // Snapshots of the settings controls.
    GameSettings readSettings() const;
    void writeSettings(const GameSettings& settings);
    std::vector<std::string> readRotation() const;

    // Puts a mode label into the mode box as the program does; the user can only pick one from
    // the list (the box's text refuses typing).
    void setModeLabel(const QString& label);

    const std::filesystem::path& gameFolder() const { return gameFolder_; }
    const std::filesystem::path& templateStorePath() const { return TemplateStorePath; }

    // Region 1: templates
    QLabel* RzLabelPrivat;  // version label at the top right: caption, file version, file date
    QListWidget* RzListBoxListShablon;
    QMenu* PopupMenu1;  // context menu of the template list
    QAction* N1;        // its first item, "копировать": copies the template name
    QAction* N7;  // "Вернуть шаблон…" (Ctrl+Shift+Z): templates of the kept versions
    QLabel* RzLabelRestoreHint;  // for a few seconds after "Удалить": how to get it back
    QPushButton* RzBitBtnListShabUp;
    QPushButton* RzBitBtnListShabDown;
    QPushButton* RzBitBtnNewShablon;
    QPushButton* RzBitBtnSaveShablon;
    QPushButton* RzBitBtnDelShablon;

    // Region 2: game settings, in field order
    QGroupBox* RzGroupBox1;  // frame around the twenty settings controls
    QComboBox* RzComboBoxMode;
    QComboBox* RzComboBoxmaxHealth;
    QCheckBox* RzCheckBoxHard;
    QComboBox* RzComboBoxLimiScore;
    QLineEdit* RzEditTimeGames;
    QCheckBox* RzCheckBoxfriendlyFire;
    QCheckBox* RzCheckBoxPodstvolOff;
    QCheckBox* RzCheckBoxShowKillCam;
    QCheckBox* RzCheckBoxStandOff;
    QLineEdit* RzEditPasswordGames;
    QCheckBox* RzCheckBoxPerk;
    QCheckBox* RzCheckBox3D;
    QCheckBox* RzCheckBoxUserClass;
    QCheckBox* RzCheckBoxHeadShot;
    QCheckBox* RzCheckBoxRadar;
    QCheckBox* RzCheckBoxKillStreaks;
    QComboBox* RzComboBoxLife;
    QComboBox* RzComboBoxNablud;
    QComboBox* RzComboBoxRegen;
    QLineEdit* RzEditMaxPlayer;

    // Region 3: maps
    QGroupBox* RzGroupBoxMaps;
    QLabel* RzLabel5;  // static caption "Описание карты:" before the description
    QLabel* RzLabelInfa;
    QLabel* RzLabel7;  // static caption "Доступные игровые карты" over the catalogue
    QListWidget* RzListBoxMapReposit;
    QPushButton* RzBitBtnAddMap;
    QPushButton* RzBitBtnDelMap;
    QPushButton* RzBitBtnClearMap;
    QLabel* RzLabel1;  // static caption "Карты шаблона" over the rotation
    QListWidget* RzListBoxMap;
    QPushButton* RzBitBtnListMapUp;
    QPushButton* RzBitBtnListMapDown;
    QWidget* RzPanel3;  // grooved frame around the preview picture
    QLabel* Image1;     // the preview picture of the shown map, 401 x 226
    QLabel* RzLblNameMap;

    // Region 4: command line and commands
    QCheckBox* RzCheckBoxShans;
    QLineEdit* RzEditCommand;
    QPushButton* RzBitBtnCreateFiles;
    QPushButton* RzBitBtnRunServer;
    QPushButton* RzBitBtnRunClient;
    QPushButton* RzMenuButton1;  // "Порты": opens PopupMenu2
    QMenu* PopupMenu2;           // the ports menu
    QAction* N2;                 // "Пробросить порты": forwards the ports
    QAction* N3;                 // "Убрать порты": removes them
    QAction* N4;  // "Проверить порты": asks the router about each of them
    QAction* N5 = nullptr;  // "Открыть порты в брандмауэре" (Windows only): allow rules
    QAction* N6 = nullptr;  // "Убрать правила брандмауэра" (Windows only): removes them
    QPushButton* RzBitBtn1;  // "Закрыть": closes the window, handler RzBitBtn5Click
    // The supervised server's state in a few words, refreshed while the window is shown; opens
    // its window "Сервер под присмотром".
    QPushButton* RzBtnPrismotr;

    // Window events
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();

    // Templates
    void LoadShablon();
    void N1Click();
    void RzBitBtnListShabUpClick();
    void RzBitBtnListShabDownClick();
    void RzBitBtnNewShablonClick();
    void RzBitBtnSaveShablonClick();
    void RzBitBtnDelShablonClick();
    // Opens "Вернуть шаблон…" afresh: the kept versions of the store and their templates.
    void N7Click();
    TemplateRestoreDialog* templateRestoreDialog() { return restoreDialog_.get(); }

    // Maps
    void RzListBoxMapRepositClick();
    void RzListBoxMapRepositKeyDown();
    void RzListBoxMapClick();
    void RzBitBtnAddMapClick();
    void RzBitBtnDelMapClick();
    void RzBitBtnClearMapClick();
    void RzBitBtnListMapUpClick();
    void RzBitBtnListMapDownClick();

    // Server files and launching
    void RzBitBtnCreateFilesClick();
    void RzBitBtnRunServerClick();
    void RzBitBtnRunClientClick();

    // Router ports
    void N2Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N6Click();
    void RzBitBtn5Click();

    // The supervised server (qz7ctl serve in this game folder)
    void RzBtnPrismotrClick();
    // Shows the supervised server's window, made when first opened.
    void openSupervisedServer();
    TFmQZ7Prismotr* supervisedServerWindow() { return FmQZ7Prismotr.get(); }
    // The service managers the supervised server's window installs the folder's entry with, from
    // its first show on: the system's unless given (tests give stand-ins).
    void useServiceHosts(const ServiceHosts& hosts) { serviceHosts_ = hosts; }
    // Reads the serve's state and shows it on RzBtnPrismotr, cut to its width.
    void refreshServeButton();
    // The selected template's name; empty when none is selected.
    std::string selectedTemplateName() const;
    // Whether the controls differ from what the selected template holds.
    bool selectedTemplateDiffers() const;
    // Stores the controls into the selected template and writes the store, as "Сохранить" does
    // without its name dialog; false when refused (and said).
    bool saveSelectedTemplate();

    // Whether mappings of the server's ports may be on the router: set by a forwarding that made
    // any, cleared only by a removal that removed every one (or found it absent).
    bool PortsMapped = false;

    // The router service the port commands use (not owned); nullptr restores the window's own,
    // which reaches the router through miniupnpc.
    void setPortMappingGateway(PortMappingGateway* gateway) { portGatewayInUse_ = gateway; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createTemplateControls();
    void createSettingsControls();
    void createMapControls();
    void createCommandControls();
    void connectEvents();
    void applyAppearance();

    // Creation steps filled by the subsystems.
    // Shows why, and returns true, when a qz7ctl serve holds the game folder: forming the files,
    // starting a server and removing the ports are its to do then. The refusal offers the
    // supervised server's window.
    bool refusedWhileServed();

    void loadMapCatalogue();    // catalogue, descriptions, first map shown
    void loadTemplateStore();   // store read, first template applied
    void writeTemplateStore();  // full write of the store from the template list

    // The twenty settings controls in field order.
    std::array<QWidget*, kSettingsFieldCount> settingsControls_{};

    ProgramState& program_;
    TFmQZ7_Save* FmQZ7_Save = nullptr;
    std::filesystem::path gameFolder_;
    std::filesystem::path TemplateStorePath;
    TemplateStoreFile templateStore_;  // the store as this window last read or wrote it

    // Maps state
    std::vector<std::string> MapDescriptionList;  // description lines, Windows-1251 bytes

    // Templates state
    std::string pendingTemplateName_;  // the last name confirmed in the template-name dialog
    void LoadShablonFile(const std::filesystem::path& store);
    void updateTemplateButtons();
    // Before a full rewrite: refuses (throws) when the store could not be read; when another
    // program changed it, reads it again into the list, says so and returns false.
    bool storeMayBeRewritten();
    void reloadTemplateList();
    void showTemplateMenu(QPoint atInViewport);
    // Runs the name dialog (showing the name given, else its last text); on "OK" the confirmed
    // name becomes the pending name.
    bool askTemplateName(const QString* shownName);

    // Router ports state
    PortMappingGateway& portMappingGateway();
    std::unique_ptr<PortMappingGateway> ownPortGateway_;  // made on first use, kept for the run
    PortMappingGateway* portGatewayInUse_ = nullptr;
    // Adds or removes the firewall rules and shows the outcome.
    void changeFirewallRules(FirewallAction action);

    // Supervised server state
    std::unique_ptr<TFmQZ7Prismotr> FmQZ7Prismotr;
    std::unique_ptr<TemplateRestoreDialog> restoreDialog_;
    QTimer* restoreHintTimer_ = nullptr;
    std::optional<ServiceHosts> serviceHosts_;
    QTimer* serveButtonTimer_ = nullptr;
    // Stores the controls into the template of that row, asking for a name when askName.
    bool storeControlsInTemplate(int row, bool askName);
};

}  // namespace qz7
