// Start-up cost of the launch manager: from process start until the launch manager has been
// shown and the program has ended, in wall time and peak memory (resident set of the child, from
// getrusage), side by side with a minimal Qt Widgets program that opens one empty window.
// Both run offscreen with QZ7_EXIT_WHEN_SHOWN set, so each closes its window after the first
// paint; each child runs in a fresh empty game folder. One process start is one iteration; run
// with --benchmark_repetitions=30 --benchmark_enable_random_interleaving=true to get medians
// that a changing machine load does not tilt towards either program.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time of the child: steadier on a busy machine
    long peakResidentKiB = 0;
};

double secondsOf(const timeval& time) { return double(time.tv_sec) + time.tv_usec / 1e6; }

// Starts the program in the folder and waits for it; fails when it does not end cleanly.
ChildRun runChild(const std::string& program, const std::filesystem::path& folder) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        if (variable.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
            variable.rfind("QZ7_EXIT_WHEN_SHOWN=", 0) != 0)
            environment.push_back(variable);
    }
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    environment.push_back("QZ7_EXIT_WHEN_SHOWN=1");
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " did not end cleanly");
    return {std::chrono::duration<double>(end - start).count(),
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), usage.ru_maxrss};
}

void measureStartup(benchmark::State& state, const char* program) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qz7_startup_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "admin");
    long peak = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(program, folder);
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakResidentKiB);
        cpuSeconds += run.cpuSeconds;
    }
    state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
    state.counters["child_cpu_ms"] =
        benchmark::Counter(cpuSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(folder);
}

void BM_LaunchManagerStartup(benchmark::State& state) {
    measureStartup(state, QZ7_MANAGER_PROGRAM);
}
void BM_MinimalQtWindowStartup(benchmark::State& state) {
    measureStartup(state, QZ7_MINIMAL_PROGRAM);
}

BENCHMARK(BM_MinimalQtWindowStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LaunchManagerStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
