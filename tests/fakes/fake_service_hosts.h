#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/service_host.h"

namespace qz7::testing {

// systemd as a folder of units and a record of the systemctl commands it was given.
class FakeSystemdHost : public SystemdHost {
  public:
    explicit FakeSystemdHost(std::filesystem::path folder) : folder_(std::move(folder)) {}

    UnitFolder unitFolder() override { return {folder_, systemWide, false}; }
    bool systemdRuns() override { return runs; }
    std::optional<std::string> ownerName(const std::filesystem::path&) override { return "host"; }
    bool giveToOwnerOf(const std::filesystem::path&, const std::filesystem::path&) override {
        return true;
    }
    int runAndWait(const std::vector<std::string>& args, std::string&) override {
        std::string line;
        for (const std::string& word : args) line += (line.empty() ? "" : " ") + word;
        commands.push_back(line);
        return 0;
    }
    bool userLingers() override { return lingers; }

    bool runs = true;
    bool systemWide = false;
    bool lingers = false;
    std::vector<std::string> commands;

  private:
    std::filesystem::path folder_;
};

// The Task Scheduler and the Run key as maps of what was registered: the task's XML and the
// value's command line. A refusal makes registerTask fail with it.
class FakeTaskSchedulerHost : public TaskSchedulerHost {
  public:
    std::string currentUserId() override { return "PC\\Хост"; }
    std::optional<std::string> registerTask(const std::string& name,
                                            const std::string& xml) override {
        if (refusal) return refusal;
        tasks[name] = xml;
        return std::nullopt;
    }
    bool deleteTask(const std::string& name) override { return tasks.erase(name) > 0; }
    std::vector<std::pair<std::string, std::string>> tasksStartingWith(
        const std::string& prefix) override {
        return startingWith(tasks, prefix);
    }
    std::optional<std::string> setRunValue(const std::string& name,
                                           const std::string& command) override {
        runValues[name] = command;
        return std::nullopt;
    }
    bool deleteRunValue(const std::string& name) override { return runValues.erase(name) > 0; }
    std::vector<std::pair<std::string, std::string>> runValuesStartingWith(
        const std::string& prefix) override {
        return startingWith(runValues, prefix);
    }

    std::optional<std::string> refusal;
    std::map<std::string, std::string> tasks;
    std::map<std::string, std::string> runValues;

  private:
    static std::vector<std::pair<std::string, std::string>> startingWith(
        const std::map<std::string, std::string>& entries, const std::string& prefix) {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& entry : entries)
            if (entry.first.starts_with(prefix)) found.push_back(entry);
        return found;
    }
};

}  // namespace qz7::testing
