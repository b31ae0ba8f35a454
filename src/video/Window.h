// The game's one window as the backends provide it: a message queue fed with
// the system's input as window messages, the client area, the two screen modes,
// the cursor's show counter, and the screen that frames are shown on.
#pragma once
#include "base/Rect.h"
#include "input/HapticCues.h"
#include "input/InputDevice.h"
#include "input/MessageQueue.h"
#include "video/VideoSink.h"

#include <cstdint>

namespace vandrel {

struct PadTuning;

class Window : public VideoSink {
public:
    ~Window() override = default;

    MessageQueue& queue() { return queue_; }
    void post(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0) { queue_.post(message, wParam, lParam); }

    // Turns the system events that wait into messages; never blocks.
    virtual void pumpEvents() = 0;
    // Blocks until a system event arrives (or at most timeoutMs) and turns it
    // into messages: the wait of a minimised window.
    virtual void waitEvents(uint32_t timeoutMs) = 0;

    // The client area, (0, 0) at its top-left; false once the window is gone.
    virtual bool clientRect(Rect& out) const = 0;
    // Full screen: a borderless window over the whole desktop. Window: a
    // framed window of fixed size, its client area as setClientSize left it.
    virtual void setFullScreen(bool fullScreen) = 0;
    virtual void setClientSize(int32_t width, int32_t height) = 0;
    virtual void show() = 0;
    // Closes the window for good; clientRect fails from then on.
    virtual void destroy() = 0;
    virtual bool isDestroyed() const = 0;

    // The cursor's display counter, as the system keeps it: shown while it is
    // 0 or more. Returns the new count.
    int32_t showCursor(bool show) {
        cursorCount_ += show ? 1 : -1;
        applyCursor(cursorCount_ >= 0);
        return cursorCount_;
    }
    int32_t cursorCount() const { return cursorCount_; }

    // What the game's screen asks of the input devices, told by the game as it
    // changes. A name being typed into the high-score table: text input with
    // the on-screen keyboard, the pad's letter wheel. The magazine's rectangle
    // in frame pixels while a round runs, empty otherwise: a tap there reloads,
    // and the pad's B reloads in a round and is Escape outside one. Backends
    // without such devices keep the defaults, which ignore both.
    virtual void setTextEntry(bool active) { (void)active; }
    // The name being typed has all the characters it takes: a device that
    // types for the player (the pad's letter wheel) starts no new one.
    virtual void setTextEntryFull(bool full) { (void)full; }
    virtual void setMagazineArea(const Rect& area) { (void)area; }
    // The player's pad settings (dead zone, speed, on or off); backends
    // without pads ignore them.
    virtual void setPadTuning(const PadTuning& tuning) { (void)tuning; }
    // What a round's head-up display shows, told every frame (outside a round
    // as no round): a backend with a pad's rumble or a phone's vibration lets
    // the player feel a hit and an empty magazine (see HapticCues).
    virtual void setRoundShown(const RoundShown& shown) { (void)shown; }
    // The player's choices for those devices: the rumble at all, and a
    // left-handed player's touch layout (the reload corner at the bottom left).
    virtual void setHaptics(bool on) { (void)on; }
    virtual void setLeftHanded(bool leftHanded) { (void)leftHanded; }
    // The device the player last moved or pressed; backends that cannot
    // tell say the mouse.
    virtual InputDevice lastDevice() const { return InputDevice::Mouse; }

protected:
    virtual void applyCursor(bool visible) = 0;

private:
    MessageQueue queue_;
    int32_t cursorCount_ = 0;
};

} // namespace vandrel
