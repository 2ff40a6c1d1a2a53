// A stand-in for logind on a private bus, for the test of serve's sleep inhibitor: it answers
// org.freedesktop.login1.Manager.Inhibit as logind does, with one end of a pipe that holds the
// inhibitor while the caller keeps it open, and records in a file "taken WHAT|WHO|WHY|MODE" for
// each inhibitor and "released" once its caller has closed every copy. It ends after a minute.
//
// Usage: fake_logind RECORD_FILE     (the bus: DBUS_SYSTEM_BUS_ADDRESS)
#include <fcntl.h>
#include <poll.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* recordFile = nullptr;
std::vector<int> heldInhibitors;  // our ends of the pipes handed out

void record(const std::string& line) { std::ofstream(recordFile, std::ios::app) << line << "\n"; }

int inhibit(sd_bus_message* call, void*, sd_bus_error*) {
    const char *what = nullptr, *who = nullptr, *why = nullptr, *mode = nullptr;
    int result = sd_bus_message_read(call, "ssss", &what, &who, &why, &mode);
    if (result < 0) return result;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -errno;
    // The caller gets the write end; the read end sees the pipe's end once every copy is closed.
    result = sd_bus_reply_method_return(call, "h", ends[1]);
    close(ends[1]);
    if (result < 0) {
        close(ends[0]);
        return result;
    }
    heldInhibitors.push_back(ends[0]);
    record(std::string("taken ") + what + "|" + who + "|" + why + "|" + mode);
    return 1;
}

const sd_bus_vtable managerTable[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Inhibit", "ssss", "h", inhibit, SD_BUS_VTABLE_UNPRIVILEGED), SD_BUS_VTABLE_END};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fake_logind RECORD_FILE\n");
        return 2;
    }
    recordFile = argv[1];
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", managerTable, nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.login1", 0) < 0) {
        std::fprintf(stderr, "fake_logind: the bus refused us\n");
        return 1;
    }
    record("ready");
    const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < end) {
        while (sd_bus_process(bus, nullptr) > 0) {
        }
        sd_bus_wait(bus, 50'000);
        for (auto held = heldInhibitors.begin(); held != heldInhibitors.end();) {
            pollfd look{*held, POLLIN, 0};
            char byte;
            if (poll(&look, 1, 0) == 1 && read(*held, &byte, 1) == 0) {
                close(*held);
                held = heldInhibitors.erase(held);
                record("released");
            } else {
                ++held;
            }
        }
    }
    sd_bus_flush_close_unref(bus);
    return 0;
}
