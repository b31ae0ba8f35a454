// A whole round on the built game with its generated data set, driven through
// the window's messages on a manual clock: start, shoot a figure where it was
// drawn, and let the clock run out into the high-score screen.
#include "app/GameProbe.h"
#include "app/HeadlessGame.h"
#include "base/Random.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

class RoundPlayTest : public test::HeadlessGame {
protected:
    RoundPlayTest() : HeadlessGame(VANDREL_GAME_FILE) {}

    void click(int32_t x, int32_t y) { click(window, x, y); }
    static void click(NullWindow& window, int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
    }

    bool findTarget(int32_t& px, int32_t& py) const { return findTarget(game, px, py); }
    // A screen point on an opaque pixel of a figure that nothing in front
    // hides, as last drawn; false when none is on the screen.
    static bool findTarget(const Game& game, int32_t& px, int32_t& py) {
        const FigureCatalog& catalog = game.figures().catalog;
        for (int32_t t = catalog.typeCount() - 1; t >= 0; --t) {
            const FigureType& type = *catalog.typeAt(t);
            const FrameSet& frames = catalog.findAnimation(type.animationId)->frames;
            for (const Figure& f : type.figures) {
                for (int32_t dy = -8; dy <= 8; ++dy) {
                    for (int32_t dx = -8; dx <= 8; ++dx) {
                        const int32_t x = f.screenX + dx, y = f.y + dy;
                        if (x < 0 || x >= 640 || y < 60 || y >= 400) continue;
                        if (!frames.hitTest(f.screenX, f.y, f.frameIndex, x, y, type.mirrored != 0)) continue;
                        if (game.backdrop().hitLayer(x, y) > type.layer) continue;
                        px = x;
                        py = y;
                        return true;
                    }
                }
            }
        }
        return false;
    }
};

TEST_F(RoundPlayTest, ARoundScoresHitsAndEndsOnTheHighScoreScreenWithItsScorePending) {
    ASSERT_TRUE(program.startUp());
    run(1);
    ASSERT_EQ(game.state(), GameState::Title);
    EXPECT_EQ(game.figures().catalog.typeCount(), 12);
    EXPECT_EQ(game.figures().catalog.animations.size(), 8u);

    click(320, 240);
    run(1, 16);
    ASSERT_EQ(game.state(), GameState::InPlay);
    EXPECT_EQ(game.session().secondsLeft(), 120); // 2:00 first
    EXPECT_EQ(game.session().ammo(), 10);
    EXPECT_EQ(game.readings().score, 0);

    // Fly until a figure shows clear of the scenery, then shoot it.
    int32_t x = 0, y = 0;
    for (int i = 0; i < 400 && !findTarget(x, y); ++i) run(1, 16);
    ASSERT_TRUE(findTarget(x, y)) << "no figure came into view";
    click(x, y);
    run(1, 16);
    EXPECT_GT(game.readings().score, 0);
    EXPECT_EQ(game.session().ammo(), 9);
    EXPECT_EQ(game.figures().popups.size(), 1u);
    EXPECT_EQ(game.figures().effects.size(), 1u);
    const int32_t score = game.readings().score;

    // A shot into the empty sky above the HUD's line misses and costs a round.
    click(320, 1);
    run(1, 16);
    EXPECT_EQ(game.session().ammo(), 8);
    EXPECT_EQ(game.readings().score, score);

    // The clock runs out a second after 0:00.
    for (int i = 0; i < 200 && game.state() == GameState::InPlay; ++i) run(1, 1001);
    ASSERT_EQ(game.state(), GameState::HighScores);
    EXPECT_EQ(game.readings().pendingScore, score);
    EXPECT_EQ(game.readings().score, 0);
    EXPECT_FALSE(game.session().roundOver());
}

// What a scripted round leaves: its score and clock after the script, and
// the score the table is handed when the clock has run out.
struct ScriptedRound {
    int32_t score = 0;
    int32_t secondsLeft = 0;
    int32_t pendingScore = 0;
    bool operator==(const ScriptedRound&) const = default;
};

