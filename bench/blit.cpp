// Blit speed: our keyed blits against SDL's own keyed blit (with and without
// its run-length encoding) and against a plain copy of one frame, in 32- and
// 16-bit. The pictures are identical for every contender; the program ends by
// printing the ratios.
#include "gfx/Font.h"
#include "gfx/Surface.h"
#include "video/VideoDevice.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace vandrel;

namespace {

constexpr int32_t screenW = 640, screenH = 480;

// The classic generator, so every run draws the same pictures.
struct Lcg {
    uint32_t state = 12345;
    uint32_t next() {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFFFF;
    }
};

// Writes a picture into a surface: colour(x, y) gives the pixel, transparent(x, y) the mask.
template <typename Colour, typename Mask>
void paint(Surface& s, VideoDevice& device, int32_t w, int32_t h, Colour colour, Mask transparent) {
    s.create(w, h, &device);
    s.lock();
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3), mask(static_cast<size_t>(w));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            row[x * 3] = static_cast<uint8_t>(c);
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(c >> 16);
            mask[x] = transparent(x, y) ? 255 : 0;
        }
        s.putRow(row.data(), y, true);
        s.putMaskRow(mask.data(), y);
    }
    s.unlock();
}

struct SdlSurface {
    SDL_Surface* s = nullptr;
    SdlSurface() = default;
    SdlSurface(const SdlSurface&) = delete;
    SdlSurface& operator=(const SdlSurface&) = delete;
    ~SdlSurface() {
        if (s) SDL_FreeSurface(s);
    }
};

// The same picture as an SDL surface, keyed like ours.
std::unique_ptr<SdlSurface> toSdl(const Surface& picture, bool rle) {
    auto out = std::make_unique<SdlSurface>();
    const uint32_t bits = picture.bitsPerPixel();
    const uint32_t format = bits == 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    out->s = SDL_CreateRGBSurfaceWithFormat(0, picture.width(), picture.height(), static_cast<int>(bits), format);
    const size_t bpp = bits / 8;
    for (int32_t i = 0; i < picture.tileCount(); ++i) {
        const VideoSurface* tile = picture.tile(i);
        const Box r = picture.tileRect(i);
        for (int32_t y = 0; y < r.h; ++y)
            std::memcpy(static_cast<uint8_t*>(out->s->pixels) + static_cast<size_t>(r.y + y) * out->s->pitch +
                            r.x * bpp,
                        tile->pixels() + static_cast<size_t>(y) * tile->pitch(), r.w * bpp);
    }
    SDL_SetColorKey(out->s, SDL_TRUE, bits == 32 ? Surface::key32 : Surface::key565);
    SDL_SetSurfaceRLE(out->s, rle ? 1 : 0);
    return out;
}

