// Pad state to mouse, key and character messages.
#include "input/PadInput.h"

#include "input/Messages.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vandrel {
namespace {

// A trigger pulls past the first share and lets go below the second, so one
// pull is one shot however the trigger trembles around a single threshold.
constexpr float triggerOn = 0.5f;
constexpr float triggerOff = 0.25f;
// The right stick holds an arrow key the same way.
constexpr float stickOn = 0.5f;
constexpr float stickOff = 0.3f;
// A stall longer than this (a window dragged, a debugger) moves the
// cross-hair no farther than this much time would.
constexpr double longestStep = 0.1;

bool held(bool wasHeld, float value, float on, float off) { return wasHeld ? value > off : value >= on; }

} // namespace

FramePoint PadInput::pointer() const {
    return FramePoint{static_cast<int32_t>(std::floor(x_)), static_cast<int32_t>(std::floor(y_))};
}

void PadInput::pointerMoved(FramePoint p) {
    x_ = p.x + 0.5;
    y_ = p.y + 0.5;
    pointerKnown_ = true;
}

void PadInput::press(uint32_t message, uint64_t flag, MessageQueue& out) const {
    const FramePoint p = pointer();
    out.post(message, flag, makePointParam(p.x, p.y));
}

void PadInput::key(uint32_t code, bool down, MessageQueue& out) const {
    out.post(down ? msg::KeyDown : msg::KeyUp, code);
}

void PadInput::typeKey(uint32_t code, MessageQueue& out) const {
    // As the keyboard gives it: the key, the character it types, the key let go.
    out.post(msg::KeyDown, code);
    out.post(msg::Char, controlChar(code));
    out.post(msg::KeyUp, code);
}

PadState PadInput::withoutStale(const PadState& state) {
    PadState s = state;
    staleButtons_ &= state.buttons;
    s.buttons &= ~staleButtons_;
    if (staleAxes_ && state.leftTrigger <= triggerOff && state.rightTrigger <= triggerOff &&
        std::fabs(state.rightX) <= stickOff)
        staleAxes_ = false;
    if (staleAxes_) s.leftTrigger = s.rightTrigger = s.rightX = 0;
    return s;
}

void PadInput::letGo(const PadState& state, MessageQueue& out) {
    // As the keyboard's keys go up when the window loses the focus.
    if (leftHeld_) press(msg::LButtonUp, mouseLeftHeld, out);
    if (rightHeld_) press(msg::RButtonUp, mouseRightHeld, out);
    if (arrowsHeld_ & 1) key(vk::Left, false, out);
    if (arrowsHeld_ & 2) key(vk::Right, false, out);
    leftHeld_ = rightHeld_ = false;
    rightTriggerHeld_ = leftTriggerHeld_ = false;
    arrowsHeld_ = 0;
    stickKey_ = 0;
    wheelAt_ = -1;
    // What is held now was pressed for another window, or before the
    // game's was left: it does nothing here until let go.
    staleButtons_ = state.buttons;
    staleAxes_ =
        state.leftTrigger > triggerOff || state.rightTrigger > triggerOff || std::fabs(state.rightX) > stickOff;
    last_ = PadState{};
}

void PadInput::update(const PadState& padState, double seconds, const PadScreen& screen, MessageQueue& out) {
    if (!tuning_.enabled) return;
    if (!screen.focused) {
        letGo(padState, out);
        return;
    }
    const PadState state = withoutStale(padState);
    const uint32_t pressed = state.buttons & ~last_.buttons;
    if (!active_) {
        // A pad merely plugged in, its sticks at rest, takes nothing over.
        const bool touched = pressed != 0 || state.leftTrigger >= triggerOn || state.rightTrigger >= triggerOn ||
                             std::hypot(state.leftX, state.leftY) > tuning_.deadZone ||
                             std::fabs(state.rightX) >= stickOn;
        if (!touched) {
            last_ = state;
            return;
        }
        active_ = true;
    }
    if (!screen.textEntry) wheelAt_ = -1;

    rightTriggerHeld_ = held(rightTriggerHeld_, state.rightTrigger, triggerOn, triggerOff);
    leftTriggerHeld_ = held(leftTriggerHeld_, state.leftTrigger, triggerOn, triggerOff);
    int32_t stick = 0;
    if (stickKey_ == static_cast<int32_t>(vk::Left) ? state.rightX < -stickOff : state.rightX <= -stickOn)
        stick = static_cast<int32_t>(vk::Left);
    else if (stickKey_ == static_cast<int32_t>(vk::Right) ? state.rightX > stickOff : state.rightX >= stickOn)
        stick = static_cast<int32_t>(vk::Right);
    stickKey_ = stick;

    // The stick first, so a shot in the same moment lands where it aimed.
    aim(state, seconds, screen, out);

    const uint32_t b = state.buttons;
    bool wantLeft = false, wantRight = false;
    uint32_t wantArrows = 0;
    if (screen.textEntry) {
        nameEntry(pressed, screen, out);
    } else {
        wantLeft = (b & padButton::A) != 0 || rightTriggerHeld_ || (!screen.inRound && (b & padButton::Start) != 0);
        wantRight = (b & padButton::X) != 0 || leftTriggerHeld_ || (screen.inRound && (b & padButton::B) != 0);
        if ((b & padButton::Left) != 0 || stick == static_cast<int32_t>(vk::Left)) wantArrows |= 1;
        if ((b & padButton::Right) != 0 || stick == static_cast<int32_t>(vk::Right)) wantArrows |= 2;
    }
    if ((pressed & padButton::Back) != 0 || (!screen.inRound && (pressed & padButton::B) != 0))
        typeKey(vk::Escape, out);
    // Outside a round and a name the shoulders turn the wheel a notch: on the
    // title that is the gallery before (left) or after (right).
    if (!screen.inRound && !screen.textEntry) {
        if ((pressed & padButton::LeftShoulder) != 0) out.post(msg::MouseWheel, makeWheelParam(wheelNotch));
        if ((pressed & padButton::RightShoulder) != 0) out.post(msg::MouseWheel, makeWheelParam(-wheelNotch));
    }
    // In a round Start is the keyboard's P: it pauses the round and plays it on.
    if (screen.inRound && !screen.textEntry && (pressed & padButton::Start) != 0) {
        key(pauseKeyCode, true, out);
        key(pauseKeyCode, false, out);
    }

    if (wantLeft != leftHeld_) press(wantLeft ? msg::LButtonDown : msg::LButtonUp, mouseLeftHeld, out);
    if (wantRight != rightHeld_) press(wantRight ? msg::RButtonDown : msg::RButtonUp, mouseRightHeld, out);
    leftHeld_ = wantLeft;
    rightHeld_ = wantRight;
    for (const auto& [bit, code] : {std::pair{1u, vk::Left}, std::pair{2u, vk::Right}}) {
        if ((wantArrows & bit) != (arrowsHeld_ & bit)) key(code, (wantArrows & bit) != 0, out);
    }
    arrowsHeld_ = wantArrows;
    last_ = state;
}

