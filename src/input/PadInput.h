// A game pad becomes the messages of a mouse and a keyboard, so the game, its
// recordings and their replays never learn what a pad is. The left stick
// moves the cross-hair at a speed that grows with the tilt, the same path at
// any frame rate; the triggers, A, X and B are the mouse buttons; the D-pad
// and the right stick hold the arrow keys; Back is Escape, Start in a round
// is P (the pause); outside a round the shoulders turn the mouse wheel a
// notch (left away from the player, right towards). While the table
// asks for a name, the D-pad turns a letter wheel at the cursor instead. The
// pads act only while the game's window has the focus, as the keyboard does.
#pragma once
#include "base/Presentation.h"
#include "input/MessageQueue.h"

#include <cstdint>

namespace vandrel {

// The pad's buttons as bits of PadState::buttons.
namespace padButton {
enum : uint32_t {
    A = 1u << 0,
    B = 1u << 1,
    X = 1u << 2,
    Y = 1u << 3,
    Back = 1u << 4,
    Start = 1u << 5,
    LeftShoulder = 1u << 6,
    RightShoulder = 1u << 7,
    Up = 1u << 8,
    Down = 1u << 9,
    Left = 1u << 10,
    Right = 1u << 11,
};
} // namespace padButton

// What the pads hold at one moment: sticks from -1 (left, up) to 1, triggers
// from 0 to 1.
struct PadState {
    float leftX = 0, leftY = 0;
    float rightX = 0, rightY = 0;
    float leftTrigger = 0, rightTrigger = 0;
    uint32_t buttons = 0;
};

// How the pad aims; the defaults are the game's.
struct PadTuning {
    // Off: the pads are left alone, as if none were plugged in.
    bool enabled = true;
    // Tilt below this share of the travel, measured as the stick's distance
    // from its centre in any direction, is the stick's own play and moves nothing.
    double deadZone = 0.10;
    // Full tilt crosses the 640-pixel frame in 0.7 s.
    double fullSpeed = 640.0 / 0.7; // pixels per second
    // The speed grows with this power of the tilt beyond the dead zone:
    // single pixels near the centre, the whole speed at the rim.
    double curve = 2.0;
    // The left shoulder held: a third of the speed, for the last pixels.
    double precision = 1.0 / 3.0;
};

// What the pad needs to know of the game's screen.
struct PadScreen {
    int32_t frameWidth = 640;
    int32_t frameHeight = 480;
    // A round runs: B reloads (outside one it is Escape), Start is P and clicks nothing.
    bool inRound = false;
    // The table asks for a name.
    bool textEntry = false;
    // The name has all its characters: the wheel starts no new one.
    bool textFull = false;
    // The game's window has the focus (and is neither minimised nor hidden).
    bool focused = true;
};

class PadInput {
public:
    // The key Start presses in a round: the game's pause key.
    static constexpr uint32_t pauseKeyCode = 'P';
    // The characters the letter wheel turns through: those a name takes.
    static constexpr char wheel[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";

    explicit PadInput(const PadTuning& tuning = {}) : tuning_(tuning) {}
    // The player's own dead zone, speed and on or off, from the settings.
    void setTuning(const PadTuning& tuning) { tuning_ = tuning; }
    const PadTuning& tuning() const { return tuning_; }

    // Turns the pads' state, seconds after the last call, into messages: the
    // buttons' presses and releases since then, and the cross-hair moved by
    // the stick over that time. Nothing until a pad is first pressed, and
    // nothing at all while the pads are switched off. Without the focus the
    // pad lets go of what it held; a control still held when the focus comes
    // back acts again once it has been let go.
    void update(const PadState& state, double seconds, const PadScreen& screen, MessageQueue& out);

    // Another device moved the cross-hair there: the stick goes on from it.
    // Before any did, the stick starts from the middle of the frame.
    void pointerMoved(FramePoint p);
    bool active() const { return active_; }
    // The pixel the cross-hair is in (the middle of a 640 x 480 frame before
    // anything moved it).
    FramePoint pointer() const;

private:
    void press(uint32_t message, uint64_t flag, MessageQueue& out) const;
    void key(uint32_t code, bool down, MessageQueue& out) const;
    void typeKey(uint32_t code, MessageQueue& out) const;
    // What the pad holds without the controls held since the focus was lost.
    PadState withoutStale(const PadState& state);
    void letGo(const PadState& state, MessageQueue& out);
    void aim(const PadState& state, double seconds, const PadScreen& screen, MessageQueue& out);
    void nameEntry(uint32_t pressed, const PadScreen& screen, MessageQueue& out);
    void turnWheel(int step, const PadScreen& screen, MessageQueue& out);

    PadTuning tuning_;
    bool active_ = false;
    PadState last_;
    bool rightTriggerHeld_ = false;
    bool leftTriggerHeld_ = false;
    int32_t stickKey_ = 0;         // the arrow key the right stick holds; 0 none
    uint32_t arrowsHeld_ = 0;      // vk::Left and vk::Right held, as bits 1 and 2
    bool leftHeld_ = false;        // the left button as the pad holds it
    bool rightHeld_ = false;       // the right button as the pad holds it
    double x_ = 320.5, y_ = 240.5; // the cross-hair with its fraction of a pixel
    bool pointerKnown_ = false;    // x_ and y_ came from a device, not the start
    int32_t wheelAt_ = -1;         // the wheel's character shown at the cursor; -1 none
    uint32_t staleButtons_ = 0;    // buttons held since the focus went, until let go
    bool staleAxes_ = false;       // the triggers or the right stick, the same
};

} // namespace vandrel