// Everything one depth needs: our pictures, their SDL twins, the targets.
struct Scene {
    explicit Scene(const PixelFormat& format) : device(format) {
        Lcg rng;
        // (a) 640 x 480, about 30 % key in runs of 1 to 40 pixels.
        {
            std::vector<uint8_t> keyMap(static_cast<size_t>(screenW) * screenH);
            for (size_t i = 0; i < keyMap.size();) {
                const bool key = rng.next() % 100 < 30;
                const uint32_t run = 1 + rng.next() % 40;
                for (uint32_t k = 0; k < run && i < keyMap.size(); ++k) keyMap[i++] = key;
            }
            paint(
                picture, device, screenW, screenH, [&](int32_t, int32_t) { return rng.next(); },
                [&](int32_t x, int32_t y) { return keyMap[static_cast<size_t>(y) * screenW + x] != 0; });
        }
        // (b) four landscape layers: an opaque sky, then three with skylines.
        for (int i = 0; i < 4; ++i) {
            layers.push_back(std::make_unique<Surface>());
            paint(
                *layers.back(), device, 3520, screenH,
                [&, i](int32_t x, int32_t y) { return static_cast<uint32_t>((x * 7 + y * 3 + i * 50) & 0xFFFFFF); },
                [i](int32_t x, int32_t y) {
                    if (i == 0) return false;
                    const int32_t skyline =
                        120 * i + static_cast<int32_t>(60 * std::sin(x / (30.0 + 20 * i))) + (x % 97 < 5 ? -80 : 0);
                    return y < skyline;
                });
        }
        // Sprites of 45 x 46: a ball with a hole.
        paint(
            sprite, device, 45, 46, [&](int32_t x, int32_t y) { return static_cast<uint32_t>(x * 5000 + y * 3); },
            [](int32_t x, int32_t y) {
                const double dx = x - 22, dy = y - 23, r = std::sqrt(dx * dx + dy * dy);
                return r > 21 || (r > 7 && r < 10);
            });
        // A font sheet of 23 x 37 cells with glyph-like strokes.
        paint(
            font.sheet(), device, 327, 236, [](int32_t x, int32_t y) { return static_cast<uint32_t>(x * 300 + y); },
            [](int32_t x, int32_t y) {
                const int32_t gx = (x - 2) % 25, gy = (y - 2) % 39;
                const bool stroke = gx < 4 || gy < 4 || gx == gy / 2 + 3 || (gy > 16 && gy < 21);
                return !(gx < 23 && gy < 37 && stroke);
            });

        target = device.createSurface(screenW, screenH);
        for (bool rle : {false, true}) {
            auto& set = rle ? sdlRle : sdlPlain;
            set.picture = toSdl(picture, rle);
            for (auto& layer : layers) set.layers.push_back(toSdl(*layer, rle));
            set.sprite = toSdl(sprite, rle);
            set.sheet = toSdl(font.sheet(), rle);
        }
        sdlTarget.s =
            SDL_CreateRGBSurfaceWithFormat(0, screenW, screenH, static_cast<int>(format.bitsPerPixel),
                                           format.bitsPerPixel == 32 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565);
        frameBytes = static_cast<size_t>(screenW) * screenH * format.bytesPerPixel();
        copySource.assign(frameBytes, 1);
        copyTarget.assign(frameBytes, 0);
        for (int i = 0; i < 40; ++i)
            spritePositions.push_back(
                {static_cast<int32_t>(rng.next() % 700) - 30, static_cast<int32_t>(rng.next() % 530) - 25});
        for (int i = 0; i < 30; ++i) {
            const char ch = "0123456789ABCDEFGHIJ:.,abcdefgh"[i];
            glyphs.push_back({20 + 18 * i, 20 + (i % 3) * 40, ch});
        }
    }

    struct Glyph {
        int32_t x, y;
        char ch;
    };
    struct SdlSet {
        std::unique_ptr<SdlSurface> picture, sprite, sheet;
        std::vector<std::unique_ptr<SdlSurface>> layers;
    };

    static int32_t scrollOf(int i) { return 100 + 650 * i; }

    void frameOurs() {
        const Rect clip{0, 0, screenW, screenH};
        for (int i = 0; i < 4; ++i) layers[i]->blit(target.get(), clip, -scrollOf(i), 0, true, 100.0f);
        for (const auto& p : spritePositions) sprite.blit(target.get(), clip, p.first, p.second, true, 100.0f);
        for (const Glyph& g : glyphs) font.drawChar(target.get(), clip, g.x, g.y, g.ch);
    }

    void frameSdl(SdlSet& set) {
        for (int i = 0; i < 4; ++i) {
            SDL_Rect src{scrollOf(i), 0, screenW, screenH}, dst{0, 0, 0, 0};
            SDL_BlitSurface(set.layers[i]->s, &src, sdlTarget.s, &dst);
        }
        for (const auto& p : spritePositions) {
            SDL_Rect dst{p.first, p.second, 0, 0};
            SDL_BlitSurface(set.sprite->s, nullptr, sdlTarget.s, &dst);
        }
        for (const Glyph& g : glyphs) {
            const int32_t cell = Font::cellOf(g.ch);
            SDL_Rect src{2 + (cell % 13) * 25, 2 + (cell / 13) * 39, 23, 37}, dst{g.x, g.y, 0, 0};
            SDL_BlitSurface(set.sheet->s, &src, sdlTarget.s, &dst);
        }
    }

