// Fingers on a touch screen become the messages of a mouse and the arrow keys,
// so the game, its recordings and their replays never learn what a finger is.
// A finger that lands on the picture moves the cross-hair there and presses
// the left button (one tap, one shot); one on the magazine (or, for a
// left-handed player, on the same corner at the bottom left), or a second
// finger while one aims, presses the right button (a reload, never a shot); one that
// rests in the black bar beside the picture holds that side's arrow key. When
// the aiming finger lifts, a cross-hair left where the game would scroll by
// itself is brought just inside the still middle.
#pragma once
#include "base/Presentation.h"
#include "base/Rect.h"
#include "input/MessageQueue.h"

#include <cstdint>
#include <vector>

namespace vandrel {

// The screen as the touches see it.
struct TouchLayout {
    // The window and the frame on it; finger positions are in window points.
    PresentationShape shape;
    // The magazine in frame pixels; empty outside a round.
    Rect magazine;
    // The player holds the phone with the left thumb on the picture: the
    // magazine's corner mirrored to the bottom left reloads as well.
    bool leftHanded = false;
};

class TouchInput {
public:
    // The game scrolls while the pointer is this far or farther from the
    // frame's middle column: (x - width / 2) / 100 is its speed's factor.
    static constexpr int32_t scrollDistance = 100;

    void fingerDown(int64_t finger, double x, double y, const TouchLayout& layout, MessageQueue& out);
    void fingerMove(int64_t finger, double x, double y, const TouchLayout& layout, MessageQueue& out);
    // Where a finger lifts does not matter: it lets go of what it held.
    void fingerUp(int64_t finger, const TouchLayout& layout, MessageQueue& out);

    // The cross-hair as the touches last put it; valid once a finger aimed.
    bool aimed() const { return aimed_; }
    FramePoint pointer() const { return pointer_; }
    // Another device moved the cross-hair: a lift brings that position back
    // into the still middle no more.
    void pointerMovedElsewhere() { aimed_ = false; }

private:
    enum class Role { Aim, Reload, Bar };
    struct Finger {
        int64_t id = 0;
        Role role = Role::Aim;
        uint32_t key = 0; // the arrow key a bar finger holds; 0 over the picture
    };
    // The arrow key of a bar at window position x; 0 over the picture.
    static uint32_t barKey(double x, const TouchLayout& layout);
    // Whether a finger landing on frame point p reloads instead of shooting.
    static bool reloads(FramePoint p, const TouchLayout& layout);
    Finger* find(int64_t id);
    void holdKey(uint32_t key, MessageQueue& out);
    void releaseKey(uint32_t key, const Finger* except, MessageQueue& out);

    std::vector<Finger> fingers_;
    FramePoint pointer_;
    bool aimed_ = false;
};

} // namespace vandrel
