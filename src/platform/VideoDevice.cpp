// Makes off-screen surfaces in the display's pixel format.
#include "platform/VideoDevice.h"

namespace vandrel {

VideoDevice::VideoDevice(const PixelFormat& format) : format_(format) {}

std::unique_ptr<VideoSurface> VideoDevice::createSurface(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > maxSurfaceSide || height > maxSurfaceSide || !format_.isValid())
        return nullptr;
    if (remaining_ == 0)
        return nullptr;
    if (remaining_ > 0)
        --remaining_;
    return std::make_unique<VideoSurface>(width, height, format_);
}

} // namespace vandrel
