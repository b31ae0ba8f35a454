// Where the game's frame lands on a window or a screen of another size, and
// which frame pixel lies under a pointer there. The game always sees its own
// frame size; only the picture on the screen is scaled.
#pragma once
#include "base/Rect.h"

#include <cstdint>

namespace vandrel {

struct PresentationShape {
    // The window as the pointer positions count it (points on a high-DPI
    // screen) and as the renderer draws it (real pixels).
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    int32_t outputWidth = 0;
    int32_t outputHeight = 0;
    // The game's frame, 640 x 480 with the shipped data.
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    // Only whole multiples of the frame: sharper pixels, wider bars.
    bool integerScale = false;
};

// How the player asked the frame to be shown.
struct ScreenOptions {
    // The window's size as a multiple of the game's; 0 picks the largest that
    // fits the desktop.
    int32_t windowScale = 0;
    // Full screen: whole multiples only, and the filter for scales between them.
    bool integerScale = false;
    bool linearFilter = true;
};

struct FramePoint {
    int32_t x = 0;
    int32_t y = 0;
    friend constexpr bool operator==(const FramePoint&, const FramePoint&) = default;
};

// The rectangle of output pixels the frame is drawn into: as large as fits
// with its aspect kept, centred, black bars around it. With integerScale the
// largest whole multiple that fits; an output smaller than the frame still
// gets the whole frame, shrunk. Empty when any size is not positive.
Rect frameRectOnOutput(const PresentationShape& shape);

// The frame pixel under the pointer at window position (x, y). Positions in
// the bars, beyond the window's edges (a held button keeps reporting them) or
// anywhere else outside the picture come to the nearest edge pixel, so the
// game never hears of a point outside its frame.
FramePoint pointerToFrame(const PresentationShape& shape, int32_t x, int32_t y);

} // namespace vandrel
