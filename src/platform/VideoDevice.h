// The video device: knows the display's pixel format and makes surfaces in it.
// The display's own surfaces and presenting are added by the window backend.
#pragma once
#include "platform/PixelFormat.h"
#include "platform/VideoSurface.h"

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
    std::unique_ptr<VideoSurface> createSurface(int32_t width, int32_t height);

    // Lets only count more surfaces be created (a negative count: no limit),
    // the way video memory runs out; for tests of the failure paths.
    void limitSurfaces(int32_t count) { remaining_ = count; }

    static constexpr int32_t maxSurfaceSide = 16384;

private:
    PixelFormat format_;
    int32_t remaining_ = -1;
};

} // namespace vandrel
