// Frame sets: timing, hotspots, per-pixel hits, mirroring and drawing.
#include "FigureFixtures.h"

#include "game/FrameSet.h"
#include "base/Clock.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::makeFrame;

class FrameSetTest : public ::testing::Test {
protected:
    VideoDevice device{PixelFormat::xrgb32()};
    FrameSet set;
};

TEST_F(FrameSetTest, FrameAtFollowsTheDurationsAndLoops) {
    for (int i = 0; i < 4; ++i) set.addFrame(makeFrame(device, 8, 8, 80));
    ASSERT_EQ(set.totalDuration, 320);
    ASSERT_EQ(set.frameCount, 4);
    // A frame is shown up to and including the millisecond its duration ends.
    EXPECT_EQ(set.frameAt(0), 0);
    EXPECT_EQ(set.frameAt(80), 0);
    EXPECT_EQ(set.frameAt(81), 1);
    EXPECT_EQ(set.frameAt(160), 1);
    EXPECT_EQ(set.frameAt(161), 2);
    EXPECT_EQ(set.frameAt(240), 2);
    EXPECT_EQ(set.frameAt(241), 3);
    EXPECT_EQ(set.frameAt(319), 3);
    EXPECT_EQ(set.frameAt(320), 0);
    EXPECT_EQ(set.frameAt(3200 + 100), 1);

    FrameSet timeless; // nothing divides by a total of 0
    EXPECT_EQ(timeless.frameAt(77), 0);
    timeless.addFrame(makeFrame(device, 8, 8, 0));
    EXPECT_EQ(timeless.frameAt(77), 0);
}

TEST_F(FrameSetTest, NegativeElapsedTimeMatchesNoFrame) {
    // A figure made after the frame read its time: nothing is shown, nothing divides by zero.
    for (int i = 0; i < 2; ++i) set.addFrame(makeFrame(device, 8, 8, 50));
    EXPECT_EQ(set.frameAt(-5), 2);
    EXPECT_FALSE(set.hitTest(0, 0, set.frameAt(-5), 0, 0, false));
}

TEST_F(FrameSetTest, WordsWithoutHotspotGetThePictureCentre) {
    EXPECT_EQ(FrameSet::withDefaultHotspot(0xFFF, 45, 46), (22u << 22) | (23u << 12) | 0xFFFu);
    EXPECT_EQ(FrameSet::withDefaultHotspot(80, 17, 16), (8u << 22) | (8u << 12) | 80u);
    // Any hotspot bit set: the word is kept exactly, even a hotspot of (0, 1).
    EXPECT_EQ(FrameSet::withDefaultHotspot(0x1000 | 80, 17, 16), 0x1000u | 80u);
    EXPECT_EQ(FrameSet::withDefaultHotspot((3u << 22) | 80, 17, 16), (3u << 22) | 80u);

    set.addFrame(makeFrame(device, 45, 46, 80));
    EXPECT_EQ(set.frames[0]->hotspotX(), 22u);
    EXPECT_EQ(set.frames[0]->hotspotY(), 23u);
    EXPECT_EQ(set.frames[0]->duration(), 80u);
}

TEST_F(FrameSetTest, HitTestCountsOnlyOpaquePixelsOfTheFrameDrawn) {
    // 21 x 11, with a transparent left quarter.
    set.addFrame(makeFrame(device, 21, 11, 80, [](int32_t x, int32_t) { return x >= 5; }));
    // Centred on (100, 50): the picture spans x 90..110, y 45..55.
    EXPECT_TRUE(set.hitTest(100, 50, 0, 100, 50, false));
    EXPECT_TRUE(set.hitTest(100, 50, 0, 110, 55, false));
    EXPECT_FALSE(set.hitTest(100, 50, 0, 111, 50, false)); // just outside
    EXPECT_FALSE(set.hitTest(100, 50, 0, 100, 56, false));
    EXPECT_FALSE(set.hitTest(100, 50, 0, 92, 50, false)); // inside the rectangle, transparent
    EXPECT_TRUE(set.hitTest(100, 50, 0, 95, 50, false));
    EXPECT_FALSE(set.hitTest(100, 50, 1, 100, 50, false)); // no such frame
    EXPECT_FALSE(set.hitTest(100, 50, 0, 100, 50, true));  // not mirrored yet
}

