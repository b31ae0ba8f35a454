// A whole round on the built game with its generated data set, driven through
// the window's messages on a manual clock: start, shoot a figure where it was
// drawn, and let the clock run out into the high-score screen.
#include "app/GameProbe.h"
#include "app/HeadlessGame.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

class RoundPlayTest : public test::HeadlessGame {
protected:
    RoundPlayTest() : HeadlessGame(VANDREL_GAME_FILE) {}

    void click(int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
    }

    // A screen point on an opaque pixel of a figure that nothing in front
    // hides, as last drawn; false when none is on the screen.
    bool findTarget(int32_t& px, int32_t& py) {
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

} // namespace
} // namespace vandrel
