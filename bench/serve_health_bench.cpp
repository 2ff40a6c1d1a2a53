// What serve's health checks cost: one check of ServerHealth (the port search through the
// server's process and the status query, as serve makes them every --health-interval) against the
// compiled stand-in server on loopback, in CPU time of the whole process (the query asks each
// address on a thread of its own). The counter share_at_30s_percent is that time as a share of
// one core when a check comes every 30 s, the default; at the shortest interval, 10 s, it is
// three times as much.
//   build/bench/serve_health_bench --benchmark_repetitions=10
//   --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/watched_process.h"
#include "server/server_health.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The stand-in server in a folder of its own, for the whole program's run.
struct StandIn {
    StandIn() {
        folder = fs::temp_directory_path() /
                 ("qz7-health-bench-" + std::to_string(qz7::currentProcessId()));
        fs::create_directories(folder);
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        std::string error;
        process = qz7::WatchedProcess::start(QZ7_STAND_IN_SERVER, "+set net_port 0", error);
        fs::current_path(previous);
        for (int attempt = 0; process && attempt < 200 && !fs::exists(folder / "stand-in-ready");
             ++attempt)
            std::this_thread::sleep_for(50ms);
    }
    ~StandIn() {
        process.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::unique_ptr<qz7::WatchedProcess> process;
};

void OneHealthCheck(benchmark::State& state) {
    static StandIn standIn;
    std::ostringstream lines;
    qz7::ServeLog log(lines, false, std::chrono::minutes(10));
    int answers = 0;
    qz7::ServerHealth health({}, log, standIn.folder / "server_mod.cfg",
                             [&answers](const qz7::ServerAnswer&) { ++answers; });
    health.runStarted(standIn.process->id(), "");
    for (auto _ : state) health.checkNow();
    if (answers != static_cast<int>(state.iterations()))
        state.SkipWithError("a check had no answer");
    // The CPU seconds of one check divided by 0.3: its percentage of 30 s.
    state.counters["share_at_30s_percent"] = benchmark::Counter(
        0.3, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(OneHealthCheck)->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
