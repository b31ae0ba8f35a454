// The session's loaders, title and closing screens, cross-hair and snapshot,
// on archives made in the test; the round's clock, magazine and score, and the
// head-up display that shows them.
#include "game/Session.h"
#include "platform/Clock.h"
#include "platform/VideoDevice.h"
#include "platform/null/MemoryStore.h"
#include "support/TestArchive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::putU32;
using test::TestArchive;

Bytes setupRecord(int32_t w, int32_t h, int32_t minutes, int32_t seconds, int32_t magazine, uint8_t title,
                  uint8_t highscore, uint8_t end, uint8_t full, const std::string& name) {
    Bytes p;
    for (int32_t v : {w, h, minutes, seconds, magazine}) putU32(p, static_cast<uint32_t>(v));
    for (uint8_t v : {title, highscore, end, full}) p.push_back(v);
    Bytes n(31, 0);
    std::memcpy(n.data(), name.data(), std::min<size_t>(name.size(), 31));
    p.insert(p.end(), n.begin(), n.end());
    return block("SS", p);
}

Bytes solidPicture(int32_t w, int32_t h) {
    return test::pictureBlocks(w, h, [](int32_t, int32_t) { return false; });
}

class SessionTest : public ::testing::Test {
protected:
    MemoryStore store;
    ManualClock clock{5000};
    VideoDevice device;
};

TEST_F(SessionTest, StartsWithTheBuiltInSetUp) {
    Session s(store);
    EXPECT_EQ(s.setup.screenWidth, 640);
    EXPECT_EQ(s.setup.screenHeight, 480);
    EXPECT_EQ(s.setup.magazineSize, 10);
    EXPECT_EQ(s.round.ammo, 10);
    EXPECT_EQ(s.round.secondsLeft, 150) << "2:30 by default";
    EXPECT_EQ(s.setup.startFullScreen, 0);
    EXPECT_STREQ(s.setup.tableName, "");
}

TEST_F(SessionTest, SetUpRecordIsReadFieldByFieldAfterSkippedBlocks) {
    TestArchive a({{"stuff.x", concat({block("XX", Bytes(9, 1)), setupRecord(800, 600, 1, 45, 7, 1, 0, 1, 1, "Canyon"),
                                       block("ST")})}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    EXPECT_EQ(s.setup.screenWidth, 800);
    EXPECT_EQ(s.setup.screenHeight, 600);
    EXPECT_EQ(s.setup.roundMinutes, 1);
    EXPECT_EQ(s.setup.roundSeconds, 45);
    EXPECT_EQ(s.setup.magazineSize, 7);
    EXPECT_EQ(s.setup.hasTitle, 1);
    EXPECT_EQ(s.setup.hasHighscoreImage, 0);
    EXPECT_EQ(s.setup.hasEndImage, 1);
    EXPECT_EQ(s.setup.startFullScreen, 1);
    EXPECT_STREQ(s.setup.tableName, "Canyon");
    uint16_t tag = 0;
    ASSERT_TRUE(a.reader()->readHeader(tag)) << "the loader stops right after the record";
    EXPECT_EQ(tag, makeTag('S', 'T'));
}

TEST_F(SessionTest, ATableNameWithoutItsZeroIsCutToThirtyCharacters) {
    TestArchive a({{"stuff.x", setupRecord(640, 480, 2, 0, 10, 0, 0, 0, 0, std::string(31, 'N'))}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    EXPECT_EQ(std::strlen(s.setup.tableName), 30u);
}

TEST_F(SessionTest, AShortRecordOrNoneAtAllFails) {
    Bytes shortRecord;
    putU32(shortRecord, 640);
    putU32(shortRecord, 480);
    {
        TestArchive a({{"stuff.x", test::blockWithLength("SS", 55, shortRecord)}});
        Session s(store);
        EXPECT_FALSE(s.loadSetup(&a.entry("stuff.x")));
    }
    {
        TestArchive a({{"stuff.x", block("S9", Bytes(4, 0))}});
        Session s(store);
        EXPECT_FALSE(s.loadSetup(&a.entry("stuff.x")));
        EXPECT_FALSE(s.loadSetup(nullptr));
    }
}

TEST_F(SessionTest, TitleLoadsItsPictureAndAnExactGreyCopy) {
    TestArchive a({{"stuff.x", concat({block("SH"), block("ST"), solidPicture(48, 16), block("SE")})}});
    Session s(store);
    s.setup.hasTitle = 1;
    BlockReader& r = a.entry("stuff.x");
    EXPECT_FALSE(s.loadTitle(&r, nullptr)) << "no device, no loading";
    ASSERT_TRUE(s.loadTitle(&r, &device));
    ASSERT_EQ(s.titleImage.width(), 48);
    ASSERT_EQ(s.titleGrey.height(), 16);
    uint8_t colour[48 * 3], grey[48 * 3];
    ASSERT_TRUE(s.titleImage.lock());
    ASSERT_TRUE(s.titleGrey.lock());
    for (int32_t y = 0; y < 16; ++y) {
        s.titleImage.getRow(colour, y, false);
        s.titleGrey.getRow(grey, y, false);
        for (int x = 0; x < 48; ++x) {
            const uint8_t* c = colour + x * 3;
            const auto v = static_cast<uint8_t>(0.11 * c[0] + 0.59 * c[1] + 0.3 * c[2]);
            ASSERT_EQ(grey[x * 3], v);
            ASSERT_EQ(grey[x * 3 + 1], v);
            ASSERT_EQ(grey[x * 3 + 2], v);
        }
    }
    s.titleGrey.unlock();
    s.titleImage.unlock();
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'E')) << "the reader steps past the picture";
}

TEST_F(SessionTest, WithoutATitleNothingIsRead) {
    TestArchive a({{"stuff.x", concat({block("ST"), solidPicture(8, 8)})}});
    Session s(store);
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadTitle(&r, &device));
    EXPECT_TRUE(s.titleImage.isEmpty());
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'T'));
}

