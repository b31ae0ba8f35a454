// The screen as the game sees it: opens the video device on the window, in a
// window (a primary the size of the client area and an off-screen back buffer
// that follows it) or full screen (a 16-bit flip chain), and presents each
// finished frame by a flip or a blit. It never draws itself.
#pragma once
#include "base/Rect.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace vandrel {

class VideoSink;

class Display {
public:
    Display() = default;
    ~Display() { close(); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // Opens the device on window. Width and height matter only in full screen,
    // which always runs at 16 bits per pixel. False (and closed) on any failure.
    bool open(VideoSink* window, bool fullScreen, int32_t width, int32_t height);
    // Releases the back buffer, the primary and the device; harmless when closed.
    void close();
    // Window only: keeps the back buffer exactly as large as the client area.
    void fitBackBuffer(const Rect& client);
    // Draws over a frame on its way to the screen: into target, inside clip
    // (where the back buffer landed on it).
    using Overlay = std::function<void(VideoSurface* target, const Rect& clip)>;

    // Shows the back buffer: a flip in full screen, a 1:1 blit to the client
    // point (x, y) in a window. Whether it waits for the vertical blank is the
    // backend's choice. An overlay goes over the shown picture only: neither
    // the back buffer nor, in full screen, the flip chain keeps it, so a copy
    // of the last frame (the high-score screen's wipe) never holds it.
    bool present(int32_t x, int32_t y, const Overlay& overlay = nullptr);
    // Full screen: every buffer of the flip chain shows the last frame.
    void settleFlipChain();

    VideoSurface* backBuffer() const { return backBuffer_; }
    VideoDevice* device() const { return device_.get(); }
    VideoSurface* primary() const { return device_ ? device_->primary() : nullptr; }
    bool isOpen() const { return device_ != nullptr; }
    bool isFullScreen() const { return fullScreen_; }

private:
    bool blitToPrimary(int32_t x, int32_t y);
    bool flipWithOverlay(const Overlay& overlay);

    std::unique_ptr<VideoDevice> device_;
    VideoSurface* backBuffer_ = nullptr;
    std::unique_ptr<VideoSurface> windowBackBuffer_; // owned in window mode
    std::unique_ptr<VideoSurface> overlayFrame_;     // full screen: the shown frame with its overlay
    bool clipper_ = false;                           // blits to the primary are clipped to it
    VideoSink* window_ = nullptr;
    bool fullScreen_ = false;
};

} // namespace vandrel
