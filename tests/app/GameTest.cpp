// The game object driven headless through its window procedure on the real
// built game with its generated data set: start-up, the screens' cycle, mode
// switches, scrolling and what the player sees on the loading screen.
#include "app/GameHost.h"
#include "app/GameProbe.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "support/SessionProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;

// Remembers the load progress at every frame the game presents.
class RecordingWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        if (game) progress.push_back(game->loadProgress());
        return NullWindow::showFrame(frame);
    }
    Game* game = nullptr;
    std::vector<int32_t> progress;
};

class GameTest : public ::testing::Test {
protected:
    explicit GameTest(std::string gameFile = gamePath, std::optional<bool> startFullScreen = std::nullopt)
        : gameFile_(std::move(gameFile)), startFullScreen_(startFullScreen) {}

    void SetUp() override {
        if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
        window.game = &game;
    }

    // Runs the message loop until the queue is empty and `frames` frames ran.
    void run(int frames, uint32_t msPerFrame = 1) {
        int code = 0;
        for (int i = 0; i < frames; ++i) {
            while (!window.queue().empty())
                if (!program.step(code)) return;
            clock.advance(msPerFrame - 1); // the loop itself sleeps 1 ms
            program.step(code);
        }
    }
    void post(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0) { window.post(message, wParam, lParam); }
    void key(uint32_t code) {
        post(msg::KeyDown, code);
        post(msg::KeyUp, code);
    }

private:
    std::string gameFile_;
    std::optional<bool> startFullScreen_;

protected:
    MemoryStore store;
    ManualClock clock{100000};
    NullAudio audio;
    RecordingWindow window;
    GameHost host{HostSetup(window, store, gameFile_).audio(audio).startFullScreen(startFullScreen_)};
    Game& game = host.game();
    Program& program = host.program();
};

// The game with no data set where it looks.
class GameWithoutDataTest : public GameTest {
protected:
    GameWithoutDataTest() : GameTest("/nonexistent/vandrel") {}
};

// The game asked to start in a window, whatever its set-up record says.
class WindowedGameTest : public GameTest {
protected:
    WindowedGameTest() : GameTest(gamePath, false) {}
};

std::vector<int32_t> expectedProgress() {
    ArchiveLocator locator;
    Archive archive;
    BlockReader* reader = archive.open(locator.open(gamePath));
    EXPECT_NE(reader, nullptr);
    int32_t s[7];
    const char* names[7] = {"stuff.x", "back.nb", "figur.xx", "cur.nl", "font.nl", "fonts.nl", "muni.nl"};
    int32_t total = 0;
    for (int i = 0; i < 7; ++i) total += s[i] = archive.entrySize(names[i]);
    archive.closeReader(reader);
    locator.close();
    std::vector<int32_t> out;
    int32_t done = s[0] / 3;
    out.push_back(done * 100 / total);
    done = s[0] / 3 + (2 * s[0]) / 3;
    out.push_back(done * 100 / total);
    for (int i = 1; i < 7; ++i) {
        done += s[i];
        out.push_back(done * 100 / total);
    }
    out.push_back(100);
    return out;
}

TEST_F(GameTest, StartUpReachesTheTitleWithProgressFollowingTheEntrySizes) {
    ASSERT_TRUE(program.startUp());
    EXPECT_EQ(game.state(), GameState::Title);
    EXPECT_EQ(window.progress, expectedProgress());
    // The shipped set-up starts full screen, 640 x 480, rounds of 2:00.
    EXPECT_TRUE(game.fullScreen());
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(game.setup().screenWidth, 640);
    EXPECT_EQ(game.setup().roundMinutes, 2);
    EXPECT_EQ(game.setup().roundSeconds, 0);
    EXPECT_EQ(game.setup().magazineSize, 10);
    EXPECT_EQ(game.backdrop().layerCount(), 4);
    EXPECT_EQ(SessionProbe::cursorImage(game.session()).width(), 30);
    EXPECT_EQ(SessionProbe::titleImage(game.session()).width(), 1280);
    EXPECT_EQ(SessionProbe::titleGrey(game.session()).width(), 1280);
    EXPECT_EQ(SessionProbe::music(game.session()).state(), StreamingSound::State::Playing);
}

