// The session's loaders of the title and closing screens, the credits line, the
// cross-hair and the snapshot, on archives made in the test.
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
using test::TestArchive;

Bytes solidPicture(int32_t w, int32_t h) {
    return test::pictureBlocks(w, h, [](int32_t, int32_t) { return false; });
}

class SessionTest : public ::testing::Test {
protected:
    MemoryStore store;
    ManualClock clock{5000};
    VideoDevice device;
};

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
    EXPECT_EQ(s.highScores.picture().width(), 40);
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
    EXPECT_EQ(both.highScores.picture().width(), 40);
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
    EXPECT_EQ(s.highScores.screen().snapshot(), nullptr);

    VideoSurface back(640, 480, PixelFormat::xrgb32());
    Rect red{100, 100, 110, 110};
    ASSERT_TRUE(back.fill(&red, 0xFF0000));
    s.drawCursor(&back, Rect{0, 0, 640, 480}, 320, 240, &device);
    s.snapshot();
    ASSERT_NE(s.highScores.screen().snapshot(), nullptr);
    EXPECT_EQ(s.highScores.screen().snapshot()->width(), 640);
    EXPECT_EQ(s.highScores.screen().snapshot()->pixelAt(105, 105), 0xFF0000u);

    // A display that closes takes its surfaces along: clear forgets them.
    s.clear();
    EXPECT_EQ(s.lastTarget, nullptr);
    s.snapshot();
    EXPECT_EQ(s.highScores.screen().snapshot(), nullptr);
}

} // namespace
} // namespace vandrel
