// Tiled pictures: the tile grid, its locks, row and mask access through the
// writers of each format, the grey copy tile by tile, and clipped, keyed and
// scaled blits one tile at a time.
#include "gfx/Surface.h"

#include "base/LoadError.h"
#include "gfx/GreyCopy.h"
#include "gfx/MaskRuns.h"
#include "gfx/PixelKind.h"
#include "gfx/PixelRows.h"
#include "system/MessageBox.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace vandrel {
namespace {

// The 16-bit key of the masks recorded by the last row write: what the mask
// writers paint into 16-bit tiles.
uint16_t recordedKey16(uint32_t red, uint32_t green, uint32_t blue) {
    return static_cast<uint16_t>(keyOf(kindOf(16, red, green, blue)));
}

bool farbconfShown = false;

} // namespace

std::unique_ptr<VideoSurface> createPlainSurface(int32_t width, int32_t height, VideoDevice* device, bool cleared) {
    if (width == 0 || height == 0) return nullptr;
    if (!device) throw LoadError();
    auto surface = device->createSurface(width, height, cleared);
    if (!surface) throw LoadError();
    return surface;
}

SurfaceSize surfaceSize(const VideoSurface* surface) {
    if (!surface) return {};
    return {surface->width(), surface->height()};
}

bool isTileOpaqueAt(const VideoSurface* tile, int32_t x, int32_t y) {
    // A locked tile may be half written: it is not looked at.
    if (!tile || tile->isLocked()) return false;
    const PixelView view = tile->view();
    if (!view.contains(x, y)) return false;
    const PixelKind kind = kindOf(view.format);
    const uint8_t* p = view.line(y) + static_cast<size_t>(x) * view.format.bytesPerPixel();
    switch (kind) {
    case PixelKind::Bits32:
    case PixelKind::Bits24: return !(p[0] == keyGrey && p[1] == keyGrey && p[2] == keyGrey);
    case PixelKind::Rgb565:
    case PixelKind::Rgb555: return load16(p) != keyOf(kind);
    default: return true;
    }
}

bool Surface::create(int32_t width, int32_t height, VideoDevice* device) { return build(width, height, device, true); }

bool Surface::createUncleared(int32_t width, int32_t height, VideoDevice* device) {
    return build(width, height, device, false);
}

bool Surface::clearLinesFrom(int32_t y) {
    for (int32_t i = 0; i < tileCount_; ++i) {
        const Box& t = tileRects_[i];
        if (tiles_[i] && y < t.y + t.h && !tiles_[i]->clearLines(y - t.y, t.h)) return false;
    }
    return true;
}

bool Surface::build(int32_t width, int32_t height, VideoDevice* device, bool cleared) {
    destroy();
    if (device) device_ = device;
    if (width < 1 || height < 1 || !device_) return false;
    try {
        width_ = width;
        height_ = height;
        const int32_t fullColumns = width / tileWidth, fullBands = height / tileHeight;
        const int32_t restWidth = width - tileWidth * fullColumns, restHeight = height - tileHeight * fullBands;
        const int32_t columns = fullColumns + (restWidth > 0 ? 1 : 0);
        const int32_t bands = fullBands + (restHeight > 0 ? 1 : 0);
        tileCount_ = columns * bands;
        tiles_.resize(static_cast<size_t>(tileCount_));
        tileLocks_.assign(static_cast<size_t>(tileCount_), VideoSurface::Lock{});
        tileRects_.resize(static_cast<size_t>(tileCount_));
        int32_t index = 0;
        for (int32_t band = 0; band < bands; ++band) {
            const int32_t th = band < fullBands ? tileHeight : restHeight;
            for (int32_t column = 0; column < columns; ++column, ++index) {
                const int32_t tw = column < fullColumns ? tileWidth : restWidth;
                tileRects_[index] = Box{tileWidth * column, tileHeight * band, tw, th};
                tiles_[index] = createPlainSurface(tw, th, device_, cleared);
            }
        }
    } catch (const LoadError&) {
        // The tiles made so far stay (they may still be drawn): never undefined.
        clearLinesFrom(0);
        return false;
    } catch (const std::bad_alloc&) {
        clearLinesFrom(0);
        return false;
    }
    return true;
}

Surface::Surface(Surface&& other) noexcept { *this = std::move(other); }

Surface& Surface::operator=(Surface&& other) noexcept {
    if (this == &other) return *this;
    destroy();
    device_ = other.device_;
    tiles_ = std::move(other.tiles_);
    tileLocks_ = std::move(other.tileLocks_);
    tileRects_ = std::move(other.tileRects_);
    tileCount_ = std::exchange(other.tileCount_, 0);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
    bitsPerPixel_ = other.bitsPerPixel_;
    redMask_ = other.redMask_;
    greenMask_ = other.greenMask_;
    blueMask_ = other.blueMask_;
    other.destroy();
    return *this;
}

