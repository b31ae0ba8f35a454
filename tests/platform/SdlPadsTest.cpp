// A pad made with SDL's virtual joysticks, opened as a game controller,
// played through the event translation: opened when plugged in, the stick's
// path at 30, 60 and 144 frames a second, one shot per pull, a reload, the
// D-pad scrolling and spelling a name, Escape, the pad pulled out in the
// middle of a round, a stick that sends no events, and the window's focus.
// No real pad and no window are needed.
#include "backends/sdl/SdlPads.h"
#include "backends/sdl/SdlInput.h"
#include "support/TestMessages.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vandrel {
namespace {

class SdlPadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only the virtual pad: the machine's own devices stay out of the test.
        SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
        SDL_SetHint(SDL_HINT_JOYSTICK_RAWINPUT, "0");
        SDL_SetHint(SDL_HINT_XINPUT_ENABLED, "0");
        SDL_SetHint(SDL_HINT_DIRECTINPUT_ENABLED, "0");
        // What the SDL linked here was built with decides, not an error text
        // at run time: where SDL has pads, pads that do not start are a fault,
        // never a reason to skip.
#if defined(SDL_JOYSTICK_DISABLED)
        GTEST_SKIP() << "this SDL is built without its joystick system (the game plays on without pads)";
#elif !defined(SDL_JOYSTICK_VIRTUAL)
        GTEST_SKIP()
            << "this SDL is built without virtual joysticks (its HID layer is off), so no pad can be plugged in";
#endif
        if (!pads.start()) FAIL() << "game controllers do not start: " << SDL_GetError();
        view.shape = PresentationShape{640, 480, 640, 480, 640, 480, false};
        view.magazine = Rect{370, 420, 640, 480}; // a round runs
        pump();
    }
    void TearDown() override {
        if (stick) SDL_JoystickClose(stick);
        unplug();
    }

    void plugIn() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        stick = SDL_JoystickOpen(index);
        ASSERT_NE(stick, nullptr) << SDL_GetError();
        pump();
    }
    void unplug() {
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) {
                if (stick) SDL_JoystickClose(stick);
                stick = nullptr;
                SDL_JoystickDetachVirtual(i);
            }
        pump();
    }
    // SDL's events to the pads, as the window's pump hands them over.
    void pump() {
        SDL_Event e;
        while (SDL_PollEvent(&e)) pads.handle(e);
    }
    void axis(SDL_GameControllerAxis a, Sint16 v) {
        SDL_JoystickSetVirtualAxis(stick, a, v);
        pump();
    }
    // A trigger pulled by a share of its travel; a virtual pad's triggers,
    // as a pad's, are full-range axes that rest at their lowest value.
    void trigger(SDL_GameControllerAxis a, double share) { axis(a, static_cast<Sint16>(share * 65535.0 - 32768.0)); }
    void button(SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(stick, b, down ? 1 : 0);
        pump();
    }
    std::vector<Message> tick(double seconds = 1.0 / 60) {
        input.padTick(pads.state(), seconds, view, queue);
        return takeAll(queue);
    }
    std::vector<Message> tap(SDL_GameControllerButton b) {
        button(b, true);
        std::vector<Message> m = tick();
        button(b, false);
        for (const Message& x : tick()) m.push_back(x);
        return m;
    }

    SdlPads pads;
    SdlInput input;
    InputView view;
    MessageQueue queue;
    SDL_Joystick* stick = nullptr;
};

