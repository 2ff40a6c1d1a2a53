#include "server/serve_log.h"

#include <cstdio>
#include <ostream>
#include <utility>

#include "net/json_text.h"
#include "platform/readable_text.h"
#include "server/counted_words.h"
#include "server/launchers.h"

namespace qz7 {

namespace {

std::string endText(const ProcessEnd& end) {
    if (end.signal != 0) return "сигнал " + std::to_string(end.signal);
    return "код выхода " + std::to_string(end.exitStatus);
}

std::string pidText(int processId) { return "pid " + std::to_string(processId); }

// "перезапуск по расписанию", or "перезапуск по запросу" for one that a host asked for.
std::string restartKindText(const SupervisorEvent& event) {
    return event.requested ? "перезапуск по запросу" : "перезапуск по расписанию";
}

std::string nextRestartText(const std::optional<std::chrono::system_clock::time_point>& next) {
    return next ? "; следующий перезапуск по расписанию " + localTimeText(*next) : "";
}

nlohmann::json nextRestartField(const std::optional<std::chrono::system_clock::time_point>& next) {
    return next ? nlohmann::json(utcTimestamp(*next)) : nlohmann::json(nullptr);
}

}  // namespace

std::string secondsText(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%g с", double(duration.count()) / 1000.0);
    return text;
}

nlohmann::json eventObject(const ServeEvent& event) {
    nlohmann::json object = {
        {"time", utcTimestamp(event.time)}, {"event", event.name}, {"message", event.message}};
    object.update(event.fields);
    return object;
}

std::string eventLine(const ServeEvent& event, bool json) {
    if (json) return jsonText(eventObject(event));
    return localTimeText(event.time) + " " + event.message;
}

void ServeLog::note(const std::string& name, const std::string& message,
                    const nlohmann::json& fields) {
    // Paths and names in the message may come from the file system in any bytes.
    publish({std::chrono::system_clock::now(), name, readableText(message), readableJson(fields)});
}

void ServeLog::addListener(std::function<void(const ServeEvent&)> listener) {
    listeners_.push_back(std::move(listener));
}

void ServeLog::publish(ServeEvent event) {
    std::lock_guard lock(publishing_);
    waiting_.push_back(std::move(event));
    // Noted by a listener of the event being published: it comes next.
    if (publishingNow_) return;
    publishingNow_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{publishingNow_};
    while (!waiting_.empty()) {
        const ServeEvent next = std::move(waiting_.front());
        waiting_.pop_front();
        writeLine(next);
        for (const auto& listener : listeners_) runGuarded(guard_, [&] { listener(next); });
    }
}

void ServeLog::writeLine(const ServeEvent& event) {
    const std::string line = eventLine(event, json_) + "\n";
    err_ << line << std::flush;
    if (err_) {
        if (wrote_) wrote_(line);
        if (!std::exchange(errFailing_, false)) return;
        waiting_.push_back({std::chrono::system_clock::now(), "output-restored",
                            "вывод serve снова записывается (стандартный вывод ошибок)",
                            nlohmann::json::object()});
        return;
    }
    err_.clear();
    if (std::exchange(errFailing_, true)) return;
    waiting_.push_back({std::chrono::system_clock::now(), "output-failed",
                        "вывод serve не записывается (стандартный вывод ошибок): сервер работает "
                        "дальше, события идут в журнал; пока запись не наладится, это не "
                        "повторяется",
                        nlohmann::json::object()});
}

void ServeLog::report(const SupervisorEvent& event) {
    const nlohmann::json pid = {{"pid", event.processId}};
    switch (event.kind) {
        case SupervisorEventKind::Started:
            note("started",
                 "сервер запущен (" + pidText(event.processId) + ")" +
                     nextRestartText(event.nextRestart),
                 {{"pid", event.processId}, {"nextRestart", nextRestartField(event.nextRestart)}});
            return;
        case SupervisorEventKind::Crashed:
            note("crashed",
                 std::string(event.hung ? "сервер остановлен как зависший: " : "сервер упал: ") +
                     endText(event.end) + " (" + pidText(event.processId) +
                     "; падений за последние " + secondsText(crashWindow_) + ": " +
                     std::to_string(event.crashesInWindow) + ")",
                 {{"pid", event.processId},
                  {"exitStatus", event.end.exitStatus},
                  {"signal", event.end.signal},
                  {"hung", event.hung},
                  {"crashesInWindow", event.crashesInWindow}});
            return;
        case SupervisorEventKind::Hung:
            note("hung",
                 "сервер не отвечает на запросы: он будет остановлен и запущен снова, как после "
                 "падения (" +
                     pidText(event.processId) + ")",
                 pid);
            return;
        case SupervisorEventKind::RestartWaits:
            note("restart-waits",
                 "перезапуск по расписанию ждёт, пока игроки уйдут: игроков на сервере " +
                     std::to_string(event.players) + "; не дольше, чем до " +
                     (event.nextRestart ? localTimeText(*event.nextRestart) : std::string("?")),
                 {{"pid", event.processId},
                  {"players", event.players},
                  {"until", nextRestartField(event.nextRestart)}});
            return;
        case SupervisorEventKind::Restarting:
            note("restarting", "перезапуск через " + secondsText(event.delay),
                 {{"delaySeconds", double(event.delay.count()) / 1000.0}});
            return;
        case SupervisorEventKind::ExitedCleanly:
            // A clean exit counted to the crash limit (restart after a clean exit) is no crash.
            if (event.crashesInWindow > 0) cleanExitsCounted_ = true;
            if (event.crashesInWindow == 0) {
                note("exited",
                     "сервер завершился сам (код выхода 0, " + pidText(event.processId) + ")", pid);
            } else {
                note("exited",
                     "сервер завершился сам (код выхода 0, " + pidText(event.processId) +
                         "; падений и завершений за последние " + secondsText(crashWindow_) + ": " +
                         std::to_string(event.crashesInWindow) + ")",
                     {{"pid", event.processId}, {"crashesInWindow", event.crashesInWindow}});
            }
            return;
        case SupervisorEventKind::GaveUp:
            note("gave-up",
                 std::string(cleanExitsCounted_ ? "сервер упал или завершился сам "
                                                : "сервер упал ") +
                     countedWords(event.crashesInWindow, "раз", "раза", "раз") + " за " +
                     secondsText(crashWindow_) + ": перезапуски прекращены",
                 {{"crashesInWindow", event.crashesInWindow}});
            return;
        case SupervisorEventKind::StartFailed:
            note("start-failed",
                 "не удалось запустить " + std::string(kServerLauncherName) + ": " + event.error +
                     " (считается падением; падений за последние " + secondsText(crashWindow_) +
                     ": " + std::to_string(event.crashesInWindow) + ")",
                 {{"error", event.error}, {"crashesInWindow", event.crashesInWindow}});
            return;
        case SupervisorEventKind::Stopping:
            note("stopping", "сервер просят завершиться (" + pidText(event.processId) + ")", pid);
            return;
        case SupervisorEventKind::Killed:
            note("killed",
                 "сервер не завершился вовремя: завершён принудительно (" +
                     pidText(event.processId) + ")",
                 pid);
            return;
        case SupervisorEventKind::ScheduledRestart:
            if (event.processId == 0) {
                note("requested-restart",
                     "перезапуск по запросу: сервер ждал перезапуска после падения и "
                     "запускается сейчас",
                     pid);
                return;
            }
            note(event.requested ? "requested-restart" : "scheduled-restart",
                 restartKindText(event) + " (" + pidText(event.processId) +
                     "): шаблон читается заново",
                 pid);
            return;
        case SupervisorEventKind::RestartPostponed:
            note("restart-postponed",
                 restartKindText(event) + (event.requested ? " не сделан" : " отложен") +
                     ", сервер работает дальше: " + event.error +
                     nextRestartText(event.nextRestart),
                 {{"pid", event.processId},
                  {"requested", event.requested},
                  {"error", event.error},
                  {"nextRestart", nextRestartField(event.nextRestart)}});
            return;
        case SupervisorEventKind::StoppedForRestart:
            note("stopped-for-restart",
                 "сервер остановлен для " +
                     std::string(event.requested ? "перезапуска по запросу"
                                                 : "перезапуска по расписанию") +
                     ": " + endText(event.end) + " (" + pidText(event.processId) + ")",
                 {{"pid", event.processId},
                  {"requested", event.requested},
                  {"exitStatus", event.end.exitStatus},
                  {"signal", event.end.signal}});
            return;
        case SupervisorEventKind::FilesNotWritten:
            note("files-not-written",
                 "файлы сервера не записаны, сервер запускается с прежними: " + event.error,
                 {{"error", event.error}});
            return;
        case SupervisorEventKind::Stopped:
            if (event.processId == 0) {
                note("stopped", "остановлено до запуска сервера", nlohmann::json::object());
            } else {
                note("stopped",
                     "сервер остановлен: " + endText(event.end) + " (" + pidText(event.processId) +
                         ")",
                     {{"pid", event.processId},
                      {"exitStatus", event.end.exitStatus},
                      {"signal", event.end.signal}});
            }
            return;
    }
}

}  // namespace qz7
