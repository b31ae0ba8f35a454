// The video device: knows the display's pixel format and makes surfaces in it,
// and owns the display's own surfaces: a 32-bit primary the size of the client
// area in a window, a 16-bit flip chain (primary and one back buffer) in full
// screen. Finished frames go to the backend's screen through a VideoSink.
#pragma once
#include "video/PixelFormat.h"
#include "video/VideoSink.h"
#include "video/VideoSurface.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace vandrel {

class VideoDevice {
public:
    explicit VideoDevice(const PixelFormat& format = PixelFormat::xrgb32());
    virtual ~VideoDevice() = default;
    VideoDevice(const VideoDevice&) = delete;
    VideoDevice& operator=(const VideoDevice&) = delete;

    const PixelFormat& format() const { return format_; }
    // The format of surfaces made from now on (a mode switch changes it).
    void setFormat(const PixelFormat& format) { format_ = format; }

    // A new off-screen surface in the device's format; null when the size is not
    // positive or larger than maxSurfaceSide, the format is unusable, or the
    // device has run out of surfaces (see limitSurfaces).
    // cleared false leaves the pixels undefined, for a picture about to be
    // written whole.
    std::unique_ptr<VideoSurface> createSurface(int32_t width, int32_t height, bool cleared = true);

    // Lets only count more surfaces be created (a negative count: no limit),
    // the way video memory runs out; for tests of the failure paths.
    void limitSurfaces(int32_t count) { remaining_ = count; }

    static constexpr int32_t maxSurfaceSide = 16384;

    // Binds the device to the backend's screen. Full screen (exclusive) lets
    // setDisplayMode choose the frame; a window shows the client area 32-bit.
    bool setCooperativeLevel(VideoSink* sink, bool fullScreen);
    // Full screen only: frames of width x height at 16 (5-6-5) or 32 bits.
    bool setDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel);
    // Window: the primary the size of the client area. Full screen: the flip
    // chain of the display mode's size. Fails without a cooperative level, in
    // full screen without a display mode, or when a primary already exists.
    bool createPrimary();
    // The visible surface; null until createPrimary.
    VideoSurface* primary() const { return primary_.get(); }
    // Full screen: the back buffer of the flip chain; null in a window.
    VideoSurface* attachedBackBuffer() const { return back_.get(); }
    // Window: makes the primary follow the client area's size again.
    bool fitPrimary();
    // Full screen: the back buffer becomes visible and the old visible one the
    // back buffer (their pixels change places), then the new visible frame is
    // shown. Fails when a surface of the chain is locked.
    bool flip();
    // Full screen: the flip's exchange alone. The caller shows the new
    // visible frame, or a copy of it with something drawn over, by showFrame.
    bool swapChain();
    // Shows frame in place of the primary: a picture of the primary's size and
    // format that the chain does not keep. Fails on any other picture.
    bool showFrame(const VideoSurface& frame);
    // Shows the primary as it stands (a window's frame after its blit).
    bool showPrimary();
    // Hands the sink the frame before the player's texts go over it.
    void frameBeneathTexts(const VideoSurface& frame) {
        if (sink_) sink_->frameBeneathTexts(frame);
    }
    // Drops the display's surfaces; the mode and cooperative level stay.
    void releasePrimary();
    bool isFullScreen() const { return fullScreen_; }
    VideoSink* sink() const { return sink_; }

private:
    PixelFormat format_;
    std::atomic<int32_t> remaining_{-1};
    VideoSink* sink_ = nullptr;
    bool fullScreen_ = false;
    int32_t modeWidth_ = 0;
    int32_t modeHeight_ = 0;
    std::unique_ptr<VideoSurface> primary_;
    std::unique_ptr<VideoSurface> back_;
};

} // namespace vandrel
