#include "platform/process_end_notice.h"

#include <utility>

namespace qz7 {

ProcessEndNotice::ProcessEndNotice(std::function<void()> blockUntilEnded)
    : thread_([this, block = std::move(blockUntilEnded)] {
          block();
          std::lock_guard lock(mutex_);
          ended_ = true;
          if (wake_ != nullptr) wake_->wake();
      }) {}

ProcessEndNotice::~ProcessEndNotice() { join(); }

void ProcessEndNotice::wakeAtEnd(ClockWake* wake) {
    std::lock_guard lock(mutex_);
    wake_ = wake;
    if (wake_ != nullptr && ended_) wake_->wake();
}

void ProcessEndNotice::join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace qz7
