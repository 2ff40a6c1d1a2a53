// Asking the game server on this machine (what `qz7ctl players` does) against the compiled
// stand-in server on loopback: one status query's round trip with its parsing, and the port
// search that finds the server first, through its process's UDP ports and through a table of 32
// ports of which it holds one. Wall times; each of the 100 repetitions is one query or search, so
// the median and the max ("worst") are read from the aggregates.
//   build/bench/server_query_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "net/query_port_search.h"
#include "net/server_query.h"
#include "platform/watched_process.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The stand-in server in a folder of its own, for the whole program's run.
struct StandIn {
    StandIn() {
        folder = fs::temp_directory_path() /
                 ("qz7-query-bench-" + std::to_string(qz7::currentProcessId()));
        fs::create_directories(folder);
        const fs::path previous = fs::current_path();
        fs::current_path(folder);
        std::string error;
        process = qz7::WatchedProcess::start(QZ7_STAND_IN_SERVER, "+set net_port 0", error);
        fs::current_path(previous);
        for (int attempt = 0; process && attempt < 200 && port == 0; ++attempt) {
            std::this_thread::sleep_for(50ms);
            std::ifstream ready(folder / "stand-in-ready");
            ready >> port;
        }
    }
    ~StandIn() {
        process.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    fs::path folder;
    std::unique_ptr<qz7::WatchedProcess> process;
    int port = 0;
};

StandIn& standIn() {
    static StandIn server;
    return server;
}

// Ports of 127.0.0.1 that nothing holds: ones the system gave sockets that are closed again.
std::vector<int> freePorts(int count) {
    std::vector<int> ports;
    std::string error;
    for (int i = 0; i < count; ++i)
        ports.push_back(qz7::UdpSocket::bind("127.0.0.1", 0, error)->localPort());
    return ports;
}

void queryRoundTrip(benchmark::State& state) {
    if (standIn().port == 0) return state.SkipWithError("the stand-in server did not start");
    for (auto _ : state) {
        const qz7::QueryOutcome outcome = qz7::queryServerStatus({"127.0.0.1", standIn().port});
        if (!outcome.status) state.SkipWithError(outcome.reason.c_str());
    }
}

void search(benchmark::State& state, const qz7::QueryPortInputs& inputs) {
    for (auto _ : state) {
        const qz7::LocalServerQuery query = qz7::queryLocalServer(inputs);
        if (!query.status) state.SkipWithError(query.reason.c_str());
    }
}

void searchByProcess(benchmark::State& state) {
    if (standIn().port == 0) return state.SkipWithError("the stand-in server did not start");
    qz7::QueryPortInputs inputs;
    inputs.serverProcessId = standIn().process->id();
    search(state, inputs);
}

void searchByTable(benchmark::State& state) {
    if (standIn().port == 0) return state.SkipWithError("the stand-in server did not start");
    qz7::QueryPortInputs inputs;
    inputs.tablePorts = freePorts(31);
    inputs.tablePorts.push_back(standIn().port);
    search(state, inputs);
}

double worst(const std::vector<double>& times) {
    return *std::max_element(times.begin(), times.end());
}

// Each benchmark as 100 single runs, with the worst of them beside the median.
void registerHundredRuns(const char* name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, run)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(100)
        ->ComputeStatistics("max", worst)
        ->ReportAggregatesOnly(true);
}

}  // namespace

int main(int argc, char** argv) {
    registerHundredRuns("queryRoundTrip", queryRoundTrip);
    registerHundredRuns("searchByProcess", searchByProcess);
    registerHundredRuns("searchByTable", searchByTable);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
