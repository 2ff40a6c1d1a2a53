#include "app/background_work.h"

#include <QMetaObject>
#include <condition_variable>
#include <exception>
#include <iostream>
#include <mutex>

namespace qz7 {

namespace {

std::mutex leftMutex;
std::string leftText;

}  // namespace

// What the window's thread and the work's thread share; it outlives the object while the work
// runs on after the object has gone.
struct BackgroundWork::Shared {
    std::mutex mutex;
    std::condition_variable ended;
    bool running = false;  // from run() until the window has the outcome
    bool finished = true;  // the work's thread has ended
    bool ownerGone = false;
    std::string lastLine;  // what the work said last: what it waits for
};

BackgroundWork::BackgroundWork(QObject* owner)
    : QObject(owner), shared_(std::make_shared<Shared>()) {}

BackgroundWork::~BackgroundWork() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    const bool ended =
        shared_->ended.wait_for(lock, kEndWait, [this] { return shared_->finished; });
    // From here on the work posts nothing to this object.
    shared_->ownerGone = true;
    const std::string waitingFor = shared_->lastLine;
    lock.unlock();
    if (!thread_.joinable()) return;
    if (ended) {
        thread_.join();
        return;
    }
    // A request waits for a serve, which does what was asked without this program.
    thread_.detach();
    const std::string said = "Программа завершается, не дождавшись ответа за " +
                             std::to_string(kEndWait.count()) + " с" +
                             (waitingFor.empty() ? "" : " (" + waitingFor + ")") +
                             ": qz7ctl serve делает своё дело и без неё.";
    {
        std::lock_guard<std::mutex> left(leftMutex);
        leftText = said;
    }
    std::cerr << said << std::endl;
}

bool BackgroundWork::busy() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->running;
}

std::string BackgroundWork::leftAtEnd() {
    std::lock_guard<std::mutex> lock(leftMutex);
    return leftText;
}

bool BackgroundWork::run(Work work, std::function<void(const QString&)> progress,
                         std::function<void(bool succeeded, const QString& text)> done) {
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->running) return false;
        shared_->running = true;
        shared_->finished = false;
        shared_->lastLine.clear();
    }
    if (thread_.joinable()) thread_.join();
    // Posted to this object's thread only while the object is there: the destructor marks it gone
    // under the same lock, and Qt drops the events still queued for an object that goes.
    const std::shared_ptr<Shared> shared = shared_;
    const Progress tell = [this, shared, progress](const std::string& line) {
        const QString text = QString::fromStdString(line);
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->lastLine = line;
        if (shared->ownerGone) return;
        QMetaObject::invokeMethod(
            this, [progress, text] { progress(text); }, Qt::QueuedConnection);
    };
    thread_ = std::thread([this, shared, work = std::move(work), tell, done = std::move(done)] {
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
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (!shared->ownerGone)
            QMetaObject::invokeMethod(
                this,
                [this, done, succeeded, result] {
                    {
                        std::lock_guard<std::mutex> running(shared_->mutex);
                        shared_->running = false;
                    }
                    done(succeeded, result);
                },
                Qt::QueuedConnection);
        shared->finished = true;
        shared->ended.notify_all();
    });
    return true;
}

}  // namespace qz7
