#include "server/serve_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "net/alert_address.h"
#include "platform/atomic_file.h"
#include "platform/game_paths.h"
#include "platform/utf8.h"
#include "server/folder_alerts.h"
#include "server/operation_error.h"
#include "server/restart_schedule.h"
#include "server/server_health.h"
#include "server/value_rules.h"
#include "settings/kept_versions.h"

namespace qz7 {

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// A settings file larger than this is no settings file.
constexpr std::size_t kLargestFile = 64 * 1024;

using Reason = std::optional<std::string>;

// One key of the file: its name, serve's option for it (none for the template, which serve takes
// as its first argument), what it holds, and how its value is written, read and taken from the
// command line.
struct SettingKey {
    std::string_view key;
    std::string_view option;
    std::string_view comment;
    // The value as it stands blanks and all (names, command lines); else blanks around it go.
    bool exact = false;
    std::string (*text)(const ServeOptions&);
    Reason (*read)(std::string_view, ServeOptions&);
    void (*take)(ServeOptions& to, const ServeOptions& from);
};

template <bool ServeOptions::*member>
std::string flagText(const ServeOptions& options) {
    return options.*member ? "1" : "0";
}

template <bool ServeOptions::*member>
Reason readFlag(std::string_view value, ServeOptions& options) {
    if (value != "0" && value != "1") return "нужно 0 (нет) или 1 (да)";
    options.*member = value == "1";
    return std::nullopt;
}

template <bool ServeOptions::*member>
void takeFlag(ServeOptions& to, const ServeOptions& from) {
    to.*member = from.*member;
}

std::string secondsText(milliseconds duration) {
    const long long count = duration.count();
    if (count % 1000 == 0) return std::to_string(count / 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", count / 1000, count % 1000);
    std::string result = text;
    while (result.back() == '0') result.pop_back();
    return result;
}

template <milliseconds SupervisorTiming::*member>
std::string timingText(const ServeOptions& options) {
    return secondsText(options.timing.*member);
}

template <milliseconds SupervisorTiming::*member>
Reason readSeconds(std::string_view value, ServeOptions& options) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds,
                                              std::chars_format::fixed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        !(seconds >= kShortestServeSeconds && seconds <= kLongestServeSeconds))
        return "нужно число секунд от 0.001 до 86400, например 10 или 0.5";
    options.timing.*member = milliseconds(std::llround(seconds * 1000.0));
    return std::nullopt;
}

template <auto member>
void takeTiming(ServeOptions& to, const ServeOptions& from) {
    to.timing.*member = from.timing.*member;
}

// A whole number in [lowest, highest]; the reason otherwise.
Reason readWholeNumber(std::string_view value, int lowest, int highest, int& number) {
    int read = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), read);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() ||
        read < lowest || read > highest)
        return "нужно целое число от " + std::to_string(lowest) + " до " + std::to_string(highest);
    number = read;
    return std::nullopt;
}

// A duration such as 30s, 10m or 1h, at least shortestRestartInterval().
Reason readDuration(std::string_view value, milliseconds& duration) {
    std::string error;
    const std::optional<std::chrono::seconds> read = parseRestartInterval(value, error);
    if (!read) return error;
    duration = *read;
    return std::nullopt;
}

std::string durationText(milliseconds duration) {
    return restartIntervalText(std::chrono::duration_cast<std::chrono::seconds>(duration));
}

template <std::optional<std::string> ServeOptions::*member>
std::string optionalText(const ServeOptions& options) {
    return (options.*member).value_or("");
}

template <std::optional<std::string> ServeOptions::*member>
Reason readOptional(std::string_view value, ServeOptions& options) {
    options.*member = value.empty() ? std::nullopt : std::optional<std::string>(value);
    return std::nullopt;
}

template <std::optional<std::string> ServeOptions::*member>
void takeOptional(ServeOptions& to, const ServeOptions& from) {
    to.*member = from.*member;
}

