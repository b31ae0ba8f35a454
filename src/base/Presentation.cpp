// Scaling the frame onto the output and pointer positions back into it.
#include "base/Presentation.h"

#include <algorithm>
#include <cmath>

namespace vandrel {

Rect frameRectOnOutput(const PresentationShape& s) {
    if (s.outputWidth <= 0 || s.outputHeight <= 0 || s.frameWidth <= 0 || s.frameHeight <= 0) return Rect{};
    const int64_t ow = s.outputWidth, oh = s.outputHeight, fw = s.frameWidth, fh = s.frameHeight;
    int64_t w = 0, h = 0;
    const int64_t whole = std::min(ow / fw, oh / fh);
    if (s.integerScale && whole >= 1) {
        w = fw * whole;
        h = fh * whole;
    } else if (ow * fh <= oh * fw) {
        // The width decides; the height follows, rounded to the nearest pixel.
        w = ow;
        h = std::min(oh, (ow * fh * 2 + fw) / (fw * 2));
    } else {
        h = oh;
        w = std::min(ow, (oh * fw * 2 + fh) / (fh * 2));
    }
    w = std::max<int64_t>(w, 1);
    h = std::max<int64_t>(h, 1);
    const auto left = static_cast<int32_t>((ow - w) / 2);
    const auto top = static_cast<int32_t>((oh - h) / 2);
    return Rect{left, top, left + static_cast<int32_t>(w), top + static_cast<int32_t>(h)};
}

namespace {

// One axis: a window position to the frame pixel whose picture covers the
// centre of the output pixel under it, then into 0 .. frame - 1.
int32_t toFrameAxis(int32_t pos, int32_t window, int32_t output, int32_t start, int32_t extent, int32_t frame) {
    if (frame <= 0) return 0;
    if (window <= 0 || output <= 0 || extent <= 0) return 0;
    const double pixel = (static_cast<double>(pos) + 0.5) * output / window;
    const double at = std::floor((pixel - start) * frame / extent);
    return static_cast<int32_t>(std::clamp(at, 0.0, static_cast<double>(frame - 1)));
}

} // namespace

FramePoint pointerToFrame(const PresentationShape& s, int32_t x, int32_t y) {
    const Rect r = frameRectOnOutput(s);
    return FramePoint{toFrameAxis(x, s.windowWidth, s.outputWidth, r.left, r.width(), s.frameWidth),
                      toFrameAxis(y, s.windowHeight, s.outputHeight, r.top, r.height(), s.frameHeight)};
}

} // namespace vandrel
