// The pad's state turned into mouse and key messages: the stick's path at any
// frame rate, the dead zone, the precision button, one shot per pull, reloads,
// scrolling, Escape, the shoulders' wheel, a name spelled with the D-pad,
// where the stick starts, and a pad without the window's focus.
#include "input/PadInput.h"
#include "support/TestMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vandrel {
namespace {

class PadInputTest : public ::testing::Test {
protected:
    std::vector<Message> step(const PadState& s, double seconds = 1.0 / 60) {
        pad.update(s, seconds, screen, queue);
        return takeAll(queue);
    }
    // Where the cross-hair is after the stick held at (x, y) for one second
    // in frames of 1 / hz seconds.
    FramePoint holdFor(float x, float y, int hz, uint32_t buttons = 0) {
        PadState s;
        s.leftX = x;
        s.leftY = y;
        s.buttons = buttons;
        for (int i = 0; i < hz; ++i) step(s, 1.0 / hz);
        return pad.pointer();
    }
    // The name the messages would type, as the table takes them.
    static void typeInto(std::string& name, const std::vector<Message>& m) {
        for (const Message& x : m) {
            if (x.message != msg::Char) continue;
            if (x.wParam == 8) {
                if (!name.empty()) name.pop_back();
            } else if (x.wParam >= 32) {
                name += static_cast<char>(x.wParam);
            }
        }
    }
    PadState pressed(uint32_t buttons) {
        PadState s;
        s.buttons = buttons;
        return s;
    }

