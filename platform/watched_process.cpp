#include "platform/watched_process.h"

#include "platform/process_end_notice.h"

namespace qz7 {

std::optional<ProcessEnd> WatchedProcess::waitFor(std::chrono::milliseconds timeout) {
    ClockWake nobody;
    return waitOrWake(timeout, nobody);
}

std::optional<ProcessEnd> WatchedProcess::waitOrWake(std::chrono::milliseconds timeout,
                                                     ClockWake& wake) {
    if (end_) return end_;
    endNotice();
    notice_->wakeAtEnd(&wake);
    if (!notice_->ended() && timeout > std::chrono::milliseconds(0))
        steadyWaitClock().sleepUntil(std::chrono::steady_clock::now() + timeout, wake);
    notice_->wakeAtEnd(nullptr);
    if (!notice_->ended()) return std::nullopt;
    notice_->join();
    end_ = collectEnd();
    return end_;
}

}  // namespace qz7