TEST_F(FrameSetTest, HotspotAtPlacesTheHotspotOfTheCentredFrame) {
    set.addFrame(makeFrame(device, 20, 10, (3u << 22) | (7u << 12) | 80));
    int32_t hx = -1, hy = -1;
    ASSERT_TRUE(set.hotspotAt(100, 50, 0, false, hx, hy));
    EXPECT_EQ(hx, 100 - 10 + 3);
    EXPECT_EQ(hy, 50 - 5 + 7);
    hx = hy = -1;
    EXPECT_FALSE(set.hotspotAt(100, 50, 3, false, hx, hy));
    EXPECT_EQ(hx, -1); // untouched
}

TEST_F(FrameSetTest, MirroredFramesAreReversedWithTheirHotspotMirrored) {
    // Opaque only in the leftmost 4 columns; hotspot x 3.
    set.addFrame(makeFrame(device, 17, 9, (3u << 22) | (4u << 12) | 50, [](int32_t x, int32_t) { return x < 4; }));
    set.addFrame(makeFrame(device, 17, 9, 50));
    set.buildMirrored(&device);
    ASSERT_TRUE(set.mirroredBuilt);
    ASSERT_EQ(set.mirroredFrames.size(), 2u);
    const Frame& m = *set.mirroredFrames[0];
    EXPECT_EQ(m.hotspotX(), 17u - 3u);
    EXPECT_EQ(m.hotspotY(), 4u);
    EXPECT_EQ(m.duration(), 50u);
    // Transparent pixels stay transparent, now on the other side.
    EXPECT_TRUE(set.hitTest(100, 50, 0, 100 - 8, 50, false));
    EXPECT_FALSE(set.hitTest(100, 50, 0, 100 - 8, 50, true));
    EXPECT_TRUE(set.hitTest(100, 50, 0, 100 + 8, 50, true));
    int32_t hx = 0, hy = 0;
    ASSERT_TRUE(set.hotspotAt(100, 50, 0, true, hx, hy));
    EXPECT_EQ(hx, 100 - 8 + 14);
}

TEST_F(FrameSetTest, DrawCentresTheFrameAndHonoursTransparency) {
    auto target = device.createSurface(64, 48);
    const Rect clip{0, 0, 64, 48};
    set.addFrame(makeFrame(device, 9, 5, 80, [](int32_t x, int32_t) { return x != 4; }));
    set.buildMirrored(&device);
    ASSERT_TRUE(set.draw(target.get(), &clip, 20, 10, 0, false));
    // Top-left at (20 - 4, 10 - 2).
    EXPECT_EQ(target->pixelAt(15, 10), 0u);
    EXPECT_NE(target->pixelAt(16, 10), 0u);
    EXPECT_NE(target->pixelAt(24, 12), 0u);
    EXPECT_EQ(target->pixelAt(20, 10), 0u); // the transparent column
    EXPECT_EQ(target->pixelAt(25, 10), 0u);
    EXPECT_EQ(target->pixelAt(16, 7), 0u);
    EXPECT_NE(target->pixelAt(16, 8), 0u);
    EXPECT_EQ(target->pixelAt(16, 13), 0u);

    // Mirrored, the same place is covered with the shading reversed.
    auto other = device.createSurface(64, 48);
    ASSERT_TRUE(set.draw(other.get(), &clip, 20, 10, 0, true));
    EXPECT_EQ(other->pixelAt(16, 10), target->pixelAt(24, 10));
    EXPECT_EQ(other->pixelAt(24, 10), target->pixelAt(16, 10));
    EXPECT_EQ(other->pixelAt(15, 10), 0u);
    EXPECT_EQ(other->pixelAt(25, 10), 0u);
}

} // namespace
} // namespace vandrel