    PadInput pad;
    PadScreen screen;
    MessageQueue queue;
};

TEST_F(PadInputTest, FullTiltCrossesTheFrameInSevenTenthsOfASecondAtAnyFrameRate) {
    pad.pointerMoved({0, 240});
    std::vector<int32_t> xs;
    for (int hz : {30, 60, 144}) {
        pad.pointerMoved({0, 240});
        PadState s;
        s.leftX = 1.0f;
        for (int i = 0; i < hz * 7 / 10; ++i) step(s, 1.0 / hz);
        xs.push_back(pad.pointer().x);
    }
    for (int32_t x : xs) EXPECT_NEAR(x, 639, 15) << "0.7 s of full tilt from the left edge";

    // Half tilt for one second, from the middle: the same path within a pixel.
    std::vector<FramePoint> ends;
    for (int hz : {30, 60, 144}) {
        pad.pointerMoved({100, 100});
        ends.push_back(holdFor(0.5f, 0.3f, hz));
    }
    for (const FramePoint& p : ends) {
        EXPECT_NEAR(p.x, ends[0].x, 1);
        EXPECT_NEAR(p.y, ends[0].y, 1);
    }
    EXPECT_GT(ends[0].x, 200) << "half tilt still moves at a useful speed";
    EXPECT_LT(ends[0].x, 400) << "and slower than full tilt";
}

TEST_F(PadInputTest, TheDeadZoneIsACircleAndTheSpeedStartsFromNothingAtItsRim) {
    pad.pointerMoved({320, 240});
    // Inside ten per cent in any direction nothing moves, nor does a pad that
    // only rests there make itself heard.
    EXPECT_EQ(holdFor(0.09f, 0.0f, 60), (FramePoint{320, 240}));
    EXPECT_EQ(holdFor(0.065f, 0.065f, 60), (FramePoint{320, 240}));
    EXPECT_FALSE(pad.active());
    // Just beyond it: a few pixels a second, no jump.
    const FramePoint p = holdFor(0.15f, 0.0f, 60);
    EXPECT_GT(p.x, 320);
    EXPECT_LT(p.x, 330);
    // Along the diagonal the same as straight on.
    pad.pointerMoved({320, 240});
    const FramePoint d = holdFor(0.5f * std::sqrt(0.5f), 0.5f * std::sqrt(0.5f), 60);
    pad.pointerMoved({320, 240});
    const FramePoint r = holdFor(0.5f, 0.0f, 60);
    EXPECT_NEAR(std::hypot(d.x - 320.0, d.y - 240.0), r.x - 320.0, 2);
}

TEST_F(PadInputTest, TheLeftShoulderAimsAtAThirdOfTheSpeedAndTheFrameHoldsTheCrossHair) {
    pad.pointerMoved({100, 100});
    const int fast = holdFor(0.6f, 0.0f, 60).x - 100;
    pad.pointerMoved({100, 100});
    const int slow = holdFor(0.6f, 0.0f, 60, padButton::LeftShoulder).x - 100;
    EXPECT_NEAR(slow * 3, fast, 3);
    // Pushed on against the corner it stays on the frame's last pixel.
    EXPECT_EQ(holdFor(1.0f, 1.0f, 60), (FramePoint{639, 479}));
    EXPECT_EQ(holdFor(-1.0f, -1.0f, 60), (FramePoint{0, 0}));
}

TEST_F(PadInputTest, ThePlayersTuningSetsDeadZoneAndSpeedAndSwitchesThePadsOff) {
    PadTuning tuning;
    tuning.deadZone = 0.25;
    tuning.fullSpeed /= 2;
    pad.setTuning(tuning);
    pad.pointerMoved({320, 240});
    EXPECT_EQ(holdFor(0.2f, 0.0f, 60), (FramePoint{320, 240})) << "inside the wider dead zone";
    pad.pointerMoved({0, 240});
    EXPECT_NEAR(holdFor(1.0f, 0.0f, 60).x, 639 * 1.0 / 1.4, 15) << "half the speed: 1.4 s across the frame";

    tuning.enabled = false;
    pad.setTuning(tuning);
    PadState s = pressed(padButton::A | padButton::Back);
    s.leftX = 1.0f;
    s.rightTrigger = 1.0f;
    EXPECT_TRUE(step(s).empty()) << "switched off, a pad says nothing";
}

TEST_F(PadInputTest, ATriggerShootsOncePerPullHoweverItTrembles) {
    screen.inRound = true;
    int shots = 0;
    PadState s;
    // A pull that wavers about the half way, then lets go only a little and
    // pulls again: one shot; a full release and pull: the second.
    for (float v : {0.2f, 0.55f, 0.45f, 0.6f, 0.49f, 0.3f, 0.8f, 0.1f, 0.7f}) {
        s.rightTrigger = v;
        shots += count(step(s), msg::LButtonDown);
    }
    EXPECT_EQ(shots, 2);
    s.rightTrigger = 0;
    EXPECT_EQ(count(step(s), msg::LButtonUp), 1);
    // A fires too, at the cross-hair; holding it is one shot.
    pad.pointerMoved({50, 60});
    auto m = step(pressed(padButton::A));
    ASSERT_EQ(count(m, msg::LButtonDown), 1);
    EXPECT_EQ(pointParamX(m.back().lParam), 50);
    EXPECT_EQ(pointParamY(m.back().lParam), 60);
    EXPECT_EQ(count(step(pressed(padButton::A)), msg::LButtonDown), 0);
}

TEST_F(PadInputTest, LeftTriggerXAndBReloadInARound) {
    screen.inRound = true;
    PadState s;
    s.leftTrigger = 1;
    EXPECT_EQ(count(step(s), msg::RButtonDown), 1);
    EXPECT_EQ(count(step(PadState{}), msg::RButtonUp), 1);
    EXPECT_EQ(count(step(pressed(padButton::X)), msg::RButtonDown), 1);
    step(PadState{});
    auto m = step(pressed(padButton::B));
    EXPECT_EQ(count(m, msg::RButtonDown), 1);
    EXPECT_EQ(count(m, msg::KeyDown), 0) << "B in a round is no Escape";
}

TEST_F(PadInputTest, TheDPadAndTheRightStickHoldTheArrowKeys) {
    auto m = step(pressed(padButton::Right));
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::KeyDown);
    EXPECT_EQ(m[0].wParam, vk::Right);
    EXPECT_TRUE(step(pressed(padButton::Right)).empty()) << "held, not repeated";
    m = step(PadState{});
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].message, msg::KeyUp);
    PadState s;
    s.rightX = -0.8f;
    m = step(s);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].wParam, vk::Left);
    s.rightX = -0.4f; // between let-go and press: still held
    EXPECT_TRUE(step(s).empty());
    s.rightX = -0.1f;
    EXPECT_EQ(step(s)[0].message, msg::KeyUp);
}

