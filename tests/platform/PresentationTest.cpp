// The frame's place on screens of every shape, and pointer positions brought
// back into the frame from the bars, the corners and beyond the window.
#include "base/Presentation.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

PresentationShape screen(int32_t w, int32_t h, bool integerScale = false) {
    return PresentationShape{w, h, w, h, 640, 480, integerScale};
}

TEST(PresentationTest, TheFrameFillsTheLargestCentredRectangleWithItsAspect) {
    EXPECT_EQ(frameRectOnOutput(screen(640, 480)), (Rect{0, 0, 640, 480}));
    EXPECT_EQ(frameRectOnOutput(screen(1280, 960)), (Rect{0, 0, 1280, 960}));
    EXPECT_EQ(frameRectOnOutput(screen(1920, 1080)), (Rect{240, 0, 1680, 1080})) << "bars left and right";
    EXPECT_EQ(frameRectOnOutput(screen(2560, 1080)), (Rect{560, 0, 2000, 1080}));
    EXPECT_EQ(frameRectOnOutput(screen(1280, 1024)), (Rect{0, 32, 1280, 992})) << "bars top and bottom";
    EXPECT_EQ(frameRectOnOutput(screen(2560, 1440)), (Rect{320, 0, 2240, 1440}));
    EXPECT_EQ(frameRectOnOutput(screen(1366, 768)), (Rect{171, 0, 1195, 768}));
}

TEST(PresentationTest, IntegerScalingTakesTheLargestWholeMultipleThatFits) {
    EXPECT_EQ(frameRectOnOutput(screen(1920, 1080, true)), (Rect{320, 60, 1600, 1020}));
    EXPECT_EQ(frameRectOnOutput(screen(2560, 1440, true)), (Rect{320, 0, 2240, 1440})) << "3x fits exactly";
    EXPECT_EQ(frameRectOnOutput(screen(1280, 1024, true)), (Rect{0, 32, 1280, 992}));
    // Smaller than the frame: shrunk to fit rather than cut off.
    EXPECT_EQ(frameRectOnOutput(screen(320, 240, true)), (Rect{0, 0, 320, 240}));
}

TEST(PresentationTest, NothingToDrawIntoGivesAnEmptyRectangle) {
    EXPECT_EQ(frameRectOnOutput(screen(0, 1080)), Rect{});
    EXPECT_EQ(frameRectOnOutput(PresentationShape{640, 480, 640, 480, 0, 480, false}), Rect{});
}

TEST(PresentationTest, AnUnscaledWindowPassesPositionsThrough) {
    const PresentationShape s = screen(640, 480);
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 639, 479), (FramePoint{639, 479}));
    EXPECT_EQ(pointerToFrame(s, 321, 17), (FramePoint{321, 17}));
}

TEST(PresentationTest, AWindowAtScaleTwoHalvesPositions) {
    const PresentationShape s = screen(1280, 960);
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 1, 1), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 2, 3), (FramePoint{1, 1}));
    EXPECT_EQ(pointerToFrame(s, 1279, 959), (FramePoint{639, 479}));
}

TEST(PresentationTest, AHighDensityWindowCountsPointsNotPixels) {
    // 640 x 480 points drawn with 1280 x 960 pixels.
    const PresentationShape s{640, 480, 1280, 960, 640, 480, false};
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 320, 240), (FramePoint{320, 240}));
    EXPECT_EQ(pointerToFrame(s, 639, 479), (FramePoint{639, 479}));
}

TEST(PresentationTest, SixteenByNinePositionsInTheBarsStayAtTheFramesEdges) {
    const PresentationShape s = screen(1920, 1080);
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0})) << "top-left corner of the left bar";
    EXPECT_EQ(pointerToFrame(s, 120, 540), (FramePoint{0, 240})) << "middle of the left bar";
    EXPECT_EQ(pointerToFrame(s, 239, 1079), (FramePoint{0, 479}));
    EXPECT_EQ(pointerToFrame(s, 240, 0), (FramePoint{0, 0})) << "first pixel of the picture";
    EXPECT_EQ(pointerToFrame(s, 1679, 1079), (FramePoint{639, 479})) << "last pixel of the picture";
    EXPECT_EQ(pointerToFrame(s, 1680, 0), (FramePoint{639, 0})) << "right bar";
    EXPECT_EQ(pointerToFrame(s, 1919, 1079), (FramePoint{639, 479})) << "bottom-right corner";
    EXPECT_EQ(pointerToFrame(s, 960, 540), (FramePoint{320, 240})) << "the middle";
}

TEST(PresentationTest, UltraWidePositionsInTheBarsStayAtTheFramesEdges) {
    const PresentationShape s = screen(2560, 1080);
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 559, 540), (FramePoint{0, 240}));
    EXPECT_EQ(pointerToFrame(s, 560, 540), (FramePoint{0, 240}));
    EXPECT_EQ(pointerToFrame(s, 1999, 540), (FramePoint{639, 240}));
    EXPECT_EQ(pointerToFrame(s, 2000, 540), (FramePoint{639, 240}));
    EXPECT_EQ(pointerToFrame(s, 2559, 1079), (FramePoint{639, 479}));
}

TEST(PresentationTest, FiveByFourPositionsInTheBarsAboveAndBelowStayInside) {
    const PresentationShape s = screen(1280, 1024);
    EXPECT_EQ(pointerToFrame(s, 0, 0), (FramePoint{0, 0})) << "top bar, left corner";
    EXPECT_EQ(pointerToFrame(s, 1279, 0), (FramePoint{639, 0})) << "top bar, right corner";
    EXPECT_EQ(pointerToFrame(s, 640, 31), (FramePoint{320, 0}));
    EXPECT_EQ(pointerToFrame(s, 640, 32), (FramePoint{320, 0}));
    EXPECT_EQ(pointerToFrame(s, 640, 991), (FramePoint{320, 479}));
    EXPECT_EQ(pointerToFrame(s, 640, 992), (FramePoint{320, 479})) << "bottom bar";
    EXPECT_EQ(pointerToFrame(s, 0, 1023), (FramePoint{0, 479}));
    EXPECT_EQ(pointerToFrame(s, 1279, 1023), (FramePoint{639, 479}));
}

TEST(PresentationTest, PositionsBeyondTheWindowWhileAButtonIsHeldStayInside) {
    for (const PresentationShape& s : {screen(640, 480), screen(1280, 960), screen(1920, 1080)}) {
        EXPECT_EQ(pointerToFrame(s, -500, -3), (FramePoint{0, 0}));
        EXPECT_EQ(pointerToFrame(s, 30000, 30000), (FramePoint{639, 479}));
        EXPECT_EQ(pointerToFrame(s, -1, 200).x, 0);
    }
}

TEST(PresentationTest, IntegerScaledBarsMapToTheEdgesToo) {
    const PresentationShape s = screen(1920, 1080, true);
    EXPECT_EQ(pointerToFrame(s, 100, 10), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 320, 60), (FramePoint{0, 0}));
    EXPECT_EQ(pointerToFrame(s, 1599, 1019), (FramePoint{639, 479}));
    EXPECT_EQ(pointerToFrame(s, 1900, 1070), (FramePoint{639, 479}));
}

TEST(PresentationTest, AWindowWithNoSizeYetGivesTheOrigin) {
    EXPECT_EQ(pointerToFrame(PresentationShape{0, 0, 0, 0, 640, 480, false}, 10, 10), (FramePoint{0, 0}));
}

} // namespace
} // namespace vandrel
