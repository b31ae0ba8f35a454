// How SDL's events become the game's window messages: keys with Windows key
// codes, the pointer in frame pixels, typed characters, the window's
// activation, and touches and pads as a mouse and keys would give them.
// Nothing here calls SDL: what the translation needs to know of the window
// comes in with each event, so tests feed it events without a video driver.
// Whichever device moved last owns the cross-hair.
#pragma once
#include "base/Presentation.h"
#include "base/Rect.h"
#include "input/InputDevice.h"
#include "input/MessageQueue.h"
#include "input/PadInput.h"
#include "input/TouchInput.h"

#include <cstdint>

union SDL_Event;

namespace vandrel {

// The window as the translation of one event sees it.
struct InputView {
    // SDL's number for the game's window; events of other windows are not ours.
    uint32_t windowId = 0;
    // The window and the frame the game sees (its client area) on it.
    PresentationShape shape;
    // SDL's keyboard modifiers at the time (SDL_GetModState()).
    uint16_t modState = 0;
    // The window covers the desktop: a maximise has nothing left to switch.
    bool fullScreen = false;
    // What the game told of its screen (Window::setTextEntry,
    // setTextEntryFull, setMagazineArea).
    bool textEntry = false;
    bool textFull = false;
    Rect magazine;
    // The player's touch layout (Window::setLeftHanded).
    bool leftHanded = false;
};

class SdlInput {
public:
    // Posts what the event means to the game into out; events the game never
    // hears of post nothing.
    void translate(const SDL_Event& e, const InputView& view, MessageQueue& out);

    // The pads' state, seconds after the last call: the stick's cross-hair
    // moves by that time, buttons pressed or let go since become messages.
    // Called every frame, whether events came or not: a stick held still
    // sends none and goes on aiming. Only while the window has the focus.
    void padTick(const PadState& pads, double seconds, const InputView& view, MessageQueue& out);

    void setPadTuning(const PadTuning& tuning) { pad_.setTuning(tuning); }
    // Whether a pad has taken the cross-hair or a button over since the start.
    bool padUsed() const { return pad_.active(); }
    // Whether a finger, rather than the mouse or a pad, moved the cross-hair
    // or pressed last: a phone held in the hands.
    bool touchedLast() const { return lastDevice_ == InputDevice::Touch; }

    // The device whose event last became a message.
    InputDevice lastDevice() const { return lastDevice_; }

    // Whether the window is minimised or hidden, as its events told.
    bool stopped() const { return minimised_ || hidden_; }
    // Whether the keyboard's input goes to the window, as its events told; a
    // shown window has it until told otherwise.
    bool focused() const { return focused_ && !stopped(); }

private:
    void translateWindowEvent(uint8_t event, const InputView& view, MessageQueue& out);
    void translateKey(const SDL_Event& e, MessageQueue& out);
    void translateFinger(const SDL_Event& e, const InputView& view, MessageQueue& out);
    // Activate with the minimised flag while the window is minimised or hidden,
    // whatever the focus does meanwhile.
    void postActivation(uint64_t state, MessageQueue& out) const;

    bool minimised_ = false;
    bool hidden_ = false;
    bool focused_ = true;
    InputDevice lastDevice_ = InputDevice::Mouse;
    TouchInput touch_;
    PadInput pad_;
};

} // namespace vandrel
