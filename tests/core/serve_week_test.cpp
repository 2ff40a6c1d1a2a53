// A week of serve in seconds: serve runs in the test's own process, on a copy of the demo folder,
// for seven days of a fake clock against a scripted server that crashes, hangs and has a player
// when its script says so; what serve did is counted from its event lines, its event log, the
// alerts a loopback address received and the server's own starts.
#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <sstream>

#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "server/serve_files.h"
#include "server/serve_lock.h"
#include "server/serve_session.h"
#include "tests/core/supervisor_fakes.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using WallTime = std::chrono::system_clock::time_point;

// The host's clock is UTC+3 all week, so the times of day of the script are where it puts them.
constexpr hours kUtcOffset{3};
// The week begins on Monday 7 December 2026 at 00:00 local time and ends seven days later.
const WallTime kWeekStart = testing::utcMoment(2026, 12, 6, 21, 0);

// A local time of the week: day 1 to 8, hour and minute.
WallTime local(int day, int hour, int minute = 0) {
    return kWeekStart + hours(24 * (day - 1) + hour) + minutes(minute);
}

// The script. The crashes lie two hours from the scheduled restarts (04:00, 16:00) and from the
// hangs (10:00), and the player's stay (15:30 to 17:30 of day 3) covers the 16:00 restart and the
// hour it waits without touching a crash, so that no two events of the script meet and each one
// is counted as what it is.
constexpr int kCrashHours[] = {2, 8, 14, 20};
constexpr int kHangDays[] = {2, 4, 6};
constexpr int kHangHour = 10;
const WallTime kPlayerComes = local(3, 15, 30);
const WallTime kPlayerLeaves = local(3, 17, 30);
const WallTime kWeekEnd = local(8, 0);
const char* const kRconPassword = "week-secret-rcon";
// The threads of serve that wait on its clock: the health checks' and the one alert address's.
constexpr std::size_t kClockThreads = 2;

// The game server of the week, as the script says: it crashes at 02:00, 08:00, 14:00 and 20:00
// every day, falls silent at 10:00 of days 2, 4 and 6 (its process still running, until it is
// stopped), has one player from 15:30 to 17:30 of day 3, and ends by itself when the week ends.
// Every run is a FakeProgram on the test's clock; the server answers queries by that clock.
class ScriptedServer {
  public:
    explicit ScriptedServer(testing::FakeClock& clock) : clock_(clock) {
        for (int day = 1; day <= 7; ++day)
            for (int hour : kCrashHours) crashes_.push_back(local(day, hour));
        for (int day : kHangDays) hangs_.push_back(local(day, kHangHour));
    }

    std::unique_ptr<RunningProgram> start() {
        // serve's threads that wait on the clock (the health checks and the alert address's
        // sender) are made before the first start, but may not have begun their first wait yet:
        // the clock, which knows only its sleepers, would run on without them for hours.
        if (startCount() == 0) {
            EXPECT_TRUE(clock_.awaitSleepers(kClockThreads));
        }
        const WallTime now = clock_.wallNow();
        std::lock_guard lock(mutex_);
        const int id = 1000 + static_cast<int>(starts_.size());
        starts_.push_back(now);
        WallTime end = kWeekEnd;
        ProcessEnd how{};  // a clean end at the week's end
        for (WallTime crash : crashes_)
            if (crash > now && crash < end) {
                end = crash;
                how = {0, 11};
            }
        return std::make_unique<testing::FakeProgram>(
            clock_, id, std::chrono::duration_cast<milliseconds>(end - now), how);
    }

    // Answers for the run the health check asks about, unless a hang came since that run began.
    LocalServerQuery ask(const QueryPortInputs& inputs) {
        const WallTime now = clock_.wallNow();
        std::lock_guard lock(mutex_);
        LocalServerQuery result;
        const std::size_t run = static_cast<std::size_t>(inputs.serverProcessId.value_or(0) - 1000);
        if (run >= starts_.size()) {
            result.reason = "нет такого запуска";
            return result;
        }
        for (WallTime hang : hangs_)
            if (hang > starts_[run] && hang <= now) {
                result.reason = "нет ответа";
                return result;
            }
        ServerStatus status;
        status.map = "mp_week";
        status.maxClients = 18;
        if (now >= kPlayerComes && now < kPlayerLeaves) status.players.push_back({"игрок", 0, 50});
        result.status = status;
        result.server = UdpEndpoint{"127.0.0.1", 28960};
        return result;
    }

