// One live target: an instance of a figure type with its own entry point,
// speed, vertical line, clocks and remaining hits.
#pragma once
#include <cstdint>

namespace vandrel {

struct Figure {
    int32_t lineY = 0; // straight path's y, or the middle line of a wave
    int32_t speed = 0; // px/s
    uint32_t animationStart = 0;
    uint32_t moveStart = 0; // also picks the wave's shape
    // The round's time paused before now: the clocks above lie that much
    // later than without the pauses, and the wave's shape comes from
    // moveStart without it, as the same round unpaused would pick it.
    uint32_t pausedMs = 0;
    int32_t startX = 0; // world x at moveStart
    int32_t hitPoints = 0;
    // Where and how the figure was last drawn; the hit test reads these so
    // the player hits exactly what is on the screen.
    int32_t screenX = 0;
    int32_t worldX = 0;
    int32_t y = 0;
    int32_t frameIndex = 0;
};

} // namespace vandrel
