#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "server/serve_alerts.h"
#include "server/serve_lock.h"
#include "server/serve_log.h"
#include "server/serve_status.h"
#include "tests/core/supervisor_fakes.h"

namespace qz7 {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using testing::utcMoment;

TEST(LocalTimeText, ShowsTheLocalDateAndTimeWithTheOffsetOfThatMoment) {
    const auto moment = utcMoment(2026, 12, 8, 15, 21) + std::chrono::milliseconds(51'235);
    const struct {
        std::chrono::seconds offset;
        const char* shown;
    } cases[] = {
        {hours(3), "08.12.2026 18:21:51 (UTC+3)"},
        {hours(0), "08.12.2026 15:21:51 (UTC+0)"},
        {-hours(4), "08.12.2026 11:21:51 (UTC-4)"},
        {hours(5) + minutes(30), "08.12.2026 20:51:51 (UTC+5:30)"},
        {-(hours(9) + minutes(30)), "08.12.2026 05:51:51 (UTC-9:30)"},
        {hours(9), "09.12.2026 00:21:51 (UTC+9)"},  // the next local day
    };
    for (const auto& c : cases) EXPECT_EQ(localTimeText(moment, c.offset), c.shown);
    EXPECT_EQ(localTimeText(utcMoment(2026, 12, 31, 22, 30), hours(3)),
              "01.01.2027 01:30:00 (UTC+3)");
}

#ifndef _WIN32
// The process's time zone for a test's lifetime (POSIX TZ rules: no zone files needed). Windows'
// C library reads no such rules: there the pure cases above stand for it.
class InTimeZone {
  public:
    explicit InTimeZone(const char* zone) {
        if (const char* before = std::getenv("TZ")) previous_ = before;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~InTimeZone() {
        if (previous_)
            ::setenv("TZ", previous_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

  private:
    std::optional<std::string> previous_;
};

// What people read of a serve (its log lines, its status, its alerts, who holds the folder) shows
// the zone's offset of the moment, summer or winter; what programs read keeps UTC.
TEST(LocalTimeText, PeopleReadTheZonesTimeSummerAndWinterWhileJsonKeepsUtc) {
    const auto summer = utcMoment(2026, 7, 1, 12, 0);
    const auto winter = utcMoment(2026, 12, 8, 12, 0);
    const struct {
        const char* zone;
        const char* summerShown;
        const char* winterShown;
    } zones[] = {
        {"CET-1CEST,M3.5.0,M10.5.0/3", "01.07.2026 14:00:00 (UTC+2)",
         "08.12.2026 13:00:00 (UTC+1)"},
        {"MSK-3", "01.07.2026 15:00:00 (UTC+3)", "08.12.2026 15:00:00 (UTC+3)"},
    };
    for (const auto& z : zones) {
        SCOPED_TRACE(z.zone);
        InTimeZone zone(z.zone);
        for (const auto& [moment, shown] :
             {std::pair{summer, z.summerShown}, {winter, z.winterShown}}) {
            EXPECT_EQ(localTimeText(moment), shown);

            std::ostringstream lines;
            ServeLog log(lines, false, std::chrono::minutes(10));
            std::vector<ServeEvent> events;
            log.addListener([&](const ServeEvent& event) { events.push_back(event); });
            log.report(
                {.kind = SupervisorEventKind::Started, .processId = 5, .nextRestart = moment});
            ASSERT_EQ(events.size(), 1u);
            EXPECT_NE(
                events[0].message.find("следующий перезапуск по расписанию " + std::string(shown)),
                std::string::npos);
            events[0].time = moment;
            EXPECT_EQ(eventLine(events[0], false), std::string(shown) + " " + events[0].message);
            const nlohmann::json object = eventObject(events[0]);
            EXPECT_EQ(object["time"], utcTimestamp(moment));
            EXPECT_EQ(object["nextRestart"], utcTimestamp(moment));
            const Alert alert = alertFor({"host", "/srv/game", "Турнир"}, object);
            EXPECT_NE(alert.text.find(shown), std::string::npos) << alert.text;
            EXPECT_EQ(nlohmann::json::parse(alert.json)["time"], utcTimestamp(moment));

            EXPECT_EQ(serveHolderText({812, utcTimestamp(moment)}),
                      "qz7ctl serve (pid 812, с " + std::string(shown) + ")");
            const nlohmann::json moment_ = {{"time", utcTimestamp(moment)}, {"message", "упал"}};
            ServeStatus status;
            status.state = nlohmann::json{{"template", "Турнир"},
                                          {"serveEnded", utcTimestamp(moment)},
                                          {"lastCrash", moment_}};
            const std::vector<std::string> statusLines = serveStatusLines(status);
            EXPECT_NE(statusLines[1].find("завершился " + std::string(shown)), std::string::npos)
                << statusLines[1];
            EXPECT_NE(std::find(statusLines.begin(), statusLines.end(),
                                "Последнее падение: " + std::string(shown) + " упал"),
                      statusLines.end());
            EXPECT_EQ(serveStatusJson(status)["state"]["serveEnded"], utcTimestamp(moment));
        }
    }
}

#endif

}  // namespace
}  // namespace qz7
