#pragma once

#include <QString>
#include <QStringList>
#include <deque>

#include "app/message_boxes.h"

namespace qz7::testing {

// Records every message box instead of showing it; confirmations and questions answer from a
// queue (Yes when the queue is empty). Puts itself in place for its lifetime.
class RecordingMessageBoxes : public MessageBoxes {
  public:
    RecordingMessageBoxes() { setMessageBoxesForTesting(this); }
    ~RecordingMessageBoxes() override { setMessageBoxesForTesting(nullptr); }

    void error(QWidget*, const QString& text) override {
        shown << QStringLiteral("error: ") + text;
    }
    void plain(QWidget*, const QString& text) override {
        shown << QStringLiteral("plain: ") + text;
    }
    void information(QWidget*, const QString& text) override {
        shown << QStringLiteral("information: ") + text;
    }
    bool confirm(QWidget*, const QString& text) override {
        shown << QStringLiteral("confirm: ") + text;
        return nextAnswer();
    }
    bool question(QWidget*, const QString& text) override {
        shown << QStringLiteral("question: ") + text;
        return nextAnswer();
    }
    void applicationError(const QString& text) override {
        shown << QStringLiteral("application: ") + applicationErrorText(text);
    }

    QStringList shown;
    std::deque<bool> answers;

  private:
    bool nextAnswer() {
        if (answers.empty()) return true;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace qz7::testing
