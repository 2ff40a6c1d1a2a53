#include "server/service_install.h"

#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/private_file.h"
#include "server/operation_error.h"
#include "server/serve_requests.h"
#include "server/serve_status.h"

namespace qz7 {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNamePrefix = "qz7-serve-";

std::string shown(const std::vector<std::string>& command) {
    std::string text;
    for (const std::string& word : command) text += (text.empty() ? "" : " ") + word;
    return text;
}

// systemd units: systemctl for the user's own units, unless root.

std::vector<std::string> systemctl(const UnitFolder& folder, std::vector<std::string> arguments) {
    if (!folder.systemWide) arguments.insert(arguments.begin(), "--user");
    arguments.insert(arguments.begin(), "systemctl");
    return arguments;
}

// Runs the systemctl commands where systemd runs; else says which to run.
std::string runOrShow(SystemdHost& host, const UnitFolder& folder,
                      const std::vector<std::vector<std::string>>& commands) {
    std::string said;
    if (folder.overridden || !host.systemdRuns()) {
        said += "systemd здесь не запущен; выполните, когда он будет работать:\n";
        for (const auto& command : commands) said += "  " + shown(command) + "\n";
        return said;
    }
    for (const auto& command : commands) {
        std::string error;
        const int status = host.runAndWait(command, error);
        if (status != 0)
            throw OperationError(shown(command) + ": " +
                                 (status < 0 ? error : "код выхода " + std::to_string(status)));
    }
    return said;
}

std::string descriptionIn(const std::string& unit) {
    const std::size_t at = unit.find("\nDescription=");
    if (at == std::string::npos) return {};
    std::string description = unit.substr(at + 13, unit.find('\n', at + 1) - at - 13);
    for (std::size_t p = description.find("%%"); p != std::string::npos;
         p = description.find("%%", p + 1))
        description.erase(p, 1);
    return description;
}

std::string installUnit(SystemdHost& host, const ServiceRequest& request, const std::string& alerts,
                        const fs::path& alertFile, bool print) {
    const std::string name = serviceName(request.gameFolder, request.templateName);
    const UnitFolder folder = host.unitFolder();
    SystemdPlacement placement;
    placement.systemWide = folder.systemWide;
    if (placement.systemWide) {
        std::optional<std::string> owner = host.ownerName(request.gameFolder);
        if (!owner)
            throw OperationError("Не удалось узнать владельца папки игры " +
                                 utf8FromPath(request.gameFolder));
        placement.user = *owner;
    }
    const std::string unit = systemdUnit(request, placement);
    const fs::path unitFile = folder.path / (name + ".service");
    const std::vector<std::vector<std::string>> commands = {
        systemctl(folder, {"daemon-reload"}),
        systemctl(folder, {"enable", "--now", name + ".service"})};
    std::string said;
    if (print) {
        said += "# " + utf8FromPath(unitFile) + "\n" + unit + "\n# затем:\n";
        for (const auto& command : commands) said += "#   " + shown(command) + "\n";
        return said;
    }
    if (!alerts.empty()) {
        writePrivateFile(alertFile, alerts);
        if (!host.giveToOwnerOf(alertFile, request.gameFolder))
            throw OperationError("Не удалось передать файл " + utf8FromPath(alertFile) +
                                 " владельцу папки игры");
    }
    fs::create_directories(folder.path);
    writeFileAtomically(unitFile, unit);
    said += "Служба " + name + " записана: " + utf8FromPath(unitFile) + "\n";
    said += runOrShow(host, folder, commands);
    if (!placement.systemWide)
        said +=
            "Чтобы служба пользователя запускалась при загрузке, без входа в систему: "
            "loginctl enable-linger " +
            currentPlatform().userName().value_or("$USER") + "\n";
    return said;
}

bool removeUnit(SystemdHost& host, const std::string& name, std::string& said) {
    const UnitFolder folder = host.unitFolder();
    const fs::path unitFile = folder.path / (name + ".service");
    if (!fs::exists(unitFile)) return false;
    said += runOrShow(host, folder, {systemctl(folder, {"disable", "--now", name + ".service"})});
    fs::remove(unitFile);
    said += runOrShow(host, folder, {systemctl(folder, {"daemon-reload"})});
    return true;
}

std::string listUnits(SystemdHost& host) {
    const UnitFolder folder = host.unitFolder();
    std::string said;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path, error)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with(kNamePrefix) || entry.path().extension() != ".service") continue;
        said += entry.path().stem().string() + "\t" +
                (folder.systemWide ? "systemd (система)" : "systemd (пользователь)") + "\t" +
                descriptionIn(readWholeFile(entry.path())) + "\n";
    }
    return said;
}

