#include "cli/service_commands.h"

#include <cstdlib>
#include <ostream>

#include "cli/cli_error.h"
#include "cli/serve_control.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/platform.h"
#include "platform/private_file.h"
#include "platform/service_host.h"
#include "platform/windows1251.h"
#include "server/service_entry.h"
#include "settings/template_record.h"

namespace qz7::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kNamePrefix = "qz7-serve-";

// The full name of the template a user named. Unless it must exist, a name is taken as it
// stands, so that the entry of a template deleted or renamed since can still be removed.
std::string fullTemplateName(GameFolder& game, const std::string& which, bool mustExist) {
    if (!mustExist && !which.starts_with("#")) return which;
    return utf8FromWindows1251(decodeTemplateRecord(game.findTemplate(which).record).Name);
}

fs::path gameFolderOf(GameFolder& game) { return fs::canonical(game.path()); }

// The addresses of --notify and --notify-file together, one a line; empty without any.
std::string alertFileText(const AlertOptions& alerts) {
    std::string text;
    for (const AlertTarget& target : alertTargets(alerts)) text += target.url + "\n";
    return text;
}

#ifndef _WIN32

// Where units go: QZ7_SERVICE_DIR when set (then systemctl is never run: tests and packagers),
// else /etc/systemd/system for root and the user's own unit folder for everyone else.
struct UnitFolder {
    fs::path path;
    bool systemWide = false;
    bool overridden = false;
};

UnitFolder unitFolder() {
    UnitFolder folder;
    folder.systemWide = runningAsRoot();
    if (const char* chosen = std::getenv("QZ7_SERVICE_DIR"); chosen && *chosen) {
        folder.path = pathFromUtf8(chosen);
        folder.overridden = true;
    } else if (folder.systemWide) {
        folder.path = "/etc/systemd/system";
    } else if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        folder.path = fs::path(config) / "systemd" / "user";
    } else {
        const char* home = std::getenv("HOME");
        folder.path = fs::path(home ? home : ".") / ".config" / "systemd" / "user";
    }
    return folder;
}

std::vector<std::string> systemctl(const UnitFolder& folder, std::vector<std::string> arguments) {
    if (!folder.systemWide) arguments.insert(arguments.begin(), "--user");
    arguments.insert(arguments.begin(), "systemctl");
    return arguments;
}

std::string shown(const std::vector<std::string>& command) {
    std::string text;
    for (const std::string& word : command) text += (text.empty() ? "" : " ") + word;
    return text;
}

// Runs the systemctl commands where systemd runs; else says which to run.
void runOrShow(const UnitFolder& folder, const std::vector<std::vector<std::string>>& commands,
               std::ostream& out) {
    if (folder.overridden || !systemdRuns()) {
        out << "systemd здесь не запущен; выполните, когда он будет работать:\n";
        for (const auto& command : commands) out << "  " << shown(command) << "\n";
        return;
    }
    for (const auto& command : commands) {
        std::string error;
        const int status = runAndWait(command, error);
        if (status != 0)
            throw CliError(shown(command) + ": " +
                           (status < 0 ? error : "код выхода " + std::to_string(status)));
    }
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

#endif

}  // namespace

std::vector<std::string> givenOptions(const CLI::App& command,
                                      const std::vector<std::string>& leftOut) {
    std::vector<std::string> arguments;
    for (const CLI::Option* option : command.get_options()) {
        if (option->count() == 0 || option->get_lnames().empty()) continue;
        const std::string name = "--" + option->get_lnames().front();
        if (std::find(leftOut.begin(), leftOut.end(), name) != leftOut.end()) continue;
        if (option->get_items_expected_max() == 0) {
            for (std::size_t i = 0; i < option->count(); ++i) arguments.push_back(name);
            continue;
        }
        for (const std::string& value : option->results()) {
            arguments.push_back(name);
            arguments.push_back(value);
        }
    }
    return arguments;
}

