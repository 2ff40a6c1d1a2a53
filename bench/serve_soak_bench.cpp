// A real `qz7ctl serve` left to run, as a host leaves it, against the compiled stand-in server in a
// copy of the demo folder (POSIX: it reads the serve process's numbers from /proc).
//   ServeSoak: QZ7_SOAK_MINUTES (60) minutes with a crash a minute (the stand-in killed) and a hang
//     every ten (the stand-in falls silent until serve has restarted it); each minute the serve
//     process's open descriptors, threads and resident memory are sampled, and the first, the last
//     and the largest sample of each are reported.
//   ServeIdle: QZ7_IDLE_MINUTES (10) minutes of a server that runs and answers: the CPU time the
//     serve process spent (all its threads) as a share of one core, and its resident memory.
// The stand-in binds the game's ports: run it in a network namespace of its own with loopback up,
//   unshare -rn sh -c 'ip link set lo up && build/bench/serve_soak_bench'
#include <benchmark/benchmark.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/stop_signals.h"
#include "platform/watched_process.h"
#include "server/serve_files.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int minutesFromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    const int minutes = text ? std::atoi(text) : 0;
    return minutes > 0 ? minutes : fallback;
}

// A copy of the demo folder with the stand-in server beside its launcher, and a copy of qz7ctl,
// so that a build made meanwhile changes nothing of a run that lasts an hour; removed at the end.
struct SoakFolder {
    SoakFolder() {
        path = fs::temp_directory_path() / ("qz7-soak-" + std::to_string(::getpid()));
        fs::remove_all(path);
        fs::copy(QZ7_DEMO_FOLDER, path, fs::copy_options::recursive);
        fs::copy_file(QZ7_STAND_IN_SERVER, path / "qz7_stand_in_server");
        fs::copy_file(QZ7CTL_PROGRAM, path / "qz7ctl");
    }
    ~SoakFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

// `qz7ctl serve` of the demo's first template, stopped as `qz7ctl stop` stops it.
struct RunningServe {
    RunningServe(const fs::path& folder, const std::string& options) {
        ::setenv("QZ7_STAND_IN", "run", 1);
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        std::string error;
        process =
            qz7::WatchedProcess::start(folder / "qz7ctl", "serve --allow-sleep " + options + " #1",
                                       error, qz7::ProgramOutput::Discarded);
        fs::current_path(previous);
        if (!process) throw std::runtime_error("serve did not start: " + error);
    }
    ~RunningServe() {
        qz7::StopSignals::requestStopOf(process->id());
        process->waitFor(30s);
    }
    std::unique_ptr<qz7::WatchedProcess> process;
};

// The running server's process id from serve's state file; 0 while none runs.
int serverProcess(const fs::path& folder) {
    const std::optional<nlohmann::json> state = qz7::readServeState(folder);
    if (!state || !(*state)["serverPid"].is_number()) return 0;
    return (*state)["serverPid"].get<int>();
}

// Waits until a server other than `previous` runs (at most `bound`); its id, or 0.
int awaitServer(const fs::path& folder, int previous, Clock::duration bound) {
    for (const auto until = Clock::now() + bound; Clock::now() < until;) {
        const int server = serverProcess(folder);
        if (server != 0 && server != previous) return server;
        std::this_thread::sleep_for(200ms);
    }
    return 0;
}

struct ProcessSample {
    double descriptors = 0;
    double threads = 0;
    double residentKiB = 0;
};

ProcessSample sampleOf(int pid) {
    ProcessSample sample;
    const fs::path proc = "/proc/" + std::to_string(pid);
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(proc / "fd"))
        ++sample.descriptors;
    std::ifstream status(proc / "status");
    for (std::string line; std::getline(status, line);) {
        std::istringstream fields(line);
        std::string key;
        double value = 0;
        fields >> key >> value;
        if (key == "Threads:") sample.threads = value;
        if (key == "VmRSS:") sample.residentKiB = value;
    }
    return sample;
}

