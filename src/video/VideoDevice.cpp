// Makes off-screen surfaces in the display's pixel format; the primary
// surface, the full-screen flip chain and showing frames on the backend.
#include "video/VideoDevice.h"

#include <algorithm>

namespace vandrel {

VideoDevice::VideoDevice(const PixelFormat& format) : format_(format) {}

std::unique_ptr<VideoSurface> VideoDevice::createSurface(int32_t width, int32_t height, bool cleared) {
    if (width <= 0 || height <= 0 || width > maxSurfaceSide || height > maxSurfaceSide || !format_.isValid())
        return nullptr;
    // Surfaces are made by the loading thread and by the display's own thread.
    int32_t left = remaining_.load();
    while (left >= 0) {
        if (left == 0) return nullptr;
        if (remaining_.compare_exchange_weak(left, left - 1)) break;
    }
    return std::make_unique<VideoSurface>(width, height, format_, cleared);
}

bool VideoDevice::setCooperativeLevel(VideoSink* sink, bool fullScreen) {
    if (!sink) return false;
    sink_ = sink;
    fullScreen_ = fullScreen;
    if (!fullScreen) {
        // A window shares the desktop, which we always treat as 32-bit.
        format_ = PixelFormat::xrgb32();
        int32_t w = 0, h = 0;
        sink_->clientSize(w, h);
        return sink_->setVideoMode(false, w, h);
    }
    return true;
}

bool VideoDevice::setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel) {
    if (!sink_ || !fullScreen_ || width <= 0 || height <= 0 || width > maxSurfaceSide || height > maxSurfaceSide)
        return false;
    if (bitsPerPixel == 16)
        format_ = PixelFormat::rgb565();
    else if (bitsPerPixel == 32)
        format_ = PixelFormat::xrgb32();
    else
        return false;
    if (!sink_->setVideoMode(true, width, height)) return false;
    modeWidth_ = width;
    modeHeight_ = height;
    return true;
}

bool VideoDevice::createPrimary() {
    if (!sink_ || primary_) return false;
    if (fullScreen_) {
        if (modeWidth_ <= 0) return false;
        primary_ = std::make_unique<VideoSurface>(modeWidth_, modeHeight_, format_);
        back_ = std::make_unique<VideoSurface>(modeWidth_, modeHeight_, format_);
        return true;
    }
    int32_t w = 0, h = 0;
    sink_->clientSize(w, h);
    if (w <= 0 || h <= 0 || w > maxSurfaceSide || h > maxSurfaceSide) return false;
    primary_ = std::make_unique<VideoSurface>(w, h, format_);
    return true;
}

bool VideoDevice::fitPrimary() {
    if (!sink_ || fullScreen_ || !primary_) return false;
    int32_t w = 0, h = 0;
    sink_->clientSize(w, h);
    if (w == primary_->width() && h == primary_->height()) return true;
    if (w <= 0 || h <= 0 || w > maxSurfaceSide || h > maxSurfaceSide) return false;
    primary_ = std::make_unique<VideoSurface>(w, h, format_);
    sink_->setVideoMode(false, w, h);
    return true;
}

bool VideoDevice::flip() { return swapChain() && sink_->showFrame(*primary_); }

bool VideoDevice::swapChain() {
    if (!sink_ || !fullScreen_ || !primary_ || !back_) return false;
    // The two buffers exchange their pixel memory, not its contents.
    return primary_->swapPixels(*back_);
}

bool VideoDevice::showFrame(const VideoSurface& frame) {
    if (!sink_ || !primary_ || frame.isLocked()) return false;
    if (frame.width() != primary_->width() || frame.height() != primary_->height() ||
        frame.format() != primary_->format())
        return false;
    return sink_->showFrame(frame);
}

bool VideoDevice::showPrimary() {
    if (!sink_ || !primary_ || primary_->isLocked()) return false;
    return sink_->showFrame(*primary_);
}

void VideoDevice::releasePrimary() {
    back_.reset();
    primary_.reset();
}

} // namespace vandrel
