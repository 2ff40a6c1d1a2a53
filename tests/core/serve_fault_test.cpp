// What serve does when one of its steps fails: each step is made to fail through serve's fail
// point (or a stand-in for what it talks to), and serve is run in the test's process on a copy of
// the demo folder, whose stand-in server launcher is a POSIX shell script.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <streambuf>

#include "platform/atomic_file.h"
#include "server/serve_files.h"
#include "server/serve_session.h"
#include "server/server_health.h"
#include "tests/core/supervisor_fakes.h"
#include "tests/fakes/fake_port_gateway.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temporary_folder.h"

namespace qz7 {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A stream buffer that refuses its first `failures` writes, as a full disk refuses them.
class RefusingBuffer : public std::streambuf {
  public:
    explicit RefusingBuffer(int failures) : failures_(failures) {}
    std::string text;

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        if (failures_ > 0) {
            --failures_;
            return 0;
        }
        text.append(bytes, static_cast<std::size_t>(count));
        return count;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

  private:
    int failures_;
};

class ServeFault : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(fs::path(QZ7_TEST_DATA_DIR) / "../../demo", folder.path(),
                 fs::copy_options::recursive);
        options.templateName = "#1";
        options.allowSleep = true;
        options.timing.firstRestartDelay = options.timing.longestRestartDelay = milliseconds(10);
        options.timing.pollInterval = milliseconds(10);
        options.timing.stopGrace = std::chrono::seconds(5);
        options.failPoint = [this](std::string_view step) {
            if (failing && failing(step)) throw std::runtime_error("сбой для проверки: " + what);
        };
    }
    void TearDown() override { ::unsetenv("QZ7_STAND_IN"); }

    ServeEnd serveWith(const char* standIn, std::ostream& err) {
        ::setenv("QZ7_STAND_IN", standIn, 1);
        return serve(folder.path(), options, err);
    }
    std::string logFile() const { return readWholeFile(folder.path() / "qz7-serve.log"); }
    nlohmann::json state() const { return readServeState(folder.path()).value(); }
    bool serverRuns() const {
        const std::optional<nlohmann::json> now = readServeState(folder.path());
        return now && (*now)["serverPid"].is_number();
    }

    testing::TemporaryFolder folder;
    ServeOptions options;
    // Whether the step fails now; what the failure says.
    std::function<bool(std::string_view step)> failing;
    std::string what = "ошибка";
};

// A write of the state file or the event log that fails, however often, leaves the server
// running: it is said once, and again once the file is written again.
TEST_F(ServeFault, AFailedWriteOfTheStateOrTheLogIsSaidOnceAndAgainWhenItWorks) {
    struct Case {
        const char* step;
        const char* file;
    };
    for (const Case c :
         {Case{"state-write", "qz7-serve.json"}, Case{"log-write", "qz7-serve.log"}}) {
        SCOPED_TRACE(c.step);
        fs::remove(folder.path() / "stand-in-starts");
        int calls = 0;
        failing = [&](std::string_view step) { return step == c.step && ++calls <= 4; };
        std::ostringstream err;
        // Two crashes and a clean end: events enough to fail four writes and write again.
        EXPECT_EQ(serveWith("crash crash clean", err), ServeEnd::Done) << err.str();
        const std::string said = err.str();
        EXPECT_EQ(countOf(said, std::string("не удалось записать ") + c.file), 1u) << said;
        EXPECT_EQ(countOf(said, std::string(c.file) + " снова записывается"), 1u) << said;
        EXPECT_LT(said.find("не удалось записать"), said.find("снова записывается"));
        EXPECT_NE(said.find("сервер завершился сам"), std::string::npos) << said;
        EXPECT_FALSE(state()["serveEnded"].is_null());
        EXPECT_NE(logFile().find("сервер завершился сам"), std::string::npos);
    }
}

// serve's own output refused (a full disk under qz7-serve.err): said once in the event log, and
// again when it takes lines again; the stream is never left failing.
TEST_F(ServeFault, OutputThatCannotBeWrittenIsSaidOnceAndAgainWhenItWorks) {
    RefusingBuffer refusing(3);
    std::ostream err(&refusing);
    EXPECT_EQ(serveWith("crash clean", err), ServeEnd::Done);
    const std::string log = logFile();
    EXPECT_EQ(countOf(log, "вывод serve не записывается"), 1u) << log;
    EXPECT_EQ(countOf(log, "вывод serve снова записывается"), 1u) << log;
    EXPECT_NE(refusing.text.find("сервер завершился сам"), std::string::npos) << refusing.text;
}