// CPU time of the process, all its threads, in seconds.
double cpuSecondsOf(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // The fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number)
        if (number >= 14) ticks += std::stod(field);
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

void report(benchmark::State& state, const char* name, double first, double last, double largest) {
    state.counters[std::string(name) + "_first"] = first;
    state.counters[std::string(name) + "_last"] = last;
    state.counters[std::string(name) + "_max"] = largest;
}

void ServeSoak(benchmark::State& state) {
    const int minutes = minutesFromEnvironment("QZ7_SOAK_MINUTES", 60);
    for (auto _ : state) {
        SoakFolder folder;
        // A crash window shorter than the minute between crashes: each crash starts a new series,
        // so the back-off stays at its first second and the crash limit is never reached.
        RunningServe serve(
            folder.path,
            "--crash-window 30 --health-interval 10s --hang-after 2 --on-hang restart");
        int server = awaitServer(folder.path, 0, 60s);
        if (server == 0) return state.SkipWithError("the server did not start");
        std::vector<ProcessSample> samples;
        int crashes = 0, hangs = 0;
        const auto began = Clock::now();
        for (int minute = 1; minute <= minutes; ++minute) {
            std::this_thread::sleep_until(began + std::chrono::minutes(minute));
            samples.push_back(sampleOf(serve.process->id()));
            if (minute == minutes) break;
            if (minute % 10 == 0) {
                // Silent until serve has found it hung and started another.
                std::ofstream(folder.path / "stand-in-silent").put('\n');
                const int next = awaitServer(folder.path, server, 90s);
                fs::remove(folder.path / "stand-in-silent");
                if (next == 0) return state.SkipWithError("the hung server was not restarted");
                server = next;
                ++hangs;
            } else {
                ::kill(server, SIGKILL);
                server = awaitServer(folder.path, server, 30s);
                if (server == 0) return state.SkipWithError("the crashed server was not restarted");
                ++crashes;
            }
        }
        auto column = [&](double ProcessSample::*field) {
            double largest = 0;
            for (const ProcessSample& sample : samples) largest = std::max(largest, sample.*field);
            return std::make_tuple(samples.front().*field, samples.back().*field, largest);
        };
        const auto [fd1, fdN, fdMax] = column(&ProcessSample::descriptors);
        const auto [th1, thN, thMax] = column(&ProcessSample::threads);
        const auto [rss1, rssN, rssMax] = column(&ProcessSample::residentKiB);
        report(state, "descriptors", fd1, fdN, fdMax);
        report(state, "threads", th1, thN, thMax);
        report(state, "resident_KiB", rss1, rssN, rssMax);
        state.counters["crashes"] = crashes;
        state.counters["hangs"] = hangs;
        state.counters["minutes"] = minutes;
    }
}
BENCHMARK(ServeSoak)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void ServeIdle(benchmark::State& state) {
    const int minutes = minutesFromEnvironment("QZ7_IDLE_MINUTES", 10);
    for (auto _ : state) {
        SoakFolder folder;
        RunningServe serve(folder.path, "");
        if (awaitServer(folder.path, 0, 60s) == 0)
            return state.SkipWithError("the server did not start");
        // Settled: the server runs and the first health check has been made.
        std::this_thread::sleep_for(40s);
        const int pid = serve.process->id();
        const double before = cpuSecondsOf(pid);
        std::this_thread::sleep_for(std::chrono::minutes(minutes));
        const double spent = cpuSecondsOf(pid) - before;
        state.counters["cpu_share_percent"] = 100.0 * spent / (60.0 * minutes);
        state.counters["cpu_seconds"] = spent;
        state.counters["resident_KiB"] = sampleOf(pid).residentKiB;
        state.counters["threads"] = sampleOf(pid).threads;
        state.counters["minutes"] = minutes;
    }
}
BENCHMARK(ServeIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