    RconOutcome say(const std::string& password) {
        std::lock_guard lock(mutex_);
        ++warnings_;
        RconOutcome outcome;
        outcome.delivered = password == kRconPassword;
        outcome.badPassword = !outcome.delivered;
        return outcome;
    }

    std::size_t startCount() {
        std::lock_guard lock(mutex_);
        return starts_.size();
    }
    std::vector<WallTime> starts() {
        std::lock_guard lock(mutex_);
        return starts_;
    }
    int warnings() {
        std::lock_guard lock(mutex_);
        return warnings_;
    }
    const std::vector<WallTime>& crashes() const { return crashes_; }
    const std::vector<WallTime>& hangs() const { return hangs_; }

  private:
    testing::FakeClock& clock_;
    std::vector<WallTime> crashes_;
    std::vector<WallTime> hangs_;
    std::mutex mutex_;  // starts come from serve's thread, questions from the health thread too
    std::vector<WallTime> starts_;
    int warnings_ = 0;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::map<std::string, int> countedKinds(const std::vector<nlohmann::json>& events) {
    std::map<std::string, int> kinds;
    for (const nlohmann::json& event : events) ++kinds[event.value("event", std::string())];
    return kinds;
}

// A log left by earlier serves, a little short of its bound, with all its older files: the week
// has to rotate it.
constexpr std::uintmax_t kRoomLeft = 16 * 1024;
std::string nearlyFullLog() {
    std::string text;
    for (int n = 0; text.size() < ServeLogFile::kMaxBytes - kRoomLeft; ++n)
        text += "30.11.2026 12:00:00 (UTC+3) строка прежнего serve " + std::to_string(n) + "\n";
    return text;
}

// Where the game folder of the week goes. serve writes its state file at every answer of the
// server, each write flushed to the disk: thousands in a week, whose pace on a busy disk would
// set the test's. A memory file system, where the machine has one, flushes at once (Windows, and
// wine, write to the temporary folder).
fs::path weekFolderBase() {
#ifndef _WIN32
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) return "/dev/shm";
#endif
    return fs::temp_directory_path();
}

