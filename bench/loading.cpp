// The loading pass on the built game and its generated archive, headless:
// the full pass alone (every entry after the set-up record), start-up to the
// title screen (sound, quick pass, display, full pass), and as the yardstick
// the codecs alone on the same bytes, on one thread: zlib inflating the seven
// entries once each, libjpeg the JP payloads, libpng the PG masks and
// libvorbis every sound that loading decodes whole: the figures' hit sounds for
// the full pass, the three effects of the quick pass as well for start-up, and
// for start-up also the music's first two seconds, which opening the music
// decodes (its one-second ring filled, and a second one queued behind it).
// libjpeg alone is kept as a further row. The pass and start-up are measured
// with the second decoding thread and without.
#include "app/GameHost.h"
#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "data/BlockReader.h"
#include "audio/AudioOutput.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <jpeglib.h>
#include <memory>
#include <ogg/ogg.h>
#include <png.h>
#include <string>
#include <unistd.h>
#include <vector>
#include <vorbis/codec.h>
#include <zlib.h>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;
const char* const zipPath = VANDREL_BINARY_DIR "/dataset/vandrel.zip";
const char* const entryNames[] = {"stuff.x", "back.nb", "figur.xx", "cur.nl", "font.nl", "fonts.nl", "muni.nl"};

bool gameBuilt() { return std::filesystem::exists(gamePath); }

// The payloads the loaders decode, gathered once from the archive behind the game.
struct Payloads {
    std::vector<std::vector<uint8_t>> jpegs;
    std::vector<std::vector<uint8_t>> pngs;
    std::vector<std::vector<uint8_t>> sounds;  // the figures' hit sounds, decoded whole by the full pass
    std::vector<std::vector<uint8_t>> effects; // the three effects, decoded whole by the quick pass
    std::vector<std::vector<uint8_t>> music;   // opened by the quick pass: its first two seconds decoded
};

const Payloads& payloads() {
    static const Payloads all = [] {
        Payloads out;
        ArchiveLocator locator;
        Archive archive;
        BlockReader* reader = archive.open(locator.open(gamePath));
        for (const char* name : entryNames) {
            if (!reader || !reader->openEntry(name)) continue;
            uint16_t tag = 0;
            while (reader->readHeader(tag)) {
                std::vector<std::vector<uint8_t>>* list = nullptr;
                if (tag == makeTag('J', 'P')) list = &out.jpegs;
                if (tag == makeTag('P', 'G')) list = &out.pngs;
                if (tag == makeTag('S', 'D')) list = &out.sounds;
                if (tag == makeTag('S', '4')) list = &out.music;
                if (tag == makeTag('S', '1') || tag == makeTag('S', '2') || tag == makeTag('S', '3'))
                    list = &out.effects;
                if (list && reader->blockLength() > 0) {
                    std::vector<uint8_t> payload(static_cast<size_t>(reader->blockLength()));
                    if (reader->read(payload.data(), static_cast<uint32_t>(payload.size())))
                        list->push_back(std::move(payload));
                }
                if (!reader->nextBlock()) break;
            }
            reader->closeEntry();
        }
        if (reader) archive.closeReader(reader);
        locator.close();
        return out;
    }();
    return all;
}

const std::vector<std::vector<uint8_t>>& colourPictures() { return payloads().jpegs; }

// The deflated entries of the data set's zip, each as its compressed bytes and
// its size when inflated.
struct Deflated {
    std::vector<uint8_t> bytes;
    size_t size = 0;
};

const std::vector<Deflated>& deflatedEntries() {
    static const std::vector<Deflated> entries = [] {
        std::vector<Deflated> out;
        std::FILE* f = std::fopen(zipPath, "rb");
        if (!f) return out;
        std::vector<uint8_t> zip;
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) zip.insert(zip.end(), buf, buf + n);
        std::fclose(f);
        const auto u16 = [&](size_t at) { return size_t{zip[at]} | size_t{zip[at + 1]} << 8; };
        const auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
        // Local file headers one after another: "PK\3\4", sizes at 18 and 22.
        size_t at = 0;
        while (at + 30 <= zip.size() && u32(at) == 0x04034b50u) {
            const size_t packed = u32(at + 18), size = u32(at + 22);
            const size_t data = at + 30 + u16(at + 26) + u16(at + 28);
            if (data + packed > zip.size()) break;
            out.push_back({std::vector<uint8_t>(zip.begin() + data, zip.begin() + data + packed), size});
            at = data + packed;
        }
        return out;
    }();
    return entries;
}

size_t inflateEntry(const Deflated& entry, std::vector<uint8_t>& out) {
    out.resize(entry.size);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = const_cast<Bytef*>(entry.bytes.data());
    z.avail_in = static_cast<uInt>(entry.bytes.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_FINISH);
    const size_t produced = z.total_out;
    inflateEnd(&z);
    return produced;
}

// One mask as libpng gives it without any transform: one bit per pixel.
struct PngSource {
    const std::vector<uint8_t>* bytes;
    size_t at;
};

void readPng(png_structp png, png_bytep data, size_t length) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (src->at + length > src->bytes->size()) png_error(png, "short");
    std::memcpy(data, src->bytes->data() + src->at, length);
    src->at += length;
}

int64_t decodePng(const std::vector<uint8_t>& payload, std::vector<uint8_t>& row) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngSource src{&payload, 0};
    int64_t pixels = 0;
    if (!setjmp(png_jmpbuf(png))) {
        png_set_read_fn(png, &src, readPng);
        png_read_info(png, info);
        const uint32_t height = png_get_image_height(png, info);
        row.resize(png_get_rowbytes(png, info));
        for (uint32_t y = 0; y < height; ++y) png_read_row(png, row.data(), nullptr);
        png_read_end(png, nullptr);
        pixels = int64_t{png_get_image_width(png, info)} * height;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels;
}

