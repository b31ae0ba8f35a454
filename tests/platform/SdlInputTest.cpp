// SDL's events become the window messages the game handles, with Windows key
// codes and frame positions; fed straight to the translation, no video driver.
#include "backends/sdl/SdlInput.h"
#include "support/TestMessages.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vandrel {
namespace {

constexpr uint32_t ourWindow = 7;

class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.windowId = ourWindow;
        // A 640 x 480 window showing the frame one to one.
        view.shape = PresentationShape{640, 480, 640, 480, 640, 480, false};
    }

    std::vector<Message> feed(const SDL_Event& e) {
        input.translate(e, view, queue);
        return takeAll(queue);
    }
    std::vector<Message> key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return feed(e);
    }
    std::vector<Message> windowEvent(Uint8 event, uint32_t windowId = ourWindow) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = windowId;
        e.window.event = event;
        return feed(e);
    }
    // Whether the game runs frames after each activation message.
    std::vector<bool> activity(std::initializer_list<Uint8> events, uint32_t windowId = ourWindow) {
        std::vector<bool> out;
        for (Uint8 event : events) {
            for (const Message& m : windowEvent(event, windowId))
                if (m.message == msg::Activate) out.push_back((m.wParam & activateMinimised) == 0);
        }
        return out;
    }
    std::vector<Message> motion(int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        return feed(e);
    }
    std::vector<Message> button(Uint32 type, Uint8 which, int32_t x, int32_t y) {
        SDL_Event e{};
        e.type = type;
        e.button.button = which;
        e.button.x = x;
        e.button.y = y;
        return feed(e);
    }

    SdlInput input;
    InputView view;
    MessageQueue queue;
};

TEST_F(SdlInputTest, ArrowsAndEscapeArriveWithWindowsKeyCodes) {
    auto m = key(SDL_KEYDOWN, SDLK_LEFT);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::KeyDown);
    EXPECT_EQ(m[0].wParam, 0x25u);
    m = key(SDL_KEYUP, SDLK_LEFT);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::KeyUp);
    EXPECT_EQ(key(SDL_KEYDOWN, SDLK_RIGHT)[0].wParam, 0x27u);
    m = key(SDL_KEYDOWN, SDLK_ESCAPE);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].wParam, 27u);
    EXPECT_EQ(m[1].message, msg::Char) << "Escape also types character 27";
    EXPECT_EQ(m[1].wParam, 27u);
    m = key(SDL_KEYDOWN, SDLK_a);
    ASSERT_EQ(m.size(), 1u) << "letters type through text input, not through their key";
    EXPECT_EQ(m[0].wParam, static_cast<uint64_t>('A'));
    EXPECT_TRUE(key(SDL_KEYDOWN, SDLK_CAPSLOCK).empty()) << "a key the game never sees";
}

TEST_F(SdlInputTest, AltEnterIsTheSystemCharacterThirteenAndNoKeyDown) {
    auto m = key(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, msg::SysKeyDown);
    EXPECT_EQ(m[1].message, msg::SysChar);
    EXPECT_EQ(m[1].wParam, 13u);
    m = key(SDL_KEYDOWN, SDLK_RETURN);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, msg::KeyDown);
    EXPECT_EQ(m[1].message, msg::Char) << "plain Enter is an ordinary character";
    m = key(SDL_KEYDOWN, SDLK_f, KMOD_RALT);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].message, msg::SysChar);
    EXPECT_EQ(m[1].wParam, static_cast<uint64_t>('f'));
}

TEST_F(SdlInputTest, TypedTextBecomesSingleByteCharactersAndNothingWithAltHeld) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "a\xC3\xA4\xE2\x82\xAC"); // a, ä, and a euro sign that has no single byte here
    auto m = feed(e);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].wParam, static_cast<uint64_t>('a'));
    EXPECT_EQ(m[1].wParam, 0xE4u);
    view.modState = KMOD_LALT;
    EXPECT_TRUE(feed(e).empty());
}

TEST_F(SdlInputTest, MouseEventsBecomeMessagesWithTheirButtons) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 639;
    e.motion.y = 479;
    e.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;
    auto m = feed(e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::MouseMove);
    EXPECT_EQ(m[0].wParam, 3u);
    EXPECT_EQ(pointParamX(m[0].lParam), 639);
    EXPECT_EQ(pointParamY(m[0].lParam), 479);
    m = button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 12, 34);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::LButtonDown);
    EXPECT_EQ(pointParamX(m[0].lParam), 12);
    EXPECT_EQ(pointParamY(m[0].lParam), 34);
    EXPECT_EQ(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1)[0].message, msg::RButtonDown);
    EXPECT_EQ(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1)[0].message, msg::RButtonUp);
    EXPECT_TRUE(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1).empty());

    SDL_Event q{};
    q.type = SDL_QUIT;
    m = feed(q);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::Close);
}