void Surface::destroy() {
    tiles_.clear();
    tileLocks_.clear();
    tileRects_.clear();
    tileCount_ = 0;
    width_ = 0;
    height_ = 0;
}

VideoSurface* Surface::tile(int32_t index) const {
    if (index < 0 || index >= tileCount_) return nullptr;
    return tiles_[index].get();
}

PixelView Surface::tileView(int32_t index) const {
    const VideoSurface* t = tile(index);
    return t ? t->view() : PixelView{};
}

Box Surface::tileRect(int32_t index) const {
    if (index < 0 || index >= tileCount_) return {};
    return tileRects_[index];
}

bool Surface::lock() {
    for (int32_t i = 0; i < tileCount_; ++i) {
        tileLocks_[i] = VideoSurface::Lock{};
        if (!tiles_[i] || !tiles_[i]->lock(tileLocks_[i])) {
            unlock();
            return false;
        }
    }
    return true;
}

bool Surface::unlock() {
    for (int32_t i = 0; i < tileCount_; ++i) {
        if (!tiles_[i] || !tiles_[i]->unlock()) return false;
        tileLocks_[i] = VideoSurface::Lock{};
    }
    return true;
}

bool Surface::recordFormat() {
    if (tileCount_ == 0) return false;
    const PixelFormat& f = tileLocks_[0].format;
    bitsPerPixel_ = f.bitsPerPixel;
    redMask_ = f.redMask;
    greenMask_ = f.greenMask;
    blueMask_ = f.blueMask;
    return true;
}

bool Surface::putRow(const uint8_t* row, int32_t y, bool adjustKey) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](PixelKind kind, const RowSegment& seg) {
        return pixelRows::write(kind, seg.pixels, row + static_cast<size_t>(seg.start) * 3, seg.count, adjustKey);
    });
}

bool Surface::putQuadRow(const uint8_t* row, int32_t y, bool adjustKey) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](PixelKind kind, const RowSegment& seg) {
        return pixelRows::writeQuads(kind, seg.pixels, row + static_cast<size_t>(seg.start) * 4, seg.count, adjustKey);
    });
}

bool Surface::getRow(uint8_t* row, int32_t y, bool mirror) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](PixelKind kind, const RowSegment& seg) {
        return pixelRows::read(kind, seg.pixels, row + static_cast<size_t>(seg.start) * 3, seg.count, mirror);
    });
}

bool Surface::putMaskRow(const uint8_t* mask, int32_t y) {
    if (!mask) return false;
    const uint16_t key16 = recordedKey16(redMask_, greenMask_, blueMask_);
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](PixelKind kind, const RowSegment& seg) {
        return maskRuns::paintBytes(kind, seg.pixels, mask + seg.start, seg.count, key16);
    });
}

bool Surface::putMaskBits(const uint8_t* bits, int32_t count, int32_t y) {
    if (!bits) return false;
    const uint16_t key16 = recordedKey16(redMask_, greenMask_, blueMask_);
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](PixelKind kind, const RowSegment& seg) {
        return maskRuns::paintBits(kind, seg.pixels, bits, seg.start, std::min(seg.start + seg.count, count), key16);
    });
}

bool Surface::readRow(uint8_t* row, int32_t y, bool mirror) const {
    if (!row || y < 0 || y >= height_) return false;
    const Box line{0, y, width_, 1};
    for (int32_t i = 0; i < tileCount_; ++i) {
        const Box& t = tileRects_[i];
        Box part;
        if (!intersect(line, t, part)) continue;
        if (!tiles_[i]) return false;
        const PixelView view = tiles_[i]->view();
        const PixelKind kind = kindOf(view.format);
        const uint8_t* from = view.line(y - t.y);
        if (!from) return false;
        from += static_cast<size_t>(part.x - t.x) * view.format.bytesPerPixel();
        if (!pixelRows::read(kind, from, row + static_cast<size_t>(part.x) * 3, part.w, mirror)) return false;
    }
    return true;
}

uint8_t Surface::greyOf(uint8_t b, uint8_t g, uint8_t r) { return greyCopy::greyOf(b, g, r); }

