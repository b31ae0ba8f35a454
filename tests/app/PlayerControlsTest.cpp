// The player's notice and first-start hint on the built game: they go over
// the frames the player sees and nowhere else. A mode switch's loading frames
// show only the title's pictures while the small font is read again on the
// second thread, and the high-score screen's wipe starts from the frame as the
// game drew it. The ThreadSanitizer stage of ./test runs these, so a frame
// that reaches into what the loading thread is reading fails there too.
#include "app/PlayerControls.h"
#include "app/GameHost.h"
#include "app/GameProbe.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "base/Fnv1a.h"
#include "config/Settings.h"
#include "support/SessionProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace vandrel {
namespace {

namespace fs = std::filesystem;

const char* const gamePath = VANDREL_GAME_FILE;

uint64_t frameHash(const ShownFrame& f) {
    Fnv1a h;
    h.add(f.bytes.data(), f.bytes.size());
    return h.value();
}

// Keeps every frame shown while a loading pass runs, with the bar it showed.
class LoadingFramesWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        const bool ok = NullWindow::showFrame(frame);
        if (game && game->fullLoadPending()) loading.emplace_back(game->loadProgress(), frameHash(lastFrame()));
        return ok;
    }
    const Game* game = nullptr;
    std::vector<std::pair<int32_t, uint64_t>> loading;
};

fs::path freshSettingsFile() {
    return fs::temp_directory_path() / ("vandrel-overlay-" + std::to_string(std::random_device()()));
}

// The built game as the player runs it: with the player's controls, the
// first start's hint when asked for, loading on the second thread.
class PlayerControlsOnTheGame : public ::testing::Test {
protected:
    explicit PlayerControlsOnTheGame(bool showHint = false) : showHint_(showHint) {}
    ~PlayerControlsOnTheGame() override { fs::remove(settingsFile_); }

    void SetUp() override {
        if (!fs::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    }

    void start(bool fullScreen) {
        host_ = std::make_unique<GameHost>(HostSetup(window, store, gamePath)
                                               .audio(audio)
                                               .startFullScreen(fullScreen)
                                               .player(loadedSettings(), {}, showHint_));
        window.game = &host_->game();
        ASSERT_TRUE(host_->program().startUp());
        run(1);
        ASSERT_EQ(game().state(), GameState::Title);
    }

    // Runs the loop until the queue is empty, then `frames` frames.
    void run(int frames) {
        int code = 0;
        for (int i = 0; i < frames; ++i) {
            while (!window.queue().empty())
                if (!host_->program().step(code)) return;
            host_->program().step(code);
        }
    }
    void key(uint32_t code) {
        window.post(msg::KeyDown, code, 0);
        window.post(msg::KeyUp, code, 0);
    }
    Game& game() { return host_->game(); }
    // A copy of the picture the high-score screen's wipe starts from.
    ShownFrame wipePicture() {
        const VideoSurface* s = SessionProbe::highScores(game().session()).screen().snapshot();
        ShownFrame f;
        if (s) f.copyOf(*s);
        return f;
    }

    ManualClock clock{100000};
    NullAudio audio;
    LoadingFramesWindow window;
    MemoryStore store;

private:
    Settings& loadedSettings() {
        std::ostringstream report;
        settings_.load(settingsFile_, report);
        return settings_;
    }

    fs::path settingsFile_ = freshSettingsFile();
    Settings settings_;
    bool showHint_ = false;
    std::unique_ptr<GameHost> host_;
};

// A mode switch reloads the small font on the second thread while this one
// draws the bar; a volume key just before it must not put its notice (drawn
// with that font) on those frames. Each loading frame must be the title and
// its bar alone, as drawn at the same bar with no notice up.
TEST_F(PlayerControlsOnTheGame, AModeSwitchRightAfterASoundKeyShowsOnlyTheTitleWhileItLoads) {
    start(false);
    for (int i = 0; i < 4; ++i) {
        window.loading.clear();
        window.post(msg::Char, static_cast<uint64_t>("m-+m"[i]), 0);
        run(1);
        window.post(msg::SysChar, 13, 0); // Alt+Enter
        run(1);
        ASSERT_EQ(game().state(), GameState::Title);
        ASSERT_EQ(game().fullScreen(), i % 2 == 0);
        ASSERT_FALSE(window.loading.empty());
        const uint64_t withNotice = frameHash(window.lastFrame());

        // The notice is over: the same screens as they look without it.
        clock.advance(SoundControls::noticeMs);
        run(1);
        EXPECT_NE(frameHash(window.lastFrame()), withNotice) << "the notice shows once the pass is over";
        std::map<int32_t, uint64_t> quiet;
        for (const auto& [progress, hash] : window.loading) {
            if (quiet.count(progress)) continue;
            GameProbe::showLoading(game(), progress);
            run(1);
            quiet[progress] = frameHash(window.lastFrame());
        }
        std::string wrong;
        for (const auto& [progress, hash] : window.loading)
            if (hash != quiet[progress]) wrong += " " + std::to_string(progress) + " %";
        EXPECT_EQ(wrong, "") << "loading frames of switch " << i << " with more than the title";
    }
}

class PlayerControlsOnAFirstStart : public PlayerControlsOnTheGame, public ::testing::WithParamInterface<bool> {
protected:
    PlayerControlsOnAFirstStart() : PlayerControlsOnTheGame(true) {}
};

// The wipe slides the table over the last frame the game drew; the hint and
// the notice were over the frame the player saw, not part of it, and must
// not stay frozen in the wipe after they are gone.
TEST_P(PlayerControlsOnAFirstStart, TheHintAndTheNoticeStayOutOfTheHighScoreWipe) {
    start(GetParam());
    window.post(msg::MouseMove, 0, makePointParam(300, 200));
    run(2);
    const uint64_t withHint = frameHash(window.lastFrame());
    key(vk::Escape);
    run(1);
    ASSERT_EQ(game().state(), GameState::HighScores);
    const ShownFrame afterHint = wipePicture();
    ASSERT_FALSE(afterHint.empty());

    // Back on the title once the hint is over: the picture without anything over it.
    GameProbe::finishHighScores(game());
    run(2);
    ASSERT_EQ(game().state(), GameState::Title);
    clock.advance(PlayerHints::shownMs);
    run(2);
    EXPECT_NE(frameHash(window.lastFrame()), withHint) << "the hint was shown";
    const uint64_t quietFrame = frameHash(window.lastFrame());
    key(vk::Escape);
    run(1);
    const ShownFrame quiet = wipePicture();
    ASSERT_FALSE(quiet.empty());
    EXPECT_TRUE(afterHint.bytes == quiet.bytes) << "the hint is in the wipe's picture";

    GameProbe::finishHighScores(game());
    run(2);
    window.post(msg::Char, 'm', 0);
    run(2); // both buffers of a flip chain have held a frame with the notice
    EXPECT_NE(frameHash(window.lastFrame()), quietFrame) << "the notice was shown";
    key(vk::Escape);
    run(1);
    EXPECT_TRUE(wipePicture().bytes == quiet.bytes) << "the notice is in the wipe's picture";
    // Once the notice is over, the wipe's first frames show that picture alone.
    clock.advance(SoundControls::noticeMs);
    run(1);
    EXPECT_TRUE(window.lastFrame().bytes == quiet.bytes);
}

INSTANTIATE_TEST_SUITE_P(Screens, PlayerControlsOnAFirstStart, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "FullScreen" : "Window";
                         });

} // namespace
} // namespace vandrel
