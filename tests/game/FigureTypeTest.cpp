// Figure types: starting figures, the periodic spawner, the order of the
// random draws, and the straight and wavy paths.
#include "game/FigureType.h"
#include "base/Clock.h"
#include "base/Random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandrel {
namespace {

class FigureTypeTest : public ::testing::Test {
protected:
    void SetUp() override { reseedGameRand(); }
    ManualClock clock{50000};
    FigureType type;
};

TEST_F(FigureTypeTest, ATenthOfMaxCountStartsAtLeastOneWhenAnyAreAllowed) {
    const struct {
        int32_t maxCount;
        int32_t starting;
    } cases[] = {{10, 1}, {15, 1}, {25, 2}, {9, 1}, {0, 0}, {-3, 0}};
    for (const auto& c : cases) {
        type.removeAllFigures();
        type.maxCount = c.maxCount;
        type.placeStartingFigures();
        EXPECT_EQ(type.figureCount(), c.starting) << "maxCount " << c.maxCount;
    }
}

TEST_F(FigureTypeTest, ARandomDrawsComeInTheStatedOrder) {
    type.baseSpeed = 40;
    type.speedSpread = 20;
    type.baseY = 240;
    type.ySpread = 400;
    type.hitPoints = 2;
    type.maxCount = 10;
    const uint32_t state = gameRandState();
    const int startDraw = gameRand(), offsetDraw = gameRand(), speedDraw = gameRand(), lineDraw = gameRand();
    setGameRandState(state);

    type.placeStartingFigures();
    ASSERT_EQ(type.figureCount(), 1);
    const Figure& f = type.figures[0];
    EXPECT_EQ(f.startX, startDraw % 3000 - 150);
    EXPECT_EQ(f.animationStart, 50000u);
    EXPECT_EQ(f.moveStart, 50000u + static_cast<uint32_t>(offsetDraw % 10));
    EXPECT_EQ(f.speed, speedDraw % 20 + 40 - 10);
    EXPECT_EQ(f.lineY, std::max(0, lineDraw % 400 + 240 - 200));
    EXPECT_EQ(f.hitPoints, 2);
    EXPECT_EQ(f.screenX, 0);
    EXPECT_EQ(f.frameIndex, 0);
}

TEST_F(FigureTypeTest, SpawnChanceThreeGivesAboutPointOneFiveFiguresASecond) {
    type.maxCount = 1000000;
    type.spawnChance = 3;
    type.motion = MotionRight;
    type.spawnClock = clock.now();
    const uint32_t seconds = 10000;
    // A steady 25 frames a second.
    for (uint32_t t = 0; t < seconds * 25; ++t) {
        clock.advance(40);
        type.spawnStep(clock.now(), 999);
    }
    const double perSecond = static_cast<double>(type.figureCount()) / seconds;
    EXPECT_NEAR(perSecond, 0.15, 0.015);
    for (const Figure& f : type.figures) ASSERT_EQ(f.startX, -150);
}

TEST_F(FigureTypeTest, AFullTypeSpawnsNothingButItsClockRunsOn) {
    type.maxCount = 1;
    type.spawnChance = 100;
    type.placeStartingFigures();
    const uint32_t before = type.spawnClock;
    clock.advance(201);
    type.spawnStep(clock.now(), 0);
    EXPECT_EQ(type.figureCount(), 1);
    EXPECT_EQ(type.spawnClock, before + 200);
}

TEST_F(FigureTypeTest, ALongFrameTakesOneStepAndTheMissedOnesFollowOnePerFrame) {
    type.maxCount = 100;
    type.spawnChance = 100;
    type.spawnClock = clock.now();
    clock.advance(1000);
    type.spawnStep(clock.now(), 0);
    EXPECT_EQ(type.figureCount(), 1);
    // The four steps the long frame missed follow, one per frame.
    for (int frame = 2; frame <= 5; ++frame) {
        clock.advance(1);
        type.spawnStep(clock.now(), 0);
        EXPECT_EQ(type.figureCount(), frame);
    }
    // Caught up: the next step falls due 200 ms after the last one.
    clock.advance(1);
    type.spawnStep(clock.now(), 0);
    EXPECT_EQ(type.figureCount(), 5);
    clock.advance(200);
    type.spawnStep(clock.now(), 0);
    EXPECT_EQ(type.figureCount(), 6);
}

TEST_F(FigureTypeTest, StraightPathsMoveBySpeedWhateverTheFrameRate) {
    type.motion = MotionRight;
    type.makeFigure(100);
    Figure& f = type.figures[0];
    f.speed = 45;
    f.lineY = 321;
    EXPECT_EQ(type.xAt(0, f.moveStart + 1000), 145);
    EXPECT_EQ(type.xAt(0, f.moveStart + 2000), 190);
    EXPECT_EQ(type.xAt(0, f.moveStart + 1999), 189); // truncates
    EXPECT_EQ(type.yAt(0, f.moveStart + 2000), 321);
    // Drawn a few ms before the path starts: at most a pixel behind.
    f.speed = 130;
    EXPECT_EQ(type.xAt(0, f.moveStart - 9), 99);
    type.motion = MotionLeft;
    EXPECT_EQ(type.xAt(0, f.moveStart + 1000), 100 - 130);
    f.speed = 0;
    EXPECT_EQ(type.xAt(0, f.moveStart + 100000), 100);
}

TEST_F(FigureTypeTest, WavesStayWithinTheirAmplitudeAndFollowTheirShape) {
    type.motion = MotionWaveRight;
    type.ySpread = 400;
    type.makeFigure(0);
    Figure& f = type.figures[0];
    f.lineY = 240;
    f.speed = 0;
    // Speed 0 holds a fixed height: the phase alone (cos for an even moveStart).
    f.moveStart = 1000; // even; 1000 % 3 = 1 -> amplitude 400 / 3
    const int32_t still = 240 + static_cast<int32_t>(std::cos(0.0) * 400 / 3 + 0.5);
    EXPECT_EQ(type.yAt(0, 5000), still);
    EXPECT_EQ(type.yAt(0, 900000), still);

    f.speed = 45;
    f.moveStart = 1001; // odd: sine; 1001 % 5 = 1 -> period 125; 1001 % 3 = 2 -> amplitude 100
    const double dist = 2000 * 45 * 0.001;
    const int32_t expected = 240 + static_cast<int32_t>(std::sin(dist / 125 + 45) * 400 / 4 + 0.5);
    EXPECT_EQ(type.yAt(0, 3001), expected);
    for (uint32_t t = 0; t < 20000; t += 37) {
        const int32_t y = type.yAt(0, 1001 + t);
        EXPECT_GE(y, 240 - 100);
        EXPECT_LE(y, 240 + 101);
    }
    // Late in the system's uptime the shape tables still apply.
    f.moveStart = 0xFFFFFFF0u;
    EXPECT_NO_FATAL_FAILURE(type.yAt(0, 0xFFFFFFF0u + 500));
}

} // namespace
} // namespace vandrel
