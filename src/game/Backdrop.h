// The landscape: full-height picture layers drawn back to front, each scrolled
// by its share of the one scroll position so that they separate in depth.
#pragma once
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class Backdrop : public LayerList {
public:
    Backdrop() = default;
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

    bool addLayer() override;
    bool loadLayerColour(BlockReader* reader, int32_t blockLength, int32_t index, VideoDevice* device) override;
    bool loadLayerAlpha(BlockReader* reader, int32_t blockLength, int32_t index) override;
    // Destroys every layer.
    void clear();

    // The widest layer's width, 0 without layers.
    int32_t maxLayerWidth() const;
    int32_t layerCount() const { return static_cast<int32_t>(layers_.size()); }
    Surface* layer(int32_t index);
    const Surface* layer(int32_t index) const;
    int32_t lastScroll() const { return lastScroll_; }

    // Draws layer index (0 at the back) into target, scrolled by its share of
    // scroll, and returns that share; 1.0 for a missing layer, 0.0 without a
    // target. The clip is first cut down to the screen size, in place.
    float drawLayer(VideoSurface* target, Rect& clip, int32_t scroll, int32_t index, int32_t screenWidth,
                    int32_t screenHeight);
    // The front-most layer opaque at screen point (x, y) as last drawn, or -1.
    int32_t hitLayer(int32_t x, int32_t y) const;

private:
    std::vector<std::unique_ptr<Surface>> layers_;
    int32_t lastScroll_ = 0;
};

} // namespace vandrel
