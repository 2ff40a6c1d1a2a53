#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace qz7 {

// Slow work of a window (a request that waits for a serve, a test message, a service install)
// on a thread of its own, so that the window stays painted and its refresh goes on. What the
// work says while it runs and its outcome come back on the window's thread. One piece of work at
// a time. When the object goes (the program ends) it waits a few seconds for a piece still
// running, then leaves it: a stop or restart already asked goes on in the serve without this
// program, and the end of the program says so.
class BackgroundWork : public QObject {
  public:
    // Tells the window a line while the work runs; callable from the work's thread.
    using Progress = std::function<void(const std::string&)>;
    // The work: its result for people; an exception's text is a failure.
    using Work = std::function<std::string(const Progress&)>;

    // How long the end of the program waits for work still running.
    static constexpr std::chrono::seconds kEndWait{3};

    explicit BackgroundWork(QObject* owner);
    ~BackgroundWork() override;

    bool busy() const;

    // Starts the work (false, and nothing done, while another runs). progress gets each line the
    // work tells, done the outcome: whether it succeeded and its result or failure text.
    bool run(Work work, std::function<void(const QString&)> progress,
             std::function<void(bool succeeded, const QString& text)> done);

    // What the end of the program says of the work it left running ("" when none was left);
    // also written to the standard error.
    static std::string leftAtEnd();

    struct Shared;

  private:
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace qz7
