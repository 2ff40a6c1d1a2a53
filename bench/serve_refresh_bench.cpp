// What watching a running serve costs: one refresh of the setup window's serve button, one of the
// window "Сервер под присмотром" (lock, state file, one new event line), and the share of one
// core the program takes over ten seconds with both windows shown and refreshing every second
// while the serve's log grows a line a second. The folder is held as a serve holds it (its lock
// taken by this process, a state file as serve writes it, an event log of 5000 lines).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/program_state.h"
#include "app/server_setup_window.h"
#include "app/supervised_server_window.h"
#include "platform/atomic_file.h"
#include "platform/local_time.h"
#include "server/serve_lock.h"

namespace {

namespace fs = std::filesystem;

// A game folder held as a running serve holds it, the current directory while it lives.
class ServedGameFolder {
  public:
    ServedGameFolder() : previous_(fs::current_path()) {
        path_ = folder_.path().toStdString();
        fs::current_path(path_);
        const auto now = std::chrono::system_clock::now();
        std::optional<qz7::ServeHolder> holder;
        lock_ = qz7::takeServeLock(path_, now - std::chrono::hours(3), holder);
        const std::string started = qz7::utcTimestamp(now - std::chrono::hours(3));
        const nlohmann::json state = {
            {"servePid", 812},        {"template", "Турнир"},     {"serveStarted", started},
            {"serverPid", 900},       {"serverStarted", started}, {"restarts", 2},
            {"scheduledRestarts", 1}, {"crashesInWindow", 0},     {"lastCrash", nullptr},
            {"nextRestart", started}, {"portsForwarded", false},  {"stopGraceSeconds", 10}};
        qz7::writeFileAtomically(path_ / qz7::kServeStateFile, state.dump(2));
        std::ofstream log(path_ / qz7::kServeLogFile, std::ios::binary);
        for (int i = 0; i < 5000; ++i)
            log << "08.12.2026 04:30:00 (UTC+3) сервер запущен (pid " << 900 + i << ")\n";
    }
    ~ServedGameFolder() {
        lock_.reset();
        fs::current_path(previous_);
    }
    // The serve's next event line.
    void appendEvent() {
        std::ofstream(path_ / qz7::kServeLogFile, std::ios::binary | std::ios::app)
            << "08.12.2026 04:30:01 (UTC+3) перезапуск по расписанию\n";
    }

  private:
    QTemporaryDir folder_;
    fs::path path_;
    fs::path previous_;
    std::unique_ptr<qz7::FileLock> lock_;
};

void serveButtonRefresh(benchmark::State& state) {
    ServedGameFolder game;
    qz7::ProgramState program;
    qz7::TFmQZ7ServerSetup setup(program);
    setup.show();
    for (auto _ : state) setup.refreshServeButton();
}
BENCHMARK(serveButtonRefresh)->Unit(benchmark::kMicrosecond);

void supervisedWindowRefresh(benchmark::State& state) {
    ServedGameFolder game;
    qz7::ProgramState program;
    qz7::TFmQZ7ServerSetup setup(program);
    setup.openSupervisedServer();
    qz7::TFmQZ7Prismotr& window = *setup.supervisedServerWindow();
    for (auto _ : state) {
        game.appendEvent();
        window.refresh();
    }
}
BENCHMARK(supervisedWindowRefresh)->Unit(benchmark::kMicrosecond);

// Both windows shown for ten seconds, as a host leaves them: the process's CPU time over that
// time, in percent of one core.
void tenSecondsWatching(benchmark::State& state) {
    ServedGameFolder game;
    qz7::ProgramState program;
    qz7::TFmQZ7ServerSetup setup(program);
    setup.show();
    setup.openSupervisedServer();
    QTimer events;
    QObject::connect(&events, &QTimer::timeout, [&game] { game.appendEvent(); });
    events.start(1000);
    double percent = 0;
    for (auto _ : state) {
        const std::clock_t cpuBefore = std::clock();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        percent = 100.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC / 10.0;
    }
    state.counters["cpu_percent_of_one_core"] = percent;
}
BENCHMARK(tenSecondsWatching)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
