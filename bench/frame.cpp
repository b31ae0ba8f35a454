// A full play frame -- four landscape layers, every figure type at its most
// figures, hit effects and score popups running, the head-up display and the
// cross-hair -- drawn into a 32-bit and a 16-bit back buffer, against memcpy
// of four screens of the same depth; and the same frame with what keeping
// the rounds adds to it (the recorder's copy of the shown frame, its turn in
// the recording, a checkpoint's frame hash about once a second).
#include "backends/null/MemoryStore.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "base/Random.h"
#include "game/Backdrop.h"
#include "game/FigureManager.h"
#include "game/Session.h"
#include "replay/FrameHash.h"
#include "replay/ReplayWriter.h"
#include "replay/RoundKeeper.h"
#include "video/VideoDevice.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

constexpr int32_t screenWidth = 640;
constexpr int32_t screenHeight = 480;

// A picture with a shaded body and transparent corners or stripes, written
// through the surface's own rows as the loaders write them.
void paint(Surface& surface, VideoDevice& device, int32_t w, int32_t h, uint32_t seed, bool withHoles) {
    surface.create(w, h, &device);
    surface.lock();
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    std::vector<uint8_t> mask(static_cast<size_t>(w));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(x * 3 + seed);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(y * 5 + seed * 7);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>((x ^ y) + seed * 13);
            const int32_t dx = 2 * x - w, dy = 2 * y - h;
            mask[static_cast<size_t>(x)] = withHoles && (dx * dx + dy * dy > w * h) ? 1 : 0;
        }
        surface.putRow(row.data(), y, true);
        surface.putMaskRow(mask.data(), y);
    }
    surface.unlock();
}

// Landscape layers whose upper part is sky (transparent) above a wavy horizon.
void paintLayer(Surface& surface, VideoDevice& device, int32_t w, int32_t index) {
    surface.create(w, screenHeight, &device);
    surface.lock();
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    std::vector<uint8_t> mask(static_cast<size_t>(w));
    for (int32_t y = 0; y < screenHeight; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(40 + index * 30);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(80 + (x + y) % 60);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(30 + index * 20);
            const int32_t horizon = 200 + index * 60 + (x / 7 % 40) - 20;
            mask[static_cast<size_t>(x)] = (index > 0 && y < horizon) ? 1 : 0;
        }
        surface.putRow(row.data(), y, true);
        surface.putMaskRow(mask.data(), y);
    }
    surface.unlock();
}

struct AnimationShape {
    int32_t id, frames, w, h, duration;
};

struct TypeShape {
    int32_t animationId, layer, baseSpeed, scoreValue, maxCount, motion;
    uint8_t mirrored;
};