// A start that fails counts as a crash: it is tried again after the back-off, and the crash limit
// still ends a launcher that never starts.
TEST_F(ServeFault, AFailedStartCountsAsACrashWithinTheCrashLimit) {
    int starts = 0;
    failing = [&](std::string_view step) { return step == "server-start" && ++starts == 1; };
    std::ostringstream err;
    EXPECT_EQ(serveWith("clean", err), ServeEnd::Done) << err.str();
    const std::string said = err.str();
    const std::size_t failed = said.find("не удалось запустить");
    ASSERT_NE(failed, std::string::npos) << said;
    EXPECT_NE(said.find("считается падением; падений за последние 600 с: 1", failed),
              std::string::npos)
        << said;
    EXPECT_LT(failed, said.find("сервер запущен"));
    EXPECT_EQ(state()["crashesInWindow"], 1);
    EXPECT_TRUE(state()["lastCrash"].is_object());

    failing = [](std::string_view step) { return step == "server-start"; };
    options.timing.crashLimit = 3;
    std::ostringstream never;
    EXPECT_EQ(serveWith("clean", never), ServeEnd::Failed);
    EXPECT_EQ(countOf(never.str(), "не удалось запустить"), 3u) << never.str();
    EXPECT_NE(never.str().find("перезапуски прекращены"), std::string::npos);
}

// Ports that cannot be removed at the end: said, alerted, and serve ends with a failure although
// the server ended well.
TEST_F(ServeFault, PortsThatCannotBeRemovedAreSaidAlertedAndFailTheServe) {
    struct KeepsItsPorts : testing::FakePortCollection {
        bool remove(int, std::string_view) override { return false; }
    };
    struct Router : PortMappingGateway {
        PortMappingCollection* staticPortMappingCollection() override { return &collection; }
        KeepsItsPorts collection;
    };
    testing::LoopbackHttpServer webhook;
    options.alerts.urls = {webhook.address("/hook")};
    options.forwardPorts = true;
    options.portGateway = [](const std::optional<std::string>&) {
        return std::make_unique<Router>();
    };
    std::ostringstream err;
    EXPECT_EQ(serveWith("clean", err), ServeEnd::Failed) << err.str();
    EXPECT_NE(err.str().find("сервер завершился сам"), std::string::npos);
    std::string alerted;
    for (const testing::HttpRequest& request : webhook.waitForRequests(2)) alerted += request.body;
    EXPECT_NE(alerted.find("\"event\":\"ports-failed\""), std::string::npos) << alerted;
    EXPECT_EQ(state()["endReason"], "порты не убраны с роутера");
    EXPECT_EQ(state()["portsForwarded"], true);
}

// An alert that cannot be sent is logged as a failed alert; the run goes on.
TEST_F(ServeFault, AnAlertThatCannotBeSentIsLoggedAndTheRunGoesOn) {
    options.alerts.urls = {testing::refusingAddress("/hook")};
    std::ostringstream err;
    EXPECT_EQ(serveWith("crash clean", err), ServeEnd::Done) << err.str();
    const std::string log = logFile();
    EXPECT_NE(log.find("не доставлен"), std::string::npos) << log;
    EXPECT_NE(log.find("сервер завершился сам"), std::string::npos) << log;
}

