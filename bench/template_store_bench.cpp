// Load and full write of a store of 10,000 templates, beside a raw read and write of the same
// bytes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/template_record.h"
#include "settings/template_store.h"

namespace {

using namespace qz7;

constexpr int kTemplates = 10000;

struct StoreFiles {
    std::filesystem::path folder;
    std::filesystem::path store;
    TemplateRecords records;
    std::string bytes;

    StoreFiles() {
        folder = std::filesystem::temp_directory_path() /
                 ("qz7_store_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        store = folder / "ServerSetup_QZ7.cfg";
        GameSettings settings;
        settings.Password = "bench";
        const std::vector<std::string> rotation(40, "mp_seatown");
        for (int i = 0; i < kTemplates; ++i) {
            records.append(encodeTemplateRecord(KodirShablona(
                "Шаблон " + std::to_string(i), settings, rotation, "+set dedicated 1")));
        }
        bytes = records.bytes();
        writeTemplateRecords(store, records);
    }
    ~StoreFiles() { std::filesystem::remove_all(folder); }
};

StoreFiles& files() {
    static StoreFiles instance;
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

void BM_RawRead(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* file = std::fopen(files().store.c_str(), "rb");
        std::string bytes(files().bytes.size(), '\0');
        const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        if (read != bytes.size()) state.SkipWithError("short read");
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

#define QZ7_FILE_BENCHMARK(name)        \
    BENCHMARK(name)                     \
        ->Unit(benchmark::kMillisecond) \
        ->UseRealTime()                 \
        ->Repetitions(7)                \
        ->ReportAggregatesOnly(true)

QZ7_FILE_BENCHMARK(BM_StoreLoad);
QZ7_FILE_BENCHMARK(BM_RawRead);
QZ7_FILE_BENCHMARK(BM_StoreFullWrite);
QZ7_FILE_BENCHMARK(BM_RawWrite);
QZ7_FILE_BENCHMARK(BM_RawWriteFlushed);

}  // namespace

BENCHMARK_MAIN();
