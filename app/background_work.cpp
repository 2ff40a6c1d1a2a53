#include "app/background_work.h"

#include <QMetaObject>
#include <exception>

namespace qz7 {

BackgroundWork::BackgroundWork(QObject* owner) : QObject(owner) {}

BackgroundWork::~BackgroundWork() {
    if (thread_.joinable()) thread_.join();
}

bool BackgroundWork::run(Work work, std::function<void(const QString&)> progress,
                         std::function<void(bool succeeded, const QString& text)> done) {
    if (busy_.exchange(true)) return false;
    if (thread_.joinable()) thread_.join();
    // Queued to this object's thread: a call that comes after the object has gone is dropped
    // by Qt with the object's events.
    const Progress tell = [this, progress](const std::string& line) {
        const QString text = QString::fromStdString(line);
        QMetaObject::invokeMethod(
            this, [progress, text] { progress(text); }, Qt::QueuedConnection);
    };
    thread_ = std::thread([this, work = std::move(work), tell, done = std::move(done)] {
        bool succeeded = true;
        std::string text;
        try {
            text = work(tell);
        } catch (const std::exception& failure) {
            succeeded = false;
            text = failure.what();
        } catch (...) {
            succeeded = false;
            text = "неизвестная ошибка";
        }
        const QString result = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this,
            [this, done, succeeded, result] {
                busy_ = false;
                done(succeeded, result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

}  // namespace qz7