void PadInput::aim(const PadState& state, double seconds, const PadScreen& screen, MessageQueue& out) {
    const double tilt = std::hypot(static_cast<double>(state.leftX), static_cast<double>(state.leftY));
    if (tilt <= tuning_.deadZone || screen.frameWidth <= 0 || screen.frameHeight <= 0) return;
    if (!pointerKnown_) {
        // No device moved the cross-hair yet: the game shows it in the middle.
        pointerMoved({screen.frameWidth / 2, screen.frameHeight / 2});
    }
    // Radial: the dead zone is a circle, so a diagonal is as fine as a straight
    // push, and the speed starts from nothing at its rim.
    const double beyond = std::min(1.0, (tilt - tuning_.deadZone) / (1.0 - tuning_.deadZone));
    double speed = tuning_.fullSpeed * std::pow(beyond, tuning_.curve);
    if ((state.buttons & padButton::LeftShoulder) != 0) speed *= tuning_.precision;
    const double step = std::clamp(seconds, 0.0, longestStep) * speed / tilt;
    // The fraction of a pixel is kept, so a slow push still arrives.
    const double right = std::nextafter(static_cast<double>(screen.frameWidth), 0.0);
    const double bottom = std::nextafter(static_cast<double>(screen.frameHeight), 0.0);
    const FramePoint before = pointer();
    x_ = std::clamp(x_ + state.leftX * step, 0.0, right);
    y_ = std::clamp(y_ + state.leftY * step, 0.0, bottom);
    const FramePoint p = pointer();
    if (p == before) return;
    const uint64_t keys = (leftHeld_ ? mouseLeftHeld : 0) | (rightHeld_ ? mouseRightHeld : 0);
    out.post(msg::MouseMove, keys, makePointParam(p.x, p.y));
}

void PadInput::nameEntry(uint32_t pressed, const PadScreen& screen, MessageQueue& out) {
    if (pressed & padButton::Up) turnWheel(1, screen, out);
    if (pressed & padButton::Down) turnWheel(-1, screen, out);
    // The character shown is taken; the next turn starts a new one after it.
    if (pressed & (padButton::Right | padButton::A)) wheelAt_ = -1;
    if (pressed & padButton::Left) {
        typeKey(vk::Back, out);
        wheelAt_ = -1;
    }
    if (pressed & padButton::Start) {
        typeKey(vk::Return, out);
        wheelAt_ = -1;
    }
}

void PadInput::turnWheel(int step, const PadScreen& screen, MessageQueue& out) {
    const auto size = static_cast<int32_t>(std::strlen(wheel));
    // A full name would refuse the new character, and the next turn's
    // Backspace would then take the name's own last one away.
    if (wheelAt_ < 0 && screen.textFull) return;
    if (wheelAt_ >= 0) {
        // The shown character goes and the next one takes its place.
        typeKey(vk::Back, out);
        wheelAt_ = (wheelAt_ + step + size) % size;
    } else {
        wheelAt_ = step > 0 ? 0 : size - 1;
    }
    out.post(msg::Char, static_cast<uint64_t>(static_cast<uint8_t>(wheel[wheelAt_])));
}

} // namespace vandrel
