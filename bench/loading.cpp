// The loading pass on the built game and its generated archive, headless:
// the full pass alone (every entry after the set-up record), start-up to the
// title screen (sound, quick pass, display, full pass), and as the yardstick
// libjpeg decoding the same JP payloads alone, in the same order.
#include "app/Game.h"
#include "app/Program.h"
#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "data/BlockReader.h"
#include "platform/AudioOutput.h"
#include "platform/null/NullAudio.h"
#include "platform/null/NullWindow.h"
#include "sound/SoundSystem.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vandrel {
namespace {

const char* const kGame = VANDREL_BINARY_DIR "/vandrel";
const char* const kEntries[] = {"stuff.x", "back.nb", "figur.xx", "cur.nl", "font.nl", "fonts.nl", "muni.nl"};

bool gameBuilt() { return std::filesystem::exists(kGame); }

// Every JP payload of the archive behind the game, entry by entry.
const std::vector<std::vector<uint8_t>>& colourPictures() {
    static const std::vector<std::vector<uint8_t>> pictures = [] {
        std::vector<std::vector<uint8_t>> out;
        ArchiveLocator locator;
        Archive archive;
        BlockReader* reader = archive.open(locator.open(kGame));
        for (const char* name : kEntries) {
            if (!reader || !reader->openEntry(name)) continue;
            uint16_t tag = 0;
            while (reader->readHeader(tag)) {
                if (tag == makeTag('J', 'P') && reader->blockLength() > 0) {
                    std::vector<uint8_t> payload(static_cast<size_t>(reader->blockLength()));
                    if (reader->read(payload.data(), static_cast<uint32_t>(payload.size())))
                        out.push_back(std::move(payload));
                }
                if (!reader->nextBlock()) break;
            }
            reader->closeEntry();
        }
        if (reader) archive.closeReader(reader);
        locator.close();
        return out;
    }();
    return pictures;
}

// One picture to 24-bit rows, as the game's decoder asks libjpeg for them.
int64_t decodeJpeg(const std::vector<uint8_t>& payload, std::vector<uint8_t>& row) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, payload.data(), static_cast<unsigned long>(payload.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    row.resize(static_cast<size_t>(info.output_width) * 3);
    JSAMPROW rows[1] = {row.data()};
    while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, rows, 1);
    const int64_t pixels = int64_t{info.output_width} * info.output_height;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

// The headless game as the entry point builds it.
struct HeadlessGame {
    NullAudio audio;
    ScopedAudioOutput output{audio};
    NullWindow window;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    std::unique_ptr<SoundSystem> sound = std::make_unique<SoundSystem>();
    Program program{*game, *sound, window};

    HeadlessGame() { game->exePath = kGame; }
};

void BM_FullLoadingPass(benchmark::State& state) {
    if (!gameBuilt()) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<HeadlessGame>();
        Game& game = *rig->game;
        game.window = &rig->window;
        rig->sound->init();
        game.quickLoad();
        rig->window.setClientSize(game.session.screenWidth, game.session.screenHeight);
        rig->window.show();
        game.display.open(&rig->window, false, game.session.screenWidth, game.session.screenHeight);
        state.ResumeTiming();
        game.fullLoad();
        state.PauseTiming();
        if (game.state != Title) state.SkipWithError("the loading pass did not reach the title screen");
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FullLoadingPass)->Unit(benchmark::kMillisecond);

void BM_StartUpToTitle(benchmark::State& state) {
    if (!gameBuilt()) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<HeadlessGame>();
        state.ResumeTiming();
        const bool started = rig->program.startUp();
        state.PauseTiming();
        if (!started || rig->game->state != Title) state.SkipWithError("start-up did not reach the title screen");
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToTitle)->Unit(benchmark::kMillisecond);

void BM_JpegsAlone(benchmark::State& state) {
    if (!gameBuilt()) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    const auto& pictures = colourPictures();
    std::vector<uint8_t> row;
    int64_t pixels = 0;
    for (auto _ : state) {
        for (const auto& payload : pictures) pixels += decodeJpeg(payload, row);
        benchmark::DoNotOptimize(row.data());
    }
    state.counters["pictures"] = static_cast<double>(pictures.size());
    state.counters["pixels"] = static_cast<double>(pixels) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_JpegsAlone)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vandrel

int main(int argc, char** argv) {
    // Loading reads the stored high-score table and the game saves it when it
    // goes: both under a folder of this run's own.
    const std::string store =
        (std::filesystem::temp_directory_path() / ("vandrel-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(store);
    setenv("XDG_DATA_HOME", store.c_str(), 1);
    setenv("VANDREL_MACHINE_STORE", (store + "/machine").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(store, ignored);
    return 0;
}