TEST_F(PadInputTest, BackIsEscapeEverywhereAndBOutsideARound) {
    for (bool inRound : {false, true}) {
        screen.inRound = inRound;
        auto m = step(pressed(padButton::Back));
        ASSERT_GE(m.size(), 2u);
        EXPECT_EQ(m[0].message, msg::KeyDown);
        EXPECT_EQ(m[0].wParam, vk::Escape);
        EXPECT_EQ(m[1].message, msg::Char);
        EXPECT_EQ(m[1].wParam, 27u);
        step(PadState{});
    }
    screen.inRound = false;
    auto m = step(pressed(padButton::B));
    EXPECT_EQ(m[0].wParam, vk::Escape);
    EXPECT_EQ(count(m, msg::RButtonDown), 0);
    step(PadState{});
    // Start clicks on the screens between rounds, and not in a round.
    EXPECT_EQ(count(step(pressed(padButton::Start)), msg::LButtonDown), 1);
    step(PadState{});
    screen.inRound = true;
    EXPECT_EQ(count(step(pressed(padButton::Start)), msg::LButtonDown), 0);
}

TEST_F(PadInputTest, StartInARoundIsThePauseKeyOncePerPress) {
    const auto pauseKeys = [](const std::vector<Message>& m) {
        std::vector<uint32_t> out;
        for (const Message& x : m)
            if (x.wParam == 'P' && (x.message == msg::KeyDown || x.message == msg::KeyUp)) out.push_back(x.message);
        return out;
    };
    screen.inRound = true;
    EXPECT_EQ(pauseKeys(step(pressed(padButton::Start))), (std::vector<uint32_t>{msg::KeyDown, msg::KeyUp}));
    EXPECT_TRUE(pauseKeys(step(pressed(padButton::Start))).empty()) << "held, it presses nothing more";
    step(PadState{});
    EXPECT_EQ(pauseKeys(step(pressed(padButton::Start))).size(), 2u);
    step(PadState{});
    // Between rounds Start is a click, and in the name entry it ends the name.
    screen.inRound = false;
    EXPECT_TRUE(pauseKeys(step(pressed(padButton::Start))).empty());
}

TEST_F(PadInputTest, TheShouldersTurnTheWheelANotchPerPressOutsideARoundAndAName) {
    const auto turns = [](const std::vector<Message>& m) {
        std::vector<int32_t> out;
        for (const Message& x : m)
            if (x.message == msg::MouseWheel) out.push_back(wheelParamTurn(x.wParam));
        return out;
    };
    EXPECT_EQ(turns(step(pressed(padButton::LeftShoulder))), std::vector<int32_t>{wheelNotch});
    EXPECT_TRUE(turns(step(pressed(padButton::LeftShoulder))).empty()) << "held, it turns nothing more";
    EXPECT_EQ(turns(step(pressed(padButton::RightShoulder))), std::vector<int32_t>{-wheelNotch});
    step(PadState{});
    // In a round the left shoulder is the slow aim, and in a name the D-pad's.
    screen.inRound = true;
    EXPECT_TRUE(turns(step(pressed(padButton::LeftShoulder | padButton::RightShoulder))).empty());
    step(PadState{});
    screen.inRound = false;
    screen.textEntry = true;
    EXPECT_TRUE(turns(step(pressed(padButton::LeftShoulder | padButton::RightShoulder))).empty());
}

TEST_F(PadInputTest, ANameIsSpelledWithTheDPad) {
    screen.textEntry = true;
    std::string name;
    auto tap = [&](uint32_t button) {
        typeInto(name, step(pressed(button)));
        typeInto(name, step(PadState{}));
    };
    // "ZO": up once shows A, down twice from there goes back past the blank to 9 ... Z.
    tap(padButton::Up);
    EXPECT_EQ(name, "A") << "the letter shows in place";
    tap(padButton::Down);
    EXPECT_EQ(name, " ");
    for (int i = 0; i < 11; ++i) tap(padButton::Down);
    EXPECT_EQ(name, "Z");
    tap(padButton::Right);
    for (int i = 0; i < 15; ++i) tap(padButton::Up);
    EXPECT_EQ(name, "ZO");
    tap(padButton::A);
    tap(padButton::Up);
    EXPECT_EQ(name, "ZOA");
    tap(padButton::Left);
    EXPECT_EQ(name, "ZO") << "left deletes";
    tap(padButton::Left);
    EXPECT_EQ(name, "Z");
    for (int i = 0; i < 5; ++i) tap(padButton::Up);
    EXPECT_EQ(name, "ZE");
    auto m = step(pressed(padButton::Start));
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[1].message, msg::Char);
    EXPECT_EQ(m[1].wParam, 13u) << "Start is Enter";
    EXPECT_EQ(count(m, msg::LButtonDown), 0);
    // A in the name entry takes a letter and clicks nothing.
    EXPECT_EQ(count(step(pressed(padButton::A)), msg::LButtonDown), 0);
}

