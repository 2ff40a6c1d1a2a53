#include "server/service_entry.h"

#include <cstdint>
#include <cstdio>

#include "platform/game_paths.h"
#include "platform/readable_text.h"
#include "platform/utf8.h"
#include "platform/windows_command_line.h"
#include "server/serve_settings.h"

namespace qz7 {

namespace {

constexpr std::size_t kSlugLength = 24;

// Latin letters for the Russian alphabet from а (U+0430) to я (U+044F).
constexpr const char* kTransliteration[32] = {
    "a", "b", "v", "g", "d", "e",  "zh", "z",  "i",  "y",    "k", "l", "m", "n", "o",  "p",
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "",  "y", "",  "e", "yu", "ya"};

std::string latinFor(char32_t letter) {
    if (letter >= U'A' && letter <= U'Z') return std::string(1, char(letter - U'A' + 'a'));
    if ((letter >= U'a' && letter <= U'z') || (letter >= U'0' && letter <= U'9'))
        return std::string(1, char(letter));
    if (letter == U'ё' || letter == U'Ё') return "e";
    if (letter >= U'А' && letter <= U'Я') return kTransliteration[letter - U'А'];
    if (letter >= U'а' && letter <= U'я') return kTransliteration[letter - U'а'];
    return "-";
}

std::string slugOf(const std::string& name, const char* fallback) {
    std::string slug;
    for (std::size_t position = 0; position < name.size();) {
        const Utf8Character character = nextUtf8Character(name, position);
        const std::string latin = character.codePoint ? latinFor(*character.codePoint) : "-";
        for (char c : latin) {
            if (c == '-' && (slug.empty() || slug.back() == '-')) continue;
            slug += c;
        }
    }
    if (slug.size() > kSlugLength) slug.resize(kSlugLength);
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    return slug.empty() ? fallback : slug;
}

// FNV-1a, 32 bits: a short, stable hash (not a secret).
std::uint32_t hashOf(const std::string& text) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
    return hash;
}

std::string replaced(std::string text, char what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, 1, with);
    return text;
}

// A value of a unit file line: systemd's specifiers start with %.
std::string unitValue(const std::string& text) { return replaced(text, '%', "%%"); }

std::string xmlText(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

bool hasControlCharacter(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return true;
    return false;
}

// The arguments of a Windows entry: serve minimises the console window it is given, and starts
// afresh after an end with an error as the systemd unit does (neither the Task Scheduler nor the
// Run key restarts it).
std::vector<std::string> windowsArguments(const ServiceRequest& request) {
    return serviceArguments(request, {"--minimized", "--restart-on-failure"});
}

}  // namespace

std::string serviceName(const std::filesystem::path& gameFolder, const std::string& templateName) {
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x",
                  unsigned(hashOf(utf8FromPath(gameFolder) + '\0' + templateName)));
    return "qz7-serve-" + slugOf(templateName, "template") + "-" + hash;
}

std::string serviceName(const std::filesystem::path& gameFolder) {
    const std::string identity = folderIdentity(gameFolder);
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", unsigned(hashOf(identity)));
    return "qz7-serve-" + slugOf(utf8FromPath(pathFromUtf8(identity).filename()), "folder") + "-" +
           hash;
}

std::optional<std::filesystem::path> folderOfServiceDescription(std::string_view description) {
    constexpr std::string_view kStart = "QZ7: сервер в ";
    const std::string end = std::string(" по настройкам ") + kServeSettingsFile;
    if (!description.starts_with(kStart) || !description.ends_with(end) ||
        description.size() <= kStart.size() + end.size())
        return std::nullopt;
    return pathFromUtf8(
        description.substr(kStart.size(), description.size() - kStart.size() - end.size()));
}

std::filesystem::path serviceAlertFile(const std::filesystem::path& gameFolder,
                                       const std::string& name) {
    return gameFolder / (name + ".alerts");
}

std::vector<std::string> serviceArguments(const ServiceRequest& request,
                                          const std::vector<std::string>& extraOptions) {
    std::vector<std::string> arguments = {"--game-dir", utf8FromPath(request.gameFolder), "serve"};
    arguments.insert(arguments.end(), request.serveOptions.begin(), request.serveOptions.end());
    arguments.insert(arguments.end(), extraOptions.begin(), extraOptions.end());
    if (request.templateName.empty()) return arguments;
    arguments.push_back("--");
    arguments.push_back(request.templateName);
    return arguments;
}

std::string serviceDescription(const ServiceRequest& request) {
    if (request.templateName.empty())
        return "QZ7: сервер в " + textFromPath(request.gameFolder) + " по настройкам " +
               kServeSettingsFile;
    return "QZ7: сервер «" + request.templateName + "» в " + textFromPath(request.gameFolder);
}

std::chrono::seconds serviceStopTimeout(std::chrono::milliseconds stopGrace) {
    // The grace, one alert interval and request (5 s + 10 s), the port removal (60 s), and room.
    return std::chrono::ceil<std::chrono::seconds>(stopGrace) + std::chrono::seconds(90);
}

