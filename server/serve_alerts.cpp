#include "server/serve_alerts.h"

#include <algorithm>
#include <set>

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/private_file.h"
#include "server/operation_error.h"
#include "server/serve_log.h"

namespace qz7 {

namespace {

// The events of serve that go out as alerts.
const std::set<std::string> kAlertEvents = {
    "started", "start-failed", "crashed", "gave-up", "exited", "stopped",
    // a scheduled restart made, put off with why, or waiting for the players to leave
    "stopped-for-restart", "restart-postponed", "files-not-written", "restart-waits",
    // what the server's answers tell: back online, hung (restarted or only said)
    "back-online", "hung", "not-answering",
    // what the host has to mend: ports left forwarded, a serve that ended on an internal error
    "ports-failed", "internal-error"};

std::string trimmed(const std::string& line) {
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string::npos) return {};
    return line.substr(start, line.find_last_not_of(" \t\r") - start + 1);
}

}  // namespace

std::vector<std::string> readAlertAddressFile(const std::filesystem::path& file) {
    const std::string text = readWholeFile(file);
    std::vector<std::string> urls;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        if (!line.empty() && line.front() != '#') urls.push_back(line);
        start = end + 1;
    }
    return urls;
}

namespace {

AlertFormat chosenFormat(const std::string& url, const std::optional<std::string>& format) {
    if (!format) return defaultAlertFormat(url);
    return *format == "discord" ? AlertFormat::Discord : AlertFormat::Json;
}

}  // namespace

std::vector<AlertTarget> alertTargets(const AlertOptions& options) {
    std::vector<std::string> urls = options.urls;
    if (options.file) {
        const std::filesystem::path file = pathFromUtf8(*options.file);
        if (std::optional<std::string> problem = othersMayRead(file))
            throw OperationError("Файл адресов оповещений " + *options.file +
                                 " не принят: " + *problem);
        const std::vector<std::string> fromFile = readAlertAddressFile(file);
        if (fromFile.empty())
            throw OperationError(
                "В файле адресов оповещений " + *options.file + " нет ни одного адреса",
                OperationError::Kind::Usage);
        urls.insert(urls.end(), fromFile.begin(), fromFile.end());
    }
    std::vector<AlertTarget> targets;
    for (const std::string& url : urls) {
        if (std::optional<std::string> problem = alertAddressProblem(url))
            throw OperationError(*problem, OperationError::Kind::Usage);
        targets.push_back({url, chosenFormat(url, options.format)});
    }
    return targets;
}

Alert alertFor(const AlertSource& source, const nlohmann::json& event) {
    nlohmann::json object = event;
    object["machine"] = source.machine;
    object["gameFolder"] = source.gameFolder;
    object["template"] = source.templateName;
    const std::string message = event.value("message", std::string());
    return {source.machine + ", папка " + source.gameFolder + ", шаблон «" + source.templateName +
                "»: " + message,
            object.dump()};
}

ServeAlerts::ServeAlerts(std::vector<AlertTarget> targets, AlertSource source,
                         std::function<void(const std::string&)> log, ThreadGuard guard,
                         SupervisorClock& clock)
    : source_(std::move(source)),
      sender_(std::move(targets), std::move(log), clock, AlertTiming{}, httpPost,
              std::move(guard)) {}

void ServeAlerts::observe(const ServeEvent& event) {
    if (kAlertEvents.count(event.name)) sender_.post(alertFor(source_, eventObject(event)));
}

std::string sendTestAlert(const std::string& url, const std::optional<std::string>& format,
                          const std::string& gameFolder) {
    if (std::optional<std::string> problem = alertAddressProblem(url))
        throw OperationError(*problem, OperationError::Kind::Usage);
    const std::string machine = machineName();
    const std::string message = "проверка оповещений QZ7";
    const nlohmann::json event = {{"time", utcTimestamp(std::chrono::system_clock::now())},
                                  {"event", "test"},
                                  {"message", message},
                                  {"machine", machine},
                                  {"gameFolder", gameFolder}};
    const Alert alert{machine + ", папка " + gameFolder + ": " + message, event.dump()};
    const std::chrono::milliseconds timeout = AlertTiming{}.timeout;
    const std::string failure = sendAlertNow(url, chosenFormat(url, format), alert, timeout);
    if (!failure.empty())
        throw OperationError("Оповещение на " + redactedAddress(url) +
                             " не доставлено: " + failure);
    return "Оповещение доставлено на " + redactedAddress(url);
}

}  // namespace qz7