TEST_F(PadInputTest, AFullNameTakesNoNewLetterFromTheWheel) {
    screen.textEntry = true;
    std::string name = "ABCDEFGHIJ";
    auto tap = [&](uint32_t button) {
        typeInto(name, step(pressed(button)));
        typeInto(name, step(PadState{}));
        // As the table takes it: eleven characters at most, and it says when
        // the name is full.
        name.resize(std::min<size_t>(name.size(), 11));
        screen.textFull = name.size() == 11;
    };
    // The eleventh letter from the wheel, turned while it shows.
    tap(padButton::Up);
    tap(padButton::Up);
    EXPECT_EQ(name, "ABCDEFGHIJB");
    tap(padButton::Right);
    // Full: further turns show nothing, so none takes the last letter away.
    tap(padButton::Up);
    tap(padButton::Up);
    tap(padButton::Down);
    EXPECT_EQ(name, "ABCDEFGHIJB");
    // Left makes room, and the wheel turns again.
    tap(padButton::Left);
    tap(padButton::Down);
    EXPECT_EQ(name, "ABCDEFGHIJ ");
}

TEST_F(PadInputTest, WithoutTheFocusThePadLetsGoAndActsOnlyOnWhatIsPressedAfterItsReturn) {
    screen.inRound = true;
    PadState s = pressed(padButton::A | padButton::Right);
    auto m = step(s);
    ASSERT_EQ(count(m, msg::LButtonDown), 1);
    ASSERT_EQ(count(m, msg::KeyDown), 1);

    // The focus goes while A and the D-pad are held: both are let go, as the
    // keyboard's keys are, and nothing the pad does reaches the game.
    screen.focused = false;
    m = step(s);
    EXPECT_EQ(count(m, msg::LButtonUp), 1);
    EXPECT_EQ(count(m, msg::KeyUp), 1);
    EXPECT_EQ(m.size(), 2u);
    s = pressed(padButton::A | padButton::X | padButton::Back);
    s.leftX = 1.0f;
    s.rightTrigger = 1.0f;
    EXPECT_TRUE(step(s, 0.1).empty()) << "no shot, reload, Escape or aim without the focus";

    // Back with the focus, the controls still held stay silent until let go.
    screen.focused = true;
    m = step(s, 0.1);
    EXPECT_EQ(count(m, msg::LButtonDown) + count(m, msg::RButtonDown) + count(m, msg::KeyDown), 0);
    EXPECT_EQ(count(m, msg::MouseMove), 1) << "the stick aims again at once";
    s.leftX = 0;
    s.buttons = 0;
    s.rightTrigger = 0;
    step(s);
    EXPECT_EQ(count(step(pressed(padButton::A)), msg::LButtonDown), 1) << "a new press shoots";
}

TEST_F(PadInputTest, TheStickStartsFromTheMiddleOfTheFrameUntilAnotherDeviceMovedTheCrossHair) {
    screen.frameWidth = 800;
    screen.frameHeight = 600;
    PadState s;
    s.leftX = 0.3f;
    auto m = step(s, 0.1);
    ASSERT_EQ(count(m, msg::MouseMove), 1);
    EXPECT_GT(pointParamX(m[0].lParam), 400);
    EXPECT_LT(pointParamX(m[0].lParam), 420) << "a small push moves it a little from the middle";
    EXPECT_EQ(pointParamY(m[0].lParam), 300);
}

TEST_F(PadInputTest, APadOnlyPluggedInTakesNothingOverAndTheMouseHandsItBack) {
    PadState resting;
    resting.leftX = 0.05f;
    resting.rightTrigger = 0.2f;
    EXPECT_TRUE(step(resting).empty());
    EXPECT_FALSE(pad.active());
    pad.pointerMoved({400, 300});
    PadState s;
    s.leftX = -1;
    auto m = step(s, 0.1);
    ASSERT_EQ(count(m, msg::MouseMove), 1);
    EXPECT_LT(pointParamX(m[0].lParam), 400) << "the stick goes on from where the mouse left the cross-hair";
    EXPECT_EQ(pointParamY(m[0].lParam), 300);
    // A stall moves it no farther than a tenth of a second would.
    pad.pointerMoved({400, 300});
    m = step(s, 5.0);
    EXPECT_GT(pointParamX(m[0].lParam), 300);
}

} // namespace
} // namespace vandrel