TEST_F(GameTest, EscapeWalksTitleHighScoresCreditsAndCloses) {
    ASSERT_TRUE(program.startUp());
    run(2);
    ASSERT_EQ(game.state(), GameState::Title);
    key(vk::Escape);
    run(1);
    EXPECT_EQ(game.state(), GameState::HighScores);
    EXPECT_EQ(game.readings().pendingScore, 0) << "no score is handed over from the title";
    key(vk::Escape);
    run(1);
    EXPECT_EQ(game.state(), GameState::Credits);
    key(vk::Escape);
    int code = -1;
    while (program.step(code)) {}
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(window.isDestroyed());
    EXPECT_EQ(game.display().device(), nullptr) << "everything released on destroy";
    EXPECT_TRUE(SessionProbe::titleImage(game.session()).isEmpty());
}

TEST_F(GameTest, ALeftClickOnTheClosingScreenEndsTheProgram) {
    ASSERT_TRUE(program.startUp());
    key(vk::Escape);
    key(vk::Escape);
    run(1);
    ASSERT_EQ(game.state(), GameState::Credits);
    post(msg::LButtonDown, 1, makePointParam(10, 10));
    int code = -1;
    while (program.step(code)) {}
    EXPECT_EQ(code, 0);
}

TEST_F(GameTest, TheWindowKnowsTheMagazineOnlyWhileARoundRuns) {
    ASSERT_TRUE(program.startUp());
    run(2);
    EXPECT_EQ(window.magazineArea(), Rect{}) << "on the title a tap anywhere starts the round";
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    run(2);
    ASSERT_EQ(game.state(), GameState::InPlay);
    // Ten cartridges from x = 640 - 45 leftwards, 25 apart, 60 above the bottom;
    // the area reaches the frame's corner.
    EXPECT_EQ(window.magazineArea(), (Rect{640 - 45 - 9 * 25, 480 - 60, 640, 480}));
    EXPECT_FALSE(window.textEntry());
    key(vk::Escape);
    run(1);
    EXPECT_EQ(window.magazineArea(), Rect{});
    EXPECT_FALSE(window.textEntry()) << "no score, no name to type";
}

TEST_F(GameWithoutDataTest, WithoutTheArchiveTheGameStaysStartingAndEscapeCloses) {
    ASSERT_TRUE(program.startUp()) << "only the display can stop the start";
    EXPECT_EQ(game.state(), GameState::Starting);
    EXPECT_FALSE(game.fullScreen()) << "the built-in set-up is a window";
    run(3);
    EXPECT_EQ(window.lastFrame().rgbAt(320, 240), 0u) << "frames draw nothing";
    key(vk::Escape);
    int code = -1;
    while (program.step(code)) {}
    EXPECT_EQ(code, 0);
}

TEST_F(GameTest, AltEnterMidRoundEndsOnTheTitleWithTheBarFull) {
    ASSERT_TRUE(program.startUp());
    run(1);
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    run(5, 20);
    ASSERT_EQ(game.state(), GameState::InPlay);
    post(msg::SysChar, 13);
    run(1);
    EXPECT_EQ(game.state(), GameState::Title);
    EXPECT_EQ(game.loadProgress(), 100);
    EXPECT_FALSE(game.fullScreen());
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_EQ(game.display().backBuffer()->format(), PixelFormat::xrgb32());
    post(msg::SysChar, 13);
    run(1);
    EXPECT_EQ(game.state(), GameState::Title);
    EXPECT_TRUE(game.fullScreen());
    EXPECT_EQ(game.display().backBuffer()->format(), PixelFormat::rgb565());
    EXPECT_EQ(SessionProbe::music(game.session()).state(), StreamingSound::State::Playing);
}

TEST_F(GameTest, HeldArrowScrollsByTheHeldMillisecondsInEveryState) {
    ASSERT_TRUE(program.startUp());
    run(1);
    ASSERT_EQ(game.state(), GameState::Title);
    GameProbe::setScroll(game, 0);
    post(msg::KeyDown, vk::Left);
    run(100, 15); // 1500 ms held
    post(msg::KeyUp, vk::Left);
    run(5, 15);
    EXPECT_EQ(game.scroll(), -1500) << "nothing clamps outside a round";
    // The first play frame clamps it to the landscape.
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    game.onMouseMove(320, 240);
    run(1);
    EXPECT_EQ(game.scroll(), 0);
}

