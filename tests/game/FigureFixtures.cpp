// In-memory figures and the click helper for the game tests.
#include "FigureFixtures.h"

#include "base/Fnv1a.h"

#include <vector>

namespace vandrel::test {

std::unique_ptr<Frame> makeFrame(VideoDevice& device, int32_t w, int32_t h, uint32_t info, const OpaqueAt& opaque,
                                 uint8_t blue, uint8_t green, uint8_t red) {
    auto frame = std::make_unique<Frame>();
    frame->info = info;
    if (!frame->surface.create(w, h, &device) || !frame->surface.lock()) return frame;
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    std::vector<uint8_t> mask(static_cast<size_t>(w));
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            // A horizontal shade, so mirrored pictures differ from the original.
            row[static_cast<size_t>(x) * 3] = blue;
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(green + x);
            row[static_cast<size_t>(x) * 3 + 2] = red;
            mask[static_cast<size_t>(x)] = opaque(x, y) ? 0 : 1;
        }
        frame->surface.putRow(row.data(), y, true);
        frame->surface.putMaskRow(mask.data(), y);
    }
    frame->surface.unlock();
    return frame;
}

Animation& addAnimation(FigureCatalog& figures, VideoDevice& device, int32_t id, int32_t count, int32_t w, int32_t h,
                        uint32_t duration, const OpaqueAt& opaque) {
    auto animation = std::make_unique<Animation>();
    animation->id = id;
    for (int32_t i = 0; i < count; ++i) animation->frames.addFrame(makeFrame(device, w, h, duration, opaque));
    figures.animations.push_back(std::move(animation));
    return *figures.animations.back();
}

FigureType& addType(FigureCatalog& figures, int32_t animationId, int32_t layer) {
    auto type = std::make_unique<FigureType>();
    type->animationId = animationId;
    type->layer = layer;
    type->baseY = 240;
    type->scoreValue = 15;
    type->hitPoints = 1;
    type->motion = MotionRight;
    figures.types.push_back(std::move(type));
    return *figures.types.back();
}

void placeFigure(FigureType& type, int32_t x, int32_t y) {
    type.makeFigure(x);
    Figure& f = type.figures.back();
    f.speed = 0;
    f.lineY = y;
    f.screenX = x;
    f.worldX = x;
    f.y = y;
    f.frameIndex = 0;
}

bool shoot(FigureManager& figures, Session& session, int32_t x, int32_t y, int32_t opaqueLayer) {
    return figures.shoot(x, y, opaqueLayer, session);
}

uint64_t frameHash(const VideoSurface& surface) {
    Fnv1a h;
    for (int32_t y = 0; y < surface.height(); ++y)
        for (int32_t x = 0; x < surface.width(); ++x) h.addLittle32(surface.pixelAt(x, y));
    return h.value();
}

} // namespace vandrel::test