std::optional<std::string> serviceRequestProblem(const ServiceRequest& request) {
    std::vector<std::string> texts = serviceArguments(request);
    texts.push_back(utf8FromPath(request.program));
    for (const std::string& text : texts)
        if (hasControlCharacter(text))
            return "в имени шаблона, пути или параметре есть перевод строки или другой "
                   "управляющий символ: такую запись службы не составить";
    return std::nullopt;
}

std::string systemdCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        std::string quoted;
        for (char c : argument) {
            if (c == '\\' || c == '"') quoted += '\\';
            if (c == '%' || c == '$') quoted += c;
            quoted += c;
        }
        line += (line.empty() ? "\"" : " \"") + quoted + "\"";
    }
    return line;
}

std::string systemdUnit(const ServiceRequest& request, const SystemdPlacement& placement) {
    std::vector<std::string> command = serviceArguments(request);
    command.insert(command.begin(), utf8FromPath(request.program));
    std::string unit;
    unit += "[Unit]\n";
    unit += "Description=" + unitValue(serviceDescription(request)) + "\n";
    unit += "Wants=network-online.target\n";
    unit += "After=network-online.target\n";
    // serve ends with status 1 after its own crash limit; systemd starts it again at most three
    // times an hour.
    unit += "StartLimitIntervalSec=3600\n";
    unit += "StartLimitBurst=3\n";
    unit += "\n[Service]\n";
    unit += "Type=simple\n";
    if (placement.systemWide) unit += "User=" + placement.user + "\n";
    unit += "WorkingDirectory=" + unitValue(utf8FromPath(request.gameFolder)) + "\n";
    unit += "ExecStart=" + systemdCommandLine(command) + "\n";
    unit += "KillMode=mixed\n";
    unit +=
        "TimeoutStopSec=" + std::to_string(serviceStopTimeout(request.stopGrace).count()) + "\n";
    unit += "Restart=on-failure\n";
    unit += "RestartSec=30\n";
    // A usage error (status 2) does not mend itself; every other failure, the end on an internal
    // error (status 4) too, is restarted.
    unit += "RestartPreventExitStatus=2\n";
    unit += "\n[Install]\n";
    unit += std::string("WantedBy=") +
            (placement.systemWide ? "multi-user.target" : "default.target") + "\n";
    return unit;
}

std::string logonTaskXml(const ServiceRequest& request, const std::string& userId) {
    const std::string user = xmlText(userId);
    std::string xml;
    xml += "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n";
    xml +=
        "<Task version=\"1.2\" "
        "xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n";
    xml += "  <RegistrationInfo>\n";
    xml += "    <Description>" + xmlText(serviceDescription(request)) + "</Description>\n";
    xml += "  </RegistrationInfo>\n";
    xml += "  <Triggers>\n";
    xml += "    <LogonTrigger>\n";
    xml += "      <Enabled>true</Enabled>\n";
    xml += "      <UserId>" + user + "</UserId>\n";
    xml += "    </LogonTrigger>\n";
    xml += "  </Triggers>\n";
    xml += "  <Principals>\n";
    xml += "    <Principal id=\"Author\">\n";
    xml += "      <UserId>" + user + "</UserId>\n";
    xml += "      <LogonType>InteractiveToken</LogonType>\n";
    xml += "      <RunLevel>LeastPrivilege</RunLevel>\n";
    xml += "    </Principal>\n";
    xml += "  </Principals>\n";
    xml += "  <Settings>\n";
    xml += "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n";
    xml += "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n";
    xml += "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n";
    xml += "    <AllowHardTerminate>true</AllowHardTerminate>\n";
    xml += "    <StartWhenAvailable>false</StartWhenAvailable>\n";
    xml += "    <RunOnlyIfNetworkAvailable>false</RunOnlyIfNetworkAvailable>\n";
    xml += "    <IdleSettings>\n";
    xml += "      <StopOnIdleEnd>false</StopOnIdleEnd>\n";
    xml += "      <RestartOnIdle>false</RestartOnIdle>\n";
    xml += "    </IdleSettings>\n";
    xml += "    <AllowStartOnDemand>true</AllowStartOnDemand>\n";
    xml += "    <Enabled>true</Enabled>\n";
    xml += "    <Hidden>false</Hidden>\n";
    xml += "    <RunOnlyIfIdle>false</RunOnlyIfIdle>\n";
    xml += "    <WakeToRun>false</WakeToRun>\n";
    xml += "    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\n";
    xml += "    <Priority>7</Priority>\n";
    xml += "  </Settings>\n";
    xml += "  <Actions Context=\"Author\">\n";
    xml += "    <Exec>\n";
    xml += "      <Command>" + xmlText(utf8FromPath(request.program)) + "</Command>\n";
    xml += "      <Arguments>" + xmlText(joinWindowsCommandLine(windowsArguments(request))) +
           "</Arguments>\n";
    xml += "      <WorkingDirectory>" + xmlText(utf8FromPath(request.gameFolder)) +
           "</WorkingDirectory>\n";
    xml += "    </Exec>\n";
    xml += "  </Actions>\n";
    xml += "</Task>\n";
    return xml;
}

std::string runKeyCommand(const ServiceRequest& request) {
    std::vector<std::string> arguments = windowsArguments(request);
    arguments.insert(arguments.begin(), utf8FromPath(request.program));
    return joinWindowsCommandLine(arguments);
}

}  // namespace qz7
