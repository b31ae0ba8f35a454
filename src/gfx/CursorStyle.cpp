// Scaling, recolouring and outlining the cross-hair picture.
#include "gfx/CursorStyle.h"

#include <vector>

namespace vandrel {

bool styleCursor(const Surface& picture, const CursorStyle& style, VideoDevice* device, StyledCursor& out) {
    out.picture.destroy();
    const int32_t w = picture.width(), h = picture.height();
    if (picture.isEmpty() || w <= 0 || h <= 0 || style.percent <= 0) return false;
    const int32_t border = style.outline ? 1 : 0;
    const int32_t scaledW = (w * style.percent + 99) / 100, scaledH = (h * style.percent + 99) / 100;
    const int32_t outW = scaledW + 2 * border, outH = scaledH + 2 * border;

    // The source pixel under each scaled one (nearest), and which are opaque:
    // the outline is every transparent pixel next to an opaque one, corners
    // included, so a one-pixel diagonal line gets a closed edge.
    std::vector<uint8_t> source(static_cast<size_t>(w) * 3);
    std::vector<uint8_t> colours(static_cast<size_t>(outW) * outH * 3, 0);
    std::vector<uint8_t> opaque(static_cast<size_t>(outW) * outH, 0);
    for (int32_t y = 0; y < scaledH; ++y) {
        const int32_t sy = y * 100 / style.percent;
        if (!picture.readRow(source.data(), sy, false)) return false;
        for (int32_t x = 0; x < scaledW; ++x) {
            const int32_t sx = x * 100 / style.percent;
            if (!picture.isOpaqueAt(sx, sy)) continue;
            const size_t at = static_cast<size_t>(y + border) * outW + (x + border);
            opaque[at] = 1;
            const uint8_t* from = style.colour > 0 ? cursorColours.at(static_cast<size_t>(style.colour)).data()
                                                   : &source[static_cast<size_t>(sx) * 3];
            for (int c = 0; c < 3; ++c) colours[at * 3 + c] = from[c];
        }
    }
    std::vector<uint8_t> mask(static_cast<size_t>(outW) * outH, 1);
    for (int32_t y = 0; y < outH; ++y) {
        for (int32_t x = 0; x < outW; ++x) {
            const size_t at = static_cast<size_t>(y) * outW + x;
            if (opaque[at]) {
                mask[at] = 0;
                continue;
            }
            if (!style.outline) continue;
            bool edge = false;
            for (int32_t dy = -1; dy <= 1 && !edge; ++dy)
                for (int32_t dx = -1; dx <= 1 && !edge; ++dx) {
                    const int32_t nx = x + dx, ny = y + dy;
                    edge = nx >= 0 && ny >= 0 && nx < outW && ny < outH && opaque[static_cast<size_t>(ny) * outW + nx];
                }
            if (!edge) continue;
            mask[at] = 0;
            for (int c = 0; c < 3; ++c) colours[at * 3 + c] = cursorOutline[static_cast<size_t>(c)];
        }
    }

    if (!out.picture.create(outW, outH, device ? device : picture.device()) || !out.picture.lock()) {
        out.picture.destroy();
        return false;
    }
    bool written = true;
    for (int32_t y = 0; y < outH && written; ++y) {
        const size_t row = static_cast<size_t>(y) * outW;
        written = out.picture.putRow(&colours[row * 3], y, true) && out.picture.putMaskRow(&mask[row], y);
    }
    if (!out.picture.unlock() || !written) {
        out.picture.destroy();
        return false;
    }
    // The first scaled pixel of the source's hotspot lands where it did.
    out.hotX = ((w / 2) * style.percent + 99) / 100 + border;
    out.hotY = ((h / 2) * style.percent + 99) / 100 + border;
    return true;
}

} // namespace vandrel
