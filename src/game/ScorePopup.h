// A rising score number over the place where a figure was shot down.
#pragma once
#include <cstdint>

namespace vandrel {

struct ScorePopup {
    uint32_t moveClock = 0;   // time of the last one-pixel step up
    int32_t stepInterval = 0; // ms per pixel, 4..12
    int32_t worldX = 0;       // in the coordinates of its layer
    int32_t y = 0;            // screen y of the text's top
    int32_t value = 0;
    int32_t layer = 0;
};

} // namespace vandrel
