// The display on the headless window: the windowed back buffer follows the
// client area, frames reach the screen 1:1, full screen flips a 16-bit chain.
#include "gfx/Display.h"
#include "backends/null/NullWindow.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

void fillBack(Display& d, uint32_t value) {
    ASSERT_NE(d.backBuffer(), nullptr);
    ASSERT_TRUE(d.backBuffer()->fill(nullptr, value));
}

TEST(Display, WindowBackBufferFollowsTheClientArea) {
    NullWindow w;
    Display d;
    ASSERT_TRUE(d.open(&w, false, 640, 480));
    EXPECT_EQ(d.backBuffer(), nullptr) << "no back buffer before the first frame";
    d.fitBackBuffer(Rect{0, 0, 640, 480});
    VideoSurface* first = d.backBuffer();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->width(), 640);
    EXPECT_EQ(first->format(), PixelFormat::xrgb32());
    d.fitBackBuffer(Rect{0, 0, 640, 480});
    EXPECT_EQ(d.backBuffer(), first) << "same size keeps the same surface";
    d.fitBackBuffer(Rect{0, 0, 800, 600});
    ASSERT_NE(d.backBuffer(), nullptr);
    EXPECT_EQ(d.backBuffer()->width(), 800);
    EXPECT_EQ(d.backBuffer()->height(), 600);
    d.fitBackBuffer(Rect{0, 0, 0, 0});
    EXPECT_EQ(d.backBuffer(), nullptr);
    EXPECT_FALSE(d.present(0, 0)) << "nothing to present without a back buffer";
    EXPECT_EQ(w.framesShown(), 0u);
}

TEST(Display, WindowPresentCopiesTheFrameOneToOne) {
    NullWindow w;
    Display d;
    ASSERT_TRUE(d.open(&w, false, 640, 480));
    d.fitBackBuffer(Rect{0, 0, 640, 480});
    fillBack(d, 0x102030);
    Rect corner{630, 470, 640, 480};
    ASSERT_TRUE(d.backBuffer()->fill(&corner, 0xFF0000));
    ASSERT_TRUE(d.present(0, 0));
    ASSERT_EQ(w.framesShown(), 1u);
    const ShownFrame& f = w.lastFrame();
    EXPECT_EQ(f.width, 640);
    EXPECT_EQ(f.height, 480);
    EXPECT_EQ(f.rgbAt(0, 0), 0x102030u);
    EXPECT_EQ(f.rgbAt(639, 479), 0xFF0000u);
    EXPECT_EQ(f.rgbAt(629, 479), 0x102030u);
    // An offset frame is clipped to the client area, not refused.
    ASSERT_TRUE(d.present(-10, 0));
    EXPECT_EQ(w.lastFrame().rgbAt(629, 479), 0xFF0000u);
}

TEST(Display, FullScreenIsASixteenBitFlipChain) {
    NullWindow w;
    Display d;
    ASSERT_TRUE(d.open(&w, true, 640, 480));
    EXPECT_TRUE(w.videoFullScreen());
    VideoSurface* back = d.backBuffer();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->format(), PixelFormat::rgb565());
    d.fitBackBuffer(Rect{0, 0, 100, 100});
    EXPECT_EQ(d.backBuffer(), back) << "full screen ignores the client area";

    fillBack(d, 0xF800); // red
    ASSERT_TRUE(d.present(0, 0));
    EXPECT_EQ(w.lastFrame().rgbAt(5, 5), 0xF80000u);
    EXPECT_EQ(d.backBuffer(), back) << "the back buffer stays the same object";
    // After the flip the back buffer holds the frame shown before (black).
    EXPECT_EQ(back->pixelAt(5, 5), 0u);

    fillBack(d, 0x001F); // blue
    d.settleFlipChain();
    EXPECT_EQ(w.lastFrame().rgbAt(5, 5), 0x0000F8u);
    EXPECT_EQ(back->pixelAt(5, 5), 0x001Fu) << "every buffer of the chain shows the last frame";
    EXPECT_EQ(d.primary()->pixelAt(5, 5), 0x001Fu);
}

