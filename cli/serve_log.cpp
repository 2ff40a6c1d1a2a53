#include "cli/serve_log.h"

#include <cstdio>
#include <ostream>

#include "server/launchers.h"

namespace qz7::cli {

namespace {

std::string endText(const ProcessEnd& end) {
    if (end.signal != 0) return "сигнал " + std::to_string(end.signal);
    return "код выхода " + std::to_string(end.exitStatus);
}

std::string pidText(int processId) { return "pid " + std::to_string(processId); }

}  // namespace

std::string secondsText(std::chrono::milliseconds duration) {
    char text[32];
    std::snprintf(text, sizeof text, "%g с", double(duration.count()) / 1000.0);
    return text;
}

void ServeLog::note(const std::string& name, const std::string& message,
                    const nlohmann::json& fields) {
    const std::string time = utcTimestamp(std::chrono::system_clock::now());
    nlohmann::json line = {{"time", time}, {"event", name}, {"message", message}};
    line.update(fields);
    {
        std::lock_guard lock(writing_);
        if (json_)
            err_ << line.dump() << std::endl;
        else
            err_ << time << " " << message << std::endl;
    }
    if (observer_) observer_(line);
}

void ServeLog::report(const SupervisorEvent& event) {
    const nlohmann::json pid = {{"pid", event.processId}};
    switch (event.kind) {
        case SupervisorEventKind::Started:
            note("started", "сервер запущен (" + pidText(event.processId) + ")", pid);
            return;
        case SupervisorEventKind::Crashed:
            note("crashed",
                 "сервер упал: " + endText(event.end) + " (" + pidText(event.processId) +
                     "; падений за последние " + secondsText(crashWindow_) + ": " +
                     std::to_string(event.crashesInWindow) + ")",
                 {{"pid", event.processId},
                  {"exitStatus", event.end.exitStatus},
                  {"signal", event.end.signal},
                  {"crashesInWindow", event.crashesInWindow}});
            return;
        case SupervisorEventKind::Restarting:
            note("restarting", "перезапуск через " + secondsText(event.delay),
                 {{"delaySeconds", double(event.delay.count()) / 1000.0}});
            return;
        case SupervisorEventKind::ExitedCleanly:
            note("exited", "сервер завершился сам (код выхода 0, " + pidText(event.processId) + ")",
                 pid);
            return;
        case SupervisorEventKind::GaveUp:
            note("gave-up",
                 "сервер упал " + std::to_string(event.crashesInWindow) + " раз за " +
                     secondsText(crashWindow_) + ": перезапуски прекращены",
                 {{"crashesInWindow", event.crashesInWindow}});
            return;
        case SupervisorEventKind::StartFailed:
            note("start-failed",
                 "не удалось запустить " + std::string(kServerLauncherName) + ": " + event.error,
                 {{"error", event.error}});
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

}  // namespace qz7::cli