const SettingKey kKeys[] = {
    {"Template", "", "шаблон: имя, как в списке шаблонов, или #N (позиция N, с 1)", true,
     [](const ServeOptions& o) { return o.templateName; },
     [](std::string_view v, ServeOptions& o) -> Reason {
         o.templateName = std::string(v);
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) { to.templateName = from.templateName; }},
    {"FixedWeights", "--fixed-weights", "1: шанс выпадания каждой карты 100 вместо случайного",
     false, flagText<&ServeOptions::fixedWeights>, readFlag<&ServeOptions::fixedWeights>,
     takeFlag<&ServeOptions::fixedWeights>},
    {"Command", "--command", "строка запуска вместо строки шаблона; пусто: строка шаблона", true,
     optionalText<&ServeOptions::command>, readOptional<&ServeOptions::command>,
     takeOptional<&ServeOptions::command>},
    {"RestartAt", "--restart-at", "перезапуск сервера в местное время ЧЧ:ММ[,ЧЧ:ММ...]; пусто: нет",
     false, [](const ServeOptions& o) { return timesOfDayText(o.timing.schedule.timesOfDay); },
     [](std::string_view v, ServeOptions& o) -> Reason {
         std::string error;
         if (v.empty()) {
             o.timing.schedule.timesOfDay.clear();
         } else if (auto times = parseTimesOfDay(v, error)) {
             o.timing.schedule.timesOfDay = *times;
         } else {
             return error;
         }
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.timing.schedule.timesOfDay = from.timing.schedule.timesOfDay;
     }},
    {"RestartEvery", "--restart-every",
     "перезапуск через этот срок после запуска сервера: 90s, 30m, 6h; пусто: нет", false,
     [](const ServeOptions& o) {
         return o.timing.schedule.every ? restartIntervalText(*o.timing.schedule.every)
                                        : std::string();
     },
     [](std::string_view v, ServeOptions& o) -> Reason {
         std::string error;
         if (v.empty()) {
             o.timing.schedule.every.reset();
         } else if (auto every = parseRestartInterval(v, error)) {
             o.timing.schedule.every = *every;
         } else {
             return error;
         }
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.timing.schedule.every = from.timing.schedule.every;
     }},
    {"OnCleanExit", "--on-clean-exit",
     "сервер завершился сам с кодом 0: stop (serve завершается) или restart (перезапуск)", false,
     [](const ServeOptions& o) {
         return std::string(o.timing.restartAfterCleanExit ? "restart" : "stop");
     },
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (v != "stop" && v != "restart") return "нужно stop или restart";
         o.timing.restartAfterCleanExit = v == "restart";
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.timing.restartAfterCleanExit = from.timing.restartAfterCleanExit;
     }},
    {"Ports", "--ports", "1: пробросить 70 портов на роутере на время работы и убрать их в конце",
     false, flagText<&ServeOptions::forwardPorts>, readFlag<&ServeOptions::forwardPorts>,
     takeFlag<&ServeOptions::forwardPorts>},
    {"Igd", "--igd", "адрес описания роутера (UPnP); пусто: найти роутер в сети", false,
     optionalText<&ServeOptions::igdUrl>,
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (!v.empty())
             if (Reason reason = httpAddressProblem(std::string(v))) return reason;
         return readOptional<&ServeOptions::igdUrl>(v, o);
     },
     takeOptional<&ServeOptions::igdUrl>},
    {"AllowSleep", "--allow-sleep", "1: не запрещать компьютеру засыпать, пока работает сервер",
     false, flagText<&ServeOptions::allowSleep>, readFlag<&ServeOptions::allowSleep>,
     takeFlag<&ServeOptions::allowSleep>},
    {"CrashLimit", "--crash-limit", "столько падений за окно подсчёта прекращают перезапуски",
     false, [](const ServeOptions& o) { return std::to_string(o.timing.crashLimit); },
     [](std::string_view v, ServeOptions& o) {
         return readWholeNumber(v, 1, kLargestCrashLimit, o.timing.crashLimit);
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.timing.crashLimit = from.timing.crashLimit;
     }},
    {"CrashWindow", "--crash-window", "окно подсчёта падений, с", false,
     timingText<&SupervisorTiming::crashWindow>, readSeconds<&SupervisorTiming::crashWindow>,
     takeTiming<&SupervisorTiming::crashWindow>},
    {"RestartDelay", "--restart-delay",
     "пауза перед первым перезапуском после падения, с (дальше вдвое больше)", false,
     timingText<&SupervisorTiming::firstRestartDelay>,
     readSeconds<&SupervisorTiming::firstRestartDelay>,
     takeTiming<&SupervisorTiming::firstRestartDelay>},
    {"MaxRestartDelay", "--max-restart-delay", "наибольшая пауза перед перезапуском, с", false,
     timingText<&SupervisorTiming::longestRestartDelay>,
     readSeconds<&SupervisorTiming::longestRestartDelay>,
     takeTiming<&SupervisorTiming::longestRestartDelay>},
    {"StopGrace", "--stop-grace", "сколько ждать завершения сервера перед принудительным, с", false,
     timingText<&SupervisorTiming::stopGrace>, readSeconds<&SupervisorTiming::stopGrace>,
     takeTiming<&SupervisorTiming::stopGrace>},
    {"QueryPort", "--query-port",
     "порт, на котором сервер отвечает на запрос состояния; пусто: искать (net_port строки "
     "запуска, порты процесса сервера, порты сервера)",
     false,
     [](const ServeOptions& o) {
         return o.health.queryPort ? std::to_string(*o.health.queryPort) : std::string();
     },
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (v.empty()) {
             o.health.queryPort.reset();
             return std::nullopt;
         }
         int port = 0;
         if (Reason reason = readWholeNumber(v, 1, 65535, port)) return reason;
         o.health.queryPort = port;
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.health.queryPort = from.health.queryPort;
     }},
    {"HealthInterval", "--health-interval",
     "как часто спрашивать сервер, жив ли он: 30s, 1m (не меньше 10s)", false,
     [](const ServeOptions& o) { return durationText(o.health.interval); },
     [](std::string_view v, ServeOptions& o) { return readDuration(v, o.health.interval); },
     [](ServeOptions& to, const ServeOptions& from) { to.health.interval = from.health.interval; }},
    {"HangAfter", "--hang-after",
     "столько ответов подряд пропустил сервер, отвечавший раньше, и он считается зависшим", false,
     [](const ServeOptions& o) { return std::to_string(o.health.missesForHang); },
     [](std::string_view v, ServeOptions& o) {
         return readWholeNumber(v, kFewestMissesForHang, 1000, o.health.missesForHang);
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.health.missesForHang = from.health.missesForHang;
     }},
    {"OnHang", "--on-hang",
     "зависший сервер: restart (остановить и запустить снова) или alert (только сообщить)", false,
     [](const ServeOptions& o) {
         return std::string(o.health.restartOnHang ? "restart" : "alert");
     },
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (v != "restart" && v != "alert") return "нужно restart или alert";
         o.health.restartOnHang = v == "restart";
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.health.restartOnHang = from.health.restartOnHang;
     }},
    {"RestartWhenEmpty", "--restart-when-empty",
     "1: перезапуск по расписанию ждёт, пока на сервере никто не играет", false,
     [](const ServeOptions& o) { return std::string(o.timing.restartWhenEmpty ? "1" : "0"); },
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (v != "0" && v != "1") return "нужно 0 (нет) или 1 (да)";
         o.timing.restartWhenEmpty = v == "1";
         return std::nullopt;
     },
     takeTiming<&SupervisorTiming::restartWhenEmpty>},
    {"EmptyWait", "--empty-wait",
     "сколько перезапуск по расписанию ждёт ухода игроков, потом перезапускает всё равно: 1h",
     false, [](const ServeOptions& o) { return durationText(o.timing.emptyWait); },
     [](std::string_view v, ServeOptions& o) { return readDuration(v, o.timing.emptyWait); },
     takeTiming<&SupervisorTiming::emptyWait>},
    {"WarnBefore", "--warn-before",
     "за сколько до перезапуска по расписанию предупредить игроков через rcon: 5m,1m; пусто: нет",
     false,
     [](const ServeOptions& o) {
         std::string text;
         for (std::chrono::seconds before : o.timing.warnBefore)
             text += (text.empty() ? "" : ",") + restartIntervalText(before);
         return text;
     },
     [](std::string_view v, ServeOptions& o) -> Reason {
         std::string error;
         if (v.empty()) {
             o.timing.warnBefore.clear();
         } else if (auto times = parseIntervals(v, error)) {
             o.timing.warnBefore = *times;
         } else {
             return error;
         }
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) {
         to.timing.warnBefore = from.timing.warnBefore;
     }},
    {"AlertFormat", "--notify-format",
     "вид оповещений: discord или json; пусто: discord для адресов с /api/webhooks/, иначе json",
     false, [](const ServeOptions& o) { return o.alerts.format.value_or(""); },
     [](std::string_view v, ServeOptions& o) -> Reason {
         if (!v.empty() && v != "discord" && v != "json") return "нужно discord, json или пусто";
         o.alerts.format = v.empty() ? std::nullopt : std::optional<std::string>(v);
         return std::nullopt;
     },
     [](ServeOptions& to, const ServeOptions& from) { to.alerts.format = from.alerts.format; }},
};