// What goes over a frame reaches the screen and nothing the game keeps: not
// the back buffer, and in full screen not the flip chain the high-score
// wipe copies its picture from.
TEST(Display, AnOverlayIsShownButKeptInNoBufferOfTheGame) {
    const Display::Overlay mark = [](VideoSurface* target, const Rect& clip) {
        Rect r{clip.left, clip.top, clip.left + 4, clip.top + 4};
        target->fill(&r, target->format().redMask | target->format().greenMask);
    };
    for (const bool fullScreen : {false, true}) {
        SCOPED_TRACE(fullScreen ? "full screen" : "window");
        NullWindow w;
        Display d;
        ASSERT_TRUE(d.open(&w, fullScreen, 640, 480));
        d.fitBackBuffer(Rect{0, 0, 640, 480});
        fillBack(d, 0);
        ASSERT_TRUE(d.present(0, 0, mark));
        EXPECT_EQ(w.lastFrame().rgbAt(1, 1) & 0xF8F800, 0xF8F800u) << "the overlay is shown";
        EXPECT_EQ(w.lastFrame().rgbAt(5, 5), 0u);
        EXPECT_EQ(d.backBuffer()->pixelAt(1, 1), 0u);
        ASSERT_TRUE(d.present(0, 0, mark));
        EXPECT_EQ(d.backBuffer()->pixelAt(1, 1), 0u) << "the frame before, as it was drawn";
        d.settleFlipChain();
        EXPECT_EQ(d.backBuffer()->pixelAt(1, 1), 0u);
        // A window's primary is the shown picture itself, drawn whole each frame.
        if (fullScreen) {
            EXPECT_EQ(d.primary()->pixelAt(1, 1), 0u);
        }
        // Without one, the frame goes out as drawn.
        ASSERT_TRUE(d.present(0, 0));
        EXPECT_EQ(w.lastFrame().rgbAt(1, 1), 0u);
    }
}

TEST(Display, SettlingInAWindowDoesNothing) {
    NullWindow w;
    Display d;
    ASSERT_TRUE(d.open(&w, false, 640, 480));
    d.fitBackBuffer(Rect{0, 0, 640, 480});
    d.settleFlipChain();
    EXPECT_EQ(w.framesShown(), 0u);
}

TEST(Display, CloseIsHarmlessTwiceAndOpenWorksAgain) {
    NullWindow w;
    Display d;
    EXPECT_FALSE(d.open(nullptr, false, 640, 480));
    ASSERT_TRUE(d.open(&w, true, 640, 480));
    d.close();
    d.close();
    EXPECT_EQ(d.backBuffer(), nullptr);
    EXPECT_EQ(d.device(), nullptr);
    ASSERT_TRUE(d.open(&w, false, 640, 480));
    d.fitBackBuffer(Rect{0, 0, 640, 480});
    EXPECT_TRUE(d.present(0, 0));
}

TEST(Display, AFullScreenModeOfNoSizeFailsAndLeavesItClosed) {
    NullWindow w;
    Display d;
    EXPECT_FALSE(d.open(&w, true, 0, 480));
    EXPECT_FALSE(d.isOpen());
    EXPECT_EQ(d.backBuffer(), nullptr);
}

TEST(NullWindow, ShownFramesReadBackAsRgbInEveryFormat) {
    NullWindow w;
    VideoSurface s16(4, 2, PixelFormat::rgb565());
    ASSERT_TRUE(s16.fill(nullptr, 0xB5B6)); // the key grey
    w.showFrame(s16);
    EXPECT_EQ(w.lastFrame().rgbAt(3, 1), 0xB0B4B0u);
    VideoSurface s555(4, 2, PixelFormat::rgb555());
    ASSERT_TRUE(s555.fill(nullptr, 0x7C00));
    w.showFrame(s555);
    EXPECT_EQ(w.lastFrame().rgbAt(0, 0), 0xF80000u);
    EXPECT_EQ(w.lastFrame().rgbAt(4, 0), 0u) << "outside the frame";
}

} // namespace
} // namespace vandrel

namespace vandrel {
namespace {

TEST(VideoDevicePrimary, WindowPrimaryFollowsTheClientAreaAndFlipNeedsAChain) {
    NullWindow w;
    VideoDevice d;
    EXPECT_FALSE(d.createPrimary()) << "no cooperative level yet";
    ASSERT_TRUE(d.setCooperativeLevel(&w, false));
    EXPECT_FALSE(d.setDisplayMode(640, 480, 16)) << "a window cannot change the mode";
    ASSERT_TRUE(d.createPrimary());
    EXPECT_FALSE(d.createPrimary()) << "one primary at a time";
    EXPECT_EQ(d.primary()->width(), 640);
    EXPECT_EQ(d.attachedBackBuffer(), nullptr);
    EXPECT_FALSE(d.flip());
    w.setClientSize(320, 200);
    ASSERT_TRUE(d.fitPrimary());
    EXPECT_EQ(d.primary()->width(), 320);
    EXPECT_EQ(d.primary()->height(), 200);
}

TEST(VideoDevicePrimary, ALockedChainDoesNotFlip) {
    NullWindow w;
    VideoDevice d;
    ASSERT_TRUE(d.setCooperativeLevel(&w, true));
    EXPECT_FALSE(d.setDisplayMode(640, 480, 8)) << "only 16 and 32 bits";
    ASSERT_TRUE(d.setDisplayMode(640, 480, 16));
    ASSERT_TRUE(d.createPrimary());
    VideoSurface::Lock lock;
    ASSERT_TRUE(d.attachedBackBuffer()->lock(lock));
    EXPECT_FALSE(d.flip());
    EXPECT_FALSE(d.primary()->isLocked()) << "a failed flip leaves nothing locked";
    d.attachedBackBuffer()->unlock();
    EXPECT_TRUE(d.flip());
    EXPECT_EQ(w.framesShown(), 1u);
}

} // namespace
} // namespace vandrel
