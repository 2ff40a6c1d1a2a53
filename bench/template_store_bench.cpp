// The template store: load and full write of a store of 10,000 templates beside a raw read and
// write of the same bytes; and what qz7ctl and the setup window cost on a store of 100,000
// templates (173.7 MB) beside a raw read of that file, each run as a child process whose wall
// time and peak memory (resident set, from getrusage) are reported, next to the same run on an
// empty or one-template store. The window's run opens the program's windows in the store's game
// folder, shows the setup window and closes it the user's way, which writes the whole store.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/kept_versions.h"
#include "settings/template_content.h"
#include "settings/template_record.h"
#include "settings/template_store.h"
#include "settings/template_text.h"

#ifdef QZ7_BENCH_WINDOW
#include <QCoreApplication>

#include "app/launch_manager_window.h"
#include "app/program_start.h"
#include "app/qz7_application.h"
#include "app/server_setup_window.h"
#endif

extern char** environ;

namespace {

using namespace qz7;

constexpr int kTemplates = 10000;
constexpr int kLargeTemplates = 100000;

std::string benchRecord(int i) {
    GameSettings settings;
    settings.Password = "bench";
    static const std::vector<std::string> rotation(40, "mp_seatown");
    return encodeTemplateRecord(
        KodirShablona("Шаблон " + std::to_string(i), settings, rotation, "+set dedicated 1"));
}

std::filesystem::path benchFolder(const std::string& name) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("qz7_store_bench_" + std::to_string(::getpid())) / name;
    std::filesystem::create_directories(folder);
    return folder;
}

struct StoreFiles {
    std::filesystem::path folder;
    std::filesystem::path store;
    TemplateRecords records;
    std::string bytes;

    StoreFiles() {
        folder = benchFolder("small");
        store = folder / "ServerSetup_QZ7.cfg";
        for (int i = 0; i < kTemplates; ++i) records.append(benchRecord(i));
        bytes = records.bytes();
        writeTemplateRecords(store, records);
    }
    ~StoreFiles() { std::filesystem::remove_all(folder.parent_path()); }
};

StoreFiles& files() {
    static StoreFiles instance;
    return instance;
}

// Game folders for the child runs: one with 100,000 templates, one with one template and one
// without a store, each with the text form of a template to import.
struct GameFolders {
    std::filesystem::path large = benchFolder("large");
    std::filesystem::path one = benchFolder("one");
    std::filesystem::path empty = benchFolder("empty");
    std::uintmax_t largeSize = 0;

    GameFolders() {
        std::FILE* out = std::fopen((large / "ServerSetup_QZ7.cfg").c_str(), "wb");
        for (int i = 0; i < kLargeTemplates; ++i) {
            const std::string record = benchRecord(i);
            std::fwrite(record.data(), 1, record.size(), out);
        }
        std::fclose(out);
        largeSize = std::filesystem::file_size(large / "ServerSetup_QZ7.cfg");
        writeTemplateRecords(one / "ServerSetup_QZ7.cfg", TemplateRecords(benchRecord(0)));
        const std::string text =
            writeTemplateText(contentOfRecord(decodeTemplateRecord(benchRecord(7))));
        for (const auto& folder : {large, one, empty}) {
            std::FILE* textFile = std::fopen((folder / "template.txt").c_str(), "wb");
            std::fwrite(text.data(), 1, text.size(), textFile);
            std::fclose(textFile);
            std::filesystem::create_directories(folder / "admin");
        }
    }
    ~GameFolders() { std::filesystem::remove_all(large.parent_path()); }

    // Puts a folder's store back to its first size, after an import or a window's write.
    void restore(const std::filesystem::path& folder) const {
        const auto store = folder / "ServerSetup_QZ7.cfg";
        if (folder == large) std::filesystem::resize_file(store, largeSize);
        if (folder == one) std::filesystem::resize_file(store, kTemplateRecordSize);
        if (folder == empty) std::filesystem::remove(store);
    }
};

