#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "app/kept_version_list.h"
#include "server/kept_version_restore.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace qz7 {

// "Вернуть шаблон…": the kept versions of the template store by local time, and the templates of
// the chosen one. The chosen templates are added to the end of the store as "Новый" adds one, or
// the whole store is put back (the present one kept as a version first); storeChanged is sent
// after each, so that the setup window's list takes them at once.
class TemplateRestoreDialog : public QDialog {
    Q_OBJECT

  public:
    TemplateRestoreDialog(std::filesystem::path gameFolder, QWidget* parent);

    QListWidget* versionList;
    QListWidget* templateList;
    QPushButton* addButton;
    QPushButton* wholeStoreButton;
    QPushButton* closeButton;
    QLabel* report;

  signals:
    void storeChanged();

  private:
    void readVersions();
    void showVersion();
    void addChosenTemplates();
    void putWholeStoreBack();
    const KeptVersionSummary* chosenVersion() const;

    std::filesystem::path gameFolder_;
    KeptVersionList versions_;
};

}  // namespace qz7
