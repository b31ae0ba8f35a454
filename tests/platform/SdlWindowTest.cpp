// The SDL window: events pushed into SDL's queue reach the game as messages,
// the client area and full screen as the game sees them, the window's scale;
// runs on SDL's dummy video driver. The translation itself: SdlInputTest.
#include "backends/sdl/SdlWindow.h"
#include "support/TestMessages.h"
#include "video/VideoSurface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vandrel {
namespace {

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        window = SdlWindow::create(error);
        if (!window) GTEST_SKIP() << "no SDL video here: " << error;
        window->pumpEvents();
        window->queue().clear();
    }

    void pushKey(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        SDL_SetModState(static_cast<SDL_Keymod>(mod));
        SDL_PushEvent(&e);
    }
    std::vector<Message> drain() {
        window->pumpEvents();
        std::vector<Message> out = takeAll(window->queue());
        SDL_SetModState(KMOD_NONE);
        return out;
    }

    void pushMotion(int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }

    std::unique_ptr<SdlWindow> window;
};

TEST_F(SdlWindowTest, ArrowsAndEscapeArriveWithWindowsKeyCodes) {
    pushKey(SDL_KEYDOWN, SDLK_LEFT);
    pushKey(SDL_KEYUP, SDLK_LEFT);
    pushKey(SDL_KEYDOWN, SDLK_RIGHT);
    pushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    pushKey(SDL_KEYDOWN, SDLK_a);
    auto m = drain();
    ASSERT_EQ(m.size(), 6u);
    EXPECT_EQ(m[0].message, msg::KeyDown);
    EXPECT_EQ(m[0].wParam, 0x25u);
    EXPECT_EQ(m[1].message, msg::KeyUp);
    EXPECT_EQ(m[2].wParam, 0x27u);
    EXPECT_EQ(m[3].wParam, 27u);
    EXPECT_EQ(m[4].message, msg::Char) << "Escape also types character 27";
    EXPECT_EQ(m[4].wParam, 27u);
    EXPECT_EQ(m[5].wParam, static_cast<uint64_t>('A'));
}

TEST_F(SdlWindowTest, MouseAndWindowEventsBecomeMessages) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 639;
    e.motion.y = 479;
    SDL_PushEvent(&e);
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.button = SDL_BUTTON_LEFT;
    b.button.x = 12;
    b.button.y = 34;
    SDL_PushEvent(&b);
    b.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&b);
    auto m = drain();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].message, msg::MouseMove);
    EXPECT_EQ(pointParamX(m[0].lParam), 639);
    EXPECT_EQ(pointParamY(m[0].lParam), 479);
    EXPECT_EQ(m[1].message, msg::LButtonDown);
    EXPECT_EQ(pointParamY(m[1].lParam), 34);
    EXPECT_EQ(m[2].message, msg::RButtonDown);

    SDL_Event q{};
    q.type = SDL_QUIT;
    SDL_PushEvent(&q);
    m = drain();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::Close);
}

TEST_F(SdlWindowTest, FullScreenReportsTheFrameAsItsClientArea) {
    ASSERT_TRUE(window->setVideoMode(true, 640, 480));
    Rect r;
    ASSERT_TRUE(window->clientRect(r));
    EXPECT_EQ(r, (Rect{0, 0, 640, 480}));
    VideoSurface frame(640, 480, PixelFormat::rgb565());
    EXPECT_TRUE(window->showFrame(frame));
    VideoSurface odd(8, 8, PixelFormat{16, 0xF00, 0xF0, 0xF});
    EXPECT_FALSE(window->showFrame(odd)) << "a format the screen cannot take";
    window->setFullScreen(false);
    window->setClientSize(640, 480);
    ASSERT_TRUE(window->clientRect(r));
    EXPECT_EQ(r.width(), 640);
    window->destroy();
    EXPECT_FALSE(window->clientRect(r));
}