const SettingKey* keyNamed(std::string_view key) {
    for (const SettingKey& known : kKeys)
        if (known.key == key) return &known;
    return nullptr;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// One line of the file: its text without the line end, and whether that end was CR LF.
struct Line {
    std::string_view text;
    bool crlf = false;
};

std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        Line line{text.substr(start, end - start)};
        if (!line.text.empty() && line.text.back() == '\r') {
            line.text.remove_suffix(1);
            line.crlf = true;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool isComment(std::string_view line) {
    const std::string_view text = trimmed(line);
    return text.empty() || text.front() == '#' || text.front() == ';';
}

std::string knownKeys() {
    std::string names;
    for (const SettingKey& key : kKeys) names += (names.empty() ? "" : ", ") + std::string(key.key);
    return names;
}

// Reads a key's value by the one rule of the file, the command line and the window alike.
Reason readValue(const SettingKey& key, std::string_view value, ServeOptions& settings) {
    if (!key.exact) value = trimmed(value);
    if (Reason reason = controlCharacterProblem(value)) return reason;
    return key.read(value, settings);
}

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (text.substr(0, kMark.size()) == kMark) text.remove_prefix(kMark.size());
    return text;
}

}  // namespace

ServeOptions parseServeSettings(std::string_view text, const std::string& fileName) {
    ServeOptions settings;
    auto refuse = [&fileName](std::size_t line, std::string_view key, const std::string& reason) {
        std::string where = fileName + ", строка " + std::to_string(line);
        if (!key.empty()) where += ", " + std::string(key);
        throw OperationError(where + ": " + reason, OperationError::Kind::Usage);
    };
    if (text.size() > kLargestFile)
        refuse(0, {}, "файл больше " + std::to_string(kLargestFile / 1024) + " КиБ");
    text = withoutByteOrderMark(text);
    std::vector<std::size_t> seenAt(std::size(kKeys), 0);
    const std::vector<Line> lines = linesOf(text);
    for (std::size_t number = 1; number <= lines.size(); ++number) {
        const std::string_view line = lines[number - 1].text;
        if (!isValidUtf8(line)) refuse(number, {}, "строка не в кодировке UTF-8");
        if (isComment(line)) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            refuse(number, trimmed(line), "нет знака «=»: строка должна быть Ключ=значение");
        const std::string_view name = trimmed(line.substr(0, equals));
        const SettingKey* key = keyNamed(name);
        if (key == nullptr)
            refuse(number, name, "неизвестный ключ (известны: " + knownKeys() + ")");
        std::size_t& seen = seenAt[std::size_t(key - kKeys)];
        if (seen != 0) refuse(number, name, "ключ уже задан в строке " + std::to_string(seen));
        seen = number;
        if (Reason reason = readValue(*key, line.substr(equals + 1), settings))
            refuse(number, name, *reason);
    }
    return settings;
}

