// Soak: round after round of the built game, headless, on a manual clock at a
// high frame rate, with random clicks, keys, names and screen-mode switches.
// The heap in use is measured each time a round ends; at the end it must stand
// where it stood after the first round, within a small bound. Under the
// sanitizer build any report ends the run with a failure. The bound (1 MiB
// unless told) leaves room for what the first switch of screen modes keeps
// for good, about half a megabyte, after which the heap stands still.
//   soak GAME [--minutes M] [--frame-ms F] [--round-seconds S] [--seed N]
//             [--heap-bound KIB] [--switch-every S]
// --round-seconds 0 keeps the data set's own round length; every S simulated
// seconds (150 unless told) the next round is cut short by Alt+Enter.
#include "app/GameHost.h"
#include "app/GameProbe.h"
#include "audio/AudioOutput.h"
#include "base/Clock.h"
#include "system/FileStore.h"
#include "input/Messages.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"

#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VANDREL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANDREL_ASAN 1
#endif
#endif
#ifdef VANDREL_ASAN
// The sanitizer's allocator, which stands in for malloc in that build.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace vandrel;

namespace {

// Bytes handed out by the allocator and not yet given back: the game's own
// objects and those of every library it uses.
uint64_t heapInUse() {
#ifdef VANDREL_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    // Large blocks are mapped apart from the arena; count both.
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

uint64_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

// The driver's own random numbers, apart from the game's.
class Dice {
public:
    explicit Dice(uint64_t seed) : s_(seed ? seed : 1) {}
    uint32_t next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<uint32_t>(s_ >> 11);
    }
    bool chance(uint32_t oneIn) { return next() % oneIn == 0; }
    int32_t range(int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(next() % static_cast<uint32_t>(hi - lo + 1));
    }

private:
    uint64_t s_;
};

struct Sample {
    uint32_t round;
    double simulatedMinutes;
    uint64_t heap;
    uint64_t resident;
    bool fullScreen; // windowed surfaces are 32-bit, full-screen ones 16-bit
};

std::string kib(uint64_t bytes) { return std::to_string((bytes + 512) / 1024) + " KiB"; }

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: soak GAME [--minutes M] [--frame-ms F] [--round-seconds S] [--seed N] [--heap-bound KIB]\n");
        return 2;
    }
    const std::string gamePath = std::filesystem::absolute(argv[1]).string();
    double minutes = 30;
    uint32_t frameMs = 2;
    int32_t roundSeconds = 0;
    uint64_t seed = 20261207;
    uint64_t heapBound = 1024 * 1024;
    uint32_t switchEvery = 150;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        const char* v = argv[i + 1];
        if (opt == "--minutes")
            minutes = std::atof(v);
        else if (opt == "--frame-ms")
            frameMs = static_cast<uint32_t>(std::atoi(v));
        else if (opt == "--round-seconds")
            roundSeconds = std::atoi(v);
        else if (opt == "--seed")
            seed = std::strtoull(v, nullptr, 10);
        else if (opt == "--heap-bound")
            heapBound = std::strtoull(v, nullptr, 10) * 1024;
        else if (opt == "--switch-every")
            switchEvery = static_cast<uint32_t>(std::atoi(v));
        else {
            std::fprintf(stderr, "soak: unknown option %s\n", opt.c_str());
            return 2;
        }
    }
    if (!std::filesystem::exists(gamePath) || frameMs == 0 || minutes <= 0) {
        std::fprintf(stderr, "soak: need a built game, a frame time and a duration\n");
        return 2;
    }

    // A table of our own.
    const std::filesystem::path store =
        std::filesystem::temp_directory_path() / ("vandrel-soak-" + std::to_string(::getpid()));
    FileStore tables(store / "no-machine-store", store / "data" / "vandrel");

    const auto wallStart = std::chrono::steady_clock::now();
    std::vector<Sample> samples;
    uint64_t frames = 0, shots = 0, switches = 0, names = 0;
    int32_t bestScore = 0;
    uint32_t rounds = 0;
    const uint32_t samplesPerFrame = frameMs * 44100 / 1000;
    {
        ManualClock clock(0x10000);
        NullAudio audio;
        NullWindow window;
        GameHost host(HostSetup(window, tables, gamePath).audio(audio));
        Game* game = &host.game();
        Program& program = host.program();
        if (!program.startUp() || game->state() != GameState::Title) {
            std::fprintf(stderr, "soak: the game did not reach its title\n");
            return 1;
        }
        Dice dice(seed);
        const uint32_t end = clock.now() + static_cast<uint32_t>(minutes * 60000.0);
        GameState lastState = game->state();
        uint32_t nextSwitch = clock.now() + switchEvery * 1000;
        bool leftHeld = false, rightHeld = false;
        int code = 0;
        auto post = [&](uint32_t m, uint64_t w = 0, int64_t l = 0) { window.post(m, w, l); };
        auto at = [&](int32_t x, int32_t y) { return makePointParam(x, y); };

        while (static_cast<int32_t>(end - clock.now()) > 0) {
            const GameState state = game->state();
            if (state == GameState::Title && roundSeconds > 0) {
                // Shorter rounds than the data set's, set again after every reload.
                GameProbe::setRoundLength(*game, 0, roundSeconds);
            }
            const int32_t x = dice.range(-20, 660), y = dice.range(-20, 500);
            if (dice.chance(3)) post(msg::MouseMove, 0, at(x, y));
            switch (state) {
            case GameState::Title:
                if (dice.chance(40))
                    post(msg::LButtonDown, 1, at(x, y));
                else if (dice.chance(3000))
                    post(msg::KeyDown, vk::Escape);
                break;
            case GameState::InPlay:
                if (dice.chance(6)) {
                    post(msg::LButtonDown, 1, at(x, y));
                    post(msg::LButtonUp, 1, at(x, y));
                    ++shots;
                }
                if (dice.chance(25)) post(msg::RButtonDown, 2, at(x, y));
                if (dice.chance(200)) {
                    leftHeld = !leftHeld;
                    post(leftHeld ? msg::KeyDown : msg::KeyUp, vk::Left);
                }
                if (dice.chance(200)) {
                    rightHeld = !rightHeld;
                    post(rightHeld ? msg::KeyDown : msg::KeyUp, vk::Right);
                }
                // About once in 80 seconds a round is left by Escape.
                if (dice.chance(80000 / frameMs + 1)) post(msg::KeyDown, vk::Escape);
                if (switchEvery > 0 && static_cast<int32_t>(clock.now() - nextSwitch) >= 0) {
                    post(msg::SysChar, 13); // Alt+Enter
                    nextSwitch += switchEvery * 1000;
                    ++switches;
                }
                break;
            case GameState::HighScores:
                if (dice.chance(20)) {
                    const int32_t pick = dice.range(0, 40);
                    const uint32_t ch = pick < 26 ? 'a' + pick : pick < 30 ? 8 : pick < 32 ? 13 : dice.range(32, 255);
                    post(msg::Char, ch);
                    if (ch == 13) ++names;
                }
                if (dice.chance(400)) post(msg::LButtonDown, 1, at(x, y));
                break;
            default: break;
            }
            while (!window.queue().empty())
                if (!program.step(code)) break;
            if (window.isDestroyed()) {
                std::fprintf(stderr, "soak: the game closed itself\n");
                return 1;
            }
            clock.advance(frameMs - 1); // the loop sleeps the last millisecond
            program.step(code);
            audio.advance(samplesPerFrame);
            audio.clearMixed();
            ++frames;

            if (game->state() == GameState::HighScores && lastState == GameState::InPlay) {
                ++rounds;
                bestScore = std::max(bestScore, game->readings().pendingScore);
                samples.push_back(
                    {rounds, (clock.now() - 0x10000) / 60000.0, heapInUse(), residentBytes(), game->fullScreen()});
            }
            lastState = game->state();
        }
        // Out the way a player leaves: the table, the credits, a click.
        post(msg::KeyDown, vk::Escape);
        post(msg::KeyDown, vk::Escape);
        post(msg::KeyDown, vk::Escape);
        post(msg::LButtonDown, 1, at(1, 1));
        for (int i = 0; i < 1000 && program.step(code); ++i) {}
    }
    std::error_code ec;
    std::filesystem::remove_all(store, ec);

    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    std::printf("soak: %.1f simulated minutes, %llu frames of %u ms, %u rounds, %llu shots, %llu names, "
                "%llu mode switches, best score %d, %.1f s wall\n",
                minutes, static_cast<unsigned long long>(frames), frameMs, rounds,
                static_cast<unsigned long long>(shots), static_cast<unsigned long long>(names),
                static_cast<unsigned long long>(switches), bestScore, wall);
    if (samples.size() < 2) {
        std::printf("FAIL: fewer than two rounds ended, nothing to compare\n");
        return 1;
    }
    // The last round played in the same screen mode as the first.
    const Sample& first = samples.front();
    const Sample* lastSame = nullptr;
    for (const Sample& s : samples)
        if (&s != &first && s.fullScreen == first.fullScreen) lastSame = &s;
    if (!lastSame) {
        std::printf("FAIL: no later round in the first round's screen mode\n");
        return 1;
    }
    const Sample& last = *lastSame;
    std::printf("round  minute  mode         heap in use    resident\n");
    for (const Sample& s : samples)
        if (&s == &first || &s == &last || &s == &samples.back() || s.round % 10 == 0)
            std::printf("%5u  %6.1f  %-11s  %11s  %10s\n", s.round, s.simulatedMinutes,
                        s.fullScreen ? "full screen" : "window", kib(s.heap).c_str(), kib(s.resident).c_str());
    const int64_t growth = static_cast<int64_t>(last.heap) - static_cast<int64_t>(first.heap);
    std::printf("heap after round %u against round %u", last.round, first.round);
    std::printf(
        " (same screen mode): %+lld bytes (bound %llu); resident %+lld KiB\n", static_cast<long long>(growth),
        static_cast<unsigned long long>(heapBound),
        static_cast<long long>((static_cast<int64_t>(last.resident) - static_cast<int64_t>(first.resident)) / 1024));
    if (growth > static_cast<int64_t>(heapBound)) {
        std::printf("FAIL: the heap grew\n");
        return 1;
    }
    std::printf("PASS\n");
    return 0;
}
