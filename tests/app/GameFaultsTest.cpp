// The game going on through faults of the machine under it: the sound card
// going away mid-game and coming back, and the data set behind the executable
// vanishing or being cut short while the game runs (a package update).
#include "app/HeadlessGame.h"
#include "support/SessionProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own.
fs::path scratchDir() { return fs::temp_directory_path() / ("vandrel-faults-" + std::to_string(::getpid())); }

class GameFaultsTest : public test::HeadlessGame {
protected:
    explicit GameFaultsTest(std::string gameFile = gamePath) : HeadlessGame(std::move(gameFile)) {}

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void click(int32_t x, int32_t y) { window.post(msg::LButtonDown, 1, makePointParam(x, y)); }
    // Whether the next tenth of a second of output carries any sound.
    bool audible() {
        audio.clearMixed();
        if (!audio.advance(AudioDevice::outputRate / 10)) return false;
        const auto& m = audio.mixed();
        return std::any_of(m.begin(), m.end(), [](int16_t s) { return s != 0; });
    }
    // The game leaves by its usual path, as from the window's close button.
    void leave() {
        window.post(msg::Close);
        int code = -1;
        for (int i = 0; i < 100 && program.step(code); ++i) {}
        EXPECT_TRUE(window.isDestroyed());
        EXPECT_EQ(code, 0);
    }

    const fs::path dir = scratchDir();
};

// The game started from a copy of itself, which the test then cuts short,
// removes and puts back.
class GameOnACopyTest : public GameFaultsTest {
protected:
    GameOnACopyTest() : GameFaultsTest(copyOfGame()) {}

    static std::string copyOfGame() {
        const fs::path copy = scratchDir() / "vandrel";
        std::error_code ec;
        fs::create_directories(scratchDir(), ec);
        fs::copy_file(gamePath, copy, fs::copy_options::overwrite_existing, ec);
        return copy.string();
    }
};

TEST_F(GameFaultsTest, SoundCardRemovedMidRoundGoesOnSilentAndComesBackWhenItCanBeOpened) {
    ASSERT_TRUE(program.startUp());
    run(2);
    ASSERT_TRUE(audible()) << "the title music plays";
    click(320, 240);
    run(5, 20);
    ASSERT_EQ(game.state(), GameState::InPlay);

    audio.unplug();
    run(1);
    EXPECT_TRUE(sound.outputLost());
    EXPECT_FALSE(audio.attached()) << "the hardware that went away is let go";
    // The round goes on: shots, a reload, scrolling, frames.
    for (int i = 0; i < 12; ++i) {
        click(100 + 40 * i, 200);
        run(3, 20);
    }
    window.post(msg::RButtonDown, 2, makePointParam(320, 240));
    game.onMouseMove(630, 240);
    run(50, 20);
    EXPECT_EQ(game.state(), GameState::InPlay);
    EXPECT_FALSE(audible());

    // A sound card is there again: the next try, a few seconds on, brings the sound back.
    audio.plugIn();
    run(10, 20);
    EXPECT_TRUE(sound.outputLost()) << "no retry before its interval";
    run(SoundSystem::retryMs / 20 + 2, 20);
    EXPECT_FALSE(sound.outputLost());
    EXPECT_TRUE(audio.attached());
    run(20, 20);
    EXPECT_TRUE(audible()) << "music and effects are heard again";
    leave();
}

TEST_F(GameFaultsTest, SoundCardThatNeverComesBackIsAskedAgainOnlyNowAndThen) {
    ASSERT_TRUE(program.startUp());
    audio.unplug();
    run(1);
    ASSERT_TRUE(sound.outputLost());
    // Minutes without a sound card: frames run, nothing is attached.
    run(3000, 50);
    EXPECT_TRUE(sound.outputLost());
    EXPECT_EQ(game.state(), GameState::Title);
    leave();
    EXPECT_FALSE(audio.attached());
}

// The executable replaced under the running game: what remains of the data set
// is read only at a mode switch, which then fails as a damaged archive does.
TEST_F(GameOnACopyTest, DataSetCutShortOrGoneWhileRunningFailsTheNextModeSwitchWithoutACrash) {
    const fs::path copy = dir / "vandrel";
    ASSERT_TRUE(program.startUp());
    run(2);
    ASSERT_EQ(game.state(), GameState::Title);

    const auto size = fs::file_size(copy);
    for (auto cut : {size - 1000, size / 2, uintmax_t{100}, uintmax_t{0}}) {
        fs::resize_file(copy, cut);
        window.post(msg::SysChar, 13); // Alt+Enter
        run(3);
        EXPECT_EQ(game.backdrop().layerCount(), 0) << "cut to " << cut << " bytes";
        EXPECT_TRUE(SessionProbe::titleImage(game.session()).isEmpty());
        // The emptied game still answers: a click, a shot, frames.
        click(320, 240);
        run(5, 20);
        click(200, 200);
        run(5, 20);
        EXPECT_FALSE(window.isDestroyed());
    }
    fs::remove(copy);
    window.post(msg::SysChar, 13);
    run(3);
    EXPECT_EQ(game.backdrop().layerCount(), 0);
    EXPECT_FALSE(window.isDestroyed());

    // The update finished: the next switch reads the new executable whole.
    fs::copy_file(gamePath, copy);
    window.post(msg::SysChar, 13);
    run(3);
    EXPECT_EQ(game.state(), GameState::Title);
    EXPECT_EQ(game.backdrop().layerCount(), 4);
    leave();
}

} // namespace
} // namespace vandrel
