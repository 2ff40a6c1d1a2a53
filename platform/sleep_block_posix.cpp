#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include "platform/sleep_block.h"
#include "platform/system_error_text.h"

namespace qz7 {

namespace {

// logind holds the inhibitor as long as the descriptor it handed out stays open.
class LogindSleepBlock final : public SleepBlock {
  public:
    explicit LogindSleepBlock(int descriptor) : descriptor_(descriptor) {}
    ~LogindSleepBlock() override { ::close(descriptor_); }

  private:
    int descriptor_;
};

std::string busErrorText(const sd_bus_error& error, int result) {
    if (error.message != nullptr) return error.message;
    return errnoText(-result);
}

}  // namespace

std::unique_ptr<SleepBlock> blockSystemSleep(const std::string& why, std::string& error) {
    sd_bus* bus = nullptr;
    int result = sd_bus_open_system(&bus);
    if (result < 0) {
        error = "системная шина D-Bus недоступна (" + errnoText(-result) + "), logind не спросить";
        return nullptr;
    }
    sd_bus_error busError = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "Inhibit", &busError, &reply,
                                "ssss", "sleep", "qz7ctl serve", why.c_str(), "block");
    std::unique_ptr<SleepBlock> block;
    if (result < 0) {
        error = "logind не дал запрета сна: " + busErrorText(busError, result);
    } else {
        int descriptor = -1;
        result = sd_bus_message_read(reply, "h", &descriptor);
        // The descriptor belongs to the message; a copy of ours, not handed to started programs.
        const int kept = result < 0 ? -1 : ::fcntl(descriptor, F_DUPFD_CLOEXEC, 3);
        if (kept < 0)
            error = "ответ logind на запрет сна не прочитан";
        else
            block = std::make_unique<LogindSleepBlock>(kept);
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&busError);
    sd_bus_flush_close_unref(bus);
    return block;
}

}  // namespace qz7
