// Conversions and intersections of rectangles and boxes.
#include "gfx/Box.h"

#include <algorithm>

namespace vandrel {

int32_t roundPixel(float v) { return static_cast<int32_t>(v + 0.5f); }

Rect toRect(const BoxF& box) {
    return Rect{roundPixel(box.x), roundPixel(box.y), roundPixel(box.x + box.w), roundPixel(box.y + box.h)};
}

BoxF toBoxF(const Rect& rect) {
    return BoxF{static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right - rect.left),
                static_cast<float>(rect.bottom - rect.top)};
}

bool intersect(const Box& a, const Box& b, Box& out) {
    out.x = std::max(a.x, b.x);
    out.y = std::max(a.y, b.y);
    out.w = std::min(a.x + a.w, b.x + b.w) - out.x;
    out.h = std::min(a.y + a.h, b.y + b.h) - out.y;
    return out.w > 0 && out.h > 0;
}

bool intersect(const BoxF& a, const BoxF& b, BoxF& out) {
    // Below this a float box is a rounding remainder, not an area.
    constexpr float epsilon = 1.1920929e-7f;
    out.x = std::max(a.x, b.x);
    out.y = std::max(a.y, b.y);
    out.w = std::min(a.x + a.w, b.x + b.w) - out.x;
    out.h = std::min(a.y + a.h, b.y + b.h) - out.y;
    return out.w > epsilon && out.h > epsilon;
}

} // namespace vandrel
