#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace qz7 {

// Slow work of a window (a request that waits for a serve, a test message, a service install)
// on a thread of its own, so that the window stays painted and its refresh goes on. What the
// work says while it runs and its outcome come back on the window's thread. One piece of work at
// a time; the object waits for a piece still running when it goes.
class BackgroundWork : public QObject {
  public:
    // Tells the window a line while the work runs; callable from the work's thread.
    using Progress = std::function<void(const std::string&)>;
    // The work: its result for people; an exception's text is a failure.
    using Work = std::function<std::string(const Progress&)>;

    explicit BackgroundWork(QObject* owner);
    ~BackgroundWork() override;

    bool busy() const { return busy_; }

    // Starts the work (false, and nothing done, while another runs). progress gets each line the
    // work tells, done the outcome: whether it succeeded and its result or failure text.
    bool run(Work work, std::function<void(const QString&)> progress,
             std::function<void(bool succeeded, const QString& text)> done);

  private:
    std::thread thread_;
    std::atomic<bool> busy_{false};
};

}  // namespace qz7