GameFolders& games() {
    static GameFolders instance;
    return instance;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(files().bytes.size()));
}

void BM_StoreLoad(benchmark::State& state) {
    for (auto _ : state) {
        auto records = readTemplateRecords(files().store);
        if (records.size() != kTemplates) state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(records);
    }
    setBytes(state);
}

std::string rawRead(const std::filesystem::path& file, std::size_t size) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    std::string bytes(size, '\0');
    const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), in);
    std::fclose(in);
    bytes.resize(read);
    return bytes;
}

void BM_RawRead(benchmark::State& state) {
    for (auto _ : state) {
        std::string bytes = rawRead(files().store, files().bytes.size());
        if (bytes.size() != files().bytes.size()) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes);
    }
    setBytes(state);
}

void BM_StoreFullWrite(benchmark::State& state) {
    const auto target = files().folder / "written.cfg";
    for (auto _ : state) writeTemplateRecords(target, files().records);
    setBytes(state);
}

// The same bytes written in place, without a temporary file; with or without flushing them to
// the disk (the store's full write flushes before it renames).
void rawWrite(benchmark::State& state, bool flushToDisk) {
    const auto target = files().folder / "raw.cfg";
    for (auto _ : state) {
        std::FILE* file = std::fopen(target.c_str(), "wb");
        const std::size_t written =
            std::fwrite(files().bytes.data(), 1, files().bytes.size(), file);
        std::fflush(file);
        if (flushToDisk) ::fsync(fileno(file));
        std::fclose(file);
        if (written != files().bytes.size()) state.SkipWithError("short write");
    }
    setBytes(state);
}

void BM_RawWrite(benchmark::State& state) { rawWrite(state, false); }
void BM_RawWriteFlushed(benchmark::State& state) { rawWrite(state, true); }

// ---- Child runs on the store of 100,000 templates ----

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system time: steadier than the wall time on a busy machine
    long peakResidentKiB = 0;
};

double secondsOf(const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; }

std::string ownProgram() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

// Runs the program with the arguments in the folder, its output thrown away, and waits for it;
// throws when it does not end with status 0.
ChildRun runChild(const std::string& program, std::vector<std::string> arguments,
                  const std::filesystem::path& folder) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) environment.emplace_back(*entry);
    }
    environment.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(arguments[1] + " did not end with status 0");
    return {std::chrono::duration<double>(end - start).count(),
            secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime), usage.ru_maxrss};
}

