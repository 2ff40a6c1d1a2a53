// Template store commands of the setup window.
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/list_selection.h"
#include "app/message_boxes.h"
#include "app/server_setup_window.h"
#include "app/template_name_dialog.h"
#include "app/template_problem_message.h"
#include "app/template_restore_dialog.h"
#include "platform/windows1251.h"
#include "settings/template_record.h"
#include "settings/template_rules.h"
#include "settings/template_store.h"

namespace qz7 {

namespace {

// Each template list entry owns its record: the 1737 stored bytes, kept as they were read, in a
// byte array of its own (the only copy the window holds).
constexpr int kRecordRole = Qt::UserRole;

QByteArray recordBytesOf(const QListWidgetItem* item) {
    return item->data(kRecordRole).toByteArray();
}

std::string recordOf(const QListWidgetItem* item) { return recordBytesOf(item).toStdString(); }

void setRecord(QListWidgetItem* item, QByteArray record) {
    item->setText(QString::fromStdString(
        templateRecordName(std::string_view(record.constData(), std::size_t(record.size())))));
    item->setData(kRecordRole, std::move(record));
}

QListWidgetItem* templateItem(std::string_view record) {
    auto* item = new QListWidgetItem;
    setRecord(item, QByteArray(record.data(), qsizetype(record.size())));
    return item;
}

// Reads the store into new list entries, in file order; none are left when the read fails.
std::vector<std::unique_ptr<QListWidgetItem>> readTemplateItems(TemplateStoreFile& store) {
    std::vector<std::unique_ptr<QListWidgetItem>> items;
    store.read([&items](std::string_view record) { items.emplace_back(templateItem(record)); });
    return items;
}

void listItems(QListWidget* list, std::vector<std::unique_ptr<QListWidgetItem>> items) {
    for (std::unique_ptr<QListWidgetItem>& item : items) list->addItem(item.release());
}

// Shows the first problem in an error box; true when there was one and the command must stop.
bool refused(QWidget* owner, const std::vector<TemplateProblem>& problems,
             const TemplateContent& content) {
    if (problems.empty()) return false;
    messageBoxes().error(owner,
                         QString::fromStdString(templateProblemMessage(problems.front(), content)));
    return true;
}

void swapTemplates(QListWidget* list, int first, int second) {
    QListWidgetItem* a = list->item(first);
    QListWidgetItem* b = list->item(second);
    const QByteArray recordA = recordBytesOf(a);
    setRecord(a, recordBytesOf(b));
    setRecord(b, recordA);
}

}  // namespace

void TFmQZ7ServerSetup::loadTemplateStore() {
    RzBitBtnNewShablon->setEnabled(true);
    runWithDefaultErrorHandling([this] {
        LoadShablonFile(TemplateStorePath);
        if (RzListBoxListShablon->count() > 0) {
            selectRowSilently(RzListBoxListShablon, 0);
            LoadShablon();
        }
    });
    updateTemplateButtons();
}

void TFmQZ7ServerSetup::LoadShablonFile(const std::filesystem::path& store) {
    templateStore_ = TemplateStoreFile(store);
    std::vector<std::unique_ptr<QListWidgetItem>> items = readTemplateItems(templateStore_);
    {
        const QSignalBlocker blocker(RzListBoxMap);
        RzListBoxMap->clear();
    }
    listItems(RzListBoxListShablon, std::move(items));
}

void TFmQZ7ServerSetup::updateTemplateButtons() {
    const bool listed = RzListBoxListShablon->count() > 0;
    RzBitBtnDelShablon->setEnabled(listed);
    RzBitBtnSaveShablon->setEnabled(listed);
}

void TFmQZ7ServerSetup::writeTemplateStore() {
    // Straight from the entries, in list order: the records are never gathered into a copy.
    templateStore_.rewrite([this](const TemplateRecordSink& sink) {
        for (int row = 0; row < RzListBoxListShablon->count(); ++row) {
            const QByteArray record = recordBytesOf(RzListBoxListShablon->item(row));
            sink(std::string_view(record.constData(), std::size_t(record.size())));
        }
    });
}

bool TFmQZ7ServerSetup::storeMayBeRewritten() {
    if (!templateStore_.readable()) templateStore_.refuseUnread();
    if (!templateStore_.changedSinceSeen()) return true;
    reloadTemplateList();
    messageBoxes().information(this, QStringLiteral("Файл шаблонов был изменён другой программой; "
                                                    "список шаблонов перечитан."));
    return false;
}

void TFmQZ7ServerSetup::reloadTemplateList() {
    // The template that was selected stays selected when the fresh list holds it unchanged, or
    // else one of its name, so that the user can repeat the command; nothing is applied.
    const int row = selectedRow(RzListBoxListShablon);
    const QByteArray selected = row >= 0 ? recordBytesOf(RzListBoxListShablon->item(row)) : "";
    const QString selectedName = row >= 0 ? RzListBoxListShablon->item(row)->text() : QString();

    std::vector<std::unique_ptr<QListWidgetItem>> items = readTemplateItems(templateStore_);
    {
        const QSignalBlocker blocker(RzListBoxListShablon);
        RzListBoxListShablon->clear();
        listItems(RzListBoxListShablon, std::move(items));
    }
    int reselect = -1;
    for (int i = 0; row >= 0 && i < RzListBoxListShablon->count(); ++i) {
        if (recordBytesOf(RzListBoxListShablon->item(i)) == selected) {
            reselect = i;
            break;
        }
        if (reselect < 0 && RzListBoxListShablon->item(i)->text() == selectedName) reselect = i;
    }
    selectRowSilently(RzListBoxListShablon, reselect);
    updateTemplateButtons();
}

void TFmQZ7ServerSetup::showTemplateMenu(QPoint atInViewport) {
    PopupMenu1->popup(RzListBoxListShablon->viewport()->mapToGlobal(atInViewport));
}

bool TFmQZ7ServerSetup::askTemplateName(const QString* shownName) {
    if (FmQZ7_Save == nullptr) return false;
    if (shownName != nullptr) FmQZ7_Save->setNameText(*shownName);
    if (!FmQZ7_Save->run()) return false;
    pendingTemplateName_ = FmQZ7_Save->nameText().toStdString();
    return true;
}

void TFmQZ7ServerSetup::LoadShablon() {
    const QListWidgetItem* item = RzListBoxListShablon->currentItem();
    if (item == nullptr) return;
    GameSettings settings = readSettings();
    std::string commandLine;
    std::vector<std::string> rotation;
    LoadListUst(decodeTemplateRecord(recordOf(item)), settings, commandLine, rotation);

    writeSettings(settings);
    RzEditCommand->setText(QString::fromStdString(commandLine));
    RzEditCommand->setCursorPosition(0);  // the start of the line in view, not its end
    {
        const QSignalBlocker blocker(RzListBoxMap);
        RzListBoxMap->clear();
        for (const std::string& entry : rotation)
            RzListBoxMap->addItem(QString::fromStdString(entry));
    }
    // Forming files needs a rotation, as the rotation editor keeps it.
    RzBitBtnCreateFiles->setEnabled(RzListBoxMap->count() > 0);
}

void TFmQZ7ServerSetup::N1Click() {
    const int row = selectedRow(RzListBoxListShablon);
    const QListWidgetItem* item = row >= 0 ? RzListBoxListShablon->item(row) : nullptr;
    QGuiApplication::clipboard()->setText(item != nullptr ? item->text() : QString());
}

void TFmQZ7ServerSetup::RzBitBtnListShabUpClick() {
    const int row = selectedRow(RzListBoxListShablon);
    if (row <= 0 || !storeMayBeRewritten()) return;
    swapTemplates(RzListBoxListShablon, row, row - 1);
    selectRowSilently(RzListBoxListShablon, row - 1);
    writeTemplateStore();
}

void TFmQZ7ServerSetup::RzBitBtnListShabDownClick() {
    const int row = selectedRow(RzListBoxListShablon);
    if (row < 0 || row + 1 >= RzListBoxListShablon->count() || !storeMayBeRewritten()) return;
    swapTemplates(RzListBoxListShablon, row, row + 1);
    selectRowSilently(RzListBoxListShablon, row + 1);
    writeTemplateStore();
}

void TFmQZ7ServerSetup::RzBitBtnNewShablonClick() {
    const GameSettings settings = readSettings();
    const std::vector<std::string> rotation = readRotation();
    const std::string commandLine = RzEditCommand->text().toStdString();
    const TemplateContent content = contentOfState({}, settings, rotation, commandLine);
    if (refused(this, findContentProblems(content), content)) return;
    if (!templateStore_.readable()) templateStore_.refuseUnread();
    if (!askTemplateName(nullptr)) return;
    if (refused(this, findNameProblems(pendingTemplateName_), content)) return;

    const std::string record =
        encodeTemplateRecord(KodirShablona(pendingTemplateName_, settings, rotation, commandLine));
    templateStore_.append(record);
    // The new template is listed but not selected.
    const QSignalBlocker blocker(RzListBoxListShablon);
    RzListBoxListShablon->addItem(templateItem(record));
    updateTemplateButtons();
}

void TFmQZ7ServerSetup::RzBitBtnSaveShablonClick() {
    const int row = selectedRow(RzListBoxListShablon);
    if (row >= 0) storeControlsInTemplate(row, true);
}

bool TFmQZ7ServerSetup::storeControlsInTemplate(int row, bool askName) {
    const GameSettings settings = readSettings();
    const std::vector<std::string> rotation = readRotation();
    const std::string commandLine = RzEditCommand->text().toStdString();
    const TemplateContent content = contentOfState({}, settings, rotation, commandLine);
    if (refused(this, findContentProblems(content), content)) return false;
    if (!templateStore_.readable()) templateStore_.refuseUnread();

    QListWidgetItem* item = RzListBoxListShablon->item(row);
    TemplateRecord record = KodirShablona({}, settings, rotation, commandLine);
    record.Name = decodeTemplateRecord(recordOf(item)).Name;

    const QString shownName = item->text();
    // Left with "Закрыть", the entry keeps its name and takes the current state all the same.
    const bool renamed = askName && askTemplateName(&shownName);
    if (renamed && refused(this, findNameProblems(pendingTemplateName_), content)) return false;
    // The store is compared after the dialog, the moment before it is written.
    if (!storeMayBeRewritten()) return false;
    if (renamed) record.Name = templateNameField(pendingTemplateName_);
    const std::string bytes = encodeTemplateRecord(record);
    setRecord(item, QByteArray(bytes.data(), qsizetype(bytes.size())));

    writeTemplateStore();
    if (!renamed) return true;
    RzListBoxListShablon->setFocus();
    selectRowSilently(RzListBoxListShablon, row);
    return true;
}

std::string TFmQZ7ServerSetup::selectedTemplateName() const {
    const int row = selectedRow(RzListBoxListShablon);
    return row >= 0 ? templateRecordName(recordOf(RzListBoxListShablon->item(row))) : std::string();
}

bool TFmQZ7ServerSetup::selectedTemplateDiffers() const {
    const int row = selectedRow(RzListBoxListShablon);
    if (row < 0) return false;
    const TemplateRecord stored = decodeTemplateRecord(recordOf(RzListBoxListShablon->item(row)));
    TemplateRecord shown =
        KodirShablona({}, readSettings(), readRotation(), RzEditCommand->text().toStdString());
    shown.Name = stored.Name;
    return shown != stored;
}

bool TFmQZ7ServerSetup::saveSelectedTemplate() {
    const int row = selectedRow(RzListBoxListShablon);
    return row >= 0 && storeControlsInTemplate(row, false);
}

void TFmQZ7ServerSetup::RzBitBtnDelShablonClick() {
    const int row = selectedRow(RzListBoxListShablon);
    if (RzListBoxListShablon->count() > 0 && row < 0) return;
    if (row >= 0 && !storeMayBeRewritten()) return;
    if (row >= 0) {
        // Deleting applies no template: the settings, rotation and command line stay.
        {
            const QSignalBlocker blocker(RzListBoxListShablon);
            delete RzListBoxListShablon->takeItem(row);
        }
        if (RzListBoxListShablon->count() > 0) {
            selectRowSilently(RzListBoxListShablon, row == 0 ? 0 : row - 1);
            RzListBoxListShablon->setFocus();
        }
    }
    updateTemplateButtons();
    if (row < 0) return;
    writeTemplateStore();
    // Said beside the list for a moment, without a box and without taking the focus.
    RzLabelRestoreHint->setText(
        QStringLiteral("Шаблон удалён. Вернуть: «Вернуть шаблон…» в меню списка (Ctrl+Shift+Z)"));
    RzLabelRestoreHint->show();
    restoreHintTimer_->start();
}

void TFmQZ7ServerSetup::N7Click() {
    restoreDialog_ = std::make_unique<TemplateRestoreDialog>(gameFolder_, this);
    connect(restoreDialog_.get(), &TemplateRestoreDialog::storeChanged, this,
            [this] { runWithDefaultErrorHandling([this] { reloadTemplateList(); }); });
    restoreDialog_->open();
}

}  // namespace qz7
