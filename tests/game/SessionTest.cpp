// The session's loaders of the title and closing screens, the credits line, the
// cross-hair and the snapshot, on archives made in the test.
#include "game/Session.h"
#include "backends/null/MemoryStore.h"
#include "base/Clock.h"
#include "gfx/SurfacePictures.h"
#include "support/SessionProbe.h"
#include "support/TestArchive.h"
#include "support/TestImages.h"
#include "video/VideoDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
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
    TestArchive a({{"stuff.x", concat({test::setupBlock({.title = 1}), block("SH"), block("ST"), solidPicture(48, 16),
                                       block("SE")})}});
    Session s(store);
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadSetup(&r));
    EXPECT_FALSE(s.loadTitle(&r, nullptr)) << "no device, no loading";
    ASSERT_TRUE(s.loadTitle(&r, &device));
    const Surface& title = SessionProbe::titleImage(std::as_const(s));
    const Surface& titleGrey = SessionProbe::titleGrey(std::as_const(s));
    ASSERT_EQ(title.width(), 48);
    ASSERT_EQ(titleGrey.height(), 16);
    uint8_t colour[48 * 3], grey[48 * 3];
    for (int32_t y = 0; y < 16; ++y) {
        ASSERT_TRUE(title.readRow(colour, y, false));
        ASSERT_TRUE(titleGrey.readRow(grey, y, false));
        for (int x = 0; x < 48; ++x) {
            const uint8_t* c = colour + x * 3;
            const auto v = static_cast<uint8_t>(0.11 * c[0] + 0.59 * c[1] + 0.3 * c[2]);
            ASSERT_EQ(grey[x * 3], v);
            ASSERT_EQ(grey[x * 3 + 1], v);
            ASSERT_EQ(grey[x * 3 + 2], v);
        }
    }
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'E')) << "the reader steps past the picture";
}

TEST_F(SessionTest, WithoutATitleNothingIsRead) {
    TestArchive a({{"stuff.x", concat({block("ST"), solidPicture(8, 8)})}});
    Session s(store);
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadTitle(&r, &device));
    EXPECT_TRUE(SessionProbe::titleImage(s).isEmpty());
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'T'));
}

TEST_F(SessionTest, ScreensStopOnceTheAnnouncedPicturesAreIn) {
    TestArchive a({{"stuff.x", concat({test::setupBlock({.highscore = 1, .end = 0}), block("SH"), solidPicture(40, 20),
                                       block("SE"), solidPicture(24, 12)})}});
    Session s(store);
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadSetup(&r));
    ASSERT_TRUE(s.loadScreens(&r, &device));
    EXPECT_EQ(SessionProbe::highScores(s).picture().width(), 40);
    EXPECT_TRUE(SessionProbe::endImage(s).isEmpty());
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'E'));

    TestArchive b({{"stuff.x", concat({test::setupBlock({.highscore = 1, .end = 1}), block("SE"), solidPicture(24, 12),
                                       block("SH"), solidPicture(40, 20)})}});
    Session both(store);
    BlockReader& rb = b.entry("stuff.x");
    ASSERT_TRUE(both.loadSetup(&rb));
    ASSERT_TRUE(both.loadScreens(&rb, &device));
    EXPECT_EQ(SessionProbe::endImage(both).width(), 24);
    EXPECT_EQ(SessionProbe::highScores(both).picture().width(), 40);
}

TEST_F(SessionTest, ScreensMissingFromTheEntryFail) {
    TestArchive a(
        {{"stuff.x", concat({test::setupBlock({.highscore = 1, .end = 1}), block("SH"), solidPicture(40, 20)})}});
    Session s(store);
    BlockReader& r = a.entry("stuff.x");
    ASSERT_TRUE(s.loadSetup(&r));
    EXPECT_FALSE(s.loadScreens(&r, &device));
}

TEST_F(SessionTest, TheCreditsLineStartsOverAfterSeventySeconds) {
    Session s(store);
    VideoSurface target(640, 480, PixelFormat::xrgb32());
    const Rect clip{0, 0, 640, 480};
    EXPECT_FALSE(SessionProbe::creditsStart(s).has_value());
    s.drawCredits(&target, clip);
    ASSERT_TRUE(SessionProbe::creditsStart(s).has_value());
    const uint32_t start = *SessionProbe::creditsStart(s);
    EXPECT_EQ(start, 5000u);
    clock.advance(70000); // a = 7000: still the same pass
    s.drawCredits(&target, clip);
    EXPECT_EQ(SessionProbe::creditsStart(s), start);
    clock.advance(10); // a = 7001
    s.drawCredits(&target, clip);
    EXPECT_EQ(SessionProbe::creditsStart(s), clock.now());
}

TEST_F(SessionTest, SnapshotIsEmptyBeforeACrossHairFrameAndThenCopiesTheClip) {
    Session s(store);
    s.snapshot();
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot(), nullptr);

    VideoSurface back(640, 480, PixelFormat::xrgb32());
    Rect red{100, 100, 110, 110};
    ASSERT_TRUE(back.fill(&red, 0xFF0000));
    s.drawCursor(&back, Rect{0, 0, 640, 480}, 320, 240, &device);
    s.snapshot();
    ASSERT_NE(SessionProbe::highScores(s).screen().snapshot(), nullptr);
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot()->width(), 640);
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot()->pixelAt(105, 105), 0xFF0000u);

    // A display that closes takes its surfaces along: clear forgets them.
    s.clear();
    s.snapshot();
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot(), nullptr);
}

