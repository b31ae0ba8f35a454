// The round as the session runs it: the clock from the round's length to the
// end, the score's limits, the magazine whatever its size, and the head-up
// display's cartridges.
#include "game/Session.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "backends/null/MemoryStore.h"
#include "support/SessionProbe.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vandrel {
namespace {

class SessionRoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        backBuffer = device.createSurface(640, 480);
        ASSERT_TRUE(loadSetup({.minutes = 2, .seconds = 0}));
    }
    // The set-up record as the quick loading pass reads it from the archive.
    bool loadSetup(const test::SetupValues& values) {
        test::TestArchive archive({{"stuff.x", test::setupBlock(values)}});
        return session.loadSetup(&archive.entry("stuff.x"));
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
    session.startRound();
    session.useRound();
    session.startRound();
    EXPECT_EQ(session.ammo(), 10); // a round starts with a full magazine
    const uint32_t start = clock.now();
    hud();
    EXPECT_EQ(session.secondsLeft(), 120); // 2:00 is shown first
    // A frame every millisecond: each second is counted once more than
    // 1000 ms have passed since the last one.
    uint32_t zeroShown = 0;
    int32_t previous = 120;
    while (!session.roundOver() && clock.now() - start < 200000) {
        clock.advance(1);
        hud();
        ASSERT_GE(session.secondsLeft(), previous - 1);
        previous = session.secondsLeft();
        if (session.secondsLeft() == 0 && zeroShown == 0 && !session.roundOver()) zeroShown = clock.now();
    }
    ASSERT_TRUE(session.roundOver());
    EXPECT_EQ(session.secondsLeft(), 0);
    EXPECT_EQ(zeroShown - start, 120001u);
    EXPECT_EQ(clock.now() - zeroShown, 1000u); // 0:00 stays a full second
}

TEST_F(SessionRoundTest, ARoundLeftAsItRanOutDoesNotEndTheNextOne) {
    ASSERT_TRUE(loadSetup({.minutes = 0, .seconds = 1}));
    session.startRound();
    for (int i = 0; i < 3 && !session.roundOver(); ++i) {
        clock.advance(1001);
        hud();
    }
    ASSERT_TRUE(session.roundOver());
    // Escape took the game to the table before it saw the round end: no
    // score was handed over. The next round runs its whole clock.
    session.startRound();
    EXPECT_FALSE(session.roundOver());
    EXPECT_EQ(session.secondsLeft(), 1);
}

TEST_F(SessionRoundTest, ALateClockCatchesUpOneSecondPerFrame) {
    session.startRound();
    clock.advance(5500);
    for (int32_t frame = 1; frame <= 5; ++frame) {
        hud();
        EXPECT_EQ(session.secondsLeft(), 120 - frame);
    }
    hud();
    EXPECT_EQ(session.secondsLeft(), 115);
}

TEST_F(SessionRoundTest, TheScoreNeverGoesBelowZeroNorWrapsAround) {
    session.startRound();
    session.addScore(42);
    EXPECT_EQ(session.score(), 42);
    session.addScore(-50);
    EXPECT_EQ(session.score(), 0);
    session.addScore(2147483600);
    session.addScore(100);
    EXPECT_EQ(session.score(), 2147483647);
}

TEST_F(SessionRoundTest, TheCartridgesStandInARowFromTheRightEdge) {
    // A 10 x 20 cartridge, opaque.
    Surface& cartridge = SessionProbe::ammoImage(session);
    ASSERT_TRUE(cartridge.create(10, 20, &device));
    ASSERT_TRUE(cartridge.lock());
    std::vector<uint8_t> row(30, 90);
    for (int32_t y = 0; y < 20; ++y) cartridge.putRow(row.data(), y, true);
    ASSERT_TRUE(cartridge.unlock());

    session.startRound();
    ASSERT_EQ(session.ammo(), 10);
    hud();
    for (int32_t i = 0; i < 10; ++i) {
        const int32_t x = 640 - 25 * i - 45;
        EXPECT_NE(backBuffer->pixelAt(x, 420), 0u) << i;
        EXPECT_NE(backBuffer->pixelAt(x + 9, 439), 0u) << i;
        EXPECT_EQ(backBuffer->pixelAt(x + 10, 420), 0u) << i;
    }
    EXPECT_EQ(backBuffer->pixelAt(640 - 270 - 1, 420), 0u); // the leftmost is at 370

    backBuffer->fill(nullptr, 0);
    while (session.hasAmmo()) session.useRound();
    hud();
    for (int32_t x = 300; x < 640; ++x) ASSERT_EQ(backBuffer->pixelAt(x, 430), 0u);
}

TEST_F(SessionRoundTest, ANegativeMagazineHoldsNoCartridgeAndNeverFiresForever) {
    for (int32_t size : {-1, -7, -2147483647 - 1}) {
        ASSERT_TRUE(loadSetup({.magazine = size}));
        // The round puts the size into the magazine as it stands: it gives no shot.
        session.startRound();
        EXPECT_EQ(session.ammo(), size) << size;
        EXPECT_FALSE(session.hasAmmo()) << size;
        session.useRound();
        EXPECT_EQ(session.ammo(), size) << size;
        EXPECT_TRUE(session.reload()) << "an empty magazine takes the reload, " << size;
        EXPECT_EQ(session.ammo(), 0) << size;
        EXPECT_FALSE(session.hasAmmo()) << size;
        EXPECT_TRUE(session.reload());
        EXPECT_EQ(session.ammo(), 0) << size;
    }
    // A magazine with cartridges left keeps them; an empty one fills to the size.
    ASSERT_TRUE(loadSetup({.magazine = 3}));
    EXPECT_TRUE(session.reload());
    EXPECT_EQ(session.ammo(), 3);
    session.useRound();
    EXPECT_FALSE(session.reload());
    EXPECT_EQ(session.ammo(), 2);
}

} // namespace
} // namespace vandrel
