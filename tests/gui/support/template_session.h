#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <deque>
#include <memory>
#include <optional>

#include "app/program_state.h"
#include "app/server_setup_window.h"
#include "app/template_name_dialog.h"
#include "settings/template_record.h"
#include "support/recording_message_boxes.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

namespace qz7::testing {

// The names a list shows, in order.
inline QStringList listed(const QListWidget* list) {
    QStringList names;
    for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
    return names;
}

// The record of a template with default settings and the given name, maps, password and command.
inline std::string templateBytes(std::string_view name, std::vector<std::string> rotation = {},
                                 std::string_view password = "",
                                 std::string_view command = "+cmd") {
    GameSettings settings;
    settings.Password = std::string(password);
    return encodeTemplateRecord(KodirShablona(name, settings, rotation, command));
}

// Answers the template-name dialog instead of running it modally: each answer is a name typed
// and confirmed with "OK", or nothing for "Закрыть". Records the name box's text as each run
// found it. Puts itself in place for its lifetime.
class TemplateNameAnswers {
  public:
    TemplateNameAnswers() {
        TFmQZ7_Save::setModalRunForTesting([this](TFmQZ7_Save& dialog) {
            shownNames.push_back(dialog.nameText());
            if (answers.empty()) return dialog.RzBitBtnClose->click();
            const std::optional<QString> answer = answers.front();
            answers.pop_front();
            if (!answer) return dialog.RzBitBtnClose->click();
            dialog.setNameText(*answer);
            dialog.RzBitBtnOk->click();
        });
    }
    ~TemplateNameAnswers() { TFmQZ7_Save::setModalRunForTesting({}); }

    std::deque<std::optional<QString>> answers;
    QStringList shownNames;
};

// A game folder with the setup window and the name dialog as the program creates them, message
// boxes recorded and the dialog answered from a queue.
class TemplateSession {
  public:
    std::filesystem::path storePath() const { return folder.path() / "ServerSetup_QZ7.cfg"; }

    void putStore(const std::string& bytes) const { writeBytes(storePath(), bytes); }
    std::string storeBytes() const { return readBytes(storePath()).value_or(""); }

    TFmQZ7ServerSetup& open() {
        setup = std::make_unique<TFmQZ7ServerSetup>(program);
        dialog = std::make_unique<TFmQZ7_Save>(setup.get());
        setup->setTemplateNameDialog(dialog.get());
        return *setup;
    }

    TemporaryGameFolder folder;
    RecordingMessageBoxes boxes;
    TemplateNameAnswers names;
    ProgramState program;
    std::unique_ptr<TFmQZ7ServerSetup> setup;
    std::unique_ptr<TFmQZ7_Save> dialog;  // destroyed before its parent window
};

}  // namespace qz7::testing
