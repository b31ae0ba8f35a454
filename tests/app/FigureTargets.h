// Where a test aims a shot, as a player would: a point on an opaque pixel of
// a figure that nothing in front of it hides, as last drawn, within the part
// of the screen between the clock and the magazine.
#pragma once
#include "app/Game.h"

#include <cstdint>
#include <functional>

namespace vandrel {

// The types are searched from the last to the first unless firstTypeFirst;
// accept, when given, leaves out the types it refuses. False when no figure
// of those shows.
inline bool findFigureTarget(const Game& game, int32_t& px, int32_t& py, bool firstTypeFirst = false,
                             const std::function<bool(const FigureType&)>& accept = {}) {
    const FigureCatalog& catalog = game.figures().catalog;
    const int32_t count = catalog.typeCount();
    for (int32_t k = 0; k < count; ++k) {
        const FigureType& type = *catalog.typeAt(firstTypeFirst ? k : count - 1 - k);
        if (accept && !accept(type)) continue;
        const FrameSet& frames = catalog.findAnimation(type.animationId)->frames;
        for (const Figure& f : type.figures) {
            for (int32_t dy = -8; dy <= 8; ++dy) {
                for (int32_t dx = -8; dx <= 8; ++dx) {
                    const int32_t x = f.screenX + dx, y = f.y + dy;
                    if (x < 0 || x >= 640 || y < 60 || y >= 400) continue;
                    if (!frames.hitTest(f.screenX, f.y, f.frameIndex, x, y, type.mirrored != 0)) continue;
                    if (game.backdrop().hitLayer(x, y) > type.layer) continue;
                    px = x;
                    py = y;
                    return true;
                }
            }
        }
    }
    return false;
}

} // namespace vandrel
