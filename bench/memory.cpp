// Peak resident memory of a whole game, headless, on the built game and its
// generated archive: start-up, a full round of shots, reloads and scrolling,
// a name typed into the high-score table, the closing screen, and exit.
// Prints one line: peak-rss-kb N frames N score N.
#include "app/GameHost.h"
#include "audio/AudioOutput.h"
#include "base/Clock.h"
#include "base/Random.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace vandrel;

const char* const gamePath = VANDREL_GAME_FILE;

struct Run {
    ManualClock clock{100000};
    NullAudio audio;
    NullWindow window;
    MemoryStore store;
    GameHost host{HostSetup(window, store, gamePath).audio(audio)};
    Game& game = host.game();
    Program& program = host.program();
    int frames = 0;
    bool quit = false;

    // Takes every waiting message, then runs one frame `ms` later.
    void frame(uint32_t ms) {
        int code = 0;
        while (!quit && !window.queue().empty()) quit = !program.step(code);
        if (quit) return;
        clock.advance(ms);
        quit = !program.step(code);
        // The sound card takes what the frame's ring top-up gave it.
        audio.advance(44100 * ms / 1000);
        audio.clearMixed();
        ++frames;
    }
    void click(int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
    }
    void key(uint32_t code) {
        window.post(msg::KeyDown, code);
        window.post(msg::KeyUp, code);
    }
};

} // namespace

int main() {
    if (!std::filesystem::exists(gamePath)) {
        std::fprintf(stderr, "bench_memory: %s is not built\n", gamePath);
        return 1;
    }

    int32_t score = 0;
    int frames = 0;
    {
        Run run;
        if (!run.program.startUp() || run.game.state() != GameState::Title) {
            std::fprintf(stderr, "bench_memory: start-up did not reach the title screen\n");
            return 1;
        }
        run.click(320, 240);
        run.frame(20);
        // The round: aim, shoot, reload, scroll to both ends, until the clock ends it.
        for (int i = 0; i < 20000 && run.game.state() == GameState::InPlay && !run.quit; ++i) {
            if (i % 4 == 0) {
                const int32_t x = gameRand() % 640;
                const int32_t y = gameRand() % 480;
                run.click(x, y);
            }
            if (!run.game.session().hasAmmo()) {
                run.window.post(msg::RButtonDown, 2, makePointParam(320, 240));
                run.window.post(msg::RButtonUp, 0, makePointParam(320, 240));
            }
            if (i % 500 == 100) run.window.post(msg::MouseMove, 0, makePointParam(i % 1000 < 500 ? 5 : 635, 240));
            run.frame(30);
            score = std::max(score, run.game.readings().score);
        }
        for (int i = 0; i < 150; ++i) run.frame(20);
        for (char c : std::string("Messung")) run.window.post(msg::Char, static_cast<uint64_t>(c));
        run.window.post(msg::Char, 13);
        for (int i = 0; i < 50; ++i) run.frame(20);
        run.key(vk::Escape); // title to the high scores
        run.frame(20);
        run.key(vk::Escape); // to the closing screen
        for (int i = 0; i < 200; ++i) run.frame(20);
        run.key(vk::Escape); // out
        for (int i = 0; i < 10 && !run.quit; ++i) run.frame(20);
        frames = run.frames;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak-rss-kb %ld frames %d score %d\n", usage.ru_maxrss, frames, score);
    return 0;
}
