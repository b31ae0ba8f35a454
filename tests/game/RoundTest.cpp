// The round as the session runs it: the clock from the round's length to the
// end, the score's limits, the magazine whatever its size, and the head-up
// display's cartridges.
#include "game/Session.h"
#include "platform/Clock.h"
#include "platform/VideoDevice.h"
#include "platform/null/MemoryStore.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vandrel {
namespace {

class SessionRoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        backBuffer = device.createSurface(640, 480);
        session.setup.roundMinutes = 2;
        session.setup.roundSeconds = 0;
    }
    void hud() { session.drawHud(backBuffer.get(), clip); }

    ManualClock clock{30000};
    VideoDevice device{PixelFormat::xrgb32()};
    std::unique_ptr<VideoSurface> backBuffer;
    const Rect clip{0, 0, 640, 480};
    MemoryStore store;
    Session session{store};
};

TEST_F(SessionRoundTest, TheClockRunsFromTheRoundLengthToZeroAndEndsTheRoundASecondLater) {
    session.round.ammo = 0;
    session.startRound();
    EXPECT_EQ(session.round.ammo, 10); // an empty magazine is refilled
    const uint32_t start = clock.now();
    hud();
    EXPECT_EQ(session.round.secondsLeft, 120); // 2:00 is shown first
    // A frame every millisecond: each second is counted once more than
    // 1000 ms have passed since the last one.
    uint32_t zeroShown = 0;
    int32_t previous = 120;
    while (!session.round.over && clock.now() - start < 200000) {
        clock.advance(1);
        hud();
        ASSERT_GE(session.round.secondsLeft, previous - 1);
        previous = session.round.secondsLeft;
        if (session.round.secondsLeft == 0 && zeroShown == 0 && !session.round.over) zeroShown = clock.now();
    }
    ASSERT_EQ(session.round.over, 1);
    EXPECT_EQ(session.round.secondsLeft, 0);
    EXPECT_EQ(zeroShown - start, 120001u);
    EXPECT_EQ(clock.now() - zeroShown, 1000u); // 0:00 stays a full second
}

TEST_F(SessionRoundTest, ALateClockCatchesUpOneSecondPerFrame) {
    session.startRound();
    clock.advance(5500);
    for (int32_t frame = 1; frame <= 5; ++frame) {
        hud();
        EXPECT_EQ(session.round.secondsLeft, 120 - frame);
    }
    hud();
    EXPECT_EQ(session.round.secondsLeft, 115);
}

TEST_F(SessionRoundTest, TheScoreNeverGoesBelowZeroNorWrapsAround) {
    session.round.score = 0;
    session.addScore(42);
    EXPECT_EQ(session.round.score, 42);
    session.addScore(-50);
    EXPECT_EQ(session.round.score, 0);
    session.round.score = 2147483600;
    session.addScore(100);
    EXPECT_EQ(session.round.score, 2147483647);
}

TEST_F(SessionRoundTest, TheCartridgesStandInARowFromTheRightEdge) {
    // A 10 x 20 cartridge, opaque.
    ASSERT_TRUE(session.ammoImage.create(10, 20, &device));
    ASSERT_TRUE(session.ammoImage.lock());
    std::vector<uint8_t> row(30, 90);
    for (int32_t y = 0; y < 20; ++y) session.ammoImage.putRow(row.data(), y, true);
    ASSERT_TRUE(session.ammoImage.unlock());

    session.round.ammo = 10;
    hud();
    for (int32_t i = 0; i < 10; ++i) {
        const int32_t x = 640 - 25 * i - 45;
        EXPECT_NE(backBuffer->pixelAt(x, 420), 0u) << i;
        EXPECT_NE(backBuffer->pixelAt(x + 9, 439), 0u) << i;
        EXPECT_EQ(backBuffer->pixelAt(x + 10, 420), 0u) << i;
    }
    EXPECT_EQ(backBuffer->pixelAt(640 - 270 - 1, 420), 0u); // the leftmost is at 370

    backBuffer->fill(nullptr, 0);
    session.round.ammo = 0;
    hud();
    for (int32_t x = 300; x < 640; ++x) ASSERT_EQ(backBuffer->pixelAt(x, 430), 0u);
}

TEST_F(SessionRoundTest, ANegativeMagazineHoldsNoCartridgeAndNeverFiresForever) {
    for (int32_t size : {-1, -7, -2147483647 - 1}) {
        session.setup.magazineSize = size;
        session.round.ammo = 0;
        session.startRound();
        EXPECT_EQ(session.round.ammo, 0) << size;
        EXPECT_FALSE(session.hasAmmo()) << size;
        EXPECT_TRUE(session.reload()) << "an empty magazine takes the reload, " << size;
        EXPECT_EQ(session.round.ammo, 0) << size;
        // Whatever put the size into the magazine itself, it gives no shot.
        session.round.ammo = size;
        EXPECT_FALSE(session.hasAmmo()) << size;
        session.useRound();
        EXPECT_EQ(session.round.ammo, size) << size;
        EXPECT_TRUE(session.reload());
        EXPECT_EQ(session.round.ammo, 0) << size;
    }
    // A magazine with cartridges left keeps them; an empty one fills to the size.
    session.setup.magazineSize = 3;
    EXPECT_TRUE(session.reload());
    EXPECT_EQ(session.round.ammo, 3);
    session.useRound();
    EXPECT_FALSE(session.reload());
    EXPECT_EQ(session.round.ammo, 2);
}

} // namespace
} // namespace vandrel