TEST_F(GameTest, TheMouseScrollsByTheCubeOfItsDistanceFromTheMiddle) {
    ASSERT_TRUE(program.startUp());
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    run(1);
    ASSERT_EQ(game.state(), GameState::InPlay);
    const int32_t maxScroll = game.backdrop().maxLayerWidth() - 640;
    ASSERT_EQ(maxScroll, 2880);

    auto scrollAfter = [&](int32_t x, int32_t start, int frames, uint32_t ms) {
        post(msg::MouseMove, 0, makePointParam(x, 240));
        run(1);
        GameProbe::setScroll(game, start);
        GameProbe::restartScrollClock(game);
        for (int i = 0; i < frames; ++i) {
            clock.advance(ms);
            game.frameTick();
        }
        return game.scroll();
    };
    EXPECT_EQ(scrollAfter(320, 1000, 10, 20), 1000);
    EXPECT_EQ(scrollAfter(221, 1000, 10, 20), 1000);
    EXPECT_EQ(scrollAfter(419, 1000, 10, 20), 1000);
    EXPECT_EQ(scrollAfter(639, 1000, 10, 20), 1000 + 10 * 27);
    EXPECT_EQ(scrollAfter(0, 1000, 10, 20), 1000 - 10 * 27);
    EXPECT_EQ(scrollAfter(0, 100, 10, 20), 0) << "clamped at the left edge";
    EXPECT_EQ(scrollAfter(639, 2870, 10, 20), maxScroll) << "clamped at the right edge";
    // c = 1: a frame shorter than 20 ms drops its fraction.
    EXPECT_EQ(scrollAfter(421, 1000, 10, 19), 1000);
    EXPECT_EQ(scrollAfter(421, 1000, 10, 40), 1000 + 20);
}

TEST_F(GameTest, ThePointerStartsInTheMiddleUntilThePointerFirstMoves) {
    ASSERT_TRUE(program.startUp());
    run(2);
    ASSERT_EQ(game.state(), GameState::Title);
    // A pad or a finger that takes over before any mouse does starts from
    // where nothing scrolls, not from the corner.
    EXPECT_EQ(game.mouseX(), 320);
    EXPECT_EQ(game.mouseY(), 240);
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    run(20, 20);
    ASSERT_EQ(game.state(), GameState::InPlay);
    EXPECT_EQ(game.scroll(), 0) << "a cross-hair left in the corner scrolls at full speed";
    post(msg::MouseMove, 0, makePointParam(5, 7));
    run(1);
    EXPECT_EQ(game.mouseX(), 5);
    EXPECT_EQ(game.mouseY(), 7);
}

TEST_F(GameTest, HalfLoadedTitleIsColourOnTheLeftAndGreyOnTheRight) {
    ASSERT_TRUE(program.startUp());
    post(msg::SysChar, 13); // to a window: a 32-bit frame, exact colours
    run(1);
    ASSERT_FALSE(game.fullScreen());
    GameProbe::showLoading(game, 50);
    ASSERT_TRUE(game.frameTick());
    const ShownFrame& f = window.lastFrame();
    ASSERT_EQ(f.width, 640);

    const Surface& colour = GameProbe::titleImage(game);
    std::vector<uint8_t> row(static_cast<size_t>(colour.width()) * 3);
    int colourful = 0;
    for (int32_t y = 0; y < 480; y += 7) {
        ASSERT_TRUE(colour.readRow(row.data(), y, false));
        for (int32_t x = 0; x < 640; x += 3) {
            const uint32_t shown = f.rgbAt(x, y);
            const uint32_t r = shown >> 16, g = (shown >> 8) & 0xFF, b = shown & 0xFF;
            if (x < 320) {
                const uint8_t* p = &row[static_cast<size_t>(x) * 3];
                ASSERT_EQ(shown, (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]) << x << "," << y;
                if (r != g || g != b) ++colourful;
            } else {
                ASSERT_TRUE(r == g && g == b) << "grey at " << x << "," << y;
            }
        }
    }
    EXPECT_GT(colourful, 1000) << "the title picture is in colour";
}