TEST(ServeWeek, SevenDaysOfCrashesHangsAndScheduledRestartsGiveTheirExactCounts) {
    testing::TemporaryFolder folder(weekFolderBase());
    fs::copy(fs::path(QZ7_TEST_DATA_DIR) / "../../demo", folder.path(),
             fs::copy_options::recursive);
    const fs::path logFile = folder.path() / kServeLogFile;
    const std::string seeded = nearlyFullLog();
    writeFileAtomically(logFile, seeded);
    for (int n = 1; n <= ServeLogFile::kKeptOldFiles; ++n)
        writeFileAtomically(olderLogFile(logFile, n), "прежний журнал " + std::to_string(n) + "\n");

    testing::FakeClock clock{kWeekStart, testing::FakeTimeZone{kUtcOffset, {}}};
    ScriptedServer server(clock);
    testing::LoopbackHttpServer webhook;
    ASSERT_TRUE(webhook.listening());

    ServeOptions options;
    options.templateName = "#1";
    options.command = std::string("+set net_port 28960 +set rcon_password ") + kRconPassword;
    options.json = true;
    options.allowSleep = true;
    // Whatever else binds the server's ports on this machine does not stop the week.
    options.force = true;
    options.alerts.urls = {webhook.address("/week-hook")};
    options.timing.schedule.timesOfDay = {hours(4), hours(16)};
    options.timing.restartWhenEmpty = true;
    options.timing.emptyWait = minutes(60);
    options.timing.warnBefore = {minutes(5)};
    // The supervisor looks at its server every poll interval of the fake clock: at the 50 ms of a
    // real serve a week is 12 million turns. 30 s keeps it to 20 000 and changes no count: it is
    // only how late a due restart or a hung verdict is seen, far within the hours between events.
    options.timing.pollInterval = seconds(30);
    options.health.restartOnHang = true;
    // Every answer of the server is written to the state file (and flushed to the disk): a check
    // every 2 minutes (instead of every 30 s) keeps the week to 5 000 writes; a hang is then seen
    // at the third missed check, 4 to 6 minutes after it.
    options.health.interval = minutes(2);
    options.clock = &clock;
    options.startServer = [&](const fs::path&, const std::string&, ProgramOutput, std::string&) {
        return server.start();
    };
    options.askServer = [&](const QueryPortInputs& inputs, const QueryTiming&) {
        return server.ask(inputs);
    };
    options.sayToServer = [&](const UdpEndpoint&, const std::string& password, const std::string&,
                              const QueryTiming&) { return server.say(password); };

    std::ostringstream err;
    EXPECT_EQ(serve(folder.path(), options, err), ServeEnd::Done) << err.str().substr(0, 4000);
    EXPECT_EQ(clock.stalls(), 0);
    EXPECT_GE(clock.wallNow(), kWeekEnd);
    EXPECT_LT(clock.wallNow(), kWeekEnd + minutes(1));

    // The scenario in figures:
    constexpr int kCrashes = 4 * 7;     // a crash every 6 hours: 4 a day for 7 days
    constexpr int kHangs = 3;           // days 2, 4 and 6
    constexpr int kScheduled = 2 * 7;   // 04:00 and 16:00 each day, the 16:00 of day 3 included
    constexpr int kAfterEmptyWait = 1;  // that one, made at 17:00 with the player still on
    // The first start and one after each crash, hang and scheduled restart.
    constexpr int kStarts = 1 + kCrashes + kHangs + kScheduled;
    // Each scheduled restart is warned of once, 5 minutes before it.
    constexpr int kWarnings = kScheduled;

    // Restarts of each kind, by when the scripted server was started again (fake local times).
    const std::vector<WallTime> starts = server.starts();
    ASSERT_EQ(static_cast<int>(starts.size()), kStarts);
    EXPECT_EQ(starts.front(), kWeekStart);
    int afterCrash = 0, afterHang = 0, scheduled = 0, afterEmptyWait = 0;
    for (std::size_t n = 1; n < starts.size(); ++n) {
        const WallTime at = starts[n];
        // A restart after a crash waits its back-off of 1 s (the first of a series).
        for (WallTime crash : server.crashes()) afterCrash += at == crash + seconds(1);
        // A hang is seen at its third missed check, the first of them within a check interval of
        // it, within a poll; the server is stopped at once and started again 1 s later.
        const auto interval = options.health.interval;
        for (WallTime hang : server.hangs())
            afterHang += at > hang + 2 * interval &&
                         at <= hang + 3 * interval + options.timing.pollInterval + seconds(1);
        const minutes ofDay = std::chrono::floor<minutes>((at - kWeekStart) % hours(24));
        // A scheduled restart starts the server at once, within a poll of its time.
        scheduled += ofDay == hours(4) || ofDay == hours(16);
        afterEmptyWait += at >= local(3, 17) && at < local(3, 17) + options.timing.pollInterval;
    }
    EXPECT_EQ(afterCrash, kCrashes);
    EXPECT_EQ(afterHang, kHangs);
    EXPECT_EQ(scheduled, kScheduled - kAfterEmptyWait);
    EXPECT_EQ(afterEmptyWait, kAfterEmptyWait);
    EXPECT_EQ(server.warnings(), kWarnings);

    // serve's event lines, one JSON object each, by kind.
    std::vector<nlohmann::json> events;
    for (const std::string& line : linesOf(err.str())) {
        events.push_back(nlohmann::json::parse(line, nullptr, false));
        ASSERT_TRUE(events.back().is_object()) << line;
    }
    std::map<std::string, int> kinds = countedKinds(events);
    // Said once at the start only when something else binds the server's ports here.
    EXPECT_LE(kinds["ports-busy"], 1);
    kinds.erase("ports-busy");
    const std::map<std::string, int> expectedKinds = {
        {"alerts", 1},  // where alerts go, at the start
        {"files", 1},   // the server files formed, at the start
        {"started", kStarts},
        {"back-online", kStarts},        // every run answers its first check
        {"crashed", kCrashes + kHangs},  // a hung server is stopped as a crash
        {"restarting", kCrashes + kHangs},
        {"hung", kHangs},
        {"stopping", kHangs + kScheduled},
        {"scheduled-restart", kScheduled},
        {"stopped-for-restart", kScheduled},
        {"restart-waits", kAfterEmptyWait},
        {"warned", kWarnings},
        {"exited", 1},
    };
    EXPECT_EQ(kinds, expectedKinds);
    int hungCrashes = 0;
    for (const nlohmann::json& event : events) {
        if (event["event"] != "crashed") continue;
        hungCrashes += event["hung"].get<bool>();
        // Two hours and more between crashes (a hang's among them): never two in the crash
        // window, far from the crash limit.
        EXPECT_EQ(event["crashesInWindow"], 1) << event.dump();
    }
    EXPECT_EQ(hungCrashes, kHangs);
    for (const nlohmann::json& event : events)
        if (event["event"] == "restart-waits") {
            EXPECT_EQ(event["players"], 1);
            // The 16:00 restart was seen due within a poll, and waits the empty wait from then.
            const std::optional<WallTime> until =
                parseUtcTimestamp(event["until"].get<std::string>());
            ASSERT_TRUE(until.has_value()) << event.dump();
            EXPECT_GE(*until, local(3, 16) + options.timing.emptyWait);
            EXPECT_LE(*until,
                      local(3, 16) + options.timing.pollInterval + options.timing.emptyWait);
        }

    // The event log: the week rotated it once. Each file within the bound, the three older files
    // moved on by one, the oldest gone; the week's lines are those of the event lines, in order.
    EXPECT_FALSE(fs::exists(olderLogFile(logFile, ServeLogFile::kKeptOldFiles + 1)));
    for (int n = 0; n <= ServeLogFile::kKeptOldFiles; ++n) {
        const fs::path file = n == 0 ? logFile : olderLogFile(logFile, n);
        ASSERT_TRUE(fs::exists(file)) << file;
        EXPECT_LE(fs::file_size(file), ServeLogFile::kMaxBytes) << file;
    }
    EXPECT_EQ(readWholeFile(olderLogFile(logFile, 3)), "прежний журнал 2\n");
    EXPECT_EQ(readWholeFile(olderLogFile(logFile, 2)), "прежний журнал 1\n");
    const std::string rotated = readWholeFile(olderLogFile(logFile, 1));
    ASSERT_EQ(rotated.substr(0, seeded.size()), seeded);
    std::vector<std::string> logLines = linesOf(rotated.substr(seeded.size()));
    EXPECT_FALSE(logLines.empty());  // the week's first lines went to the file before it rotated
    for (const std::string& line : linesOf(readWholeFile(logFile))) logLines.push_back(line);
    ASSERT_EQ(logLines.size(), events.size());
    for (std::size_t n = 0; n < events.size(); ++n) {
        const std::string message = events[n]["message"];
        EXPECT_TRUE(logLines[n].ends_with(" " + message)) << logLines[n] << "\n" << message;
    }

    // The alerts: each alert event went out once, each message as one or more of them. One
    // message per 5 s at most: the crash after a hung alert (at the same moment) waits 5 s and goes
    // with the start 1 s after it, always. A scheduled restart's stop and start come at the same
    // moment: they go in one message or in two, 5 s apart, as the sending thread happens to take
    // them. Every other alert comes more than 5 s after the one before and goes alone.
    std::map<std::string, int> alerted;
    std::map<std::string, int> together;  // the kinds of each message of several alerts
    std::size_t messages = 0;
    std::string bodies;
    for (const testing::HttpRequest& request : webhook.requests()) {
        ++messages;
        bodies += request.body;
        nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
        if (!body.is_array()) body = nlohmann::json::array({body});
        std::string kinds;
        for (const nlohmann::json& alert : body) {
            const std::string kind = alert.value("event", std::string());
            ++alerted[kind];
            kinds += (kinds.empty() ? "" : " ") + kind;
        }
        if (body.size() > 1) ++together[kinds];
    }
    const std::map<std::string, int> expectedAlerts = {
        {"started", kStarts},
        {"back-online", kStarts},
        {"crashed", kCrashes + kHangs},
        {"hung", kHangs},
        {"stopped-for-restart", kScheduled},
        {"restart-waits", kAfterEmptyWait},
        {"exited", 1},
    };
    EXPECT_EQ(alerted, expectedAlerts);
    const int scheduledTogether = together["stopped-for-restart started"];
    EXPECT_LE(scheduledTogether, kScheduled);
    together.erase("stopped-for-restart started");
    EXPECT_EQ(together, (std::map<std::string, int>{{"crashed started", kHangs}}));
    int alerts = 0;
    for (const auto& [kind, count] : expectedAlerts) alerts += count;
    EXPECT_EQ(messages, static_cast<std::size_t>(alerts - kHangs - scheduledTogether));

    // The remote-console password is in no line, log, state or alert.
    for (const std::string& text : {err.str(), readWholeFile(logFile), rotated, bodies,
                                    readWholeFile(folder.path() / kServeStateFile)})
        EXPECT_EQ(text.find(kRconPassword), std::string::npos);
}

}  // namespace
}  // namespace qz7
