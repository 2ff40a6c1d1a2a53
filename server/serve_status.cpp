#include "server/serve_status.h"

#include <algorithm>
#include <cstdio>

#include "platform/local_time.h"
#include "server/serve_files.h"

namespace qz7 {

namespace {

const nlohmann::json& valueIn(const nlohmann::json& object, const char* key) {
    static const nlohmann::json none;
    const auto found = object.find(key);
    return found == object.end() ? none : *found;
}

std::string text(const nlohmann::json& value, const char* fallback = "нет") {
    if (value.is_string()) return value.get<std::string>();
    if (value.is_number()) return value.dump();
    return fallback;
}

// A count of the state file; 0 for anything else.
long long countIn(const nlohmann::json& value) {
    return value.is_number_integer() ? value.get<long long>() : 0;
}

// A UTC time of the state file as people read it; the text itself when it is none.
std::string localText(const nlohmann::json& value, const char* fallback = "нет") {
    if (!value.is_string()) return fallback;
    const std::optional<std::chrono::system_clock::time_point> moment =
        parseUtcTimestamp(value.get<std::string>());
    return moment ? localTimeText(*moment) : value.get<std::string>();
}

std::optional<long long> uptimeOf(const nlohmann::json& state) {
    const nlohmann::json& started = valueIn(state, "serverStarted");
    if (!started.is_string()) return std::nullopt;
    const std::optional<std::chrono::system_clock::time_point> moment =
        parseUtcTimestamp(started.get<std::string>());
    if (!moment) return std::nullopt;
    return std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(
                                      std::chrono::system_clock::now() - *moment)
                                      .count());
}

// "<time> <message>" of an event the state keeps; nothing when there is none.
std::optional<std::string> momentText(const nlohmann::json& moment) {
    if (!moment.is_object()) return std::nullopt;
    return localText(valueIn(moment, "time")) + " " + text(valueIn(moment, "message"));
}

void addStateLines(const nlohmann::json& state, bool running, std::vector<std::string>& lines) {
    auto value = [&](const char* key) -> const nlohmann::json& { return valueIn(state, key); };
    lines.push_back("Шаблон: " + text(value("template")));
    const std::optional<long long> uptime = running ? uptimeOf(state) : std::nullopt;
    if (uptime)
        lines.push_back("Сервер: работает, pid " + text(value("serverPid")) + ", " +
                        durationText(*uptime) + " (с " + localText(value("serverStarted")) + ")");
    else
        lines.push_back("Сервер: не запущен");
    std::string restarts = "Перезапусков: " + text(value("restarts"), "0") +
                           ", из них по расписанию: " + text(value("scheduledRestarts"), "0");
    if (value("requestedRestarts").is_number() && value("requestedRestarts") != 0)
        restarts += ", по запросу: " + text(value("requestedRestarts"));
    // The rest followed an end of the server: a crash, or a clean end restarted.
    const long long afterEnds = countIn(value("restarts")) - countIn(value("scheduledRestarts")) -
                                countIn(value("requestedRestarts"));
    if (afterEnds > 0) restarts += ", после падений: " + std::to_string(afterEnds);
    lines.push_back(restarts);
    lines.push_back("Падений за окно подсчёта: " + text(value("crashesInWindow"), "0"));
    lines.push_back("Последнее падение: " + momentText(value("lastCrash")).value_or("нет"));
    if (std::optional<std::string> exit = momentText(value("lastExit")))
        lines.push_back("Последнее завершение: " + *exit);
    if (running) lines.push_back("Следующий перезапуск: " + localText(value("nextRestart")));
    if (const nlohmann::json& answer = value("lastAnswer"); running && answer.is_object()) {
        std::string players = "Игроки: " + text(valueIn(answer, "players"), "?");
        if (valueIn(answer, "maxPlayers").is_number())
            players += " из " + text(valueIn(answer, "maxPlayers"));
        lines.push_back(players + ", карта " + text(valueIn(answer, "map"), "?") + " (ответ " +
                        localText(valueIn(answer, "time")) + ")");
    }
    lines.push_back(std::string("Порты: ") +
                    (value("portsForwarded") == true ? "проброшены" : "не проброшены"));
    if (running && value("sleepBlocked") == true)
        lines.push_back("Сон компьютера: запрещён, пока работает serve");
}

}  // namespace

std::optional<long long> ServeStatus::uptimeSeconds() const {
    if (!running() || !state) return std::nullopt;
    return uptimeOf(*state);
}

ServeStatus readServeStatus(const std::filesystem::path& gameFolder) {
    ServeStatus status;
    status.holder = findServeHolder(gameFolder);
    status.state = readServeState(gameFolder);
    return status;
}

nlohmann::json serveStatusJson(const ServeStatus& status) {
    const std::optional<long long> uptime = status.uptimeSeconds();
    return {{"running", status.running()},
            {"servePid", status.holder ? nlohmann::json(status.holder->processId) : nullptr},
            {"serveSince", status.holder ? nlohmann::json(status.holder->since) : nullptr},
            {"uptimeSeconds", uptime ? nlohmann::json(*uptime) : nullptr},
            {"state", status.state ? *status.state : nlohmann::json(nullptr)}};
}

std::vector<std::string> serveStatusLines(const ServeStatus& status) {
    std::vector<std::string> lines;
    if (status.running()) {
        lines.push_back("Работает " + serveHolderText(*status.holder));
        if (status.state) addStateLines(*status.state, true, lines);
        return lines;
    }
    lines.push_back("qz7ctl serve: не запущен");
    if (status.state) {
        const nlohmann::json& ended = valueIn(*status.state, "serveEnded");
        lines.push_back(std::string("Последнее известное состояние (") + kServeStateFile +
                        ", qz7ctl serve pid " + text(valueIn(*status.state, "servePid")) + ", " +
                        (ended.is_string() ? "завершился " + localText(ended)
                                           : std::string("прерван без завершения")) +
                        "):");
        addStateLines(*status.state, false, lines);
    }
    return lines;
}

std::string serveShortStatus(const ServeStatus& status) {
    if (!status.running()) return "Сервер: не запущен";
    const nlohmann::json none;
    const nlohmann::json& state = status.state ? *status.state : none;
    if (const std::optional<long long> uptime = status.uptimeSeconds()) {
        char text[64];
        std::snprintf(text, sizeof text, "Сервер: работает %lld:%02lld", *uptime / 3600,
                      *uptime / 60 % 60);
        const nlohmann::json& restarts = valueIn(state, "restarts");
        if (restarts.is_number() && restarts != 0) return text + (", перезап. " + restarts.dump());
        return text;
    }
    return valueIn(state, "lastExit").is_object() ? "Сервер: ждёт перезапуска"
                                                  : "Сервер: запускается";
}

std::string durationText(long long seconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%lld ч %02lld мин %02lld с", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return buffer;
}

std::optional<std::string> servedTemplate(const std::filesystem::path& gameFolder) {
    if (!findServeHolder(gameFolder)) return std::nullopt;
    const std::optional<nlohmann::json> state = readServeState(gameFolder);
    if (!state || !valueIn(*state, "template").is_string()) return std::nullopt;
    return valueIn(*state, "template").get<std::string>();
}

std::optional<std::string> refusalWhileServed(const std::filesystem::path& gameFolder) {
    const std::optional<ServeHolder> holder = findServeHolder(gameFolder);
    if (!holder) return std::nullopt;
    return serveHolderRefusal(*holder);
}

}  // namespace qz7