TEST_F(SessionTest, ScreensStopOnceTheAnnouncedPicturesAreIn) {
    TestArchive a({{"stuff.x", concat({block("SH"), solidPicture(40, 20), block("SE"), solidPicture(24, 12)})}});
    Session s(store);
    s.setup.hasHighscoreImage = 1;
    s.setup.hasEndImage = 0;
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadScreens(&r, &device));
    EXPECT_EQ(s.highScores.width(), 40);
    EXPECT_TRUE(s.endImage.isEmpty());
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'E'));

    TestArchive b({{"stuff.x", concat({block("SE"), solidPicture(24, 12), block("SH"), solidPicture(40, 20)})}});
    Session both(store);
    both.setup.hasHighscoreImage = 1;
    both.setup.hasEndImage = 1;
    ASSERT_TRUE(both.loadScreens(&b.entry("stuff.x"), &device));
    EXPECT_EQ(both.endImage.width(), 24);
    EXPECT_EQ(both.highScores.width(), 40);
}

TEST_F(SessionTest, ScreensMissingFromTheEntryFail) {
    TestArchive a({{"stuff.x", concat({block("SH"), solidPicture(40, 20)})}});
    Session s(store);
    s.setup.hasHighscoreImage = 1;
    s.setup.hasEndImage = 1;
    EXPECT_FALSE(s.loadScreens(&a.entry("stuff.x"), &device));
}

TEST_F(SessionTest, TheCreditsLineStartsOverAfterSeventySeconds) {
    Session s(store);
    VideoSurface target(640, 480, PixelFormat::xrgb32());
    const Rect clip{0, 0, 640, 480};
    s.drawCredits(&target, clip);
    ASSERT_TRUE(s.creditsStarted);
    const uint32_t start = s.creditsStart;
    EXPECT_EQ(start, 5000u);
    clock.advance(70000); // a = 7000: still the same pass
    s.drawCredits(&target, clip);
    EXPECT_EQ(s.creditsStart, start);
    clock.advance(10); // a = 7001
    s.drawCredits(&target, clip);
    EXPECT_EQ(s.creditsStart, clock.now());
}

TEST_F(SessionTest, SnapshotIsEmptyBeforeACrossHairFrameAndThenCopiesTheClip) {
    Session s(store);
    s.snapshot();
    EXPECT_EQ(s.highScores.snapshot, nullptr);

    VideoSurface back(640, 480, PixelFormat::xrgb32());
    Rect red{100, 100, 110, 110};
    ASSERT_TRUE(back.fill(&red, 0xFF0000));
    s.drawCursor(&back, Rect{0, 0, 640, 480}, 320, 240, &device);
    s.snapshot();
    ASSERT_NE(s.highScores.snapshot, nullptr);
    EXPECT_EQ(s.highScores.snapshot->width(), 640);
    EXPECT_EQ(s.highScores.snapshot->pixelAt(105, 105), 0xFF0000u);

    // A display that closes takes its surfaces along: clear forgets them.
    s.clear();
    EXPECT_EQ(s.lastTarget, nullptr);
    s.snapshot();
    EXPECT_EQ(s.highScores.snapshot, nullptr);
}

TEST_F(SessionTest, ClearPutsTheSetUpBackButKeepsTheTableNameAndTheRound) {
    TestArchive a({{"stuff.x", setupRecord(800, 600, 1, 0, 5, 1, 1, 1, 1, "Keep")}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    s.round.score = 42;
    s.loadProgress = 100;
    s.clear();
    EXPECT_EQ(s.setup.screenWidth, 640);
    EXPECT_EQ(s.setup.magazineSize, 10);
    EXPECT_EQ(s.setup.roundSeconds, 30);
    EXPECT_EQ(s.setup.hasTitle, 0);
    EXPECT_STREQ(s.setup.tableName, "Keep");
    EXPECT_EQ(s.setup.startFullScreen, 1);
    EXPECT_EQ(s.round.score, 42);
    EXPECT_EQ(s.loadProgress, 100);
}

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

} // namespace
} // namespace vandrel