// A window system with nobody to grant full screen: the window keeps its
// 640 x 480 while SDL takes it to be the desktop's size. The frame must fill
// the window it really has, and pointer positions there must reach the frame
// pixel under them.
TEST_F(SdlWindowTest, RefusedFullScreenFitsTheFrameIntoTheWindowItKept) {
#if defined(_WIN32)
    // Windows grants full screen itself (under Wine without a display SDL does
    // not even believe in a larger size); the refusal is an X server's.
    GTEST_SKIP() << "full screen is refused only by an X server without a window manager";
#endif
    window->setSizeProbe([](int32_t& width, int32_t& height) {
        width = 640;
        height = 480;
        return true;
    });
    window->setClientSize(640, 480);
    window->setFullScreen(true);
    window->show();
    window->pumpEvents();
    window->queue().clear();
    SDL_Window* sdl = SDL_GetWindowFromID(window->windowId());
    ASSERT_NE(sdl, nullptr);
    int believedWidth = 0, believedHeight = 0;
    SDL_GetWindowSize(sdl, &believedWidth, &believedHeight);
    ASSERT_GT(believedWidth, 640) << "SDL must believe in the desktop's size, or nothing here is tested";
    ASSERT_GT(believedHeight, 480);

    VideoSurface frame(640, 480, PixelFormat::xrgb32());
    ASSERT_TRUE(frame.fill(nullptr, 0xFFFFFFu));
    ASSERT_TRUE(window->showFrame(frame));
    SDL_Renderer* renderer = SDL_GetRenderer(sdl);
    ASSERT_NE(renderer, nullptr);
    auto pixel = [&](int x, int y) {
        uint32_t value = 0;
        const SDL_Rect at{x, y, 1, 1};
        EXPECT_EQ(SDL_RenderReadPixels(renderer, &at, SDL_PIXELFORMAT_RGB888, &value, 4), 0) << SDL_GetError();
        return value & 0xFFFFFFu;
    };
    EXPECT_EQ(pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(639, 479), 0xFFFFFFu) << "the frame reaches the window's far corner";
    EXPECT_EQ(pixel(640, 0), 0u) << "nothing drawn beyond the window's right edge";
    EXPECT_EQ(pixel(0, 480), 0u) << "nothing drawn below the window";

    pushMotion(639, 479);
    pushMotion(320, 240);
    auto m = drain();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(pointParamX(m[0].lParam), 639);
    EXPECT_EQ(pointParamY(m[0].lParam), 479);
    EXPECT_EQ(pointParamX(m[1].lParam), 320);
    EXPECT_EQ(pointParamY(m[1].lParam), 240);
}

TEST_F(SdlWindowTest, PointerPositionsOutsideTheFrameArriveAtItsEdges) {
    window->setClientSize(640, 480);
    pushMotion(-80, 200);
    pushMotion(737, 500);
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.button = SDL_BUTTON_LEFT;
    b.button.x = 900;
    b.button.y = -5;
    SDL_PushEvent(&b);
    auto m = drain();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(pointParamX(m[0].lParam), 0);
    EXPECT_EQ(pointParamY(m[0].lParam), 200);
    EXPECT_EQ(pointParamX(m[1].lParam), 639);
    EXPECT_EQ(pointParamY(m[1].lParam), 479);
    EXPECT_EQ(m[2].message, msg::LButtonDown);
    EXPECT_EQ(pointParamX(m[2].lParam), 639);
    EXPECT_EQ(pointParamY(m[2].lParam), 0);
}

TEST_F(SdlWindowTest, TheWindowHasAMaximiseBoxButKeepsItsSize) {
    window->setClientSize(640, 480);
    SDL_Window* sdl = SDL_GetWindowFromID(window->windowId());
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE, 0u) << "only a resizable window gets the box";
    int minW = 0, minH = 0, maxW = 0, maxH = 0;
    SDL_GetWindowMinimumSize(sdl, &minW, &minH);
    SDL_GetWindowMaximumSize(sdl, &maxW, &maxH);
    EXPECT_EQ(minW, maxW);
    EXPECT_EQ(minH, maxH);
}

TEST(SdlWindowScaleTest, AWindowAtScaleTwoShowsTheGameItsOwnSizeAndHalvesPositions) {
    std::string error;
    ScreenOptions options;
    options.windowScale = 2;
    auto window = SdlWindow::create(error, options);
    if (!window) GTEST_SKIP() << "no SDL video here: " << error;
    window->setClientSize(640, 480);
    Rect r;
    ASSERT_TRUE(window->clientRect(r));
    EXPECT_EQ(r, (Rect{0, 0, 640, 480})) << "the game sees its own size";
    VideoSurface frame(640, 480, PixelFormat::xrgb32());
    EXPECT_TRUE(window->showFrame(frame));
    window->pumpEvents();
    window->queue().clear();
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 1279;
    e.motion.y = 959;
    SDL_PushEvent(&e);
    e.motion.x = 641;
    e.motion.y = 481;
    SDL_PushEvent(&e);
    window->pumpEvents();
    Message m;
    ASSERT_TRUE(window->queue().take(m));
    EXPECT_EQ(pointParamX(m.lParam), 639);
    EXPECT_EQ(pointParamY(m.lParam), 479);
    ASSERT_TRUE(window->queue().take(m));
    EXPECT_EQ(pointParamX(m.lParam), 320);
    EXPECT_EQ(pointParamY(m.lParam), 240);
}

TEST(SdlWindowScaleTest, AWindowStartedFullScreenIsHeldToItsScaledSizeForTheWayBack) {
    std::string error;
    ScreenOptions options;
    options.windowScale = 2;
    auto window = SdlWindow::create(error, options);
    if (!window) GTEST_SKIP() << "no SDL video here: " << error;
    window->setFullScreen(true);
    window->setClientSize(640, 480);
    window->show();
    // The window manager brings the window back from full screen within
    // these limits; SDL keeps the size asked for in full screen until then.
    SDL_Window* sdl = SDL_GetWindowFromID(window->windowId());
    ASSERT_NE(sdl, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowMinimumSize(sdl, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    SDL_GetWindowMaximumSize(sdl, &w, &h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 960);
    Rect r;
    window->setFullScreen(false);
    ASSERT_TRUE(window->clientRect(r));
    EXPECT_EQ(r, (Rect{0, 0, 640, 480})) << "the game still sees its own size";
}

} // namespace
} // namespace vandrel
