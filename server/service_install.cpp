#include "server/service_install.h"

#include <algorithm>

#include "platform/atomic_file.h"
#include "platform/directory_entries.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/readable_text.h"
#include "platform/windows_command_line.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "server/serve_lock.h"
#include "server/serve_requests.h"
#include "server/serve_settings.h"
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

// What becomes of a serve that holds the folder while its entry is installed and it runs on.
std::string runsOnText(const ServeHolder& holder, const char* nextStart) {
    return "Работающий сейчас " + serveHolderText(holder) + " работает дальше; служба запустит " +
           "serve " + nextStart + " (второй serve в этой папке не запускается)\n";
}

std::string installUnit(SystemdHost& host, const ServiceRequest& request, bool print,
                        RunningServe running) {
    const std::string name = serviceName(request.gameFolder);
    const UnitFolder folder = host.unitFolder();
    SystemdPlacement placement;
    placement.systemWide = folder.systemWide;
    if (placement.systemWide) {
        std::optional<std::string> owner = host.ownerName(request.gameFolder);
        if (!owner)
            throw OperationError("Не удалось узнать владельца папки игры " +
                                 textFromPath(request.gameFolder));
        placement.user = *owner;
    }
    const std::string unit = systemdUnit(request, placement);
    const fs::path unitFile = folder.path / (name + ".service");
    const bool startsNow = !folder.overridden && host.systemdRuns();
    const std::optional<ServeHolder> holder = findServeHolder(request.gameFolder);
    const bool handOver = holder && startsNow && running == RunningServe::HandOver;
    // A serve that runs on keeps the folder: the entry is only enabled, for the next boot.
    const std::vector<std::vector<std::string>> commands = {
        systemctl(folder, {"daemon-reload"}),
        holder && !handOver ? systemctl(folder, {"enable", name + ".service"})
                            : systemctl(folder, {"enable", "--now", name + ".service"})};
    std::string said;
    if (print) {
        said += "# " + textFromPath(unitFile) + "\n" + unit + "\n# затем:\n";
        for (const auto& command : commands) said += "#   " + shown(command) + "\n";
        return said;
    }
    // The unit runs serve as the folder's owner, who must be able to read the files root wrote.
    for (const fs::path& file :
         {folderAlertFile(request.gameFolder), request.gameFolder / kServeSettingsFile}) {
        std::error_code error;
        if (placement.systemWide && fs::exists(file, error) &&
            !host.giveToOwnerOf(file, request.gameFolder))
            throw OperationError("Не удалось передать файл " + textFromPath(file) +
                                 " владельцу папки игры");
    }
    fs::create_directories(folder.path);
    writeFileAtomically(unitFile, unit);
    said += "Служба " + name + " записана: " + textFromPath(unitFile) + "\n";
    if (handOver) {
        said +=
            "Сервер передаётся службе: сначала останавливается " + serveHolderText(*holder) + "\n";
        said += stopServe(request.gameFolder).message + "\n";
    }
    said += runOrShow(host, folder, commands);
    const bool atBoot = placement.systemWide || host.userLingers();
    if (holder && !handOver)
        said += runsOnText(
            *holder, atBoot ? "при следующей загрузке системы" : "при следующем входе в систему");
    else if (startsNow)
        said += "serve службы запущен: systemctl" +
                std::string(folder.systemWide ? "" : " --user") + " status " + name + "\n";
    if (!atBoot)
        said +=
            "Служба пользователя запускается при входе в систему; чтобы она запускалась при "
            "загрузке, без входа: loginctl enable-linger " +
            currentPlatform().userName().value_or("$USER") + "\n";
    return said;
}

// stopServe: the entry's serve is stopped with it (as systemctl stop does).
bool removeUnit(SystemdHost& host, const std::string& name, bool stopServe, std::string& said) {
    const UnitFolder folder = host.unitFolder();
    const fs::path unitFile = folder.path / (name + ".service");
    if (!fs::exists(unitFile)) return false;
    said += runOrShow(host, folder,
                      {stopServe ? systemctl(folder, {"disable", "--now", name + ".service"})
                                 : systemctl(folder, {"disable", name + ".service"})});
    fs::remove(unitFile);
    said += runOrShow(host, folder, {systemctl(folder, {"daemon-reload"})});
    return true;
}

