// The built game on the headless platform, for tests that drive it through its
// window's messages: a clock that moves only when told, a silent sound card
// that keeps what it was given, a window that keeps its frames and a store in
// memory. Fixtures derive from it; the tests skip where the game is not built.
#pragma once
#include "app/GameHost.h"
#include "base/Clock.h"
#include "input/Messages.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>

namespace vandrel::test {

class HeadlessGame : public ::testing::Test {
protected:
    // The game with its data set, as the native build leaves it.
    static constexpr const char* gamePath = VANDREL_BINARY_DIR "/vandrel";

    // gameFile: the game to load; VANDREL_GAME_FILE for a test that runs on
    // every build, the cross-built one included.
    explicit HeadlessGame(std::string gameFile = gamePath) : gameFile_(std::move(gameFile)) {}

    void SetUp() override {
        if (!std::filesystem::exists(gameFile_)) GTEST_SKIP() << "the game with its data set is not built";
    }

    // Runs the loop until the queue is empty, then `frames` turns of
    // msPerFrame milliseconds each (the loop itself sleeps 1 ms of them).
    void run(int frames, uint32_t msPerFrame = 1) {
        int code = 0;
        for (int i = 0; i < frames; ++i) {
            while (!window.queue().empty())
                if (!program.step(code)) return;
            clock.advance(msPerFrame - 1);
            program.step(code);
        }
    }

private:
    std::string gameFile_;

protected:
    ManualClock clock{100000};
    NullAudio audio;
    NullWindow window;
    MemoryStore store;
    GameHost host{HostSetup(window, store, gameFile_).audio(audio)};
    Game& game = host.game();
    SoundSystem& sound = host.sound();
    Program& program = host.program();
};

} // namespace vandrel::test
