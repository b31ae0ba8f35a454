// The full loading pass as a browser runs it, over its frames: the built game
// shows the same progress frames, in the same order, as in the desktop's one
// call, a browser frame for each slow step; a damaged entry ends it after the
// same frames with the same parts loaded; input between the steps is taken,
// and a click starts nothing.
#include "app/GameHost.h"
#include "data/Archive.h"
#include "base/Clock.h"
#include "base/Fnv1a.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "support/SessionProbe.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

// Each shown frame as its progress and a fingerprint of its pixels; each
// takes msPerFrame on the game's clock, as a slow loading step would.
class TimedWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        ShownFrame copy;
        copy.copyOf(frame);
        Fnv1a h;
        h.add(copy.bytes.data(), copy.bytes.size());
        frames.emplace_back(game->loadProgress(), h.value());
        clock->advance(msPerFrame);
        return NullWindow::showFrame(frame);
    }
    Game* game = nullptr;
    ManualClock* clock = nullptr;
    uint32_t msPerFrame = 0;
    std::vector<std::pair<int32_t, uint64_t>> frames;
};

struct Pass {
    std::vector<std::pair<int32_t, uint64_t>> frames;
    std::vector<uint32_t> framesPerBrowserFrame;
    bool clockMovedOnItsOwn = false;
    GameState state = GameState::Starting;
    int32_t mouseX = 0;
    bool ended = false; // the loop took Quit
    // What was loaded: landscape layers, figure types, the cross-hair's,
    // fonts' and cartridge's widths.
    std::vector<int32_t> loaded;
};

// Start-up in a page's window, on the desktop (one call) or over the
// browser's frames; there the pointer moves and clicks before the fourth, or
// Escape is pressed.
Pass play(const std::string& path, bool inFrames, uint32_t msPerFrame, bool escape = false) {
    ManualClock clock{100000};
    NullAudio audio;
    TimedWindow window;
    MemoryStore store;
    GameHost host(HostSetup(window, store, path).audio(audio).startFullScreen(false).loadInFrames(inFrames));
    Game& game = host.game();
    Program& program = host.program();
    window.game = &game;
    window.clock = &clock;
    window.msPerFrame = msPerFrame;
    Pass pass;
    EXPECT_TRUE(program.startUp());
    if (inFrames) {
        EXPECT_TRUE(window.frames.empty()) << "start-up only sets the pass up";
        int code = 0;
        for (int n = 0; n < 50 && game.fullLoadPending(); ++n) {
            if (n == 3 && escape) window.post(msg::KeyDown, vk::Escape);
            if (n == 3 && !escape) {
                window.post(msg::MouseMove, 0, makePointParam(100, 200));
                window.post(msg::LButtonDown, 1, makePointParam(100, 200));
            }
            const uint32_t shown = window.framesShown();
            const uint32_t before = clock.now();
            if (!program.stepFrame(code)) {
                pass.ended = true;
                break;
            }
            pass.framesPerBrowserFrame.push_back(window.framesShown() - shown);
            if (clock.now() - before != msPerFrame * pass.framesPerBrowserFrame.back()) pass.clockMovedOnItsOwn = true;
        }
    }
    pass.frames = window.frames;
    pass.state = game.state();
    pass.mouseX = game.mouseX();
    pass.loaded = {game.backdrop().layerCount(),
                   game.figures().catalog.typeCount(),
                   SessionProbe::cursorImage(game.session()).width(),
                   game.session().largeFont().sheet().width(),
                   game.session().smallFont().sheet().width(),
                   SessionProbe::ammoImage(game.session()).width()};
    game.releaseAll();
    return pass;
}

class LoadingStepsInFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    }
    static constexpr const char* gamePath = VANDREL_BINARY_DIR "/vandrel";
};

TEST_F(LoadingStepsInFramesTest, SlowStepsShowTheDesktopsFramesOneBrowserFrameEachTakingInputBetween) {
    const Pass desktop = play(gamePath, false, 0);
    const Pass browser = play(gamePath, true, Program::loadSliceMs + 1);
    // Eight steps and the last frame with the music.
    ASSERT_EQ(desktop.frames.size(), 9u);
    EXPECT_EQ(browser.frames, desktop.frames);
    EXPECT_EQ(browser.framesPerBrowserFrame, std::vector<uint32_t>(9, 1));
    for (size_t i = 1; i < browser.frames.size(); ++i) EXPECT_LE(browser.frames[i - 1].first, browser.frames[i].first);
    EXPECT_EQ(browser.frames.back().first, 100);
    EXPECT_FALSE(browser.clockMovedOnItsOwn) << "the loop slept or waited";
    EXPECT_EQ(browser.state, GameState::Title);
    EXPECT_EQ(browser.loaded, desktop.loaded);
    EXPECT_TRUE(browser.loaded[1] > 0 && browser.loaded[2] > 0) << "the figures and the cross-hair loaded";
    // The pointer moved during the pass; the click started no round.
    EXPECT_EQ(browser.mouseX, 100);

    // Quick steps share a browser frame.
    const Pass quick = play(gamePath, true, 0);
    EXPECT_EQ(quick.frames, desktop.frames);
    EXPECT_EQ(quick.framesPerBrowserFrame, std::vector<uint32_t>{9});
}

TEST_F(LoadingStepsInFramesTest, ADamagedFiguresEntryEndsThePassAfterTheSameFramesWithTheSameParts) {
    std::vector<std::pair<std::string, test::Bytes>> entries;
    std::FILE* file = std::fopen(VANDREL_DATASET_ZIP_FILE, "rb");
    ASSERT_NE(file, nullptr);
    Archive archive;
    ASSERT_NE(archive.open(file), nullptr);
    for (const ArchiveEntry& entry : archive.entries()) {
        test::Bytes bytes(entry.size);
        ASSERT_TRUE(archive.openEntry(entry.name.c_str()) && archive.read(bytes.data(), entry.size));
        // The figures cut to half their length.
        if (entry.name == "figur.xx") bytes.resize(bytes.size() / 2);
        entries.emplace_back(entry.name, bytes);
    }
    archive.close();
    std::fclose(file);
    test::TestArchive zip(entries);

    const Pass desktop = play(zip.path(), false, 0);
    const Pass browser = play(zip.path(), true, Program::loadSliceMs + 1);
    // The set-up entry's two steps and the landscape's; the figures' has none.
    EXPECT_EQ(desktop.frames.size(), 3u);
    EXPECT_EQ(browser.frames, desktop.frames);
    EXPECT_EQ(browser.framesPerBrowserFrame, (std::vector<uint32_t>{1, 1, 1, 0}));
    EXPECT_EQ(browser.state, GameState::Loading);
    EXPECT_EQ(browser.loaded, desktop.loaded);
    EXPECT_EQ(browser.loaded[2], 0) << "nothing after the figures is loaded";
}

// As on a desktop whose pass failed, Escape on the loading screen ends the
// game, and the pass with it.
TEST_F(LoadingStepsInFramesTest, EscapeOnTheLoadingScreenEndsTheGameAndThePass) {
    const Pass browser = play(gamePath, true, Program::loadSliceMs + 1, true);
    EXPECT_TRUE(browser.ended);
    EXPECT_EQ(browser.frames.size(), 3u);
}

} // namespace
} // namespace vandrel
