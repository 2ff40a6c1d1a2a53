// One catalogue selection in the setup window (description scan, JPEG decode, scaling into the
// preview frame, labels) against the floor: a bare libjpeg decode of the same picture at the same
// DCT scale into the same pixel format.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/list_selection.h"
#include "app/program_state.h"
#include "app/server_setup_window.h"
#include "maps/jpeg_decoder.h"
#include "platform/resource_table.h"
#include "resources/map_pictures.h"

namespace {

constexpr int kSeatownRow = 14;
constexpr const char* kSeatownPicture = "MP_SEATOWN";

void bareLibjpegDecode(benchmark::State& state) {
    const auto bytes = qz7::findResource(qz7::mapPictures(), "JPEG", kSeatownPicture);
    if (!bytes) {
        state.SkipWithError("no picture resource");
        return;
    }
    std::vector<std::uint32_t> pixels;
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr errors{};
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes->data(), static_cast<unsigned long>(bytes->size()));
        jpeg_read_header(&info, TRUE);
        info.scale_num = unsigned(
            qz7::dctScaleNumerator(int(info.image_width), int(info.image_height), 401, 226));
        info.scale_denom = 8;
        info.out_color_space = JCS_EXT_BGRX;
        jpeg_start_decompress(&info);
        pixels.resize(std::size_t(info.output_width) * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(
                pixels.data() + std::size_t(info.output_scanline) * info.output_width);
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(bareLibjpegDecode)->Unit(benchmark::kMicrosecond);

void catalogueSelection(benchmark::State& state) {
    QTemporaryDir gameFolder;  // no template store: the window opens with the catalogue only
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(gameFolder.path().toStdString());
    {
        qz7::ProgramState program;
        qz7::TFmQZ7ServerSetup window(program);
        qz7::selectRowSilently(window.RzListBoxMapReposit, kSeatownRow);
        for (auto _ : state) window.RzListBoxMapRepositClick();
    }
    std::filesystem::current_path(previous);
}
BENCHMARK(catalogueSelection)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
