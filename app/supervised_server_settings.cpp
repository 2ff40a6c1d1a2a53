// The settings part of "Сервер под присмотром": the folder's serve settings (qz7-serve.ini), its
// alert addresses (qz7-serve.alerts) with a test message, and the entry that starts the serve
// with the system.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/background_work.h"
#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "app/settings_restore_dialog.h"
#include "app/supervised_server_window.h"
#include "net/alert_address.h"
#include "platform/readable_text.h"
#include "server/folder_alerts.h"
#include "server/folder_service.h"
#include "server/serve_alerts.h"
#include "server/serve_lock.h"
#include "server/serve_settings.h"
#include "server/serve_start.h"
#include "server/service_install.h"

namespace qz7 {

namespace {

// Each entry of the address list shows its address hidden and keeps it whole.
constexpr int kAddressRole = Qt::UserRole;

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

void addAddress(QListWidget* list, const std::string& address) {
    auto* item = new QListWidgetItem(fromUtf8(redactedAddress(address)), list);
    item->setData(kAddressRole, fromUtf8(address));
}

// The settings file's own settings, or the defaults where it is bad (the reason in problem).
ServeOptions savedSettings(const std::filesystem::path& gameFolder, std::string* problem) {
    try {
        return readServeSettings(gameFolder);
    } catch (const std::exception& error) {
        if (problem != nullptr) *problem = error.what();
        return ServeOptions{};
    }
}

QString templateText(const std::string& name) {
    return name.empty() ? QStringLiteral("не задан: «Запустить» возьмёт выбранный в окне настройки")
                        : QStringLiteral("«%1»").arg(fromUtf8(name));
}

}  // namespace

void TFmQZ7Prismotr::loadSettings() {
    std::string problem;
    const ServeOptions settings = savedSettings(gameFolder_, &problem);
    RzLabelServeTemplate->setText(templateText(settings.templateName));
    RzEditRestartAt->setText(fromUtf8(serveSettingValue(settings, "RestartAt")));
    RzEditRestartEvery->setText(fromUtf8(serveSettingValue(settings, "RestartEvery")));
    RzComboBoxCleanExit->setCurrentIndex(
        RzComboBoxCleanExit->findData(fromUtf8(serveSettingValue(settings, "OnCleanExit"))));
    RzCheckBoxServePorts->setChecked(settings.forwardPorts);

    // The addresses of earlier entries' files are taken over once, and said.
    const std::string adopted = adoptTemplateAlertFiles(gameFolder_);
    RzListBoxAlerts->clear();
    for (const std::string& address : readFolderAlerts(gameFolder_))
        addAddress(RzListBoxAlerts, address);
    settingsEdited_ = false;
    RzBitBtnServeSave->setEnabled(false);
    RzLabelSettingsState->setText(fromUtf8(problem.empty() ? adopted : problem));
}

void TFmQZ7Prismotr::markEdited() {
    settingsEdited_ = true;
    RzBitBtnServeSave->setEnabled(true);
    RzLabelSettingsState->setText(QStringLiteral("Изменения не сохранены"));
}

std::vector<std::string> TFmQZ7Prismotr::alertAddresses() const {
    std::vector<std::string> addresses;
    for (int row = 0; row < RzListBoxAlerts->count(); ++row)
        addresses.push_back(
            RzListBoxAlerts->item(row)->data(kAddressRole).toString().toStdString());
    return addresses;
}

std::optional<ServeOptions> TFmQZ7Prismotr::shownSettings() {
    ServeOptions settings = savedSettings(gameFolder_, nullptr);
    const std::pair<const char*, std::pair<QWidget*, QString>> shown[] = {
        {"RestartAt", {RzEditRestartAt, RzEditRestartAt->text()}},
        {"RestartEvery", {RzEditRestartEvery, RzEditRestartEvery->text()}},
        {"OnCleanExit", {RzComboBoxCleanExit, RzComboBoxCleanExit->currentData().toString()}},
        {"Ports", {RzCheckBoxServePorts, RzCheckBoxServePorts->isChecked() ? "1" : "0"}},
    };
    for (const auto& [key, control] : shown) {
        const std::optional<std::string> refused =
            setServeSetting(settings, key, control.second.toStdString());
        if (!refused) continue;
        const QString text = QStringLiteral("%1: %2").arg(QLatin1String(key), fromUtf8(*refused));
        RzLabelSettingsState->setText(text);
        messageBoxes().error(this, QStringLiteral("Настройка не сохранена. ") + text);
        control.first->setFocus();
        return std::nullopt;
    }
    return settings;
}

bool TFmQZ7Prismotr::settingsFileMayBeReplaced() {
    std::string problem;
    savedSettings(gameFolder_, &problem);
    return problem.empty() ||
           messageBoxes().question(
               this, fromUtf8(problem) + QStringLiteral("\nЗаписать файл настроек заново, с "
                                                        "тем, что показывает окно?"));
}

bool TFmQZ7Prismotr::saveSettings(const std::string& templateName,
                                  std::optional<bool> fixedWeights) {
    if (!settingsFileMayBeReplaced()) return false;
    std::optional<ServeOptions> settings = shownSettings();
    if (!settings) return false;
    if (!templateName.empty()) settings->templateName = templateName;
    if (fixedWeights) settings->fixedWeights = *fixedWeights;
    writeServeSettings(gameFolder_, *settings);
    writeFolderAlerts(gameFolder_, alertAddresses());
    settingsEdited_ = false;
    RzBitBtnServeSave->setEnabled(false);
    RzLabelServeTemplate->setText(templateText(settings->templateName));
    RzLabelSettingsState->setText(
        QStringLiteral("Сохранено в %1 и %2")
            .arg(QLatin1String(kServeSettingsFile), QLatin1String(kServeAlertsFile)));
    return true;
}

void TFmQZ7Prismotr::RzBitBtnServeSaveClick() { saveSettings({}, std::nullopt); }

void TFmQZ7Prismotr::RzBitBtnServeRestoreClick() {
    restoreDialog_ = std::make_unique<SettingsRestoreDialog>(gameFolder_, this);
    // What was put back is shown at once; changes not saved give way to it, as the host chose.
    connect(restoreDialog_.get(), &SettingsRestoreDialog::settingsChanged, this,
            [this] { runWithDefaultErrorHandling([this] { loadSettings(); }); });
    restoreDialog_->open();
}

void TFmQZ7Prismotr::RzBitBtnAlertAddClick() {
    const std::string address = RzEditAlert->text().trimmed().toStdString();
    if (address.empty()) return;
    if (std::optional<std::string> problem = alertAddressProblem(address)) {
        messageBoxes().error(this, fromUtf8(*problem));
        return;
    }
    const std::vector<std::string> present = alertAddresses();
    const auto found = std::find(present.begin(), present.end(), address);
    if (found == present.end()) {
        addAddress(RzListBoxAlerts, address);
        markEdited();
    }
    // The address just added is the one "Проверить" and "Удалить" act on next.
    RzListBoxAlerts->setCurrentRow(int(found - present.begin()));
    RzEditAlert->clear();
}

void TFmQZ7Prismotr::RzBitBtnAlertDelClick() {
    const int row = RzListBoxAlerts->currentRow();
    if (row < 0) return;
    delete RzListBoxAlerts->takeItem(row);
    markEdited();
}

void TFmQZ7Prismotr::RzBitBtnAlertCheckClick() {
    std::string address = RzEditAlert->text().trimmed().toStdString();
    if (address.empty() && RzListBoxAlerts->currentItem() != nullptr)
        address = RzListBoxAlerts->currentItem()->data(kAddressRole).toString().toStdString();
    if (address.empty()) {
        messageBoxes().error(this, QStringLiteral("Выберите адрес в списке или введите новый."));
        return;
    }
    const std::optional<std::string> format = savedSettings(gameFolder_, nullptr).alerts.format;
    const std::string folder = textFromPath(gameFolder_);
    RzLabelAlertCheck->setText(
        QStringLiteral("Проверка %1…").arg(fromUtf8(redactedAddress(address))));
    RzBitBtnAlertCheck->setEnabled(false);
    alertWork_->run(
        [address, format, folder](const BackgroundWork::Progress&) {
            return sendTestAlert(address, format, folder);
        },
        [](const QString&) {},
        [this](bool, const QString& text) {
            RzLabelAlertCheck->setText(text);
            RzBitBtnAlertCheck->setEnabled(true);
        });
}

void TFmQZ7Prismotr::updateServiceSwitch() {
    RzCheckBoxService->setText(fromUtf8(serviceSwitchCaption(serviceHosts_)));
    // An install or removal under way looks again when it has ended.
    if (serviceWork_->busy()) return;
    RzCheckBoxService->setEnabled(false);
    const ServiceHosts hosts = serviceHosts_;
    const std::filesystem::path folder = gameFolder_;
    serviceWork_->run(
        [hosts, folder](const BackgroundWork::Progress&) {
            return std::string(folderServiceInstalled(hosts, folder) ? "1" : "0");
        },
        [](const QString&) {},
        [this](bool succeeded, const QString& installed) {
            const QSignalBlocker blocker(RzCheckBoxService);
            RzCheckBoxService->setChecked(succeeded && installed == QLatin1String("1"));
            RzCheckBoxService->setEnabled(true);
        });
}

void TFmQZ7Prismotr::RzCheckBoxServiceClick() {
    const bool install = RzCheckBoxService->isChecked();
    const ServiceHosts hosts = serviceHosts_;
    const std::filesystem::path folder = gameFolder_;
    BackgroundWork::Work work;
    if (install) {
        // The entry serves on the settings the window shows, with the selected template when
        // they name none; the core checks them as the entry's serve will, then writes them.
        std::optional<ServeOptions> settings;
        if (settingsFileMayBeReplaced()) settings = shownSettings();
        if (settings && settings->templateName.empty())
            settings->templateName = setup_.selectedTemplateName();
        if (settings && settings->templateName.empty())
            messageBoxes().error(this, QStringLiteral("Выберите шаблон в окне настройки сервера: "
                                                      "служба запускает serve с ним."));
        if (!settings || settings->templateName.empty()) {
            RzCheckBoxService->setChecked(false);
            return;
        }
        FolderServiceInput input;
        input.program = std::filesystem::absolute(servingProgram());
        input.gameFolder = folder;
        input.given = *settings;
        input.wholeSettings = true;
        input.alertAddresses = alertAddresses();
        const std::optional<ServeHolder> holder = findServeHolder(folder);
        if (holder && serviceStartsAtInstall(hosts) &&
            messageBoxes().question(
                this, QStringLiteral("Сейчас работает %1. Передать сервер службе сейчас? «Да»: "
                                     "он остановится, и служба запустит serve заново. «Нет»: он "
                                     "работает дальше, а служба запустит serve при следующей "
                                     "загрузке.")
                          .arg(fromUtf8(serveHolderText(*holder)))))
            input.running = RunningServe::HandOver;
        work = [hosts, input](const BackgroundWork::Progress&) {
            return installFolderService(hosts, input);
        };
    } else {
        work = [hosts, folder](const BackgroundWork::Progress&) {
            return removeFolderService(hosts, folder);
        };
    }
    RzCheckBoxService->setEnabled(false);
    RzLabelServiceReport->setText(install ? QStringLiteral("Служба записывается…")
                                          : QStringLiteral("Служба удаляется…"));
    serviceWork_->run(
        std::move(work), [](const QString&) {},
        [this, install](bool succeeded, const QString& text) {
            RzLabelServiceReport->setText(
                text.trimmed().replace(QLatin1Char('\n'), QStringLiteral("; ")));
            RzLabelServiceReport->setToolTip(text.trimmed());
            if (!succeeded) messageBoxes().error(this, text);
            // An install wrote the settings the window showed: they are the saved ones now.
            if (succeeded && install) loadSettings();
            updateServiceSwitch();
        });
}

}  // namespace qz7