    VideoDevice device;
    Surface picture, sprite;
    std::vector<std::unique_ptr<Surface>> layers;
    Font font;
    std::unique_ptr<VideoSurface> target;
    SdlSet sdlPlain, sdlRle;
    SdlSurface sdlTarget;
    size_t frameBytes = 0;
    std::vector<uint8_t> copySource, copyTarget;
    std::vector<std::pair<int32_t, int32_t>> spritePositions;
    std::vector<Glyph> glyphs;
};

Scene& scene(int bits) {
    static Scene s32(PixelFormat::xrgb32());
    static Scene s16(PixelFormat::rgb565());
    return bits == 32 ? s32 : s16;
}

void registerAll() {
    for (int bits : {32, 16}) {
        const std::string depth = std::to_string(bits);
        benchmark::RegisterBenchmark(("picture/ours/" + depth).c_str(), [bits](benchmark::State& st) {
            Scene& s = scene(bits);
            const Rect clip{0, 0, screenW, screenH};
            for (auto _ : st) s.picture.blit(s.target.get(), clip, 0, 0, true, 100.0f);
        });
        for (bool rle : {true, false})
            benchmark::RegisterBenchmark(("picture/sdl" + std::string(rle ? "-rle/" : "/") + depth).c_str(),
                                         [bits, rle](benchmark::State& st) {
                                             Scene& s = scene(bits);
                                             auto& set = rle ? s.sdlRle : s.sdlPlain;
                                             for (auto _ : st) {
                                                 SDL_Rect dst{0, 0, 0, 0};
                                                 SDL_BlitSurface(set.picture->s, nullptr, s.sdlTarget.s, &dst);
                                             }
                                         });
        benchmark::RegisterBenchmark(("frame/ours/" + depth).c_str(), [bits](benchmark::State& st) {
            Scene& s = scene(bits);
            for (auto _ : st) s.frameOurs();
        });
        for (bool rle : {true, false})
            benchmark::RegisterBenchmark(("frame/sdl" + std::string(rle ? "-rle/" : "/") + depth).c_str(),
                                         [bits, rle](benchmark::State& st) {
                                             Scene& s = scene(bits);
                                             for (auto _ : st) s.frameSdl(rle ? s.sdlRle : s.sdlPlain);
                                         });
        benchmark::RegisterBenchmark(("memcpy/" + depth).c_str(), [bits](benchmark::State& st) {
            Scene& s = scene(bits);
            for (auto _ : st) {
                std::memcpy(s.copyTarget.data(), s.copySource.data(), s.frameBytes);
                benchmark::DoNotOptimize(s.copyTarget.data());
                benchmark::ClobberMemory();
            }
        });
    }
}

// Keeps every result's processor time per iteration (ms) by name for the
// ratio table: on a shared machine the wall clock counts other people's work.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                times[run.run_name.function_name] =
                    run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
    }
    std::map<std::string, double> times;
};

void printRatios(const std::map<std::string, double>& t) {
    std::printf("\nprocessor time per iteration, ms\n%-8s %-8s %10s %10s %10s %10s   %s\n", "depth", "what", "ours",
                "sdl-rle", "sdl", "memcpy", "ours/sdl-rle  ours/sdl  ours/memcpy");
    bool goalMet = true;
    for (const char* depth : {"32", "16"})
        for (const char* what : {"picture", "frame"}) {
            const auto get = [&](const std::string& name) {
                const auto it = t.find(name);
                return it == t.end() ? 0.0 : it->second;
            };
            const double ours = get(std::string(what) + "/ours/" + depth);
            const double rle = get(std::string(what) + "/sdl-rle/" + depth);
            const double plain = get(std::string(what) + "/sdl/" + depth);
            const double copy = get(std::string("memcpy/") + depth);
            if (ours <= 0 || rle <= 0 || plain <= 0 || copy <= 0) continue;
            std::printf("%-8s %-8s %10.4f %10.4f %10.4f %10.4f   %12.2f %9.2f %12.2f\n", depth, what, ours, rle, plain,
                        copy, ours / rle, ours / plain, ours / copy);
            if (std::string(what) == "frame" && ours > rle) goalMet = false;
        }
    std::printf("goal (our frame no slower than SDL's RLE frame): %s\n", goalMet ? "met" : "NOT met");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerAll();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatios(reporter.times);
    benchmark::Shutdown();
    return 0;
}