// Starts the measured children from a process forked at the start of main, while this one was
// still small: the peak memory the system reports for a child never falls below that of the
// process that started it, and this one holds a store's bytes at times.
class Spawner {
  public:
    void start() {
        int requests[2];
        int results[2];
        if (pipe2(requests, O_CLOEXEC) != 0 || pipe2(results, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        if (fork() == 0) {
            close(requests[1]);
            close(results[0]);
            serve(requests[0], results[1]);
            _exit(0);
        }
        close(requests[0]);
        close(results[1]);
        requests_ = requests[1];
        results_ = results[0];
    }

    ChildRun run(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& folder) {
        std::vector<std::string> words = {folder.string(), program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::string request;
        for (const std::string& word : words) request += word + '\0';
        request += '\0';
        if (write(requests_, request.data(), request.size()) != ssize_t(request.size()))
            throw std::runtime_error("the spawner is gone");
        Result result{};
        if (read(results_, &result, sizeof result) != ssize_t(sizeof result))
            throw std::runtime_error("the spawner is gone");
        if (!result.ended) throw std::runtime_error(result.message);
        return result.run;
    }

  private:
    struct Result {
        ChildRun run;
        bool ended;
        char message[256];
    };

    static void serve(int requests, int results) {
        std::vector<std::string> words(1);
        char c = 0;
        while (read(requests, &c, 1) == 1) {
            if (c != '\0') {
                words.back() += c;
                continue;
            }
            if (!words.back().empty()) {
                words.emplace_back();
                continue;
            }
            words.pop_back();
            Result result{};
            try {
                result.run = runChild(words[1], {words.begin() + 2, words.end()}, words[0]);
                result.ended = true;
            } catch (const std::exception& error) {
                std::snprintf(result.message, sizeof result.message, "%s", error.what());
            }
            if (write(results, &result, sizeof result) != ssize_t(sizeof result)) return;
            words.assign(1, std::string());
        }
    }

    int requests_ = -1;
    int results_ = -1;
};

Spawner& spawner() {
    static Spawner instance;
    return instance;
}

// One child run per iteration: its wall time is the iteration's time; its peak memory a counter.
void measureChild(benchmark::State& state, const std::string& program,
                  const std::vector<std::string>& arguments, const std::filesystem::path& folder) {
    long peak = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        try {
            const ChildRun run = spawner().run(program, arguments, folder);
            state.SetIterationTime(run.seconds);
            peak = std::max(peak, run.peakResidentKiB);
            cpuSeconds += run.cpuSeconds;
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            break;
        }
        state.PauseTiming();
        games().restore(folder);
        state.ResumeTiming();
    }
    state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
    state.counters["child_cpu_ms"] =
        benchmark::Counter(cpuSeconds * 1000.0, benchmark::Counter::kAvgIterations);
}

void measureQz7ctl(benchmark::State& state, const std::filesystem::path& folder,
                   std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--game-dir", folder.string()});
    measureChild(state, QZ7CTL_PROGRAM, arguments, folder);
}

void BM_LargeRawRead(benchmark::State& state) {
    const auto store = games().large / "ServerSetup_QZ7.cfg";
    for (auto _ : state) {
        std::string bytes = rawRead(store, games().largeSize);
        if (bytes.size() != games().largeSize) state.SkipWithError("short read");
        benchmark::DoNotOptimize(bytes);
    }
}

// A process that only reads the store whole, for the floor of time and memory.
void BM_LargeRawReadChild(benchmark::State& state) {
    measureChild(state, ownProgram(), {"--raw-read", "ServerSetup_QZ7.cfg"}, games().large);
}

int runRawReadChild(const char* file) {
    const std::string bytes = rawRead(file, std::filesystem::file_size(file));
    return bytes.size() == std::filesystem::file_size(file) ? 0 : 1;
}

void BM_LargeList(benchmark::State& state) { measureQz7ctl(state, games().large, {"list"}); }
void BM_LargeListJson(benchmark::State& state) {
    measureQz7ctl(state, games().large, {"list", "--json"});
}
void BM_OneList(benchmark::State& state) { measureQz7ctl(state, games().one, {"list"}); }
void BM_LargeShowByPosition(benchmark::State& state) {
    measureQz7ctl(state, games().large, {"show", "#99999"});
}
void BM_LargeShowByName(benchmark::State& state) {
    measureQz7ctl(state, games().large, {"show", "Шаблон 99998"});
}
void BM_OneShowByPosition(benchmark::State& state) {
    measureQz7ctl(state, games().one, {"show", "#1"});
}
void BM_LargeImport(benchmark::State& state) {
    measureQz7ctl(state, games().large, {"import", "template.txt"});
}
void BM_EmptyImport(benchmark::State& state) {
    measureQz7ctl(state, games().empty, {"import", "template.txt"});
}

#ifdef QZ7_BENCH_WINDOW
void BM_LargeWindowOpenClose(benchmark::State& state) {
    measureChild(state, ownProgram(), {"--window-child"}, games().large);
}
void BM_EmptyWindowOpenClose(benchmark::State& state) {
    measureChild(state, ownProgram(), {"--window-child"}, games().empty);
}

// The child: the program's windows in the current folder, the setup window shown as the launch
// manager's server button shows it, painted, and closed as its close button closes it.
int runWindowChild(int argc, char** argv) {
    Qz7Application application(argc, argv);
    ProgramState program;
    ProgramWindows windows(program, {QStringLiteral("qz7manager")});
    windows.launchManager().show();
    windows.launchManager().RzBtnServerRunClick();
    QCoreApplication::processEvents();
    windows.serverSetup().repaint();
    const bool closed = windows.serverSetup().close();
    return closed ? 0 : 1;
}
#endif

// What keeping the earlier version adds to saving a store of state.range(0) templates: a rewrite
// keeps it by a link, an append ("Новый", qz7ctl import) by a copy.
void keepVersion(benchmark::State& state, FileChange change) {
    const auto folder = benchFolder("keep" + std::to_string(state.range(0)));
    const auto store = folder / "ServerSetup_QZ7.cfg";
    writeTemplateRecords(store, [&state](const TemplateRecordSink& sink) {
        for (int i = 0; i < state.range(0); ++i) sink(benchRecord(i));
    });
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder / kKeptVersionsFolder);
        state.ResumeTiming();
        keepVersionBeforeChange(store, change);
    }
    std::filesystem::remove_all(folder);
}