ServeOptions readServeSettings(const fs::path& gameFolder) {
    const fs::path file = gameFolder / kServeSettingsFile;
    std::error_code error;
    if (!fs::exists(file, error)) return ServeOptions{};
    return parseServeSettings(readWholeFile(file), kServeSettingsFile);
}

std::string serveSettingsText(const ServeOptions& settings, std::string_view earlier) {
    earlier = withoutByteOrderMark(earlier);
    std::string text;
    std::vector<bool> written(std::size(kKeys), false);
    bool crlf = false;
    for (const Line& line : linesOf(earlier)) {
        crlf = line.crlf;
        std::string out(line.text);
        const std::size_t equals = line.text.find('=');
        const SettingKey* key = isComment(line.text) || equals == std::string_view::npos
                                    ? nullptr
                                    : keyNamed(trimmed(line.text.substr(0, equals)));
        if (key != nullptr && !written[std::size_t(key - kKeys)]) {
            written[std::size_t(key - kKeys)] = true;
            out = std::string(key->key) + "=" + key->text(settings);
        }
        text += out + (line.crlf ? "\r\n" : "\n");
    }
    const char* end = crlf ? "\r\n" : "\n";
    if (earlier.empty()) {
        text +=
            "# Настройки qz7ctl serve этой папки игры. По ним работают qz7ctl serve без шаблона";
        text += end;
        text += "# и параметров, служба (qz7ctl service install) и окно «Сервер под присмотром»;";
        text += end;
        text += "# параметры командной строки serve важнее на время одного запуска.";
        text += end;
        text += "# Строка: Ключ=значение; строки с # — комментарии. Кодировка UTF-8.";
        text += end;
    }
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        if (written[i]) continue;
        const SettingKey& key = kKeys[i];
        text += std::string(end) + "# " + std::string(key.comment) + end;
        text += std::string(key.key) + "=" + key.text(settings) + end;
    }
    return text;
}

