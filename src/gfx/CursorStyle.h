// The player's cross-hair: the picture at 100, 150 or 200 per cent, with a
// one-pixel dark line around its opaque pixels and in one plain colour if
// asked. Only the look changes: the picture's hotspot (its middle pixel)
// stays on the pointer, and the pointer is where a shot lands.
#pragma once
#include "gfx/Surface.h"

#include <array>
#include <cstdint>

namespace vandrel {

struct CursorStyle {
    int32_t percent = 100; // 100, 150 or 200
    bool outline = false;
    int32_t colour = 0; // 0: as drawn, else one of cursorColours

    // The picture as the data set draws it.
    bool plain() const { return percent == 100 && !outline && colour == 0; }
    bool operator==(const CursorStyle&) const = default;
};

// The plain colours as B, G, R after "as drawn": white, yellow and cyan,
// each far from the outline's near-black and from the key grey.
inline constexpr std::array<std::array<uint8_t, 3>, 4> cursorColours{{
    {0, 0, 0},
    {255, 255, 255},
    {0, 230, 255},
    {255, 255, 0},
}};
// The outline's colour, B, G, R.
inline constexpr std::array<uint8_t, 3> cursorOutline{16, 16, 16};

// A picture drawn in a style: where its hotspot is, from its top-left corner.
struct StyledCursor {
    Surface picture;
    int32_t hotX = 0;
    int32_t hotY = 0;
};

// Makes picture's styled copy on device. False when picture is empty or the
// copy cannot be made (out is then empty).
bool styleCursor(const Surface& picture, const CursorStyle& style, VideoDevice* device, StyledCursor& out);

} // namespace vandrel
