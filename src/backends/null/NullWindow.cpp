// Headless window: keeps sizes and the last frame, never blocks for input.
#include "backends/null/NullWindow.h"

#include "base/Clock.h"
#include "input/Messages.h"
#include "video/VideoSurface.h"

#include <cstring>

namespace vandrel {

uint32_t ShownFrame::rgbAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0;
    const uint8_t* p = bytes.data() + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * format.bytesPerPixel();
    if (format.bitsPerPixel == 16) {
        uint32_t v = static_cast<uint32_t>(p[0] | (p[1] << 8));
        uint32_t r, g, b;
        if (format.greenMask == 0x07E0u) {
            r = (v >> 8) & 0xF8;
            g = (v >> 3) & 0xFC;
        } else {
            r = (v >> 7) & 0xF8;
            g = (v >> 2) & 0xF8;
        }
        b = (v << 3) & 0xFF;
        return (r << 16) | (g << 8) | b;
    }
    return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

void NullWindow::waitEvents(uint32_t timeoutMs) {
    // Nothing can arrive from outside: just let the time pass.
    sleepMs(timeoutMs);
}

bool NullWindow::clientRect(Rect& out) const {
    if (destroyed_ || failClientRect_) return false;
    out = Rect{0, 0, clientWidth_, clientHeight_};
    return true;
}

void NullWindow::show() {
    shown_ = true;
    post(msg::Activate, 1);
}

void NullWindow::setClientSize(int32_t width, int32_t height) {
    clientWidth_ = width;
    clientHeight_ = height;
}

bool NullWindow::setVideoMode(bool fullScreen, int32_t width, int32_t height) {
    videoFullScreen_ = fullScreen;
    if (fullScreen) {
        // A full-screen window covers the desktop; here the desktop is the frame.
        clientWidth_ = width;
        clientHeight_ = height;
    }
    return true;
}

void ShownFrame::copyOf(const VideoSurface& frame) {
    width = frame.width();
    height = frame.height();
    pitch = frame.pitch();
    format = frame.format();
    const size_t n = static_cast<size_t>(frame.pitch()) * frame.height();
    bytes.assign(frame.pixels(), frame.pixels() + n);
}

bool NullWindow::showFrame(const VideoSurface& frame) {
    lastFrame_.copyOf(frame);
    ++framesShown_;
    return true;
}

void NullWindow::clientSize(int32_t& width, int32_t& height) const {
    width = clientWidth_;
    height = clientHeight_;
}

} // namespace vandrel
