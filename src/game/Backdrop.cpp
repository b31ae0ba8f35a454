// The parallax landscape: each layer scrolls by (its width - screen width) /
// (widest width - screen width) of the scroll position, so all layers reach
// their right edges together.
#include "game/Backdrop.h"

#include <algorithm>
#include <new>

namespace vandrel {
namespace {

// The hit test works on the fixed 640 x 480 screen, whatever the set-up says.
constexpr int32_t hitScreenWidth = 640;
constexpr int32_t hitScreenHeight = 480;

// A layer's share of the scroll. When the widest layer is no wider than the
// screen there is nothing to scroll: every layer stays put.
double scrollFactor(int32_t layerWidth, int32_t widest, int32_t screenWidth) {
    const int32_t range = widest - screenWidth;
    if (range == 0) return 0.0;
    return static_cast<double>(layerWidth - screenWidth) / static_cast<double>(range);
}

} // namespace

bool Backdrop::addLayer() {
    try {
        layers_.push_back(std::make_unique<Surface>());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

Surface* Backdrop::layer(int32_t index) {
    if (index < 0 || index >= layerCount()) return nullptr;
    return layers_[static_cast<size_t>(index)].get();
}

const Surface* Backdrop::layer(int32_t index) const {
    if (index < 0 || index >= layerCount()) return nullptr;
    return layers_[static_cast<size_t>(index)].get();
}

bool Backdrop::loadLayerColour(BlockReader* reader, int32_t blockLength, int32_t index, VideoDevice* device) {
    if (!reader || !device || blockLength == 0) return false;
    Surface* surface = layer(index);
    return surface && decodeColour(reader, surface, device);
}

bool Backdrop::loadLayerAlpha(BlockReader* reader, int32_t blockLength, int32_t index) {
    if (!reader || blockLength == 0) return false;
    Surface* surface = layer(index);
    return surface && decodeMask(reader, surface);
}

void Backdrop::clear() { layers_.clear(); }

int32_t Backdrop::maxLayerWidth() const {
    int32_t widest = 0;
    for (const auto& surface : layers_) widest = std::max(widest, surface->width());
    return widest;
}

float Backdrop::drawLayer(VideoSurface* target, Rect& clip, int32_t scroll, int32_t index, int32_t screenWidth,
                          int32_t screenHeight) {
    const int32_t widest = maxLayerWidth();
    lastScroll_ = scroll;
    if (!target) return 0.0f;
    if (clip.right - clip.left > screenWidth) clip.right = clip.left + screenWidth;
    if (clip.bottom - clip.top > screenHeight) clip.bottom = clip.top + screenHeight;
    Surface* surface = layer(index);
    if (!surface) return 1.0f;
    const float factor = static_cast<float>(scrollFactor(surface->width(), widest, screenWidth));
    const int32_t x = clip.left - static_cast<int32_t>(static_cast<double>(scroll) * static_cast<double>(factor));
    surface->blit(target, clip, x, clip.top, true, 100.0f);
    return factor;
}

int32_t Backdrop::hitLayer(int32_t x, int32_t y) const {
    if (x < 0 || x >= hitScreenWidth || y < 0 || y >= hitScreenHeight) return -1;
    for (int32_t index = layerCount() - 1; index >= 0; --index) {
        const Surface* surface = layers_[static_cast<size_t>(index)].get();
        const double factor = scrollFactor(surface->width(), maxLayerWidth(), hitScreenWidth);
        const int32_t layerX = x + static_cast<int32_t>(static_cast<double>(lastScroll_) * factor);
        if (surface->isOpaqueAt(layerX, y)) return index;
    }
    return -1;
}

} // namespace vandrel
