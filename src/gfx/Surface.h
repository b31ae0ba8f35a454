// A picture of any size as a grid of video surfaces ("tiles") of at most
// 640 x 480: written and read in 24-bit BGR rows, made transparent by painting
// the grey key colour, drawn whole, in part or scaled into another surface.
#pragma once
#include "gfx/Box.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class Surface {
public:
    static constexpr int32_t tileWidth = 640;
    static constexpr int32_t tileHeight = 480;

    // The grey (180, 180, 180) that marks transparent pixels, per format, and
    // the same grey with green 184 that opaque pixels of that colour become.
    static constexpr uint32_t key32 = 0xB4B4B4;
    static constexpr uint32_t key565 = 0xB5B6;
    static constexpr uint32_t key555 = 0x5AD6;
    static constexpr uint32_t keyAdjusted565 = 0xB5D6;
    static constexpr uint32_t keyAdjusted555 = 0x5AF6;

    Surface() = default;
    ~Surface() { destroy(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    // Moving hands the tiles over; the source is left empty (its device and
    // recorded format stay).
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;

    // Replaces the picture by an empty one of width x height with new tiles.
    // A null device keeps the stored one.
    bool create(int32_t width, int32_t height, VideoDevice* device);
    // The same for a picture whose every line is written next (a decoder's):
    // the new tiles are not cleared first. Tiles made before a failed creation
    // are cleared, and a writer that stops early clears the rest with
    // clearLinesFrom, so nothing undefined is ever shown.
    bool createUncleared(int32_t width, int32_t height, VideoDevice* device);
    // Clears lines y to height() - 1 of an unlocked surface.
    bool clearLinesFrom(int32_t y);
    // Releases every tile; the device and the recorded format stay.
    void destroy();

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    int32_t tileCount() const { return tileCount_; }
    bool isEmpty() const { return tileCount_ == 0; }

    // Row access needs a locked surface; blits need an unlocked one.
    bool lock();
    bool unlock();

    // Writes line y from width() pixels of B, G, R bytes; with adjustKey a pixel
    // equal to the key grey is stored with green 184 so it stays opaque.
    bool putRow(const uint8_t* row, int32_t y, bool adjustKey);
    // The same from width() pixels of four bytes each (B, G, R, unused), as
    // the JPEG decoder hands them out; the unused byte is never stored.
    bool putQuadRow(const uint8_t* row, int32_t y, bool adjustKey);
    // Reads line y into width() pixels of B, G, R bytes; with mirror each
    // tile's part of the line is reversed in place.
    bool getRow(uint8_t* row, int32_t y, bool mirror);
    // The same read without a lock, for whoever only looks at the picture (a
    // const one): false when y is outside it or a tile it crosses is missing.
    bool readRow(uint8_t* row, int32_t y, bool mirror) const;
    // Paints the key colour wherever mask (width() bytes) is nonzero.
    bool putMaskRow(const uint8_t* mask, int32_t y);
    // The same from a packed 1-bit mask row (the leftmost pixel in the top bit
    // of the first byte) that covers the first count pixels of the line.
    bool putMaskBits(const uint8_t* bits, int32_t count, int32_t y);

    // Becomes the grey copy of colour (same size, same device), computed in
    // the tiles' own format with the grey of greyOf. False when the surface
    // cannot be made (colour empty, or no video memory).
    bool makeGreyOf(Surface& colour, VideoDevice* device);
    // The grey of a colour: 0.11 blue + 0.59 green + 0.3 red, truncated.
    static uint8_t greyOf(uint8_t b, uint8_t g, uint8_t r);

    // Draws the whole picture at (x, y) of dest, scaled by percent / 100,
    // inside clip.
    bool blit(VideoSurface* dest, const Rect& clip, int32_t x, int32_t y, bool useKey, float percent);
    // Draws the w x h part at (srcX, srcY) unscaled at (x, y), inside clip.
    bool blitPart(VideoSurface* dest, const Rect& clip, int32_t x, int32_t y, int32_t srcX, int32_t srcY, int32_t w,
                  int32_t h, bool useKey);

    // True where the picture has a pixel that is not the key colour; a locked
    // tile counts as transparent.
    bool isOpaqueAt(int32_t x, int32_t y) const;

    // Inspection for the display, tests and tools.
    VideoDevice* device() const { return device_; }
    VideoSurface* tile(int32_t index) const;
    // One tile's pixels to read; empty for no such tile.
    PixelView tileView(int32_t index) const;
    Box tileRect(int32_t index) const;
    uint32_t bitsPerPixel() const { return bitsPerPixel_; }
    uint32_t redMask() const { return redMask_; }
    uint32_t greenMask() const { return greenMask_; }
    uint32_t blueMask() const { return blueMask_; }

private:
    bool build(int32_t width, int32_t height, VideoDevice* device, bool cleared);
    bool recordFormat();
    uint32_t keyForBlit(const VideoSurface& tile);

    VideoDevice* device_ = nullptr;
    std::vector<std::unique_ptr<VideoSurface>> tiles_;
    std::vector<VideoSurface::Lock> tileLocks_;
    std::vector<Box> tileRects_;
    int32_t tileCount_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
    uint32_t bitsPerPixel_ = 0;
    uint32_t redMask_ = 0;
    uint32_t greenMask_ = 0;
    uint32_t blueMask_ = 0;
};

// One off-screen surface in the device's format; null when width or height is
// 0. Throws LoadError when the device cannot make it.
std::unique_ptr<VideoSurface> createPlainSurface(int32_t width, int32_t height, VideoDevice* device,
                                                 bool cleared = true);

// Width and height of a surface; (0, 0) for none.
struct SurfaceSize {
    int32_t width = 0;
    int32_t height = 0;
};
SurfaceSize surfaceSize(const VideoSurface* surface);

// Whether the pixel (x, y) of one tile is opaque; failures count as transparent.
bool isTileOpaqueAt(const VideoSurface* tile, int32_t x, int32_t y);

} // namespace vandrel
