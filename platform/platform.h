#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace qz7 {

// What starting a program gave: started, or the reason it could not be started.
struct StartResult {
    bool started = false;
    std::string error;  // UTF-8, for the user; empty when started
};

// The small layer over the operating system. One implementation per system, chosen at compile
// time; tests put their own in place through setPlatformForTesting where a real call would leave
// the machine. All texts are UTF-8.
class Platform {
  public:
    virtual ~Platform() = default;

    // Starts a program with a parameter text and returns at once, without waiting for it.
    virtual StartResult startProgram(const std::filesystem::path& program,
                                     const std::string& parameters) = 0;

    // Copies a file over the target, replacing it when it exists. Empty on success, otherwise
    // the system's reason.
    virtual std::error_code copyFileOverwriting(const std::filesystem::path& from,
                                                const std::filesystem::path& to) = 0;

    // The name of the user running the program; nothing when it cannot be read.
    virtual std::optional<std::string> userName() = 0;

    // The machine's own IPv4 address found through its host name, dotted; empty when none.
    virtual std::string localIPv4Address() = 0;

    // The "FileVersion" of the file's version record; empty when it has none.
    virtual std::string fileVersion(const std::filesystem::path& file) = 0;

    // The running program's own file.
    virtual std::filesystem::path programFile() = 0;

    // The local date and time of a file's last modification; nothing when it cannot be read.
    virtual std::optional<std::chrono::system_clock::time_point> lastModified(
        const std::filesystem::path& file) = 0;

    // The system's date separator ("." or "/" and so on).
    virtual std::string dateSeparator() = 0;
};

// The platform in use: the system's own unless a test replaced it.
Platform& currentPlatform();

// Puts a replacement in place (nullptr restores the system's own). Not thread-safe: tests only.
void setPlatformForTesting(Platform* replacement);

// The system's own implementation.
Platform& systemPlatform();

// A calendar date: day, month and year.
struct LocalDate {
    int day;
    int month;
    int year;
};

// The date of a moment in the system's own time zone.
LocalDate localDate(std::chrono::system_clock::time_point time);

// The machine's name as its host name (UTF-8); "?" when it cannot be read.
std::string machineName();

}  // namespace qz7
