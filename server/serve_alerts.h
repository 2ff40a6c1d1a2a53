#pragma once

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "net/alert_sender.h"
#include "server/serve_companion.h"
#include "server/supervisor_clock.h"

namespace qz7 {

// Where a serve sends its alerts: addresses given one by one (--notify), a file of addresses
// (--notify-file) and the format for all of them (--notify-format).
struct AlertOptions {
    std::vector<std::string> urls;
    std::optional<std::string> file;
    std::optional<std::string> format;  // "discord" or "json": the same for every address

    bool any() const { return !urls.empty() || file.has_value(); }
};

// The addresses of the options with their formats. The file holds one address a line (empty
// lines and lines starting with # are skipped) and is refused unless only its owner may read it.
// Throws OperationError: a usage error for an address that is none (naming it redacted) or an
// empty file, a failure for a file others may read.
std::vector<AlertTarget> alertTargets(const AlertOptions& options);

// The addresses of a --notify-file (without its permission check).
std::vector<std::string> readAlertAddressFile(const std::filesystem::path& file);

// What every alert says first: machine, game folder and template.
struct AlertSource {
    std::string machine;
    std::string gameFolder;
    std::string templateName;
};

// One alert: "<machine>, папка <folder>, шаблон «<name>»: <message>", and the event's JSON
// object with "machine", "gameFolder" and "template" added.
Alert alertFor(const AlertSource& source, const nlohmann::json& event);

// The alerts of one serve: the events that matter to a host (started, start failed, crashed,
// gave up, scheduled restarts, ended, stopped, ports that could not be removed, an internal
// error) go to every address.
// A companion of serve: the sending threads run under the guard given and wait on serve's clock.
class ServeAlerts final : public ServeCompanion {
  public:
    ServeAlerts(std::vector<AlertTarget> targets, AlertSource source,
                std::function<void(const std::string&)> log, ThreadGuard guard = {},
                SupervisorClock& clock = systemSupervisorClock());
    // Called with every event line of serve.
    void observe(const ServeEvent& event) override;

  private:
    AlertSource source_;
    AlertSender sender_;
};

// Sends one test alert to the address at once and waits for the answer: the line that says it
// arrived, or an OperationError with the reason (the address redacted) when it did not.
std::string sendTestAlert(const std::string& url, const std::optional<std::string>& format,
                          const std::string& gameFolder);

}  // namespace qz7
