// Reading single lines and pixels of a read-only view.
#include "video/PixelView.h"

#include <cstddef>

namespace vandrel {

const uint8_t* PixelView::line(int32_t y) const {
    if (isEmpty() || y < 0 || y >= height) return nullptr;
    return pixels + static_cast<size_t>(y) * static_cast<size_t>(pitch);
}

uint32_t PixelView::pixelAt(int32_t x, int32_t y) const {
    if (!contains(x, y)) return 0;
    const uint32_t bytes = format.bytesPerPixel();
    const uint8_t* p = line(y) + static_cast<size_t>(x) * bytes;
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes && i < 4; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

} // namespace vandrel
