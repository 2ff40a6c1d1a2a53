#include <windows.h>

#include "platform/sleep_block.h"

namespace qz7 {

namespace {

// The thread asks the system to stay awake while it runs (ES_SYSTEM_REQUIRED, held by
// ES_CONTINUOUS until changed); the display may go off.
class ExecutionStateSleepBlock final : public SleepBlock {
  public:
    ~ExecutionStateSleepBlock() override { SetThreadExecutionState(ES_CONTINUOUS); }
};

}  // namespace

std::unique_ptr<SleepBlock> blockSystemSleep(const std::string&, std::string& error) {
    if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) {
        error = "Windows не принял запрет сна (SetThreadExecutionState)";
        return nullptr;
    }
    return std::make_unique<ExecutionStateSleepBlock>();
}

}  // namespace qz7
