#include "app/settings_restore_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_boxes.h"
#include "net/alert_address.h"
#include "net/console_variables.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/local_time.h"
#include "platform/readable_text.h"
#include "server/folder_alerts.h"
#include "server/serve_alerts.h"
#include "server/serve_settings.h"

namespace qz7 {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

bool isAlertsVersion(const KeptVersionSummary& version) {
    return version.fileName == kServeAlertsFile;
}

// The settings as text, a remote-console password of the launcher's command line shown as "***".
QString settingsText(const std::string& bytes) {
    QString text = fromUtf8(readableText(bytes));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (!line.startsWith(QStringLiteral("Command="))) continue;
        const std::optional<std::string> password =
            commandLineVariable(line.mid(8).toStdString(), "rcon_password");
        if (password && !password->empty())
            text.replace(fromUtf8(*password), QStringLiteral("***"));
    }
    return text;
}

}  // namespace

SettingsRestoreDialog::SettingsRestoreDialog(std::filesystem::path gameFolder, QWidget* parent)
    : QDialog(parent),
      versionList(new QListWidget(this)),
      gameFolder_(std::move(gameFolder)),
      versions_(versionList) {
    setObjectName(QStringLiteral("FmSettingsRestore"));
    setWindowTitle(QStringLiteral("Вернуть настройки"));
    versionList->setObjectName(QStringLiteral("versionList"));
    content = new QPlainTextEdit(this);
    content->setObjectName(QStringLiteral("content"));
    content->setReadOnly(true);
    restoreButton = new QPushButton(QStringLiteral("Вернуть эту версию"), this);
    closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    report = new QLabel(this);
    report->setWordWrap(true);
    report->setTextFormat(Qt::PlainText);

    auto* lists = new QHBoxLayout;
    auto* versions = new QVBoxLayout;
    versions->addWidget(new QLabel(QStringLiteral("Сохранённые версии настроек:"), this));
    versions->addWidget(versionList);
    auto* shown = new QVBoxLayout;
    shown->addWidget(new QLabel(QStringLiteral("Что в выбранной версии:"), this));
    shown->addWidget(content);
    lists->addLayout(versions);
    lists->addLayout(shown);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(restoreButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(report);
    layout->addLayout(buttons);
    report->setMinimumHeight(report->fontMetrics().lineSpacing() * 2);
    resize(760, 440);

    connect(versionList, &QListWidget::currentRowChanged, this,
            [this] { runWithDefaultErrorHandling([this] { showVersion(); }); });
    connect(restoreButton, &QPushButton::clicked, this,
            [this] { runWithDefaultErrorHandling([this] { putVersionBack(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    runWithDefaultErrorHandling([this] { readVersions(); });
}

void SettingsRestoreDialog::readVersions() {
    const bool any = versions_.read(
        gameFolder_,
        [](const KeptVersionSummary& version) {
            return version.fileName == kServeSettingsFile || isAlertsVersion(version);
        },
        [](const KeptVersionSummary& version) {
            return isAlertsVersion(version) ? QStringLiteral(" — адреса оповещений")
                                            : QStringLiteral(" — настройки serve");
        });
    if (!any) report->setText(QStringLiteral("Сохранённых версий настроек нет."));
    showVersion();
}

const KeptVersionSummary* SettingsRestoreDialog::chosenVersion() const {
    return versions_.chosen();
}

void SettingsRestoreDialog::showVersion() {
    content->clear();
    const KeptVersionSummary* version = chosenVersion();
    restoreButton->setEnabled(version != nullptr);
    if (!version) return;
    const std::filesystem::path file = versions_.chosenPath(gameFolder_);
    if (!isAlertsVersion(*version)) {
        content->setPlainText(settingsText(readWholeFile(file)));
        return;
    }
    // An address is a secret: shown as everywhere else, its scheme, host and port only.
    QStringList addresses;
    for (const std::string& address : readAlertAddressFile(file))
        addresses << fromUtf8(redactedAddress(address));
    content->setPlainText(addresses.isEmpty() ? QStringLiteral("(адресов нет)")
                                              : addresses.join(QLatin1Char('\n')));
}

void SettingsRestoreDialog::putVersionBack() {
    const KeptVersionSummary* version = chosenVersion();
    if (!version) return;
    const QString when = versionList->currentItem()->text();
    restoreKeptFile(gameFolder_, version->version);
    emit settingsChanged();
    readVersions();
    report->setText(QStringLiteral("Возвращена версия от ") + when +
                    QStringLiteral("; прежний файл сохранён как версия."));
}

}  // namespace qz7
