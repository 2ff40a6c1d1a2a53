#pragma once

#include <functional>
#include <memory>
#include <string>

namespace qz7 {

// While an object of this class lives, the machine does not go to sleep on its own; the display
// may still sleep.
class SleepBlock {
  public:
    virtual ~SleepBlock() = default;
};

// Takes a block: on Windows through the calling thread's execution state (the thread must live as
// long as the block), on Linux through a "sleep" inhibitor of logind on the system bus. Nothing,
// with the reason in error (Russian), when the system gives none, as where logind does not run.
// `why` says people what holds the machine awake.
std::unique_ptr<SleepBlock> blockSystemSleep(const std::string& why, std::string& error);

// How a program takes its block: blockSystemSleep, or a stand-in of a test.
using SleepBlocker =
    std::function<std::unique_ptr<SleepBlock>(const std::string& why, std::string& error)>;

}  // namespace qz7
