// Touches to mouse and key messages.
#include "input/TouchInput.h"

#include "input/Messages.h"

#include <algorithm>
#include <cmath>

namespace vandrel {
namespace {

FramePoint toFrame(double x, double y, const TouchLayout& layout) {
    // Positions come as single-precision shares of the window: 200 / 480 of
    // 480 points is a hair under 200, and still point 200.
    constexpr double hair = 1e-3;
    return pointerToFrame(layout.shape, static_cast<int32_t>(std::floor(x + hair)),
                          static_cast<int32_t>(std::floor(y + hair)));
}

bool inside(const Rect& r, FramePoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

} // namespace

uint32_t TouchInput::barKey(double x, const TouchLayout& layout) {
    const PresentationShape& s = layout.shape;
    if (s.windowWidth <= 0) return 0;
    const Rect picture = frameRectOnOutput(s);
    if (picture.width() <= 0) return 0;
    const double pixel = x * s.outputWidth / s.windowWidth;
    if (picture.left > 0 && pixel < picture.left) return vk::Left;
    if (picture.right < s.outputWidth && pixel >= picture.right) return vk::Right;
    return 0;
}

bool TouchInput::reloads(FramePoint p, const TouchLayout& layout) {
    if (inside(layout.magazine, p)) return true;
    if (!layout.leftHanded || layout.magazine.width() <= 0) return false;
    const int32_t width = layout.shape.frameWidth;
    const Rect mirrored{width - layout.magazine.right, layout.magazine.top, width - layout.magazine.left,
                        layout.magazine.bottom};
    return inside(mirrored, p);
}

TouchInput::Finger* TouchInput::find(int64_t id) {
    for (Finger& f : fingers_)
        if (f.id == id) return &f;
    return nullptr;
}

void TouchInput::holdKey(uint32_t key, MessageQueue& out) {
    // Two fingers in one bar hold one key.
    for (const Finger& f : fingers_)
        if (f.role == Role::Bar && f.key == key) return;
    out.post(msg::KeyDown, key);
}

void TouchInput::releaseKey(uint32_t key, const Finger* except, MessageQueue& out) {
    for (const Finger& f : fingers_)
        if (&f != except && f.role == Role::Bar && f.key == key) return;
    out.post(msg::KeyUp, key);
}

void TouchInput::fingerDown(int64_t finger, double x, double y, const TouchLayout& layout, MessageQueue& out) {
    if (find(finger)) return; // a second down without an up: the first stands
    Finger f;
    f.id = finger;
    const FramePoint p = toFrame(x, y, layout);
    const bool aiming =
        std::any_of(fingers_.begin(), fingers_.end(), [](const Finger& g) { return g.role == Role::Aim; });
    if (const uint32_t key = barKey(x, layout)) {
        f.role = Role::Bar;
        f.key = key;
        holdKey(key, out);
    } else if (aiming || reloads(p, layout)) {
        // The cross-hair stays where it aims: a reload is no shot.
        f.role = Role::Reload;
        out.post(msg::RButtonDown, mouseRightHeld, makePointParam(pointer_.x, pointer_.y));
    } else {
        f.role = Role::Aim;
        pointer_ = p;
        aimed_ = true;
        out.post(msg::MouseMove, 0, makePointParam(p.x, p.y));
        out.post(msg::LButtonDown, mouseLeftHeld, makePointParam(p.x, p.y));
    }
    fingers_.push_back(f);
}

void TouchInput::fingerMove(int64_t finger, double x, double y, const TouchLayout& layout, MessageQueue& out) {
    Finger* f = find(finger);
    if (!f) return;
    if (f->role == Role::Aim) {
        const FramePoint p = toFrame(x, y, layout);
        if (aimed_ && p == pointer_) return;
        pointer_ = p;
        aimed_ = true;
        out.post(msg::MouseMove, mouseLeftHeld, makePointParam(p.x, p.y));
    } else if (f->role == Role::Bar) {
        // The key follows the finger: out of its bar into the picture lets go,
        // into the other bar changes sides.
        const uint32_t key = barKey(x, layout);
        if (key == f->key) return;
        const uint32_t old = f->key;
        f->key = 0;
        if (old) releaseKey(old, nullptr, out);
        if (key) holdKey(key, out);
        f->key = key;
    }
}

void TouchInput::fingerUp(int64_t finger, const TouchLayout& layout, MessageQueue& out) {
    Finger* f = find(finger);
    if (!f) return;
    const Finger lifted = *f;
    fingers_.erase(fingers_.begin() + (f - fingers_.data()));
    switch (lifted.role) {
    case Role::Bar:
        if (lifted.key) releaseKey(lifted.key, nullptr, out);
        break;
    case Role::Reload: out.post(msg::RButtonUp, mouseRightHeld, makePointParam(pointer_.x, pointer_.y)); break;
    case Role::Aim: {
        out.post(msg::LButtonUp, mouseLeftHeld, makePointParam(pointer_.x, pointer_.y));
        if (!aimed_) break;
        // A mouse pointer stays where it is and scrolls on; nobody holds a
        // lifted finger there, so the cross-hair comes just inside the still
        // middle, as far as needed and no farther.
        const int32_t middle = layout.shape.frameWidth / 2;
        const int32_t reach = scrollDistance - 1;
        const int32_t x0 = std::clamp(pointer_.x, middle - reach, middle + reach);
        if (x0 != pointer_.x) {
            pointer_.x = x0;
            out.post(msg::MouseMove, 0, makePointParam(pointer_.x, pointer_.y));
        }
        break;
    }
    }
}

} // namespace vandrel