class PlayFrame {
public:
    explicit PlayFrame(const PixelFormat& format) : device(format) {
        reseedGameRand();
        backBuffer = device.createSurface(screenWidth, screenHeight);

        const int32_t widths[] = {1280, 1600, 2240, 3520};
        for (int32_t i = 0; i < 4; ++i) {
            backdrop.addLayer();
            paintLayer(*backdrop.layer(i), device, widths[i], i);
        }

        const AnimationShape animations[] = {{4, 11, 36, 33, 50}, {5, 11, 36, 33, 50},   {6, 11, 17, 16, 50},
                                             {7, 11, 17, 16, 50}, {29, 8, 93, 113, 350}, {31, 5, 91, 94, 80},
                                             {32, 5, 45, 46, 80}, {33, 5, 22, 22, 80}};
        for (const auto& a : animations) {
            auto animation = std::make_unique<Animation>();
            animation->id = a.id;
            for (int32_t i = 0; i < a.frames; ++i) {
                auto frame = std::make_unique<Frame>();
                frame->info = static_cast<uint32_t>(a.duration);
                paint(frame->surface, device, a.w, a.h, static_cast<uint32_t>(a.id * 10 + i), true);
                animation->frames.addFrame(std::move(frame));
            }
            figures.catalog.animations.push_back(std::move(animation));
        }
        const TypeShape types[] = {{32, 3, 45, 15, 10, 2, 0}, {32, 3, 45, 15, 10, 3, 1}, {33, 2, 30, 25, 15, 2, 0},
                                   {33, 2, 30, 25, 15, 3, 1}, {4, 3, 35, 25, 8, 2, 0},   {5, 3, 35, 25, 8, 3, 0},
                                   {6, 2, 30, 50, 12, 2, 0},  {7, 2, 30, 50, 12, 3, 0},  {29, 2, 30, 5, 8, 2, 0},
                                   {29, 2, 30, 5, 8, 3, 0},   {31, 2, 100, 10, 8, 2, 0}, {31, 2, 100, 10, 8, 3, 1}};
        for (const auto& t : types) {
            auto type = std::make_unique<FigureType>();
            type->animationId = t.animationId;
            type->layer = t.layer;
            type->baseY = 240;
            type->ySpread = 400;
            type->baseSpeed = t.baseSpeed;
            type->speedSpread = 15;
            type->scoreValue = t.scoreValue;
            type->maxCount = t.maxCount;
            type->hitPoints = 1;
            type->spawnChance = 3;
            type->motion = t.motion;
            type->mirrored = t.mirrored;
            figures.catalog.types.push_back(std::move(type));
        }
        // Type 0's own frames are everybody's hit effect: four 100 x 100 stars.
        FigureType& first = *figures.catalog.types[0];
        for (int32_t i = 0; i < 4; ++i) {
            auto frame = std::make_unique<Frame>();
            frame->info = 80;
            paint(frame->surface, device, 100, 100, static_cast<uint32_t>(200 + i), true);
            first.ownFrames.addFrame(std::move(frame));
        }
        for (auto& type : figures.catalog.types) {
            type->effectFrames = &first.ownFrames;
            if (type->mirrored) figures.catalog.findAnimation(type->animationId)->frames.buildMirrored(&device);
        }

        paint(session.largeFont().sheet(), device, 327, 236, 1, true);
        paint(session.smallFont().sheet(), device, 208, 156, 2, true);
        session.largeFont().setLayout(2, 2, 23, 37, 2, 2, 18, 10);
        session.smallFont().setLayout(0, 0, 16, 26, 0, 0, 12, 5);
        Surface cartridge, crossHair;
        paint(cartridge, device, 20, 50, 3, true);
        paint(crossHair, device, 30, 30, 4, true);
        session.takeAmmoImage(std::move(cartridge));
        session.takeCursor(std::move(crossHair));
        session.startRound();
        session.addScore(4711);
        figures.startRound();
        topUp();
    }

    // Keeps every type at its most figures and a few effects and popups running.
    void topUp() {
        for (auto& type : figures.catalog.types) {
            while (type->figureCount() < type->maxCount) {
                type->makeFigure(gameRand() % 1800 - 100);
            }
        }
        while (figures.effects.size() < 6) {
            HitEffect effect;
            effect.startTime = tickCount();
            effect.worldX = gameRand() % 1200;
            effect.y = 100 + gameRand() % 300;
            effect.frames = &figures.catalog.types[0]->ownFrames;
            effect.layer = 2 + gameRand() % 2;
            figures.effects.push_back(effect);
        }
        while (figures.popups.size() < 6) {
            ScorePopup popup;
            popup.moveClock = tickCount();
            popup.stepInterval = 8;
            popup.worldX = gameRand() % 1200;
            popup.y = 100 + gameRand() % 300;
            popup.value = 25;
            popup.layer = 2 + gameRand() % 2;
            figures.popups.push_back(popup);
        }
    }

    void draw() {
        clock.advance(16);
        scroll = (scroll + 7) % 2880;
        const uint32_t now = tickCount();
        const int32_t widest = backdrop.maxLayerWidth();
        for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer) {
            Rect layerClip = clip;
            const float factor =
                backdrop.drawLayer(backBuffer.get(), layerClip, scroll, layer, screenWidth, screenHeight);
            figures.updateLayer(layer, now, factor, scroll, backBuffer.get(), &clip, widest, screenWidth,
                                &session.largeFont());
        }
        session.drawHud(backBuffer.get(), clip);
        session.drawCursor(backBuffer.get(), clip, 320, 240, &device);
    }

    int32_t liveFigures() const {
        int32_t n = 0;
        for (const auto& type : figures.catalog.types) n += type->figureCount();
        return n;
    }

    ManualClock clock{1000000};
    VideoDevice device;
    std::unique_ptr<VideoSurface> backBuffer;
    const Rect clip{0, 0, screenWidth, screenHeight};
    Backdrop backdrop;
    FigureManager figures;
    MemoryStore store;
    Session session{store};
    int32_t scroll = 0;
};

