// Fingers through the SDL event translation: taps, the magazine, two fingers,
// the black bars and the edge of the picture, in a window and in full screen.
#include "backends/sdl/SdlInput.h"
#include "support/TestMessages.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vandrel {
namespace {

constexpr uint32_t ourWindow = 3;
// Where the cartridges of the shipped magazine lie, out to the corner.
constexpr Rect magazine{370, 420, 640, 480};

class SdlTouchTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.windowId = ourWindow;
        window();
        view.magazine = magazine;
    }
    // A 640 x 480 window showing the frame one to one.
    void window() { view.shape = PresentationShape{640, 480, 640, 480, 640, 480, false}; }
    // Full screen on a 2560 x 1440 screen: the frame three times over, 1920
    // wide between two bars of 320.
    void wideScreen() { view.shape = PresentationShape{2560, 1440, 2560, 1440, 640, 480, false}; }

    std::vector<Message> finger(Uint32 type, SDL_FingerID id, float x, float y, SDL_TouchID touch = 1) {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = touch;
        e.tfinger.fingerId = id;
        e.tfinger.windowID = ourWindow;
        // Shares of the window, as SDL gives them.
        e.tfinger.x = x / static_cast<float>(view.shape.windowWidth);
        e.tfinger.y = y / static_cast<float>(view.shape.windowHeight);
        return feed(e);
    }
    std::vector<Message> down(SDL_FingerID id, float x, float y) { return finger(SDL_FINGERDOWN, id, x, y); }
    std::vector<Message> move(SDL_FingerID id, float x, float y) { return finger(SDL_FINGERMOTION, id, x, y); }
    std::vector<Message> up(SDL_FingerID id, float x, float y) { return finger(SDL_FINGERUP, id, x, y); }
    std::vector<Message> feed(const SDL_Event& e) {
        input.translate(e, view, queue);
        return takeAll(queue);
    }

    SdlInput input;
    InputView view;
    MessageQueue queue;
};

TEST_F(SdlTouchTest, ATapMovesTheCrossHairThereAndShootsOnce) {
    auto m = down(1, 300, 200);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::MouseMove, msg::LButtonDown}));
    EXPECT_EQ(pointParamX(m[1].lParam), 300);
    EXPECT_EQ(pointParamY(m[1].lParam), 200);
    m = up(1, 300, 200);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::LButtonUp})) << "in the still middle the cross-hair stays";

    // SDL's mouse made from the same touch is no second shot.
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.which = SDL_TOUCH_MOUSEID;
    b.button.button = SDL_BUTTON_LEFT;
    EXPECT_TRUE(feed(b).empty());
    b.type = SDL_MOUSEMOTION;
    b.motion.which = SDL_TOUCH_MOUSEID;
    EXPECT_TRUE(feed(b).empty());
    // Nor are SDL's touches made from the mouse.
    EXPECT_TRUE(finger(SDL_FINGERDOWN, 9, 100, 100, SDL_MOUSE_TOUCHID).empty());
}

TEST_F(SdlTouchTest, AMovingFingerDragsTheCrossHairWithTheButtonHeld) {
    down(1, 300, 200);
    auto m = move(1, 310, 205);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::MouseMove}));
    EXPECT_EQ(m[0].wParam, 1u);
    EXPECT_EQ(pointParamX(m[0].lParam), 310);
    EXPECT_TRUE(move(1, 310.4f, 205.2f).empty()) << "within the same frame pixel";
    EXPECT_EQ(count(up(1, 310, 205), msg::LButtonDown), 0);
}

TEST_F(SdlTouchTest, ATapOnTheMagazineReloadsAndNeverShoots) {
    auto m = down(1, 600, 460);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::RButtonDown})) << "no move: the cross-hair stays where it aims";
    EXPECT_EQ(kinds(up(1, 600, 460)), (std::vector<uint32_t>{msg::RButtonUp}));
    // Outside a round there is no magazine: the same place is a click.
    view.magazine = Rect{};
    EXPECT_EQ(count(down(2, 600, 460), msg::LButtonDown), 1);
}

TEST_F(SdlTouchTest, ASecondFingerWhileOneAimsReloads) {
    down(1, 300, 200);
    auto m = down(2, 100, 100);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::RButtonDown}));
    EXPECT_EQ(pointParamX(m[0].lParam), 300) << "the cross-hair does not jump to the second finger";
    EXPECT_TRUE(move(2, 120, 100).empty());
    EXPECT_EQ(kinds(up(2, 120, 100)), (std::vector<uint32_t>{msg::RButtonUp}));
    EXPECT_EQ(kinds(up(1, 300, 200)), (std::vector<uint32_t>{msg::LButtonUp}));
    // Fingers the translation never saw go down change nothing.
    EXPECT_TRUE(up(7, 1, 1).empty());
    EXPECT_TRUE(move(7, 1, 1).empty());
}

