// The boxes a blit computes with: integer boxes and float boxes (x, y, width,
// height), their conversions to and from the screen Rect and their intersections.
#pragma once
#include "base/Rect.h"

#include <cstdint>

namespace vandrel {

// An integer box: position and size.
struct Box {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = 0;
    int32_t h = 0;
    friend constexpr bool operator==(const Box&, const Box&) = default;
};

// A float box, the coordinates of a scaled blit.
struct BoxF {
    float x = 0.0f;
    float y = 0.0f;
    float w = 0.0f;
    float h = 0.0f;
};

// Pixels from floats: add 0.5 and truncate toward zero, so -0.7 becomes 0.
int32_t roundPixel(float v);

// The rectangle of a float box, each of its four edges rounded as above.
Rect toRect(const BoxF& box);
// The float box of a rectangle.
BoxF toBoxF(const Rect& rect);

// Intersections: true when the result is not empty. Float boxes count as
// empty unless width and height both exceed 2^-23.
bool intersect(const Box& a, const Box& b, Box& out);
bool intersect(const BoxF& a, const BoxF& b, BoxF& out);

} // namespace vandrel