void installService(GameFolder& game, const ServeOptions& options,
                    const std::vector<std::string>& serveArguments, bool print, std::ostream& out) {
    ServiceRequest request;
    request.program = fs::absolute(currentPlatform().programFile());
    request.gameFolder = gameFolderOf(game);
    request.templateName = fullTemplateName(game, options.templateName, true);
    request.serveOptions = serveArguments;
    request.stopGrace = options.timing.stopGrace;
    const std::string name = serviceName(request.gameFolder, request.templateName);
    const std::string alerts = alertFileText(options.alerts);
    const fs::path alertFile = serviceAlertFile(request.gameFolder, name);
    if (!alerts.empty())
        request.serveOptions.insert(request.serveOptions.end(),
                                    {"--notify-file", utf8FromPath(alertFile)});
    if (auto problem = serviceRequestProblem(request)) throw CliError(*problem);

#ifdef _WIN32
    const std::string xml = logonTaskXml(request, currentUserId());
    if (print) {
        out << "Задача планировщика «" << name << "» (при входе пользователя " << currentUserId()
            << "):\n"
            << xml << "Если планировщик откажет, значение " << name
            << " в разделе HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run:\n"
            << runKeyCommand(request) << "\n";
        return;
    }
    if (!alerts.empty()) writePrivateFile(alertFile, alerts);
    if (auto refused = registerTask(name, xml)) {
        if (auto failed = setRunValue(name, runKeyCommand(request)))
            throw CliError("Планировщик заданий отказал (" + *refused +
                           "), и запись в раздел Run не удалась: " + *failed);
        out << "Планировщик заданий отказал (" << *refused << "); вместо задачи записано значение "
            << name << " в разделе Run: serve запустится при входе в систему\n";
        return;
    }
    deleteRunValue(name);
    out << "Задача планировщика «" << name
        << "» создана: serve запустится при входе в систему в своём окне консоли (свёрнутом)\n";
#else
    const UnitFolder folder = unitFolder();
    SystemdPlacement placement;
    placement.systemWide = folder.systemWide;
    if (placement.systemWide) {
        std::optional<std::string> owner = ownerName(request.gameFolder);
        if (!owner)
            throw CliError("Не удалось узнать владельца папки игры " +
                           utf8FromPath(request.gameFolder));
        placement.user = *owner;
    }
    const std::string unit = systemdUnit(request, placement);
    const fs::path unitFile = folder.path / (name + ".service");
    const std::vector<std::vector<std::string>> commands = {
        systemctl(folder, {"daemon-reload"}),
        systemctl(folder, {"enable", "--now", name + ".service"})};
    if (print) {
        out << "# " << utf8FromPath(unitFile) << "\n" << unit << "\n# затем:\n";
        for (const auto& command : commands) out << "#   " << shown(command) << "\n";
        return;
    }
    if (!alerts.empty()) {
        writePrivateFile(alertFile, alerts);
        if (!giveToOwnerOf(alertFile, request.gameFolder))
            throw CliError("Не удалось передать файл " + utf8FromPath(alertFile) +
                           " владельцу папки игры");
    }
    fs::create_directories(folder.path);
    writeFileAtomically(unitFile, unit);
    out << "Служба " << name << " записана: " << utf8FromPath(unitFile) << "\n";
    runOrShow(folder, commands, out);
    if (!placement.systemWide)
        out << "Чтобы служба пользователя запускалась при загрузке, без входа в систему: "
               "loginctl enable-linger "
            << currentPlatform().userName().value_or("$USER") << "\n";
#endif
}

void removeService(GameFolder& game, const std::string& templateName, std::ostream& out) {
    const fs::path gameFolder = gameFolderOf(game);
    const std::string fullName = fullTemplateName(game, templateName, false);
    const std::string name = serviceName(gameFolder, fullName);
    bool found = false;
#ifdef _WIN32
    found = deleteTask(name);
    found = deleteRunValue(name) || found;
#else
    const UnitFolder folder = unitFolder();
    const fs::path unitFile = folder.path / (name + ".service");
    if (fs::exists(unitFile)) {
        found = true;
        runOrShow(folder, {systemctl(folder, {"disable", "--now", name + ".service"})}, out);
        fs::remove(unitFile);
        runOrShow(folder, {systemctl(folder, {"daemon-reload"})}, out);
    }
#endif
    std::error_code ignored;
    fs::remove(serviceAlertFile(gameFolder, name), ignored);
    if (!found) throw CliError("Службы " + name + " для шаблона «" + templateName + "» нет");
    out << "Служба " << name << " удалена\n";
#ifdef _WIN32
    // The serve the logon entry started runs on without it; systemd stops its own above.
    if (servedTemplate(game) == fullName) stopServe(game, out);
#endif
}

void listServices(std::ostream& out) {
    std::size_t count = 0;
#ifdef _WIN32
    for (const auto& [name, description] : tasksStartingWith(kNamePrefix)) {
        out << name << "\tпланировщик заданий\t" << description << "\n";
        ++count;
    }
    for (const auto& [name, command] : runValuesStartingWith(kNamePrefix)) {
        out << name << "\tраздел Run\t" << command << "\n";
        ++count;
    }
#else
    const UnitFolder folder = unitFolder();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder.path, error)) {
        const std::string file = entry.path().filename().string();
        if (!file.starts_with(kNamePrefix) || entry.path().extension() != ".service") continue;
        out << entry.path().stem().string() << "\t"
            << (folder.systemWide ? "systemd (система)" : "systemd (пользователь)") << "\t"
            << descriptionIn(readWholeFile(entry.path())) << "\n";
        ++count;
    }
#endif
    if (count == 0) out << "Служб qz7ctl нет\n";
}

}  // namespace qz7::cli