void playFrame(benchmark::State& state, const PixelFormat& format) {
    PlayFrame frame(format);
    int64_t figuresDrawn = 0;
    for (auto _ : state) {
        frame.draw();
        figuresDrawn += frame.liveFigures();
        state.PauseTiming();
        frame.topUp();
        state.ResumeTiming();
    }
    state.counters["figures"] = benchmark::Counter(static_cast<double>(figuresDrawn) / state.iterations());
}

void BM_PlayFrame32(benchmark::State& state) { playFrame(state, PixelFormat::xrgb32()); }
void BM_PlayFrame16(benchmark::State& state) { playFrame(state, PixelFormat::rgb565()); }

// The play frame as a game that keeps its rounds shows it: the recorder's
// window copies every shown frame (for the checkpoints' hash), the turn goes
// into the recording in memory, and a checkpoint hashes the frame about once
// a second (here every 25th frame, more often than a game at full speed).
// Writing a finished round to disk happens on a worker, not in a frame.
void playFrameKept(benchmark::State& state, const PixelFormat& format) {
    PlayFrame frame(format);
    CappedRecording recording;
    std::ostream out(&recording);
    ReplayWriter writer(out);
    writer.header(0, 1, 0);
    ShownFrame shown;
    uint32_t tick = 0, frames = 0;
    uint64_t hashes = 0;
    for (auto _ : state) {
        frame.draw();
        shown.copyOf(*frame.backBuffer);
        writer.step(tick += 16 + frames % 3);
        if (++frames % 25 == 0) hashes ^= frameHash(shown);
        state.PauseTiming();
        frame.topUp();
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(hashes);
}

void BM_PlayFrameKept32(benchmark::State& state) { playFrameKept(state, PixelFormat::xrgb32()); }
void BM_PlayFrameKept16(benchmark::State& state) { playFrameKept(state, PixelFormat::rgb565()); }

void copyScreens(benchmark::State& state, size_t bytesPerPixel) {
    const size_t size = 4u * screenWidth * screenHeight * bytesPerPixel;
    std::vector<uint8_t> from(size, 1), to(size, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_Memcpy4Screens32(benchmark::State& state) { copyScreens(state, 4); }
void BM_Memcpy4Screens16(benchmark::State& state) { copyScreens(state, 2); }

BENCHMARK(BM_PlayFrame32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayFrameKept32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy4Screens32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayFrame16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayFrameKept16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy4Screens16)->Unit(benchmark::kMillisecond);

// Prints the frame times as multiples of the copy of the same depth.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) {
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
                cpuTimes_[run.benchmark_name()] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const char* depth : {"32", "16"}) {
            const std::string frame = std::string("BM_PlayFrame") + depth;
            const std::string copy = std::string("BM_Memcpy4Screens") + depth;
            // CPU time is the steadier figure on a shared machine; both are shown.
            if (times_.count(frame) && times_.count(copy) && times_[copy] > 0 && cpuTimes_[copy] > 0)
                std::printf("%s-bit play frame: %.2f x memcpy of 4 x 640 x 480 pixels (CPU time), %.2f x (wall)\n",
                            depth, cpuTimes_[frame] / cpuTimes_[copy], times_[frame] / times_[copy]);
            const std::string kept = std::string("BM_PlayFrameKept") + depth;
            if (cpuTimes_.count(kept) && cpuTimes_.count(frame) && cpuTimes_[frame] > 0)
                std::printf("%s-bit play frame with rounds kept: %.3f x the play frame alone (CPU time)\n", depth,
                            cpuTimes_[kept] / cpuTimes_[frame]);
        }
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, double> cpuTimes_;
};

} // namespace
} // namespace vandrel

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    vandrel::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