// Windows: a logon task, or a value of the user's Run key where the Task Scheduler refuses.

constexpr const char* kRunKeyName = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string installTask(TaskSchedulerHost& host, const ServiceRequest& request,
                        const std::string& alerts, const fs::path& alertFile, bool print) {
    const std::string name = serviceName(request.gameFolder, request.templateName);
    const std::string user = host.currentUserId();
    const std::string xml = logonTaskXml(request, user);
    if (print)
        return "Задача планировщика «" + name + "» (при входе пользователя " + user + "):\n" + xml +
               "Если планировщик откажет, значение " + name + " в разделе " + kRunKeyName + ":\n" +
               runKeyCommand(request) + "\n";
    if (!alerts.empty()) writePrivateFile(alertFile, alerts);
    if (std::optional<std::string> refused = host.registerTask(name, xml)) {
        if (std::optional<std::string> failed = host.setRunValue(name, runKeyCommand(request)))
            throw OperationError("Планировщик заданий отказал (" + *refused +
                                 "), и запись в раздел Run не удалась: " + *failed);
        return "Планировщик заданий отказал (" + *refused + "); вместо задачи записано значение " +
               name + " в разделе Run: serve запустится при входе в систему\n";
    }
    host.deleteRunValue(name);
    return "Задача планировщика «" + name +
           "» создана: serve запустится при входе в систему в своём окне консоли (свёрнутом)\n";
}

bool removeTask(TaskSchedulerHost& host, const std::string& name) {
    const bool task = host.deleteTask(name);
    return host.deleteRunValue(name) || task;
}

std::string listTasks(TaskSchedulerHost& host) {
    std::string said;
    for (const auto& [name, description] : host.tasksStartingWith(kNamePrefix))
        said += name + "\tпланировщик заданий\t" + description + "\n";
    for (const auto& [name, command] : host.runValuesStartingWith(kNamePrefix))
        said += name + "\tраздел Run\t" + command + "\n";
    return said;
}

}  // namespace

std::string installService(const ServiceHosts& hosts, ServiceRequest request,
                           const std::string& alertAddresses, bool print) {
    const std::string name = serviceName(request.gameFolder, request.templateName);
    const fs::path alertFile = serviceAlertFile(request.gameFolder, name);
    if (!alertAddresses.empty()) {
        // Before the end of options, where the template name stands.
        std::vector<std::string>& options = request.serveOptions;
        options.insert(options.end(), {"--notify-file", utf8FromPath(alertFile)});
    }
    if (std::optional<std::string> problem = serviceRequestProblem(request))
        throw OperationError(*problem);
    if (hosts.systemd)
        return installUnit(*hosts.systemd, request, alertAddresses, alertFile, print);
    return installTask(*hosts.taskScheduler, request, alertAddresses, alertFile, print);
}

std::string removeService(const ServiceHosts& hosts, const fs::path& gameFolder,
                          const std::string& templateName) {
    const std::string name = serviceName(gameFolder, templateName);
    std::string said;
    const bool found = hosts.systemd ? removeUnit(*hosts.systemd, name, said)
                                     : removeTask(*hosts.taskScheduler, name);
    std::error_code ignored;
    fs::remove(serviceAlertFile(gameFolder, name), ignored);
    if (!found) throw OperationError("Службы " + name + " для шаблона «" + templateName + "» нет");
    said += "Служба " + name + " удалена\n";
    // systemd stopped its serve above; the serve a logon entry started runs on without it.
    if (hosts.taskScheduler && servedTemplate(gameFolder) == templateName) {
        const ServeRequestResult stopped =
            stopServe(gameFolder, [&said](const std::string& line) { said += line + "\n"; });
        said += stopped.message + "\n";
    }
    return said;
}

std::string listServices(const ServiceHosts& hosts) {
    const std::string said =
        hosts.systemd ? listUnits(*hosts.systemd) : listTasks(*hosts.taskScheduler);
    return said.empty() ? "Служб qz7ctl нет\n" : said;
}

}  // namespace qz7
