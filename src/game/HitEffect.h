// A short animation played once where a figure was shot down.
#pragma once
#include <cstdint>

namespace vandrel {

class FrameSet;

struct HitEffect {
    uint32_t startTime = 0;
    int32_t worldX = 0;         // centre, in the coordinates of its layer
    int32_t y = 0;              // centre, screen y
    FrameSet* frames = nullptr; // belongs to a figure type; see FigureManager::clear
    int32_t layer = 0;
};

} // namespace vandrel