TEST_F(SessionTest, TheCrossHairsStyleChangesItsLookButItsMiddleStaysOnThePointer) {
    // A red plus of 5 x 5 with a green middle pixel, the rest transparent.
    const test::Picture plus = test::makePicture(5, 5, [](int32_t x, int32_t y) {
        return x == 2 && y == 2 ? test::Rgb{0, 255, 0} : test::Rgb{255, 0, 0};
    });
    std::vector<uint8_t> mask(25);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) mask[static_cast<size_t>(y) * 5 + x] = x != 2 && y != 2;
    Surface picture;
    test::fillSurface(picture, device, plus, &mask);
    Session s(store);
    s.takeCursor(std::move(picture));

    constexpr uint32_t white = 0xFFFFFF, red = 0xFF0000, green = 0x00FF00, dark = 0x101010;
    VideoSurface back(640, 480, PixelFormat::xrgb32());
    const auto drawAt100 = [&](const CursorStyle& style) {
        s.setCursorStyle(style);
        ASSERT_TRUE(back.fill(nullptr, white));
        s.drawCursor(&back, Rect{0, 0, 640, 480}, 100, 100, &device);
    };
    // Along the horizontal arm through the pointer, from x = 94 to 107.
    const auto arm = [&] {
        std::vector<uint32_t> row;
        for (int32_t x = 94; x < 108; ++x) row.push_back(back.pixelAt(x, 100));
        return row;
    };
    using Row = std::vector<uint32_t>;
    const uint32_t w = white, r = red, g = green, d = dark;

    drawAt100({});
    EXPECT_EQ(arm(), (Row{w, w, w, w, r, r, g, r, r, w, w, w, w, w}));
    EXPECT_EQ(back.pixelAt(99, 99), white);

    drawAt100({.percent = 200});
    EXPECT_EQ(arm(), (Row{w, w, r, r, r, r, g, g, r, r, r, r, w, w}));
    EXPECT_EQ(back.pixelAt(100, 101), green);
    EXPECT_EQ(back.pixelAt(100, 96), red) << "the vertical arm is twice as long too";
    EXPECT_EQ(back.pixelAt(100, 95), white);
    EXPECT_EQ(back.pixelAt(98, 98), white) << "what was transparent stays so";

    drawAt100({.percent = 150});
    EXPECT_EQ(back.pixelAt(100, 100), green);
    EXPECT_EQ(back.pixelAt(97, 100), red);
    EXPECT_EQ(back.pixelAt(96, 100), white);

    // The outline closes around every opaque pixel, diagonals included,
    // and leaves the rest of the picture's box transparent.
    drawAt100({.outline = true});
    EXPECT_EQ(arm(), (Row{w, w, w, d, r, r, g, r, r, d, w, w, w, w}));
    EXPECT_EQ(back.pixelAt(99, 99), dark);
    EXPECT_EQ(back.pixelAt(99, 97), dark);
    EXPECT_EQ(back.pixelAt(97, 97), white);

    drawAt100({.percent = 200, .outline = true, .colour = 2});
    const uint32_t y = 0xFFE600;
    EXPECT_EQ(arm(), (Row{w, d, y, y, y, y, y, y, y, y, y, y, d, w}));

    // Back to the plain style, the picture itself.
    drawAt100({});
    EXPECT_EQ(arm(), (Row{w, w, w, w, r, r, g, r, r, w, w, w, w, w}));
}

TEST_F(SessionTest, TheHighScoreScreenCopiesTheLastFrameOnlyFromTheBackBufferItIsGiven) {
    Session s(store);
    VideoSurface back(640, 480, PixelFormat::xrgb32());
    VideoSurface resized(800, 600, PixelFormat::xrgb32());
    const Rect clip{0, 0, 640, 480};
    s.drawCursor(&back, clip, 320, 240, &device);
    s.openHighScores(&back);
    ASSERT_NE(SessionProbe::highScores(s).screen().snapshot(), nullptr);
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot()->width(), 640);

    // A window resized since the last cross-hair frame draws into another
    // buffer: the screen opens without a copy, and the old buffer is forgotten.
    s.openHighScores(&resized);
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot(), nullptr);
    s.openHighScores(&back);
    EXPECT_EQ(SessionProbe::highScores(s).screen().snapshot(), nullptr);
}

TEST_F(SessionTest, AnEndedRoundHandsItsScoreToTheTableOnceAndStartsTheNextAtZero) {
    TestArchive a({{"stuff.x", test::setupBlock({.minutes = 0, .seconds = 1})}});
    Session s(store);
    ASSERT_TRUE(s.loadSetup(&a.entry("stuff.x")));
    VideoSurface back(640, 480, PixelFormat::xrgb32());
    const Rect clip{0, 0, 640, 480};
    s.startRound();
    s.addScore(120);
    for (int32_t frame = 0; frame < 100 && !s.roundOver(); ++frame) {
        clock.advance(1001);
        s.drawHud(&back, clip);
    }
    ASSERT_TRUE(s.roundOver());

    s.openHighScores(&back);
    EXPECT_EQ(s.pendingScore(), 0) << "opening alone hands nothing over";
    s.handOverScore();
    EXPECT_EQ(s.pendingScore(), 120);
    EXPECT_EQ(s.score(), 0);
    EXPECT_FALSE(s.roundOver());
    EXPECT_FALSE(s.takeHighScoresDone());

    // Leaving with Escape opens the screen again without a score to name.
    s.openHighScores(&back);
    EXPECT_EQ(s.pendingScore(), 0);
    s.startRound();
    EXPECT_EQ(s.score(), 0);
    EXPECT_EQ(s.ammo(), 10);
}

} // namespace
} // namespace vandrel
