#include "app/template_restore_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_boxes.h"
#include "platform/local_time.h"
#include "settings/template_record.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TemplateRestoreDialog::TemplateRestoreDialog(std::filesystem::path gameFolder, QWidget* parent)
    : QDialog(parent),
      versionList(new QListWidget(this)),
      gameFolder_(std::move(gameFolder)),
      versions_(versionList) {
    setObjectName(QStringLiteral("FmTemplateRestore"));
    setWindowTitle(QStringLiteral("Вернуть шаблон"));
    versionList->setObjectName(QStringLiteral("versionList"));
    templateList = new QListWidget(this);
    templateList->setObjectName(QStringLiteral("templateList"));
    templateList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    addButton = new QPushButton(QStringLiteral("Добавить в конец списка"), this);
    wholeStoreButton = new QPushButton(QStringLiteral("Вернуть весь список"), this);
    closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    report = new QLabel(this);
    report->setWordWrap(true);

    auto* lists = new QHBoxLayout;
    auto* versions = new QVBoxLayout;
    versions->addWidget(new QLabel(QStringLiteral("Сохранённые версии списка шаблонов:"), this));
    versions->addWidget(versionList);
    auto* templates = new QVBoxLayout;
    templates->addWidget(new QLabel(QStringLiteral("Шаблоны выбранной версии:"), this));
    templates->addWidget(templateList);
    lists->addLayout(versions);
    lists->addLayout(templates);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(wholeStoreButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addWidget(report);
    layout->addLayout(buttons);
    resize(640, 360);

    connect(versionList, &QListWidget::currentRowChanged, this,
            [this] { runWithDefaultErrorHandling([this] { showVersion(); }); });
    connect(addButton, &QPushButton::clicked, this,
            [this] { runWithDefaultErrorHandling([this] { addChosenTemplates(); }); });
    connect(wholeStoreButton, &QPushButton::clicked, this,
            [this] { runWithDefaultErrorHandling([this] { putWholeStoreBack(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    runWithDefaultErrorHandling([this] { readVersions(); });
}

void TemplateRestoreDialog::readVersions() {
    const std::string store = utf8FromPath(templateStoreFile(gameFolder_).filename());
    const bool any = versions_.read(
        gameFolder_,
        [&store](const KeptVersionSummary& version) { return version.fileName == store; },
        [](const KeptVersionSummary& version) {
            return QStringLiteral(" — шаблонов: %1").arg(version.templates.value_or(0));
        });
    if (!any) report->setText(QStringLiteral("Сохранённых версий списка шаблонов нет."));
    showVersion();
}

const KeptVersionSummary* TemplateRestoreDialog::chosenVersion() const {
    return versions_.chosen();
}

void TemplateRestoreDialog::showVersion() {
    templateList->clear();
    const KeptVersionSummary* version = chosenVersion();
    addButton->setEnabled(version != nullptr);
    wholeStoreButton->setEnabled(version != nullptr);
    if (!version) return;
    forEachTemplateRecord(versions_.chosenPath(gameFolder_), [this](std::string_view record) {
        templateList->addItem(fromUtf8(templateRecordName(record)));
    });
    if (templateList->count() > 0) templateList->setCurrentRow(0);
}

void TemplateRestoreDialog::addChosenTemplates() {
    const KeptVersionSummary* version = chosenVersion();
    if (!version) return;
    QStringList added;
    for (int row = 0; row < templateList->count(); ++row) {
        if (!templateList->item(row)->isSelected()) continue;
        const RestoredTemplate restored =
            restoreKeptTemplate(gameFolder_, version->version, "#" + std::to_string(row + 1));
        added << QStringLiteral("«%1» (#%2)").arg(fromUtf8(restored.name)).arg(restored.position);
    }
    if (added.isEmpty()) {
        report->setText(QStringLiteral("Выберите шаблоны справа."));
        return;
    }
    report->setText(QStringLiteral("Добавлены в конец списка: ") +
                    added.join(QStringLiteral(", ")));
    emit storeChanged();
}

void TemplateRestoreDialog::putWholeStoreBack() {
    const KeptVersionSummary* version = chosenVersion();
    if (!version) return;
    const QString when = versionList->currentItem()->text();
    restoreKeptFile(gameFolder_, version->version);
    emit storeChanged();
    readVersions();
    report->setText(QStringLiteral("Список шаблонов возвращён к версии от ") + when +
                    QStringLiteral("; прежний сохранён как версия."));
}

}  // namespace qz7
