// A screen rectangle as the window system knows it: signed 32-bit pixel edges,
// right and bottom exclusive. Surfaces, blits and the window's client area use it.
#pragma once
#include <cstdint>

namespace vandrel {

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace vandrel
