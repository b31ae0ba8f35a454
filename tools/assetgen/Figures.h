// The flyers of the canyon and their animation cycles, the star burst shown
// when one is shot down, the cross-hair and the cartridge of the ammunition row.
#pragma once
#include "Canvas.h"

#include <cstdint>
#include <vector>

namespace vandrel::assetgen {

struct Animation {
    int32_t id = 0;
    std::vector<Canvas> frames;
    uint32_t durationMs = 0;
    int hotspotX = 0, hotspotY = 0;
};

// Frame info word: duration in bits 0-11, hotspot y in 12-21, hotspot x in 22-31.
uint32_t frameInfo(uint32_t durationMs, uint32_t hotspotX, uint32_t hotspotY);

// The eight animations in the order they are stored: 4, 5, 6, 7, 29, 31, 32, 33.
std::vector<Animation> paintAnimations();
// The hit effect: four frames of 100 x 100, a burst of small stars.
Animation paintStarBurst();

Canvas paintCrossHair();
Canvas paintCartridge();

} // namespace vandrel::assetgen