// An entry of qz7ctl as the list shows it: its name, where it is written and what it serves (the
// description, or the Run value's command line), and the game folder of a folder's entry.
struct ListedEntry {
    std::string name;
    std::string where;
    std::string what;
    std::optional<fs::path> folder;
};

std::vector<ListedEntry> listUnits(SystemdHost& host) {
    const UnitFolder folder = host.unitFolder();
    std::vector<ListedEntry> entries;
    for (const fs::directory_entry& entry : directoryEntries(folder.path)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with(kNamePrefix) || entry.path().extension() != ".service") continue;
        const std::string description = descriptionIn(readWholeFile(entry.path()));
        entries.push_back({entry.path().stem().string(),
                           folder.systemWide ? "systemd (система)" : "systemd (пользователь)",
                           description, folderOfServiceDescription(description)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
    return entries;
}

// Windows: a logon task, or a value of the user's Run key where the Task Scheduler refuses.

constexpr const char* kRunKeyName = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string installTask(TaskSchedulerHost& host, const ServiceRequest& request, bool print) {
    const std::string name = serviceName(request.gameFolder);
    const std::string user = host.currentUserId();
    const std::string xml = logonTaskXml(request, user);
    if (print)
        return "Задача планировщика «" + name + "» (при входе пользователя " + user + "):\n" + xml +
               "Если планировщик откажет, значение " + name + " в разделе " + kRunKeyName + ":\n" +
               runKeyCommand(request) + "\n";
    std::string said;
    if (std::optional<std::string> refused = host.registerTask(name, xml)) {
        if (std::optional<std::string> failed = host.setRunValue(name, runKeyCommand(request)))
            throw OperationError("Планировщик заданий отказал (" + *refused +
                                 "), и запись в раздел Run не удалась: " + *failed);
        said = "Планировщик заданий отказал (" + *refused + "); вместо задачи записано значение " +
               name + " в разделе Run: serve запустится при входе в систему\n";
    } else {
        host.deleteRunValue(name);
        said = "Задача планировщика «" + name +
               "» создана: serve запустится при входе в систему в своём окне консоли "
               "(свёрнутом)\n";
    }
    if (std::optional<ServeHolder> holder = findServeHolder(request.gameFolder))
        said += runsOnText(*holder, "при следующем входе в систему");
    return said;
}

bool removeTask(TaskSchedulerHost& host, const std::string& name) {
    const bool task = host.deleteTask(name);
    return host.deleteRunValue(name) || task;
}

// The game folder a Run value's command line serves when it is a folder's entry: the value after
// --game-dir, and serve with no template after it.
std::optional<fs::path> folderOfRunCommand(const std::string& command) {
    const std::vector<std::string> words = splitWindowsCommandLine(command);
    const auto serve = std::find(words.begin(), words.end(), "serve");
    if (words.size() < 4 || words[1] != "--game-dir" || serve != words.begin() + 3 ||
        std::find(serve, words.end(), "--") != words.end())
        return std::nullopt;
    return pathFromUtf8(words[2]);
}

std::vector<ListedEntry> listTasks(TaskSchedulerHost& host) {
    std::vector<ListedEntry> entries;
    for (const auto& [name, description] : host.tasksStartingWith(kNamePrefix))
        entries.push_back(
            {name, "планировщик заданий", description, folderOfServiceDescription(description)});
    for (const auto& [name, command] : host.runValuesStartingWith(kNamePrefix))
        entries.push_back({name, "раздел Run", command, folderOfRunCommand(command)});
    return entries;
}

std::vector<ListedEntry> listedEntries(const ServiceHosts& hosts) {
    return hosts.systemd ? listUnits(*hosts.systemd) : listTasks(*hosts.taskScheduler);
}

// The names of every entry that serves the game folder on its settings: its own, and those an
// earlier version named from the folder written another way (another case on Windows, a link).
std::vector<std::string> folderEntryNames(const ServiceHosts& hosts, const fs::path& gameFolder) {
    const std::string identity = folderIdentity(gameFolder);
    const std::string ownName = serviceName(gameFolder);
    std::vector<std::string> names;
    for (const ListedEntry& entry : listedEntries(hosts))
        if ((entry.name == ownName ||
             (entry.folder && folderIdentity(*entry.folder) == identity)) &&
            std::find(names.begin(), names.end(), entry.name) == names.end())
            names.push_back(entry.name);
    return names;
}

// Removes a folder's entry by name; its serve runs on.
bool removeFolderEntry(const ServiceHosts& hosts, const std::string& name, std::string& said) {
    return hosts.systemd ? removeUnit(*hosts.systemd, name, false, said)
                         : removeTask(*hosts.taskScheduler, name);
}

// The entries earlier versions wrote for templates of the game folder, as listServices shows
// them: each would start a serve of its own beside the folder's.
std::string earlierEntriesOf(const ServiceHosts& hosts, const fs::path& gameFolder) {
    const std::string folder = textFromPath(gameFolder);
    std::string found;
    for (const ListedEntry& entry : listedEntries(hosts))
        if (!entry.folder && entry.what.ends_with("» в " + folder))
            found += (found.empty() ? "" : ", ") + entry.name;
    if (found.empty()) return {};
    return "Прежние службы шаблонов этой папки тоже запускают serve: " + found +
           ". Удалите их: qz7ctl service remove -- ШАБЛОН\n";
}

}  // namespace

std::string installService(const ServiceHosts& hosts, const ServiceRequest& request, bool print,
                           RunningServe running) {
    if (std::optional<std::string> problem = serviceRequestProblem(request))
        throw OperationError(*problem);
    std::string said = hosts.systemd ? installUnit(*hosts.systemd, request, print, running)
                                     : installTask(*hosts.taskScheduler, request, print);
    // The folder's entries of other names go: one folder never starts two serves.
    const std::string ownName = serviceName(request.gameFolder);
    for (const std::string& name : folderEntryNames(hosts, request.gameFolder)) {
        if (name == ownName) continue;
        if (print) {
            said += "Прежняя служба этой папки " + name + " будет заменена\n";
            continue;
        }
        removeFolderEntry(hosts, name, said);
        said += "Прежняя служба этой папки " + name + " заменена службой " + ownName + "\n";
    }
    return said + earlierEntriesOf(hosts, request.gameFolder);
}

std::string removeService(const ServiceHosts& hosts, const fs::path& gameFolder,
                          const std::string& templateName) {
    const bool folderEntry = templateName.empty();
    const std::string name =
        folderEntry ? serviceName(gameFolder) : serviceName(gameFolder, templateName);
    std::string said;
    if (folderEntry) {
        const std::vector<std::string> names = folderEntryNames(hosts, gameFolder);
        if (names.empty()) throw OperationError("Службы " + name + " для этой папки игры нет");
        for (const std::string& found : names) {
            removeFolderEntry(hosts, found, said);
            said += "Служба " + found + " удалена\n";
        }
        if (std::optional<ServeHolder> holder = findServeHolder(gameFolder))
            said += serveHolderText(*holder) +
                    " работает дальше; остановить его: qz7ctl stop или кнопка «Остановить» "
                    "окна «Сервер под присмотром»\n";
        return said;
    }
    const bool found = hosts.systemd ? removeUnit(*hosts.systemd, name, true, said)
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
    std::string said;
    for (const ListedEntry& entry : listedEntries(hosts)) {
        said += entry.name + "\t" + entry.where + "\t" + entry.what;
        if (entry.folder && serviceName(*entry.folder) != entry.name)
            said += "\t(прежнее имя: qz7ctl service install или переключатель окна заменит её)";
        said += "\n";
    }
    return said.empty() ? "Служб qz7ctl нет\n" : said;
}

bool folderServiceInstalled(const ServiceHosts& hosts, const fs::path& gameFolder) {
    return !folderEntryNames(hosts, gameFolder).empty();
}

bool serviceStartsAtInstall(const ServiceHosts& hosts) {
    return hosts.systemd && !hosts.systemd->unitFolder().overridden && hosts.systemd->systemdRuns();
}

std::string serviceSwitchCaption(const ServiceHosts& hosts) {
    if (hosts.taskScheduler) return "Запускать сервер при входе в Windows (задача планировщика)";
    const UnitFolder folder = hosts.systemd->unitFolder();
    if (folder.overridden)
        return "Служба systemd в " + textFromPath(folder.path) + " (systemctl не вызывается)";
    if (!hosts.systemd->systemdRuns()) return "Служба systemd (systemd здесь не запущен)";
    if (folder.systemWide) return "Запускать сервер при загрузке системы (служба systemd)";
    if (hosts.systemd->userLingers())
        return "Запускать сервер при загрузке системы (служба пользователя)";
    return "Запускать сервер при входе в систему (служба пользователя)";
}

}  // namespace qz7
