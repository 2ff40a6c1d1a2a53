// Forming the three server files for a 60-map rotation from a 2,000-line base recipe, beside the
// floor: reading the two base files and writing the three outputs' bytes plainly.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "server/playlist.h"
#include "server/recipe.h"
#include "server/server_configuration.h"
#include "server/server_files.h"

namespace {

using namespace qz7;

constexpr int kBaseRecipeLines = 2000;
constexpr int kRotationLength = 60;

class BenchGameFolder {
  public:
    BenchGameFolder() {
        folder = std::filesystem::temp_directory_path() /
                 ("qz7-server-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder / "admin");
        write("admin/Manual_Mod_default.dsr", baseRecipe());
        write("admin/server_mod_default.cfg",
              "sv_hostname \"Bench\"\r\ng_password \"\"\r\nsv_maxclients 18\r\nsv_timeout 40\r\n");
        for (int i = 0; i < kRotationLength; ++i)
            rotation.push_back("mp_map" + std::to_string(i % 36));
    }
    ~BenchGameFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    std::filesystem::path file(const std::string& relative) const { return folder / relative; }
    void write(const std::string& relative, const std::string& bytes) const {
        std::ofstream(file(relative), std::ios::binary | std::ios::trunc) << bytes;
    }

    std::filesystem::path folder;
    std::vector<std::string> rotation;

  private:
    // Ordinary option lines with the eighteen settings' lines spread among them.
    static std::string baseRecipe() {
        static const char* const keys[] = {"gameOpt gametype",
                                           "gameOpt commonOption.maxHealth",
                                           "gameOpt commonOption.hardcoreModeOn",
                                           "gameOpt commonOption.scoreLimit",
                                           "gameOpt commonOption.timeLimit",
                                           "gameOpt commonOption.friendlyFire",
                                           "gameOpt defaultClasses.axis.[0].class.inUse",
                                           "gameOpt commonOption.attachmentRestricted.m320",
                                           "gameOpt commonOption.showKillcam",
                                           "gameOpt commonOption.allowPerks",
                                           "gameOpt commonOption.forceThirdPersonView",
                                           "gameOpt commonOption.allowCustomClasses",
                                           "gameOpt commonOption.headshotsOnly",
                                           "gameOpt commonOption.radarAlwaysOn",
                                           "gameOpt commonOption.spectateModeAllowed",
                                           "gameOpt commonOption.allowKillstreaks",
                                           "gameOpt commonOption.numLives",
                                           "gameOpt commonOption.healthRegen"};
        std::string text;
        int next = 17;  // from the last key backwards, so the search walks far
        for (int line = 0; line < kBaseRecipeLines; ++line) {
            if (line % 111 == 110 && next >= 0)
                text += std::string(keys[next--]) + " \"0\"\r\n";
            else
                text += "gameOpt commonOption.option" + std::to_string(line) + " \"" +
                        std::to_string(line * 7) + "\"\r\n";
        }
        return text;
    }
};

void FormServerFiles(benchmark::State& state) {
    BenchGameFolder game;
    const GameSettings settings;
    for (auto _ : state) {
        ServerFilesResult result = writeServerFiles(game.folder, settings, game.rotation, true);
        benchmark::DoNotOptimize(result);
    }
}

// The forming alone, in memory, from base bytes already read.
void FormInMemory(benchmark::State& state) {
    BenchGameFolder game;
    const std::string baseRecipe = readWholeFile(game.file("admin/Manual_Mod_default.dsr"));
    const std::string baseConfiguration = readWholeFile(game.file("admin/server_mod_default.cfg"));
    const GameSettings settings;
    for (auto _ : state) {
        PlaylistWeights weights = PlaylistWeights::seededFromClock();
        benchmark::DoNotOptimize(formRecipe(baseRecipe, settings));
        benchmark::DoNotOptimize(formPlaylist(game.rotation, true, weights));
        benchmark::DoNotOptimize(formConfiguration(baseConfiguration, settings));
    }
}

// What every run must do at the least: read both base files and write the three outputs' bytes.
void PlainReadAndWriteFloor(benchmark::State& state, bool durable) {
    BenchGameFolder game;
    writeServerFiles(game.folder, GameSettings{}, game.rotation, true);
    const std::string outputs[] = {readWholeFile(game.file("admin/Manual_Mod.dsr")),
                                   readWholeFile(game.file("admin/Manual_MapRot.dspl")),
                                   readWholeFile(game.file("admin/server_mod.cfg"))};
    const char* const names[] = {"admin/Manual_Mod.dsr", "admin/Manual_MapRot.dspl",
                                 "admin/server_mod.cfg"};
    for (auto _ : state) {
        benchmark::DoNotOptimize(readWholeFile(game.file("admin/Manual_Mod_default.dsr")));
        benchmark::DoNotOptimize(readWholeFile(game.file("admin/server_mod_default.cfg")));
        for (int i = 0; i < 3; ++i) {
            if (durable)
                writeFileAtomically(game.file(names[i]), outputs[i]);
            else
                game.write(names[i], outputs[i]);
        }
    }
}

void PlainFloor(benchmark::State& state) { PlainReadAndWriteFloor(state, false); }
void DurableFloor(benchmark::State& state) { PlainReadAndWriteFloor(state, true); }

}  // namespace

BENCHMARK(FormServerFiles)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(FormInMemory)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(PlainFloor)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(DurableFloor)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();

BENCHMARK_MAIN();