// One sound through the Ogg layers and Vorbis synthesis, samples left as
// floats: whole, or up to the packet that brings it to seconds of sound.
int64_t decodeVorbis(const std::vector<uint8_t>& payload, double seconds = 0) {
    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_page page;
    ogg_packet packet;
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_sync_init(&sync);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(payload.size()));
    std::memcpy(buffer, payload.data(), payload.size());
    ogg_sync_wrote(&sync, static_cast<long>(payload.size()));
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
    int64_t samples = 0;
    bool streamInit = false, synthesis = false;
    int headers = 0;
    const auto enough = [&] { return seconds > 0 && synthesis && samples >= seconds * info.rate; };
    while (!enough() && ogg_sync_pageout(&sync, &page) == 1) {
        if (!streamInit) {
            ogg_stream_init(&stream, ogg_page_serialno(&page));
            streamInit = true;
        }
        ogg_stream_pagein(&stream, &page);
        while (!enough() && ogg_stream_packetout(&stream, &packet) == 1) {
            if (headers < 3) {
                vorbis_synthesis_headerin(&info, &comment, &packet);
                if (++headers == 3) {
                    vorbis_synthesis_init(&dsp, &info);
                    vorbis_block_init(&dsp, &block);
                    synthesis = true;
                }
                continue;
            }
            if (vorbis_synthesis(&block, &packet) == 0) vorbis_synthesis_blockin(&dsp, &block);
            float** pcm = nullptr;
            int n;
            while ((n = vorbis_synthesis_pcmout(&dsp, &pcm)) > 0) {
                samples += n;
                vorbis_synthesis_read(&dsp, n);
            }
        }
    }
    if (synthesis) {
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
    }
    if (streamInit) ogg_stream_clear(&stream);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ogg_sync_clear(&sync);
    return samples;
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
    explicit HeadlessGame(bool secondThread)
        : host(HostSetup(window, store, gamePath).audio(audio).loadOnSecondThread(secondThread)) {}

    NullAudio audio;
    NullWindow window;
    MemoryStore store;
    GameHost host;
};

void BM_FullLoadingPass(benchmark::State& state, bool secondThread) {
    if (!gameBuilt()) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<HeadlessGame>(secondThread);
        Game& game = rig->host.game();
        rig->host.sound().init();
        game.quickLoad();
        rig->window.setClientSize(game.setup().screenWidth, game.setup().screenHeight);
        rig->window.show();
        game.openDisplay(rig->window, false);
        state.ResumeTiming();
        game.fullLoad();
        state.PauseTiming();
        if (game.state() != GameState::Title) state.SkipWithError("the loading pass did not reach the title screen");
        rig.reset();
        state.ResumeTiming();
    }
}
// Processor time of the whole process, so that work handed to the second
// thread counts; wall time is what the player waits for.
BENCHMARK_CAPTURE(BM_FullLoadingPass, OneThread, false)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_FullLoadingPass, OneThreadWall, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_FullLoadingPass, SecondThread, true)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_FullLoadingPass, SecondThreadWall, true)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartUpToTitle(benchmark::State& state, bool secondThread) {
    if (!gameBuilt()) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<HeadlessGame>(secondThread);
        state.ResumeTiming();
        const bool started = rig->host.program().startUp();
        state.PauseTiming();
        if (!started || rig->host.game().state() != GameState::Title)
            state.SkipWithError("start-up did not reach the title screen");
        rig.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_StartUpToTitle, OneThread, false)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_StartUpToTitle, OneThreadWall, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_StartUpToTitle, SecondThread, true)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_StartUpToTitle, SecondThreadWall, true)->Unit(benchmark::kMillisecond)->UseRealTime();

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

void BM_Codecs(benchmark::State& state, bool withEffects) {
    if (!gameBuilt() || deflatedEntries().size() != 7) {
        state.SkipWithError("the game with its data set is not built");
        return;
    }
    const Payloads& all = payloads();
    std::vector<uint8_t> entry, row;
    int64_t bytes = 0, pixels = 0, samples = 0;
    for (auto _ : state) {
        for (const Deflated& e : deflatedEntries()) bytes += static_cast<int64_t>(inflateEntry(e, entry));
        for (const auto& p : all.jpegs) pixels += decodeJpeg(p, row);
        for (const auto& p : all.pngs) pixels += decodePng(p, row);
        for (const auto& p : all.sounds) samples += decodeVorbis(p);
        if (withEffects) {
            for (const auto& p : all.effects) samples += decodeVorbis(p);
            for (const auto& p : all.music) samples += decodeVorbis(p, 2.0);
        }
        benchmark::DoNotOptimize(entry.data());
        benchmark::DoNotOptimize(row.data());
    }
    const auto perIteration = [&](int64_t v) {
        return static_cast<double>(v) / static_cast<double>(state.iterations());
    };
    state.counters["inflated"] = perIteration(bytes);
    state.counters["pixels"] = perIteration(pixels);
    state.counters["samples"] = perIteration(samples);
    state.counters["jpegs"] = static_cast<double>(all.jpegs.size());
    state.counters["pngs"] = static_cast<double>(all.pngs.size());
    state.counters["sounds"] =
        static_cast<double>(all.sounds.size() + (withEffects ? all.effects.size() + all.music.size() : 0));
}
BENCHMARK_CAPTURE(BM_Codecs, FullPass, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Codecs, StartUp, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Codecs, FullPassWall, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Codecs, StartUpWall, true)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace vandrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