TEST_F(GameTest, SnapshotBeforeAnyCrossHairFrameIsEmptyAndLaterHoldsTheFrame) {
    ASSERT_TRUE(program.startUp());
    // The loading pass drew no cross-hair yet.
    key(vk::Escape);
    run(1);
    ASSERT_EQ(game.state(), GameState::HighScores);
    EXPECT_EQ(SessionProbe::highScores(game.session()).screen().snapshot(), nullptr);
    // The table reports its screen finished: back to the title, a frame, Escape again.
    GameProbe::finishHighScores(game);
    run(2);
    EXPECT_FALSE(SessionProbe::highScores(game.session()).screen().done()) << "the report is cleared";
    ASSERT_EQ(game.state(), GameState::Title);
    key(vk::Escape);
    run(1);
    ASSERT_NE(SessionProbe::highScores(game.session()).screen().snapshot(), nullptr);
    EXPECT_EQ(SessionProbe::highScores(game.session()).screen().snapshot()->width(), 640);
}

TEST_F(GameTest, TheCursorHidesOverTheClientAreaAndMinimisingStopsFrames) {
    ASSERT_TRUE(program.startUp());
    run(1);
    EXPECT_TRUE(window.cursorVisible());
    post(msg::MouseMove, 0, makePointParam(100, 100));
    run(1);
    EXPECT_FALSE(window.cursorVisible());
    EXPECT_TRUE(program.cursorHidden());
    EXPECT_EQ(game.mouseX(), 100);
    post(msg::NcMouseMove);
    run(1);
    EXPECT_TRUE(window.cursorVisible());

    post(msg::Activate, activateMinimised);
    run(1);
    EXPECT_FALSE(game.active());
    const uint32_t shown = window.framesShown();
    run(5);
    EXPECT_EQ(window.framesShown(), shown) << "a minimised window renders nothing";
    post(msg::Activate, 0); // lost the focus only
    run(2);
    EXPECT_TRUE(game.active());
    EXPECT_GT(window.framesShown(), shown);
}

TEST_F(GameTest, TheRoundsFirstFrameScrollsByOneFramesTimeHoweverLongTheTitleStood) {
    ASSERT_TRUE(program.startUp());
    post(msg::MouseMove, 0, makePointParam(600, 240)); // c = 2: 8 pixels per 20 ms
    run(250, 20);                                      // five seconds on the title
    ASSERT_EQ(game.state(), GameState::Title);
    GameProbe::setScroll(game, 1000);
    post(msg::LButtonDown, 1, makePointParam(600, 240));
    run(1, 20);
    ASSERT_EQ(game.state(), GameState::InPlay);
    EXPECT_EQ(game.scroll(), 1000 + 8 * 19 / 20) << "the click's turn and one frame of 19 ms";
    run(10, 20);
    EXPECT_EQ(game.scroll(), 1007 + 10 * 8) << "then 20 ms a frame as before";
}

TEST_F(GameTest, PlayResumingAfterAMinimiseScrollsByOneFramesTime) {
    ASSERT_TRUE(program.startUp());
    post(msg::LButtonDown, 1, makePointParam(320, 240));
    run(1);
    ASSERT_EQ(game.state(), GameState::InPlay);
    post(msg::MouseMove, 0, makePointParam(600, 240));
    run(1, 20);
    GameProbe::setScroll(game, 1000);
    post(msg::Activate, activateMinimised);
    run(20); // five seconds waiting for the window to come back
    ASSERT_FALSE(game.active());
    EXPECT_EQ(game.scroll(), 1000);
    post(msg::Activate, 1);
    run(1, 20);
    EXPECT_EQ(game.scroll(), 1007);
    // Losing and regaining the focus does not stop play, so nothing resets:
    // the time in between is scrolled as it passes.
    post(msg::Activate, 0);
    run(1, 20);
    post(msg::Activate, 1);
    run(1, 20);
    EXPECT_EQ(game.scroll(), 1007 + 8 + 8);
}

TEST_F(WindowedGameTest, AScreenModeAskedForWinsOverTheSetUpRecordAndAltEnterStillSwitches) {
    ASSERT_TRUE(game.quickLoad());
    ASSERT_TRUE(game.setup().startFullScreen) << "the shipped set-up starts full screen";
    ASSERT_TRUE(program.startUp());
    EXPECT_FALSE(game.fullScreen());
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_EQ(game.display().backBuffer()->format(), PixelFormat::xrgb32()) << "a window's 32-bit frame";
    post(msg::SysChar, 13);
    run(1);
    EXPECT_TRUE(game.fullScreen());
    EXPECT_TRUE(window.isFullScreen());
}

} // namespace
} // namespace vandrel