class PauseTest : public RoundPlayTest {
protected:
    // The same round on a fresh game each time: a shot at whatever shows
    // every twentieth frame, a reload when the magazine is empty; with
    // pauseFrames, P after 200 frames, that many frames paused, P again.
    ScriptedRound playScripted(int pauseFrames) {
        clock.set(300000);
        reseedGameRand();
        NullAudio silent;
        NullWindow own;
        MemoryStore table;
        GameHost h{HostSetup(own, table, VANDREL_GAME_FILE).audio(silent)};
        Game& g = h.game();
        const auto frames = [&](int n, uint32_t ms) {
            int code = 0;
            for (int i = 0; i < n; ++i) {
                while (!own.queue().empty()) h.program().step(code);
                clock.advance(ms - 1);
                h.program().step(code);
            }
        };
        const auto pauseKey = [&] {
            own.post(msg::KeyDown, Game::pauseKey);
            own.post(msg::KeyUp, Game::pauseKey);
        };
        EXPECT_TRUE(h.program().startUp());
        frames(1, 1);
        click(own, 320, 240);
        frames(1, 16);
        EXPECT_EQ(g.state(), GameState::InPlay);
        for (int i = 0; i < 900; ++i) {
            if (pauseFrames > 0 && i == 200) {
                pauseKey();
                frames(1, 16);
                EXPECT_TRUE(g.paused());
                const int32_t seconds = g.session().secondsLeft();
                const uint32_t shown = own.framesShown();
                frames(pauseFrames, 16);
                // Frames are still shown, and the clock stands.
                EXPECT_GT(own.framesShown(), shown);
                EXPECT_EQ(g.session().secondsLeft(), seconds);
                pauseKey();
            }
            int32_t x = 0, y = 0;
            if (i % 20 == 0 && findTarget(g, x, y)) click(own, x, y);
            if (g.session().ammo() == 0) own.post(msg::RButtonDown, mouseRightHeld, 0);
            frames(1, 16);
        }
        EXPECT_FALSE(g.paused());
        ScriptedRound out{g.readings().score, g.session().secondsLeft(), 0};
        for (int i = 0; i < 200 && g.state() == GameState::InPlay; ++i) frames(1, 1001);
        EXPECT_EQ(g.state(), GameState::HighScores);
        out.pendingScore = g.readings().pendingScore;
        return out;
    }
};

TEST_F(PauseTest, APausedRoundEndsWithTheSameScoreAndSecondsAsTheSameRoundUnpaused) {
    const ScriptedRound unpaused = playScripted(0);
    // The script hits something and leaves time on the clock, so both count.
    ASSERT_GT(unpaused.score, 0);
    ASSERT_GT(unpaused.secondsLeft, 0);
    ASSERT_EQ(unpaused.pendingScore, unpaused.score);
    // Paused for 4 s and for 80 s: as long as the script itself, and more.
    EXPECT_EQ(playScripted(250), unpaused);
    EXPECT_EQ(playScripted(5000), unpaused);
}

TEST_F(PauseTest, PDoesNothingOnTheTitleAndTheShotsWaitInAPause) {
    ASSERT_TRUE(program.startUp());
    run(1);
    ASSERT_EQ(game.state(), GameState::Title);
    window.post(msg::KeyDown, Game::pauseKey);
    window.post(msg::KeyUp, Game::pauseKey);
    run(2, 16);
    EXPECT_FALSE(game.paused());
    EXPECT_EQ(game.state(), GameState::Title);

    click(320, 240);
    run(1, 16);
    ASSERT_EQ(game.state(), GameState::InPlay);
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    ASSERT_TRUE(game.paused());
    // A shot and a reload in the pause do nothing.
    click(320, 1);
    window.post(msg::RButtonDown, mouseRightHeld, 0);
    run(3, 16);
    EXPECT_EQ(game.session().ammo(), 10);
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    EXPECT_FALSE(game.paused());

    // Minimised, the round runs on unless the player asked for the pause;
    // then it waits for P after the window is back.
    const auto minimise = [&](bool minimised) {
        window.post(msg::Activate, minimised ? activateMinimised : activateActive);
        run(1, 16);
    };
    minimise(true);
    minimise(false);
    EXPECT_FALSE(game.paused());
    game.setPauseWhenHidden(true);
    minimise(true);
    minimise(false);
    EXPECT_TRUE(game.paused());
    // Out of sight without a minimise (a hidden page, a phone held upright):
    // the same pause at once, and only where the setting asks for it.
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    ASSERT_FALSE(game.paused());
    game.setPauseWhenHidden(false);
    game.onHidden();
    EXPECT_FALSE(game.paused());
    game.setPauseWhenHidden(true);
    game.onHidden();
    EXPECT_TRUE(game.paused());
    // Escape still leaves the paused round, and the pause with it.
    window.post(msg::KeyDown, vk::Escape);
    run(1, 16);
    EXPECT_EQ(game.state(), GameState::HighScores);
    EXPECT_FALSE(game.paused());
    game.onHidden();
    EXPECT_FALSE(game.paused()) << "the table has nothing to pause";
}

} // namespace
} // namespace vandrel