std::string serveSettingValue(const ServeOptions& settings, std::string_view key) {
    const SettingKey* known = keyNamed(key);
    return known != nullptr ? known->text(settings) : std::string();
}

std::optional<std::string> setServeSetting(ServeOptions& settings, std::string_view key,
                                           std::string_view value) {
    const SettingKey* known = keyNamed(key);
    if (known == nullptr) return "неизвестный ключ";
    return readValue(*known, value, settings);
}

std::optional<std::string> setServeOption(ServeOptions& settings, std::string_view option,
                                          std::string_view value) {
    for (const SettingKey& key : kKeys)
        if (!key.option.empty() && key.option == option) return readValue(key, value, settings);
    return "неизвестный параметр";
}

std::optional<std::string> serveSettingsProblem(const ServeOptions& settings) {
    for (const SettingKey& key : kKeys) {
        const std::string value = key.text(settings);
        ServeOptions read;
        if (Reason reason = readValue(key, value, read))
            return std::string(key.key) + "=" + value + ": " + *reason;
    }
    return std::nullopt;
}

void writeServeSettings(const fs::path& gameFolder, const ServeOptions& settings) {
    if (std::optional<std::string> problem = serveSettingsProblem(settings))
        throw OperationError(std::string(kServeSettingsFile) + " не записан: " + *problem,
                             OperationError::Kind::Usage);
    const fs::path file = gameFolder / kServeSettingsFile;
    std::string earlier;
    std::error_code error;
    if (fs::exists(file, error)) {
        try {
            earlier = readWholeFile(file);
            parseServeSettings(earlier);
        } catch (const std::exception&) {
            earlier.clear();
        }
    }
    keepVersionBeforeChange(file, FileChange::Rewrite);
    writeFileAtomically(file, serveSettingsText(settings, earlier));
}

std::vector<ServeSettingName> serveSettingNames() {
    std::vector<ServeSettingName> names;
    for (const SettingKey& key : kKeys) names.push_back({key.key, key.option});
    return names;
}

bool isServeSetting(std::string_view option) {
    return !option.empty() &&
           std::any_of(std::begin(kKeys), std::end(kKeys),
                       [option](const SettingKey& key) { return key.option == option; });
}

ServeOptions serveOptionsOverSettings(ServeOptions settings, const ServeOptions& commandLine,
                                      const std::vector<std::string>& givenOptions) {
    for (const SettingKey& key : kKeys)
        if (!key.option.empty() &&
            std::find(givenOptions.begin(), givenOptions.end(), key.option) != givenOptions.end())
            key.take(settings, commandLine);
    if (!commandLine.templateName.empty()) settings.templateName = commandLine.templateName;
    settings.force = commandLine.force;
    settings.json = commandLine.json;
    settings.quietServer = commandLine.quietServer;
    settings.boundedOutput = commandLine.boundedOutput;
    settings.alerts.urls = commandLine.alerts.urls;
    settings.alerts.file = commandLine.alerts.file;
    settings.blockSleep = commandLine.blockSleep;
    settings.failPoint = commandLine.failPoint;
    return settings;
}

ServeOptions serveOptionsFor(const fs::path& gameFolder, const ServeOptions& commandLine,
                             const std::vector<std::string>& givenOptions, std::ostream& err) {
    ServeOptions options =
        serveOptionsOverSettings(readServeSettings(gameFolder), commandLine, givenOptions);
    if (options.templateName.empty())
        throw OperationError(
            std::string("Шаблон не задан: назовите его (qz7ctl serve ШАБЛОН) или задайте "
                        "Template= в ") +
                kServeSettingsFile + " папки игры (или в окне «Сервер под присмотром»)",
            OperationError::Kind::Usage);
    if (!options.alerts.any()) {
        const std::string adopted = adoptTemplateAlertFiles(gameFolder);
        if (!adopted.empty()) err << adopted << "\n";
        if (!readFolderAlerts(gameFolder).empty())
            options.alerts.file = utf8FromPath(folderAlertFile(gameFolder));
    }
    return options;
}

}  // namespace qz7
