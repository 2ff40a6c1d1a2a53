#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/wait_clock.h"

namespace qz7 {

// Tells a waiter at once that a program has ended, so that a supervisor sleeps until something
// happens instead of looking every few milliseconds: a thread of its own blocks in the system's
// wait for the program's end (without collecting it), then marks it ended and wakes the wake given.
// The program must end before this goes: the thread is joined.
class ProcessEndNotice {
  public:
    // blockUntilEnded returns once the program has ended (or can no longer be waited for).
    explicit ProcessEndNotice(std::function<void()> blockUntilEnded);
    ~ProcessEndNotice();
    ProcessEndNotice(const ProcessEndNotice&) = delete;
    ProcessEndNotice& operator=(const ProcessEndNotice&) = delete;

    bool ended() const { return ended_.load(); }
    // The wake to wake at the end (nullptr: none); woken at once when the program has already
    // ended.
    void wakeAtEnd(ClockWake* wake);
    // Waits for the thread: the program has ended.
    void join();

  private:
    std::mutex mutex_;
    ClockWake* wake_ = nullptr;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

}  // namespace qz7
