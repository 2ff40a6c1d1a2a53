#include "app/message_boxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

#include "app/qz7_application.h"

namespace qz7 {

namespace {

class RealMessageBoxes final : public MessageBoxes {
  public:
    void error(QWidget* owner, const QString& text) override {
        QMessageBox::critical(owner, QStringLiteral("Error"), text, QMessageBox::Ok);
    }
    void plain(QWidget* owner, const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, owner);
        box.exec();
    }
    void information(QWidget* owner, const QString& text) override {
        QMessageBox::information(owner, applicationTitle(), text, QMessageBox::Ok);
    }
    bool confirm(QWidget* owner, const QString& text) override {
        return QMessageBox::question(owner, QStringLiteral("Confirm"), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    bool question(QWidget* owner, const QString& text) override {
        QMessageBox box(QMessageBox::Question, applicationTitle(), text, QMessageBox::NoButton,
                        owner);
        QPushButton* yes = box.addButton(QStringLiteral("Да"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Нет"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }
    void applicationError(const QString& text) override {
        QMessageBox::critical(QApplication::activeWindow(), applicationTitle(),
                              applicationErrorText(text), QMessageBox::Ok);
    }
};

MessageBoxes* replacementBoxes = nullptr;

}  // namespace

MessageBoxes& messageBoxes() {
    static RealMessageBoxes real;
    return replacementBoxes != nullptr ? *replacementBoxes : real;
}

void setMessageBoxesForTesting(MessageBoxes* replacement) { replacementBoxes = replacement; }

QString applicationErrorText(const QString& text) {
    if (!text.isEmpty() && text.back().isLetterOrNumber()) return text + QLatin1Char('.');
    return text;
}

void showEscapedException() {
    try {
        throw;
    } catch (const std::exception& e) {
        messageBoxes().applicationError(QString::fromUtf8(e.what()));
    } catch (...) {
        messageBoxes().applicationError(QStringLiteral("Неизвестная ошибка"));
    }
}

}  // namespace qz7