TEST_F(SdlTouchTest, AFingerInABarHoldsThatSidesArrowKeyUntilItLifts) {
    wideScreen();
    auto m = down(1, 2400, 500);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::KeyDown}));
    EXPECT_EQ(m[0].wParam, vk::Right);
    EXPECT_TRUE(move(1, 2300, 900).empty()) << "still in the bar";
    // A shot with another finger while scrolling.
    EXPECT_EQ(count(down(2, 1280, 720), msg::LButtonDown), 1);
    up(2, 1280, 720);
    m = up(1, 2300, 900);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::KeyUp}));
    EXPECT_EQ(m[0].wParam, vk::Right);

    m = down(3, 10, 10);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].wParam, vk::Left);
    // Across the picture into the other bar: the key follows the finger.
    m = move(3, 1000, 10);
    EXPECT_EQ(kinds(m), (std::vector<uint32_t>{msg::KeyUp}));
    m = move(3, 2500, 10);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::KeyDown}));
    EXPECT_EQ(m[0].wParam, vk::Right);
    EXPECT_EQ(kinds(up(3, 2500, 10)), (std::vector<uint32_t>{msg::KeyUp}));
}

TEST_F(SdlTouchTest, TwoFingersInOneBarHoldOneKey) {
    wideScreen();
    EXPECT_EQ(down(1, 2400, 100).size(), 1u);
    EXPECT_TRUE(down(2, 2450, 600).empty());
    EXPECT_TRUE(up(1, 2400, 100).empty()) << "the other finger still holds it";
    EXPECT_EQ(kinds(up(2, 2450, 600)), (std::vector<uint32_t>{msg::KeyUp}));
}

TEST_F(SdlTouchTest, InFullScreenATapHitsTheFramePixelUnderTheFinger) {
    wideScreen();
    auto m = down(1, 320 + 3 * 100 + 1, 3 * 50 + 1);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::MouseMove, msg::LButtonDown}));
    EXPECT_EQ(pointParamX(m[1].lParam), 100);
    EXPECT_EQ(pointParamY(m[1].lParam), 50);
    up(1, 621, 151);
    // The magazine scales with the picture.
    EXPECT_EQ(kinds(down(2, 320 + 3 * 600, 3 * 450)), (std::vector<uint32_t>{msg::RButtonDown}));
}

TEST_F(SdlTouchTest, HeldAtTheEdgeTheViewScrollsAndStopsWhenTheFingerLifts) {
    // No bars: a 4:3 screen. The finger rests at the right edge, where the
    // pointer scrolls the view, and the game keeps scrolling while it is down.
    auto m = down(1, 630, 240);
    EXPECT_EQ(pointParamX(m[1].lParam), 630);
    m = up(1, 630, 240);
    ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::LButtonUp, msg::MouseMove}));
    // Just inside the still middle: (419 - 320) / 100 is 0.
    EXPECT_EQ(pointParamX(m[1].lParam), 419);
    EXPECT_EQ(pointParamY(m[1].lParam), 240);
    m = down(2, 5, 100);
    m = up(2, 5, 100);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(pointParamX(m[1].lParam), 221);
}

TEST_F(SdlTouchTest, TheMouseMovedLastKeepsTheCrossHairWhereItLeftIt) {
    down(1, 630, 240);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 635;
    e.motion.y = 10;
    ASSERT_EQ(feed(e).size(), 1u);
    // The finger lifts after the mouse took over: the mouse's pointer stays.
    EXPECT_EQ(kinds(up(1, 630, 240)), (std::vector<uint32_t>{msg::LButtonUp}));
}

TEST_F(SdlTouchTest, LeftHandedTheBottomLeftCornerReloadsAsTheMagazineDoes) {
    // The magazine's corner mirrored: x from 0 to 270, the same rows.
    const auto firstKind = [](const std::vector<Message>& m) { return m.empty() ? 0u : m[0].message; };
    EXPECT_EQ(firstKind(down(1, 100, 450)), msg::MouseMove) << "right-handed, the corner shoots";
    up(1, 100, 450);

    view.leftHanded = true;
    for (const auto& [x, y] :
         {std::pair{100.f, 450.f}, std::pair{0.f, 420.f}, std::pair{269.f, 479.f}, std::pair{600.f, 450.f}}) {
        auto m = down(2, x, y);
        ASSERT_EQ(kinds(m), (std::vector<uint32_t>{msg::RButtonDown})) << x << ", " << y;
        EXPECT_EQ(kinds(up(2, x, y)), (std::vector<uint32_t>{msg::RButtonUp}));
    }
    // Just outside the corner, and anywhere outside a round, a tap shoots.
    EXPECT_EQ(firstKind(down(3, 271, 450)), msg::MouseMove);
    up(3, 271, 450);
    EXPECT_EQ(firstKind(down(4, 100, 419)), msg::MouseMove);
    up(4, 100, 419);
    view.magazine = Rect{};
    EXPECT_EQ(firstKind(down(5, 100, 450)), msg::MouseMove);
    up(5, 100, 450);
}

} // namespace
} // namespace vandrel