bool Surface::makeGreyOf(Surface& colour, VideoDevice* device) {
    if (&colour == this || !createUncleared(colour.width(), colour.height(), device)) return false;
    const bool colourLocked = colour.lock();
    const bool greyLocked = colourLocked && lock();
    if (!greyLocked) {
        // Nothing can be read or written: the copy stays black.
        if (colourLocked) colour.unlock();
        clearLinesFrom(0);
        return true;
    }
    colour.recordFormat();
    recordFormat();
    // The same size on the same device: the same tiles, one to one.
    for (int32_t i = 0; i < tileCount_; ++i) {
        const VideoSurface::Lock& from = colour.tileLocks_[i];
        const VideoSurface::Lock& to = tileLocks_[i];
        const PixelKind kind = kindOf(to.format);
        const Box& t = tileRects_[i];
        if (!from.pixels || !to.pixels) continue;
        for (int32_t y = 0; y < t.h; ++y) {
            uint8_t* d = to.pixels + static_cast<size_t>(y) * to.pitch;
            if (kindOf(from.format) != kind || kind == PixelKind::Unsupported) {
                std::memset(d, 0, static_cast<size_t>(t.w) * to.format.bytesPerPixel());
                continue;
            }
            greyCopy::line(kind, from.pixels + static_cast<size_t>(y) * from.pitch, d, t.w);
        }
    }
    unlock();
    colour.unlock();
    return true;
}

uint32_t Surface::keyForBlit(const VideoSurface& tile) {
    PixelKind kind = kindOf(bitsPerPixel_, redMask_, greenMask_, blueMask_);
    if (kind == PixelKind::Other16 && !farbconfShown) {
        farbconfShown = true;
        char text[96];
        std::snprintf(text, sizeof text, "R: %.8x\nG: %.8x\nB: %.8x\n", redMask_, greenMask_, blueMask_);
        showMessageBox("Farbconf", text);
    }
    // Nothing recorded yet (rows never written): the grey of the tile's own format.
    if (kind == PixelKind::Unsupported) kind = kindOf(tile.format());
    return keyOf(kind);
}

bool Surface::blit(VideoSurface* dest, const Rect& clip, int32_t x, int32_t y, bool useKey, float percent) {
    if (!dest) return false;
    const float s = static_cast<float>(percent * 0.01);
    const float fx = static_cast<float>(x), fy = static_cast<float>(y);
    const BoxF box{fx, fy, static_cast<float>(width_) * s, static_cast<float>(height_) * s};
    BoxF vis;
    if (!intersect(toBoxF(clip), box, vis)) return true;
    const BoxF sv{(vis.x - fx) / s, (vis.y - fy) / s, vis.w / s, vis.h / s};
    for (int32_t i = 0; i < tileCount_; ++i) {
        VideoSurface* tile = tiles_[i].get();
        if (!tile) continue;
        const Box& t = tileRects_[i];
        const BoxF placement{static_cast<float>(t.x), static_cast<float>(t.y), static_cast<float>(t.w),
                             static_cast<float>(t.h)};
        BoxF part;
        if (!intersect(placement, sv, part)) continue;
        BoxF src{part.x - placement.x, part.y - placement.y, part.w, part.h};
        if (percent < 100.0f) {
            src.w -= 1.0f;
            src.h -= 1.0f;
        }
        const BoxF dst{part.x * s + fx, part.y * s + fy, part.w * s, part.h * s};
        const Rect srcRect = toRect(src);
        const Rect dstRect = toRect(dst);
        if (dstRect.width() <= 0 || dstRect.height() <= 0 || dstRect.top < 0 || dstRect.left < 0 ||
            dstRect.bottom > clip.bottom || dstRect.right > clip.right || srcRect.width() <= 0 || srcRect.height() <= 0)
            continue;
        if (useKey) {
            if (!tile->setColorKey(keyForBlit(*tile))) return false;
            if (!dest->blt(&dstRect, tile, &srcRect, true)) return false;
        } else if (!dest->blt(&dstRect, tile, &srcRect, false)) {
            return false;
        }
    }
    return true;
}

bool Surface::blitPart(VideoSurface* dest, const Rect& clip, int32_t x, int32_t y, int32_t srcX, int32_t srcY,
                       int32_t w, int32_t h, bool useKey) {
    const Rect box{std::max(x, clip.left), std::max(y, clip.top), std::min(x + w, clip.right),
                   std::min(y + h, clip.bottom)};
    return blit(dest, box, x - srcX, y - srcY, useKey, 100.0f);
}

bool Surface::isOpaqueAt(int32_t x, int32_t y) const {
    for (int32_t i = 0; i < tileCount_; ++i) {
        const Box& t = tileRects_[i];
        if (x >= t.x && x < t.x + t.w && y >= t.y && y < t.y + t.h)
            return isTileOpaqueAt(tiles_[i].get(), x - t.x, y - t.y);
    }
    return false;
}

} // namespace vandrel