#define QZ7_FILE_BENCHMARK(name)        \
    BENCHMARK(name)                     \
        ->Unit(benchmark::kMillisecond) \
        ->UseRealTime()                 \
        ->Repetitions(7)                \
        ->ReportAggregatesOnly(true)

#define QZ7_CHILD_BENCHMARK(name, repetitions) \
    BENCHMARK(name)                            \
        ->Unit(benchmark::kMillisecond)        \
        ->UseManualTime()                      \
        ->Iterations(1)                        \
        ->Repetitions(repetitions)             \
        ->ReportAggregatesOnly(true)

// Each way of keeping, on a store of 1,000 and of 100,000 templates.
#define QZ7_KEEP_VERSION_BENCHMARK(way, change) \
    BENCHMARK_CAPTURE(keepVersion, way, change) \
        ->Arg(1000)                             \
        ->Arg(100000)                           \
        ->Unit(benchmark::kMillisecond)         \
        ->UseRealTime()                         \
        ->Repetitions(7)                        \
        ->Iterations(1)                         \
        ->ReportAggregatesOnly(true)

QZ7_KEEP_VERSION_BENCHMARK(rewrite, FileChange::Rewrite);
QZ7_KEEP_VERSION_BENCHMARK(append, FileChange::Append);
QZ7_FILE_BENCHMARK(BM_StoreLoad);
QZ7_FILE_BENCHMARK(BM_RawRead);
QZ7_FILE_BENCHMARK(BM_StoreFullWrite);
QZ7_FILE_BENCHMARK(BM_RawWrite);
QZ7_FILE_BENCHMARK(BM_RawWriteFlushed);

QZ7_FILE_BENCHMARK(BM_LargeRawRead);
QZ7_CHILD_BENCHMARK(BM_LargeRawReadChild, 9);
QZ7_CHILD_BENCHMARK(BM_OneList, 9);
QZ7_CHILD_BENCHMARK(BM_LargeList, 9);
QZ7_CHILD_BENCHMARK(BM_LargeListJson, 9);
QZ7_CHILD_BENCHMARK(BM_OneShowByPosition, 9);
QZ7_CHILD_BENCHMARK(BM_LargeShowByPosition, 9);
QZ7_CHILD_BENCHMARK(BM_LargeShowByName, 9);
QZ7_CHILD_BENCHMARK(BM_EmptyImport, 9);
QZ7_CHILD_BENCHMARK(BM_LargeImport, 9);
#ifdef QZ7_BENCH_WINDOW
QZ7_CHILD_BENCHMARK(BM_EmptyWindowOpenClose, 5);
QZ7_CHILD_BENCHMARK(BM_LargeWindowOpenClose, 5);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef QZ7_BENCH_WINDOW
    if (argc > 1 && std::strcmp(argv[1], "--window-child") == 0) return runWindowChild(argc, argv);
#endif
    if (argc > 2 && std::strcmp(argv[1], "--raw-read") == 0) return runRawReadChild(argv[2]);
    spawner().start();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
