// Opening, fitting and presenting the display's surfaces.
#include "gfx/Display.h"

#include "base/LoadError.h"
#include "gfx/Surface.h"
#include "video/VideoSink.h"

#include <algorithm>

namespace vandrel {

bool Display::open(VideoSink* window, bool fullScreen, int32_t width, int32_t height) {
    // Without a window there is no screen to open.
    if (!window) return false;
    close();
    fullScreen_ = fullScreen;
    window_ = window;
    device_ = std::make_unique<VideoDevice>();
    bool ok = device_->setCooperativeLevel(window, fullScreen);
    if (ok && fullScreen) ok = device_->setDisplayMode(width, height, 16);
    if (ok) {
        // A window whose primary cannot be made still opens; it presents
        // nothing until the device is reopened.
        if (!device_->createPrimary() && fullScreen) ok = false;
    }
    if (ok && fullScreen) {
        backBuffer_ = device_->attachedBackBuffer();
        ok = backBuffer_ != nullptr;
    }
    if (!ok) {
        close();
        return false;
    }
    clipper_ = true;
    return true;
}

void Display::close() {
    clipper_ = false;
    backBuffer_ = nullptr;
    windowBackBuffer_.reset();
    overlayFrame_.reset();
    if (device_) device_->releasePrimary();
    device_.reset();
}

void Display::fitBackBuffer(const Rect& client) {
    if (fullScreen_ || !device_) return;
    const int32_t w = client.width();
    const int32_t h = client.height();
    if (windowBackBuffer_) {
        SurfaceSize size = surfaceSize(windowBackBuffer_.get());
        if (size.width == w && size.height == h) return;
    }
    backBuffer_ = nullptr;
    windowBackBuffer_.reset();
    try {
        windowBackBuffer_ = createPlainSurface(w, h, device_.get());
    } catch (const LoadError&) {
        // Out of surfaces: draw nothing this frame and try again on the next.
        windowBackBuffer_.reset();
    }
    backBuffer_ = windowBackBuffer_.get();
}

bool Display::blitToPrimary(int32_t x, int32_t y) {
    VideoSurface* primary = device_->primary();
    // The primary is the client area, so client points are its own points;
    // the clipper keeps the copy inside it.
    Rect dst{x, y, x + backBuffer_->width(), y + backBuffer_->height()};
    Rect src{0, 0, backBuffer_->width(), backBuffer_->height()};
    if (clipper_) {
        const int32_t cutLeft = std::max(0, -dst.left);
        const int32_t cutTop = std::max(0, -dst.top);
        const int32_t cutRight = std::max(0, dst.right - primary->width());
        const int32_t cutBottom = std::max(0, dst.bottom - primary->height());
        dst = Rect{dst.left + cutLeft, dst.top + cutTop, dst.right - cutRight, dst.bottom - cutBottom};
        src = Rect{src.left + cutLeft, src.top + cutTop, src.right - cutRight, src.bottom - cutBottom};
        if (dst.width() <= 0 || dst.height() <= 0) return true;
    }
    return primary->blt(&dst, backBuffer_, &src, false);
}

bool Display::present(int32_t x, int32_t y, const Overlay& overlay) {
    if (!device_ || !backBuffer_ || !device_->primary()) return false;
    if (fullScreen_) return overlay ? flipWithOverlay(overlay) : device_->flip();
    device_->fitPrimary();
    if (!blitToPrimary(x, y)) return false;
    // The window's primary is drawn whole from the back buffer every frame,
    // so what goes over it is gone by the next.
    if (overlay) {
        VideoSurface* primary = device_->primary();
        const Rect clip{std::max(x, 0), std::max(y, 0), std::min(x + backBuffer_->width(), primary->width()),
                        std::min(y + backBuffer_->height(), primary->height())};
        device_->frameBeneathTexts(*primary);
        if (clip.width() > 0 && clip.height() > 0) overlay(primary, clip);
    }
    return device_->showPrimary();
}

bool Display::flipWithOverlay(const Overlay& overlay) {
    // The chain keeps its frames (the next back buffer is this one's
    // predecessor, the settled chain the wipe's picture), so the overlay goes
    // onto a copy of the new visible frame.
    if (!device_->swapChain()) return false;
    VideoSurface* shown = device_->primary();
    if (!overlayFrame_ || overlayFrame_->width() != shown->width() || overlayFrame_->height() != shown->height() ||
        overlayFrame_->format() != shown->format()) {
        overlayFrame_.reset();
        try {
            overlayFrame_ = createPlainSurface(shown->width(), shown->height(), device_.get(), false);
        } catch (const LoadError&) {
            // Out of surfaces: this frame is shown without what goes over it.
        }
    }
    if (!overlayFrame_ || !overlayFrame_->blt(nullptr, shown, nullptr, false)) return device_->showPrimary();
    device_->frameBeneathTexts(*shown);
    overlay(overlayFrame_.get(), Rect{0, 0, shown->width(), shown->height()});
    return device_->showFrame(*overlayFrame_);
}

void Display::settleFlipChain() {
    if (!fullScreen_ || !device_ || !backBuffer_ || !device_->primary()) return;
    for (int i = 0; i < 4; ++i) {
        blitToPrimary(0, 0);
        device_->flip();
    }
}

} // namespace vandrel
