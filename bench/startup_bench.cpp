// Start-up cost of the launch manager: the wall time from process start until the launch manager
// has been painted (the child writes "shown" to its standard output then), the wall time until
// the program has ended, the child's CPU time and its peak memory (resident set, from getrusage),
// side by side with a minimal Qt Widgets program that opens one empty window. Both run offscreen
// with QZ7_EXIT_WHEN_SHOWN set, so each closes its window after the first paint; each child runs
// in a fresh empty game folder. One process start is one iteration; run
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
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    double shownSeconds = 0;  // until the window was painted
    double seconds = 0;       // until the program ended
    double cpuSeconds = 0;    // user and system time of the child: steadier on a busy machine
    long peakResidentKiB = 0;
};

double secondsOf(const timeval& time) { return double(time.tv_sec) + time.tv_usec / 1e6; }

// Starts the program in the folder and waits for it; fails when it does not end cleanly.
ChildRun runChild(const std::string& program, const char* argument,
                  const std::filesystem::path& folder) {
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
    std::string option = argument != nullptr ? argument : "";
    char* argv[] = {name.data(), argument != nullptr ? option.data() : nullptr, nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    int shownPipe[2];
    if (pipe2(shownPipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_adddup2(&actions, shownPipe[1], STDOUT_FILENO);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(shownPipe[1]);
    if (spawned != 0) {
        close(shownPipe[0]);
        throw std::runtime_error("cannot start " + program);
    }
    // The first byte of "shown"; end of file when the child ends without painting.
    char first = 0;
    const bool shown = read(shownPipe[0], &first, 1) == 1;
    const auto shownAt = std::chrono::steady_clock::now();
    char rest[64];
    while (read(shownPipe[0], rest, sizeof rest) > 0) {
    }
    close(shownPipe[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(program + " did not end cleanly");
    if (!shown || first != 's') throw std::runtime_error(program + " did not report being shown");
    return {std::chrono::duration<double>(shownAt - start).count(),
            std::chrono::duration<double>(end - start).count(),
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), usage.ru_maxrss};
}

void measureStartup(benchmark::State& state, const char* program, const char* argument = nullptr) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qz7_startup_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "admin");
    // An empty template store makes it a game folder: the program asks nothing at start.
    std::ofstream(folder / "ServerSetup_QZ7.cfg").close();
    long peak = 0;
    double cpuSeconds = 0;
    double endedSeconds = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(program, argument, folder);
        state.SetIterationTime(run.shownSeconds);
        peak = std::max(peak, run.peakResidentKiB);
        cpuSeconds += run.cpuSeconds;
        endedSeconds += run.seconds;
    }
    state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
    state.counters["child_cpu_ms"] =
        benchmark::Counter(cpuSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    state.counters["ended_ms"] =
        benchmark::Counter(endedSeconds * 1000.0, benchmark::Counter::kAvgIterations);
    std::filesystem::remove_all(folder);
}

void BM_LaunchManagerStartup(benchmark::State& state) {
    measureStartup(state, QZ7_MANAGER_PROGRAM);
}
void BM_MinimalQtWindowStartup(benchmark::State& state) {
    measureStartup(state, QZ7_MINIMAL_PROGRAM);
}

// The same minimal window with one captioned button: what drawing any text adds.
void BM_MinimalQtWindowWithButtonStartup(benchmark::State& state) {
    measureStartup(state, QZ7_MINIMAL_PROGRAM, "--button");
}

BENCHMARK(BM_MinimalQtWindowStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_MinimalQtWindowWithButtonStartup)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_LaunchManagerStartup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