// An exception nobody expected, in a companion (its thread or its events) or a listener of the
// event lines, ends serve in order: said with its text (the alert address redacted) and alerted,
// the server stopped as a stop request stops it, the state ended with the reason, and its own end.
TEST_F(ServeFault, AnUnexpectedExceptionInACompanionOrListenerEndsServeInOrder) {
    testing::LoopbackHttpServer webhook;
    const std::string address = webhook.address("/secret-token");
    options.alerts.urls = {address};
    what = "адрес " + address;
    for (const char* part : {"проверка сервера", "оповещения", "журнал serve"}) {
        SCOPED_TRACE(part);
        fs::remove(folder.path() / "stand-in-starts");
        options.health.interval = milliseconds(20);
        bool thrown = false;
        // Once the server runs: it has to be stopped.
        failing = [&](std::string_view step) {
            if (thrown || step != part || !serverRuns()) return false;
            thrown = true;
            return true;
        };
        std::ostringstream err;
        EXPECT_EQ(serveWith("run", err), ServeEnd::InternalError) << err.str();
        const std::string said = err.str();
        const std::string expected = std::string("serve завершается из-за внутренней ошибки: ") +
                                     part + ": сбой для проверки: адрес http://127.0.0.1:";
        EXPECT_NE(said.find(expected), std::string::npos) << said;
        EXPECT_EQ(said.find("secret-token"), std::string::npos) << said;
        const std::size_t stopping = said.find("сервер просят завершиться");
        EXPECT_LT(said.find("внутренней ошибки"), stopping);
        EXPECT_NE(said.find("сервер остановлен: сигнал 15", stopping), std::string::npos) << said;
        const nlohmann::json ended = state();
        EXPECT_FALSE(ended["serveEnded"].is_null());
        EXPECT_TRUE(ended["serverPid"].is_null());
        EXPECT_NE(ended["endReason"].get<std::string>().find("внутренняя ошибка"),
                  std::string::npos);
    }
    std::string alerted;
    for (const testing::HttpRequest& request : webhook.requests()) alerted += request.body;
    EXPECT_EQ(countOf(alerted, "\"event\":\"internal-error\""), 3u) << alerted;
    EXPECT_EQ(alerted.find("secret-token"), std::string::npos);
}

// A refused start (here: files that cannot be formed) leaves the last serve's state as it was.
TEST_F(ServeFault, ARefusedStartLeavesTheLastStateAndSaysWhy) {
    const std::string last =
        "{\"template\": \"прежний\", \"serveEnded\": \"2026-12-01T10:00:00Z\"}";
    writeFileAtomically(folder.path() / "qz7-serve.json", last);
    fs::remove(folder.path() / "admin" / "server_mod_default.cfg");
    std::ostringstream err;
    EXPECT_ANY_THROW(serveWith("clean", err));
    EXPECT_EQ(readWholeFile(folder.path() / "qz7-serve.json"), last);
}

// serve records the query port it asks (from its own parameters, never the command line itself).
TEST_F(ServeFault, TheStateKeepsTheQueryPortOfTheParametersServeRuns) {
    options.command = "+set net_port 28961 +set rcon_password тайна";
    std::ostringstream err;
    EXPECT_EQ(serveWith("clean", err), ServeEnd::Done) << err.str();
    const std::string text = readWholeFile(folder.path() / "qz7-serve.json");
    EXPECT_EQ(state()["queryPort"], 28961);
    EXPECT_EQ(text.find("тайна"), std::string::npos);
}

// A health check that fails in any way (here: it throws, as a walk of a process that vanished
// would) counts as one unanswered check, never more.
TEST(ServeFaultHealth, ACheckThatThrowsCountsAsOneUnansweredCheck) {
    std::ostringstream lines;
    ServeLog log(lines, false, std::chrono::minutes(10));
    testing::FakeClock clock{testing::utcMoment(2026, 12, 8, 12, 0), testing::FakeTimeZone{}};
    int checks = 0;
    std::vector<bool> throwing = {false, true, true, false, true, true, true};
    HealthOptions options;
    options.interval = std::chrono::hours(1);
    ServerHealth health(
        options, log, "/nonexistent/server_mod.cfg", nullptr,
        [&](const QueryPortInputs&, const QueryTiming&) {
            if (throwing.at(static_cast<std::size_t>(checks++)))
                throw fs::filesystem_error("directory iterator cannot advance", "/proc/4242/fd",
                                           std::make_error_code(std::errc::no_such_process));
            LocalServerQuery answered;
            answered.status = ServerStatus{};
            answered.server = UdpEndpoint{"127.0.0.1", 27015};
            return answered;
        },
        sayThroughRcon, clock);
    health.runStarted(4242, "");
    // An answer, two failed checks (fewer than the three that make it hung), an answer again.
    for (int i = 0; i < 4; ++i) {
        EXPECT_NO_THROW(health.checkNow());
        clock.advance(std::chrono::seconds(30));
    }
    EXPECT_FALSE(health.hung());
    // Three in a row: hung, as three unanswered checks make it.
    for (int i = 0; i < 3; ++i) {
        EXPECT_NO_THROW(health.checkNow());
        clock.advance(std::chrono::seconds(30));
    }
    EXPECT_TRUE(health.hung());
}

}  // namespace
}  // namespace qz7
#endif
