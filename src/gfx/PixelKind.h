// What the surface code needs to know of a tile's pixel format: which of the
// layouts it writes it is (PixelKind), the key colour of each, 16-bit pixels
// as little-endian bytes, and the part of a picture's line that each tile holds.
// Shared by the surface and its row, grey and mask writers; not for other code.
#pragma once
#include "gfx/Box.h"
#include "gfx/Surface.h"
#include "video/VideoSurface.h"

#include <cstdint>
#include <vector>

namespace vandrel {

enum class PixelKind { Bits32, Bits24, Rgb565, Rgb555, Other16, Unsupported };

// The grey of the key colour in 24 and 32 bits, and the green that lifts an
// opaque pixel of that grey off the key.
inline constexpr uint8_t keyGrey = 180;
inline constexpr uint8_t adjustedGreen = 184;

inline PixelKind kindOf(uint32_t bits, uint32_t red, uint32_t green, uint32_t blue) {
    if (bits == 32) return PixelKind::Bits32;
    if (bits == 24) return PixelKind::Bits24;
    if (bits == 16) {
        if (red == 0xF800 && green == 0x07E0 && blue == 0x001F) return PixelKind::Rgb565;
        if (red == 0x7C00 && green == 0x03E0 && blue == 0x001F) return PixelKind::Rgb555;
        return PixelKind::Other16;
    }
    return PixelKind::Unsupported;
}

inline PixelKind kindOf(const PixelFormat& f) { return kindOf(f.bitsPerPixel, f.redMask, f.greenMask, f.blueMask); }

// The key colour as a pixel of that kind; 0 where no grey can be written (the
// same 0 the mask writers paint there).
inline uint32_t keyOf(PixelKind kind) {
    switch (kind) {
    case PixelKind::Bits32:
    case PixelKind::Bits24: return Surface::key32;
    case PixelKind::Rgb565: return Surface::key565;
    case PixelKind::Rgb555: return Surface::key555;
    default: return 0;
    }
}

// Bytes per pixel for the kinds that have pixels to touch.
inline int32_t bytesOf(PixelKind k) {
    switch (k) {
    case PixelKind::Bits32: return 4;
    case PixelKind::Bits24: return 3;
    default: return 2;
    }
}

inline uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline void store16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// A 16-bit pixel of GreenBits green bits (6 for 5-6-5, 5 for 5-5-5) from B, G,
// R bytes, which keep their top bits, and back into bytes with the low bits 0.
template <int GreenBits>
constexpr uint16_t pack16(uint8_t b, uint8_t g, uint8_t r) {
    constexpr int redShift = 5 + GreenBits - 3;
    constexpr uint8_t greenMask = static_cast<uint8_t>(0xFF << (8 - GreenBits));
    return static_cast<uint16_t>(((r & 0xF8) << redShift) | ((g & greenMask) << (GreenBits - 3)) | (b >> 3));
}
template <int GreenBits>
inline void unpack16(uint16_t v, uint8_t* bgr) {
    bgr[0] = static_cast<uint8_t>((v << 3) & 0xFF);
    bgr[1] = static_cast<uint8_t>(GreenBits == 6 ? (v >> 3) & 0xFC : (v >> 2) & 0xF8);
    bgr[2] = static_cast<uint8_t>(GreenBits == 6 ? (v >> 8) & 0xF8 : (v >> 7) & 0xF8);
}

// One tile's part of a picture's line: where its pixels start and which part
// of the line it covers.
struct RowSegment {
    uint8_t* pixels;
    int32_t start;
    int32_t count;
};

// The segment of line in a locked tile at tileRect; false when the line misses it.
inline bool segmentOf(const Box& line, const Box& tileRect, const VideoSurface::Lock& lock, PixelKind kind,
                      RowSegment& out) {
    Box part;
    if (!intersect(line, tileRect, part)) return false;
    const int32_t bytes = bytesOf(kind);
    int64_t lineOffset = static_cast<int64_t>(line.y - tileRect.y) * lock.pitch;
    if (bytes == 2) lineOffset = lineOffset / 2 * 2; // counted in whole pixels
    out.pixels = lock.pixels ? lock.pixels + lineOffset + static_cast<int64_t>(part.x - tileRect.x) * bytes : nullptr;
    out.start = part.x;
    out.count = part.w;
    return true;
}

// Calls visit(kind, segment) for every locked tile that row y of a picture
// width pixels wide crosses. False as soon as a crossed tile has no pixels or
// visit returns false.
template <typename Visit>
bool forEachRowSegment(int32_t y, int32_t width, const std::vector<VideoSurface::Lock>& locks,
                       const std::vector<Box>& rects, int32_t count, Visit visit) {
    const Box line{0, y, width, 1};
    for (int32_t i = 0; i < count; ++i) {
        const VideoSurface::Lock& lock = locks[i];
        const PixelKind kind = kindOf(lock.format);
        RowSegment seg;
        if (!segmentOf(line, rects[i], lock, kind, seg)) continue;
        if (!seg.pixels || !visit(kind, seg)) return false;
    }
    return true;
}

} // namespace vandrel