TEST_F(SdlInputTest, TheWheelTurnsInNotchesAndAHeldKeysRepeatsAreMarked) {
    const auto wheel = [this](int32_t y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = y;
        e.wheel.direction = direction;
        return feed(e);
    };
    auto m = wheel(1);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::MouseWheel);
    EXPECT_EQ(wheelParamTurn(m[0].wParam), wheelNotch) << "away from the player";
    EXPECT_EQ(wheelParamTurn(wheel(-2)[0].wParam), -2 * wheelNotch);
    EXPECT_EQ(wheelParamTurn(wheel(1, SDL_MOUSEWHEEL_FLIPPED)[0].wParam), -wheelNotch);
    EXPECT_TRUE(wheel(0).empty()) << "a sideways turn";

    EXPECT_EQ(key(SDL_KEYDOWN, SDLK_RIGHT)[0].lParam & keyRepeated, 0);
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_RIGHT;
    e.key.repeat = 1;
    m = feed(e);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::KeyDown);
    EXPECT_NE(m[0].lParam & keyRepeated, 0);
}

TEST_F(SdlInputTest, PointerPositionsAreFramePixelsAndOutsideTheFrameArriveAtItsEdges) {
    auto m = motion(-80, 200);
    EXPECT_EQ(pointParamX(m[0].lParam), 0);
    EXPECT_EQ(pointParamY(m[0].lParam), 200);
    m = button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 900, -5);
    EXPECT_EQ(pointParamX(m[0].lParam), 639);
    EXPECT_EQ(pointParamY(m[0].lParam), 0);
    // Full screen on a 1920 x 1080 desktop: bars of 240 left and right.
    view.shape = PresentationShape{1920, 1080, 1920, 1080, 640, 480, false};
    m = motion(240, 0);
    EXPECT_EQ(pointParamX(m[0].lParam), 0);
    m = motion(960, 540);
    EXPECT_EQ(pointParamX(m[0].lParam), 320);
    EXPECT_EQ(pointParamY(m[0].lParam), 240);
    m = motion(100, 1079);
    EXPECT_EQ(pointParamX(m[0].lParam), 0) << "in the bar";
    EXPECT_EQ(pointParamY(m[0].lParam), 479);
}

TEST_F(SdlInputTest, AMinimisedWindowStaysStoppedWhenItLosesTheFocusAfterwards) {
    // What SDL reports on X11 when the player minimises the game.
    EXPECT_EQ(activity({SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST}),
              (std::vector<bool>{false, false, false}));
    // A focus that comes and goes while it is minimised changes nothing.
    EXPECT_EQ(activity({SDL_WINDOWEVENT_FOCUS_GAINED}), (std::vector<bool>{false}));
    // Restored: mapped again, then the focus.
    EXPECT_EQ(activity({SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_FOCUS_GAINED}),
              (std::vector<bool>{true, true, true}));
}

TEST_F(SdlInputTest, MinimisedWithoutHidingAndRestoredRunsAgain) {
    EXPECT_EQ(activity({SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_RESTORED}),
              (std::vector<bool>{false, false, true}));
    // Hidden and shown again without a minimise in between.
    EXPECT_EQ(activity({SDL_WINDOWEVENT_HIDDEN, SDL_WINDOWEVENT_SHOWN}), (std::vector<bool>{false, true}));
    // Maximised from the minimised state counts as back.
    EXPECT_EQ(activity({SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_MAXIMIZED}), (std::vector<bool>{false, true}));
}

TEST_F(SdlInputTest, LosingTheFocusAloneKeepsTheGameRunning) {
    EXPECT_EQ(activity({SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_FOCUS_GAINED}), (std::vector<bool>{true, true}));
}

TEST_F(SdlInputTest, EventsOfAnotherWindowAreNotOurs) {
    EXPECT_TRUE(activity({SDL_WINDOWEVENT_MINIMIZED}, ourWindow + 100).empty());
    EXPECT_FALSE(input.stopped());
}

TEST_F(SdlInputTest, ThePointerLeavingAndTheCloseButtonAreMessages) {
    auto m = windowEvent(SDL_WINDOWEVENT_LEAVE);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::NcMouseMove);
    m = windowEvent(SDL_WINDOWEVENT_CLOSE);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::Close);
}

TEST_F(SdlInputTest, TheMaximiseBoxAsksForFullScreenOnlyFromAWindow) {
    auto m = windowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].message, msg::Activate);
    EXPECT_EQ(m[1].message, msg::SysCommand);
    EXPECT_EQ(m[1].wParam, sc::Maximize);
    // A window manager that reports full screen as maximised too.
    view.fullScreen = true;
    m = windowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::Activate);
}

} // namespace
} // namespace vandrel
