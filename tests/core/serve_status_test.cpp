#include "server/serve_status.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/local_time.h"

namespace qz7 {
namespace {

using namespace std::chrono_literals;

ServeStatus runningWith(nlohmann::json state) {
    ServeStatus status;
    status.holder = ServeHolder{812, "2026-12-08T01:30:00.000Z"};
    status.state = std::move(state);
    return status;
}

std::string startedAgo(std::chrono::seconds uptime) {
    return utcTimestamp(std::chrono::system_clock::now() - uptime);
}

// The few words the setup window's button shows, for each state a serve can be in.
TEST(ServeShortStatus, SaysInAFewWordsWhatTheServeDoes) {
    const std::pair<ServeStatus, std::string> cases[] = {
        {ServeStatus{}, "Сервер: не запущен"},
        // A killed serve's last state: the lock decides, not the state file.
        {ServeStatus{std::nullopt, nlohmann::json{{"serverStarted", startedAgo(60s)}}},
         "Сервер: не запущен"},
        {runningWith({{"serverStarted", startedAgo(3h + 12min + 40s)}, {"restarts", 2}}),
         "Сервер: работает 3:12, перезап. 2"},
        {runningWith({{"serverStarted", startedAgo(5min)}, {"restarts", 0}}),
         "Сервер: работает 0:05"},
        {runningWith({{"serverStarted", startedAgo(30h + 1min)}}), "Сервер: работает 30:01"},
        {runningWith({{"serverStarted", nullptr}, {"lastExit", nullptr}}), "Сервер: запускается"},
        {runningWith({{"serverStarted", nullptr},
                      {"lastExit", {{"time", startedAgo(1s)}, {"message", "упал"}}}}),
         "Сервер: ждёт перезапуска"},
        // No state file yet: the serve is just starting.
        {ServeStatus{ServeHolder{812, ""}, std::nullopt}, "Сервер: запускается"},
    };
    for (const auto& [status, text] : cases) EXPECT_EQ(serveShortStatus(status), text);
}

// The restarts are told apart: by schedule, on request, and after an end of the server.
TEST(ServeStatusLines, RestartsAreToldApartByWhatCausedThem) {
    auto restartsLine = [](const nlohmann::json& state) {
        const std::vector<std::string> lines = serveStatusLines(runningWith(state));
        const auto found = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.starts_with("Перезапусков: ");
        });
        return found == lines.end() ? std::string() : *found;
    };
    EXPECT_EQ(restartsLine({{"restarts", 0}, {"scheduledRestarts", 0}}),
              "Перезапусков: 0, из них по расписанию: 0");
    EXPECT_EQ(restartsLine({{"restarts", 6}, {"scheduledRestarts", 2}, {"requestedRestarts", 1}}),
              "Перезапусков: 6, из них по расписанию: 2, по запросу: 1, после падений: 3");
    EXPECT_EQ(restartsLine({{"restarts", 2}, {"scheduledRestarts", 2}}),
              "Перезапусков: 2, из них по расписанию: 2");
}

}  // namespace
}  // namespace qz7
