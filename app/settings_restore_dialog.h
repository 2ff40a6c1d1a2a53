#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "app/kept_version_list.h"
#include "server/kept_version_restore.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace qz7 {

// "Вернуть настройки…": the kept versions of the folder's serve settings and alert addresses by
// local time, and what the chosen one holds (alert addresses only as they are shown everywhere,
// without their secret part). The chosen version is put back whole, the present file kept as a
// version first; settingsChanged is sent then, so that the window shows what it put back.
class SettingsRestoreDialog : public QDialog {
    Q_OBJECT

  public:
    SettingsRestoreDialog(std::filesystem::path gameFolder, QWidget* parent);

    QListWidget* versionList;
    QPlainTextEdit* content;
    QPushButton* restoreButton;
    QPushButton* closeButton;
    QLabel* report;

  signals:
    void settingsChanged();

  private:
    void readVersions();
    void showVersion();
    void putVersionBack();
    const KeptVersionSummary* chosenVersion() const;

    std::filesystem::path gameFolder_;
    KeptVersionList versions_;
};

}  // namespace qz7
