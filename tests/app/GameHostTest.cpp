// The one place the game is put together: what a caller gives (window, store,
// sound output, data set, start mode) is what the game runs on, and the end
// lets a game cut short go as its window would, stores the table once and
// leaves the process's sound output as it found it.
#include "app/GameHost.h"
#include "base/Clock.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;

TEST(GameHostTest, TheSoundOutputGivenIsTheProcesssWhileTheHostLivesAndNoneGivenKeepsTheBackends) {
    ManualClock clock;
    NullAudio backend;
    ScopedAudioOutput installed(backend);
    NullWindow window;
    MemoryStore store;
    {
        GameHost host(HostSetup(window, store, "/nonexistent/vandrel"));
        EXPECT_EQ(&audioOutput(), &backend);
    }
    NullAudio headless;
    {
        GameHost host(HostSetup(window, store, "/nonexistent/vandrel").audio(headless));
        EXPECT_EQ(&audioOutput(), &headless);
        // Without a data set only the display could stop the start.
        ASSERT_TRUE(host.program().startUp());
        EXPECT_TRUE(headless.attached()) << "the sound system plays on the output given";
        EXPECT_FALSE(backend.attached());
    }
    EXPECT_FALSE(headless.attached()) << "the sound system went before its output";
    EXPECT_EQ(&audioOutput(), &backend);
}

class GameHostOnTheGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    }

    ManualClock clock{100000};
    NullAudio audio;
    NullWindow window;
    MemoryStore store;
};

TEST_F(GameHostOnTheGameTest, TheStartModeAndTheLoadingGivenWinOverTheSetUpRecord) {
    for (const bool fullScreen : {false, true}) {
        GameHost host(HostSetup(window, store, gamePath).audio(audio).startFullScreen(fullScreen));
        ASSERT_TRUE(host.program().startUp());
        EXPECT_EQ(window.isFullScreen(), fullScreen);
        EXPECT_EQ(host.game().fullScreen(), fullScreen);
        EXPECT_EQ(host.game().state(), GameState::Title) << "the whole pass ran in start-up";
        host.game().releaseAll();
    }
    NullWindow page;
    GameHost inFrames(HostSetup(page, store, gamePath).audio(audio).loadInFrames());
    ASSERT_TRUE(inFrames.program().startUp());
    EXPECT_TRUE(inFrames.game().fullLoadPending()) << "start-up only set the pass up";
    EXPECT_EQ(page.framesShown(), 0u);
}

TEST_F(GameHostOnTheGameTest, EndingAGameCutShortLetsItGoAsItsWindowWouldAndStoresTheTable) {
    GameHost host(HostSetup(window, store, gamePath).audio(audio));
    ASSERT_TRUE(host.program().startUp());
    int code = 0;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(host.program().step(code));
    ASSERT_TRUE(audio.attached());
    const int writes = store.writes();
    EXPECT_TRUE(host.end());
    EXPECT_GT(store.writes(), writes) << "the table is stored";
    EXPECT_FALSE(audio.attached()) << "the sound is shut down";
    EXPECT_FALSE(window.isDestroyed()) << "the window is the caller's";
}

TEST_F(GameHostOnTheGameTest, AGameThatClosedIsStoredOnceAtTheEndAndAHostLetGoStoresNothing) {
    {
        GameHost host(HostSetup(window, store, gamePath).audio(audio));
        ASSERT_TRUE(host.program().startUp());
        window.post(msg::Close);
        int code = -1;
        for (int i = 0; i < 100 && host.program().step(code); ++i) {}
        ASSERT_TRUE(host.program().ended());
        EXPECT_EQ(code, 0);
        const int writes = store.writes();
        EXPECT_TRUE(host.end());
        EXPECT_GT(store.writes(), writes);
    }
    // A page that ends the game lets the host go; the table stays as it was.
    NullWindow page;
    const int writes = store.writes();
    {
        GameHost host(HostSetup(page, store, gamePath).audio(audio));
        ASSERT_TRUE(host.program().startUp());
    }
    EXPECT_EQ(store.writes(), writes);
}

} // namespace
} // namespace vandrel