TEST_F(SdlPadsTest, APluggedInPadIsOpenedAndItsStickAimsTheSameAtAnyFrameRate) {
    plugIn();
    ASSERT_EQ(pads.count(), 1u) << "the virtual pad was not opened as a game controller";
    EXPECT_TRUE(tick().empty()) << "plugged in, not yet used";
    std::vector<int32_t> ends;
    for (int hz : {30, 60, 144}) {
        // The mouse puts the cross-hair at the left; the stick goes on from there.
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = 10;
        e.motion.y = 240;
        input.translate(e, view, queue);
        queue.clear();
        axis(SDL_CONTROLLER_AXIS_LEFTX, 16000);
        int32_t x = 10;
        for (int i = 0; i < hz; ++i)
            for (const Message& m : tick(1.0 / hz))
                if (m.message == msg::MouseMove) x = pointParamX(m.lParam);
        axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        ends.push_back(x);
    }
    EXPECT_GT(ends[0], 100);
    EXPECT_NEAR(ends[1], ends[0], 1);
    EXPECT_NEAR(ends[2], ends[0], 1);
}

// The title's hint names the device the player last used: the one whose
// input became a message, not one merely plugged in or resting.
TEST_F(SdlPadsTest, TheLastDeviceIsTheOneWhoseInputBecameAMessage) {
    plugIn();
    EXPECT_EQ(input.lastDevice(), InputDevice::Mouse);
    SDL_Event e{};
    e.type = SDL_FINGERDOWN;
    e.tfinger.touchId = 1;
    e.tfinger.x = 0.5f;
    e.tfinger.y = 0.5f;
    input.translate(e, view, queue);
    EXPECT_EQ(input.lastDevice(), InputDevice::Touch);
    tick();
    EXPECT_EQ(input.lastDevice(), InputDevice::Touch) << "a pad at rest took over";
    tap(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(input.lastDevice(), InputDevice::Pad);
    e = SDL_Event{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_F24; // no key of the game's
    input.translate(e, view, queue);
    EXPECT_EQ(input.lastDevice(), InputDevice::Pad);
    e.key.keysym.sym = SDLK_p;
    input.translate(e, view, queue);
    EXPECT_EQ(input.lastDevice(), InputDevice::Keyboard);
    e = SDL_Event{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 10;
    input.translate(e, view, queue);
    EXPECT_EQ(input.lastDevice(), InputDevice::Mouse);
}

TEST_F(SdlPadsTest, TheTriggerShootsOncePerPullAndTheLeftOneReloads) {
    plugIn();
    int shots = 0;
    for (double v : {0.3, 0.6, 0.4, 1.0, 0.1, 0.9}) {
        trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, v);
        shots += count(tick(), msg::LButtonDown);
    }
    EXPECT_EQ(shots, 2);
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    tick();
    trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1);
    EXPECT_EQ(count(tick(), msg::RButtonDown), 1);
    trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
    EXPECT_EQ(count(tick(), msg::RButtonUp), 1);
}

TEST_F(SdlPadsTest, TheDPadScrollsAndSpellsANameAndBackIsEscape) {
    plugIn();
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    EXPECT_EQ(count(tick(), msg::KeyDown, vk::Left), 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(count(tick(), msg::KeyUp, vk::Left), 1);

    // The table asks for a name: "AB", then Enter.
    view.magazine = Rect{};
    view.textEntry = true;
    std::string typed;
    auto type = [&](const std::vector<Message>& m) {
        for (const Message& x : m)
            if (x.message == msg::Char) typed += x.wParam == 8 ? '<' : static_cast<char>(x.wParam);
    };
    type(tap(SDL_CONTROLLER_BUTTON_DPAD_UP));
    type(tap(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    type(tap(SDL_CONTROLLER_BUTTON_DPAD_UP));
    type(tap(SDL_CONTROLLER_BUTTON_DPAD_UP));
    type(tap(SDL_CONTROLLER_BUTTON_START));
    EXPECT_EQ(typed, "AA<B\r") << "B replaces the A shown in its place";

    view.textEntry = false;
    for (SDL_GameControllerButton b : {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_B})
        EXPECT_EQ(count(tap(b), msg::KeyDown, vk::Escape), 1) << "between rounds";
}

TEST_F(SdlPadsTest, APadPulledOutMidRoundLetsGoOfWhatItHeld) {
    plugIn();
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    auto m = tick();
    EXPECT_EQ(count(m, msg::LButtonDown), 1);
    EXPECT_EQ(count(m, msg::KeyDown, vk::Right), 1);
    unplug();
    EXPECT_EQ(pads.count(), 0u);
    m = tick();
    EXPECT_EQ(count(m, msg::LButtonUp), 1);
    EXPECT_EQ(count(m, msg::KeyUp, vk::Right), 1) << "the landscape stops scrolling";
    EXPECT_TRUE(tick().empty());
    // Plugged in again, it plays again.
    plugIn();
    EXPECT_EQ(pads.count(), 1u);
    button(SDL_CONTROLLER_BUTTON_X, true);
    EXPECT_EQ(count(tick(), msg::RButtonDown), 1);
}

TEST_F(SdlPadsTest, AStickHeldWithoutEventsGoesOnAiming) {
    plugIn();
    // SDL takes an axis's first value for its rest and sends no event for it
    // (a browser's pad does so); here no pad event reaches the queue at all.
    for (Uint32 type : {SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP})
        SDL_EventState(type, SDL_IGNORE);
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 100;
    e.motion.y = 240;
    input.translate(e, view, queue);
    queue.clear();
    axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    int32_t x = 100;
    for (int i = 0; i < 18; ++i) // 0.3 s at 60 frames a second
        for (const Message& m : tick())
            if (m.message == msg::MouseMove) x = pointParamX(m.lParam);
    button(SDL_CONTROLLER_BUTTON_X, true);
    const int reloads = count(tick(), msg::RButtonDown);
    for (Uint32 type : {SDL_CONTROLLERAXISMOTION, SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP})
        SDL_EventState(type, SDL_ENABLE);
    EXPECT_NEAR(x, 100 + 640 * 0.3 / 0.7, 20) << "full tilt for 0.3 s";
    EXPECT_EQ(reloads, 1) << "a button read without its event";
}

TEST_F(SdlPadsTest, APadActsOnlyWhileTheWindowHasTheFocus) {
    plugIn();
    auto windowEvent = [&](Uint8 event) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = event;
        input.translate(e, view, queue);
        queue.clear();
    };
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(count(tick(), msg::KeyDown, vk::Right), 1);
    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(count(tick(), msg::KeyUp, vk::Right), 1) << "let go with the focus, as a key is";
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1);
    axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    EXPECT_TRUE(tick().empty()) << "no shot and no aim in another window's time";
    trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    tick();
    windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(count(tap(SDL_CONTROLLER_BUTTON_A), msg::LButtonDown), 1) << "the focus back, the pad plays";
    // Minimised, the round's frames stop: no shot lands in it, whatever the focus says.
    windowEvent(SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_TRUE(tap(SDL_CONTROLLER_BUTTON_A).empty());
    windowEvent(SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(count(tap(SDL_CONTROLLER_BUTTON_A), msg::LButtonDown), 1);
}

TEST_F(SdlPadsTest, MappingsComeFromAFileWhenThereIsOne) {
    const auto dir = std::filesystem::temp_directory_path() / ("vandrel-pads-" + std::to_string(SDL_GetTicks()));
    std::filesystem::create_directories(dir);
    EXPECT_EQ(SdlPads::addMappings(dir / "gamecontrollerdb.txt"), 0) << "no file, nothing added";
    {
        std::ofstream out(dir / "gamecontrollerdb.txt");
        out << "# a pad of our own\n"
               "03000000aaaa0000bbbb000000000000,Vandrel Test Pad,a:b0,b:b1,x:b2,y:b3,leftx:a0,lefty:a1,"
               "platform:Linux,\n"
               "03000000aaaa0000bbbb000000000000,Vandrel Test Pad,a:b0,b:b1,x:b2,y:b3,leftx:a0,lefty:a1,"
               "platform:Windows,\n";
    }
    EXPECT_EQ(SdlPads::addMappings(dir / "gamecontrollerdb.txt"), 1) << "the line for this system";
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vandrel
