// Tiled pictures: the tile grid, 24-bit row exchange in every pixel format,
// the key colour, and clipped, keyed and scaled blits one tile at a time.
#include "gfx/Surface.h"

#include "platform/LoadError.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vandrel {
namespace {

constexpr uint8_t keyGrey = 180;
constexpr uint8_t adjustedGreen = 184;

enum class Kind { bits32, bits24, rgb565, rgb555, other16, unsupported };

Kind kindOf(uint32_t bits, uint32_t red, uint32_t green, uint32_t blue) {
    if (bits == 32) return Kind::bits32;
    if (bits == 24) return Kind::bits24;
    if (bits == 16) {
        if (red == 0xF800 && green == 0x07E0 && blue == 0x001F) return Kind::rgb565;
        if (red == 0x7C00 && green == 0x03E0 && blue == 0x001F) return Kind::rgb555;
        return Kind::other16;
    }
    return Kind::unsupported;
}

Kind kindOf(const PixelFormat& f) { return kindOf(f.bitsPerPixel, f.redMask, f.greenMask, f.blueMask); }

inline uint16_t load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline void store16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Bytes per pixel for the kinds that have pixels to touch.
int32_t bytesOf(Kind k) {
    switch (k) {
    case Kind::bits32: return 4;
    case Kind::bits24: return 3;
    default: return 2;
    }
}

void writeDirect(uint8_t* d, int32_t bytes, const uint8_t* row, int32_t n, bool adjustKey) {
    for (int32_t i = 0; i < n; ++i, d += bytes, row += 3) {
        const uint8_t b = row[0], r = row[2];
        uint8_t g = row[1];
        if (adjustKey && b == keyGrey && g == keyGrey && r == keyGrey) g = adjustedGreen;
        d[0] = b;
        d[1] = g;
        d[2] = r;
    }
}

void write565(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    for (int32_t i = 0; i < n; ++i, d += 2, row += 3) {
        uint16_t v = static_cast<uint16_t>(((row[2] & 0xF8) << 8) | ((row[1] & 0xFC) << 3) | (row[0] >> 3));
        if (adjustKey && v == Surface::key565) v = Surface::keyAdjusted565;
        store16(d, v);
    }
}

void write555(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    for (int32_t i = 0; i < n; ++i, d += 2, row += 3) {
        uint16_t v = static_cast<uint16_t>(((row[2] & 0xF8) << 7) | ((row[1] & 0xF8) << 2) | (row[0] >> 3));
        if (adjustKey && v == Surface::key555) v = Surface::keyAdjusted555;
        store16(d, v);
    }
}

// The same writes from rows of four bytes per pixel (B, G, R and an unused
// fourth byte), as the JPEG decoder delivers them. The fourth byte of a 32-bit
// pixel is stored as 0, the key lift is done on the fly.
void writeQuads32(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    constexpr uint32_t key = Surface::key32;
    constexpr uint32_t lifted = (key & ~0xFF00u) | (uint32_t{adjustedGreen} << 8);
    if constexpr (std::endian::native == std::endian::little) {
        int32_t i = 0;
#ifdef __SSE2__
        // Four pixels at a time: clear the spare bytes, find the key among the
        // colours and lift its green (the two differ in green bits alone).
        const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
        const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
        const __m128i lift = _mm_set1_epi32(adjustKey ? static_cast<int>(key ^ lifted) : 0);
        for (; i + 4 <= n; i += 4) {
            __m128i v = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i * 4)), colour);
            v = _mm_xor_si128(v, _mm_and_si128(_mm_cmpeq_epi32(v, keys), lift));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i * 4), v);
        }
#endif
        for (; i < n; ++i) {
            uint32_t v;
            std::memcpy(&v, row + static_cast<size_t>(i) * 4, 4);
            v &= 0x00FFFFFFu;
            if (adjustKey && v == key) v = lifted;
            std::memcpy(d + static_cast<size_t>(i) * 4, &v, 4);
        }
    } else {
        for (int32_t i = 0; i < n; ++i, d += 4, row += 4) {
            const uint8_t b = row[0], r = row[2];
            uint8_t g = row[1];
            if (adjustKey && b == keyGrey && g == keyGrey && r == keyGrey) g = adjustedGreen;
            d[0] = b;
            d[1] = g;
            d[2] = r;
            d[3] = 0;
        }
    }
}

void writeQuads24(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    for (int32_t i = 0; i < n; ++i, d += 3, row += 4) {
        const uint8_t b = row[0], r = row[2];
        uint8_t g = row[1];
        if (adjustKey && b == keyGrey && g == keyGrey && r == keyGrey) g = adjustedGreen;
        d[0] = b;
        d[1] = g;
        d[2] = r;
    }
}

#ifdef __SSE2__
// Packs eight pixels of four bytes (B, G, R, spare) into eight 16-bit values
// of Red/Green/Blue bit counts 5/GreenBits/5, lifting the key to the adjusted key.
template <int GreenBits>
inline void pack16x8(uint8_t* d, const uint8_t* row, __m128i keys, __m128i lift) {
    constexpr int redShift = 8 + (6 - GreenBits);   // red's top bits to 15 (5-6-5) or 14 (5-5-5)
    constexpr int greenShift = 5 + (6 - GreenBits); // green's top bits below red
    constexpr int redMask = GreenBits == 6 ? 0xF800 : 0x7C00;
    constexpr int greenMask = GreenBits == 6 ? 0x07E0 : 0x03E0;
    const __m128i red = _mm_set1_epi32(redMask), green = _mm_set1_epi32(greenMask), blue = _mm_set1_epi32(0x1F);
    const __m128i bias = _mm_set1_epi32(0x8000);
    __m128i packed[2];
    for (int half = 0; half < 2; ++half) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + half * 16));
        __m128i p = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(v, redShift), red),
                                 _mm_and_si128(_mm_srli_epi32(v, greenShift), green));
        p = _mm_or_si128(p, _mm_and_si128(_mm_srli_epi32(v, 3), blue));
        // Signed saturation would clip values from 0x8000 up: pack them biased.
        packed[half] = _mm_sub_epi32(p, bias);
    }
    __m128i v16 = _mm_xor_si128(_mm_packs_epi32(packed[0], packed[1]), _mm_set1_epi16(static_cast<short>(0x8000)));
    v16 = _mm_xor_si128(v16, _mm_and_si128(_mm_cmpeq_epi16(v16, keys), lift));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v16);
}
#endif

// One writer for both 16-bit layouts: GreenBits is 6 for 5-6-5 and 5 for 5-5-5.
template <int GreenBits>
void writeQuads16(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    constexpr uint16_t key = GreenBits == 6 ? Surface::key565 : Surface::key555;
    constexpr uint16_t adjusted = GreenBits == 6 ? Surface::keyAdjusted565 : Surface::keyAdjusted555;
    constexpr int redShift = 5 + GreenBits - 3;
    constexpr uint8_t greenMask = static_cast<uint8_t>(0xFF << (8 - GreenBits));
    int32_t i = 0;
#ifdef __SSE2__
    if constexpr (std::endian::native == std::endian::little) {
        const __m128i keys = _mm_set1_epi16(static_cast<short>(key));
        const __m128i lift = _mm_set1_epi16(adjustKey ? static_cast<short>(key ^ adjusted) : 0);
        for (; i + 8 <= n; i += 8) pack16x8<GreenBits>(d + i * 2, row + i * 4, keys, lift);
    }
#endif
    for (d += i * 2, row += i * 4; i < n; ++i, d += 2, row += 4) {
        uint16_t v = static_cast<uint16_t>(((row[2] & 0xF8) << redShift) | ((row[1] & greenMask) << (GreenBits - 3)) |
                                           (row[0] >> 3));
        if (adjustKey && v == key) v = adjusted;
        store16(d, v);
    }
}

// Reads n pixels into row; pixel i comes from position n-1-i when mirrored.
void readPixels(Kind kind, const uint8_t* s, uint8_t* row, int32_t n, bool mirror) {
    const int32_t bytes = bytesOf(kind);
    for (int32_t i = 0; i < n; ++i, row += 3) {
        const uint8_t* p = s + static_cast<size_t>(mirror ? n - 1 - i : i) * bytes;
        switch (kind) {
        case Kind::bits32:
        case Kind::bits24:
            row[0] = p[0];
            row[1] = p[1];
            row[2] = p[2];
            break;
        case Kind::rgb565: {
            const uint16_t v = load16(p);
            row[0] = static_cast<uint8_t>((v << 3) & 0xFF);
            row[1] = static_cast<uint8_t>((v >> 3) & 0xFC);
            row[2] = static_cast<uint8_t>((v >> 8) & 0xF8);
            break;
        }
        default: {
            const uint16_t v = load16(p);
            row[0] = static_cast<uint8_t>((v << 3) & 0xFF);
            row[1] = static_cast<uint8_t>((v >> 2) & 0xF8);
            row[2] = static_cast<uint8_t>((v >> 7) & 0xF8);
            break;
        }
        }
    }
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

bool isTileOpaqueAt(VideoSurface* tile, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || !tile) return false;
    VideoSurface::Lock lock;
    // Reading one pixel must not throw away the tile's prepared blit data.
    if (!tile->lock(lock, true)) return false;
    if (y >= tile->height() || x >= tile->width()) {
        tile->unlock();
        return false;
    }
    const uint8_t* p = lock.pixels + static_cast<size_t>(y) * lock.pitch;
    bool opaque = true;
    switch (kindOf(lock.format)) {
    case Kind::bits32:
    case Kind::bits24:
        p += static_cast<size_t>(x) * lock.format.bytesPerPixel();
        opaque = !(p[0] == keyGrey && p[1] == keyGrey && p[2] == keyGrey);
        break;
    case Kind::rgb565: {
        const uint16_t v = load16(p + static_cast<size_t>(x) * 2);
        opaque = !((v & 0xF800) == 0xB000 && (v & 0x07E0) == 0x05A0 && (v & 0x1F) == 22);
        break;
    }
    case Kind::rgb555: {
        const uint16_t v = load16(p + static_cast<size_t>(x) * 2);
        opaque = !((v & 0x7C00) == 0x5800 && (v & 0x03E0) == 0x02C0 && (v & 0x1F) == 22);
        break;
    }
    default: break;
    }
    return tile->unlock() && opaque;
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

// The tile's part of line y: where its pixels start and which part of the row
// it covers. False when the line misses the tile.
namespace {
struct Segment {
    uint8_t* pixels;
    int32_t start;
    int32_t count;
};

bool segmentOf(const Box& line, const Box& tileRect, const VideoSurface::Lock& lock, Kind kind, Segment& out) {
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

// Calls visit(kind, segment) for every locked tile that row y of a surface
// width pixels wide crosses. False as soon as a crossed tile has no pixels or
// visit returns false.
template <typename Visit>
bool forEachRowSegment(int32_t y, int32_t width, const std::vector<VideoSurface::Lock>& locks,
                       const std::vector<Box>& rects, int32_t count, Visit visit) {
    const Box line{0, y, width, 1};
    for (int32_t i = 0; i < count; ++i) {
        const VideoSurface::Lock& lock = locks[i];
        const Kind kind = kindOf(lock.format);
        Segment seg;
        if (!segmentOf(line, rects[i], lock, kind, seg)) continue;
        if (!seg.pixels || !visit(kind, seg)) return false;
    }
    return true;
}
} // namespace

bool Surface::putRow(const uint8_t* row, int32_t y, bool adjustKey) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](Kind kind, const Segment& seg) {
        const uint8_t* src = row + static_cast<size_t>(seg.start) * 3;
        switch (kind) {
        case Kind::bits32: writeDirect(seg.pixels, 4, src, seg.count, adjustKey); break;
        case Kind::bits24: writeDirect(seg.pixels, 3, src, seg.count, adjustKey); break;
        case Kind::rgb565: write565(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::rgb555: write555(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::other16: break;
        case Kind::unsupported: return false;
        }
        return true;
    });
}

bool Surface::putQuadRow(const uint8_t* row, int32_t y, bool adjustKey) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](Kind kind, const Segment& seg) {
        const uint8_t* src = row + static_cast<size_t>(seg.start) * 4;
        switch (kind) {
        case Kind::bits32: writeQuads32(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::bits24: writeQuads24(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::rgb565: writeQuads16<6>(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::rgb555: writeQuads16<5>(seg.pixels, src, seg.count, adjustKey); break;
        case Kind::other16: break;
        case Kind::unsupported: return false;
        }
        return true;
    });
}

uint8_t Surface::greyOf(uint8_t b, uint8_t g, uint8_t r) {
    // A hundred times the exact grey, in whole numbers. Unless the grey is a
    // whole number, the sum in floating point lies at least 0.01 from one and
    // truncates the same; a whole number may come out a hair below it, so
    // that case takes the floating-point sum itself.
    const int32_t hundredfold = 11 * b + 59 * g + 30 * r;
    if (hundredfold % 100 != 0) return static_cast<uint8_t>(hundredfold / 100);
    return static_cast<uint8_t>(0.11 * b + 0.59 * g + 0.3 * r);
}

namespace {
// The grey of one 16-bit pixel, in the same layout.
template <int GreenBits>
uint16_t grey16(uint16_t v) {
    const auto b = static_cast<uint8_t>((v << 3) & 0xFF);
    const auto g = static_cast<uint8_t>(GreenBits == 6 ? (v >> 3) & 0xFC : (v >> 2) & 0xF8);
    const auto r = static_cast<uint8_t>(GreenBits == 6 ? (v >> 8) & 0xF8 : (v >> 7) & 0xF8);
    const uint8_t y = Surface::greyOf(b, g, r);
    if constexpr (GreenBits == 6) return static_cast<uint16_t>(((y & 0xF8) << 8) | ((y & 0xFC) << 3) | (y >> 3));
    return static_cast<uint16_t>(((y & 0xF8) << 7) | ((y & 0xF8) << 2) | (y >> 3));
}

// A 16-bit pixel has only 65,536 values: the grey of each is worked out once,
// on the first grey copy, instead of once per pixel of every copy.
template <int GreenBits>
const std::array<uint16_t, 65536>& greyTable16() {
    static const std::array<uint16_t, 65536> table = [] {
        std::array<uint16_t, 65536> t{};
        for (uint32_t v = 0; v < t.size(); ++v) t[v] = grey16<GreenBits>(static_cast<uint16_t>(v));
        return t;
    }();
    return table;
}

template <int GreenBits>
void greyLine16(const uint8_t* s, uint8_t* d, int32_t n) {
    const std::array<uint16_t, 65536>& table = greyTable16<GreenBits>();
    for (int32_t i = 0; i < n; ++i, s += 2, d += 2) store16(d, table[load16(s)]);
}

#ifdef __SSE2__
// Eight 32-bit pixels made grey. A hundred times the grey is at most 25,500,
// so it fits 16-bit lanes, and a multiply-high by 41,944 and a shift by 6
// divide it by 100 exactly over that range. Whole-number greys, where the
// floating-point sum may fall a hair short, are done one by one.
void grey8x32(const uint8_t* s, uint8_t* d) {
    const __m128i byte = _mm_set1_epi32(0xFF);
    __m128i b[2], g[2], r[2];
    for (int half = 0; half < 2; ++half) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + half * 16));
        b[half] = _mm_and_si128(v, byte);
        g[half] = _mm_and_si128(_mm_srli_epi32(v, 8), byte);
        r[half] = _mm_and_si128(_mm_srli_epi32(v, 16), byte);
    }
    const __m128i hundredfold =
        _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_packs_epi32(b[0], b[1]), _mm_set1_epi16(11)),
                                    _mm_mullo_epi16(_mm_packs_epi32(g[0], g[1]), _mm_set1_epi16(59))),
                      _mm_mullo_epi16(_mm_packs_epi32(r[0], r[1]), _mm_set1_epi16(30)));
    const __m128i grey = _mm_srli_epi16(_mm_mulhi_epu16(hundredfold, _mm_set1_epi16(static_cast<short>(41944))), 6);
    const __m128i zero = _mm_setzero_si128();
    for (int half = 0; half < 2; ++half) {
        const __m128i y = half == 0 ? _mm_unpacklo_epi16(grey, zero) : _mm_unpackhi_epi16(grey, zero);
        const __m128i pixel = _mm_or_si128(_mm_or_si128(y, _mm_slli_epi32(y, 8)), _mm_slli_epi32(y, 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + half * 16), pixel);
    }
    const __m128i whole = _mm_cmpeq_epi16(hundredfold, _mm_mullo_epi16(grey, _mm_set1_epi16(100)));
    if (_mm_movemask_epi8(whole) == 0) return;
    for (int i = 0; i < 8; ++i) {
        const uint8_t* p = s + i * 4;
        d[i * 4] = d[i * 4 + 1] = d[i * 4 + 2] = Surface::greyOf(p[0], p[1], p[2]);
    }
}
#endif

void greyLine32(const uint8_t* s, uint8_t* d, int32_t n) {
    int32_t i = 0;
#ifdef __SSE2__
    if constexpr (std::endian::native == std::endian::little)
        for (; i + 8 <= n; i += 8) grey8x32(s + i * 4, d + i * 4);
#endif
    for (s += i * 4, d += i * 4; i < n; ++i, s += 4, d += 4) {
        const uint8_t v = Surface::greyOf(s[0], s[1], s[2]);
        d[0] = d[1] = d[2] = v;
        d[3] = 0; // as in a new surface: rows never set the spare byte
    }
}

// One line of a tile made grey: source and destination in the same format.
void greyLine(Kind kind, const uint8_t* s, uint8_t* d, int32_t n) {
    switch (kind) {
    case Kind::bits32: greyLine32(s, d, n); break;
    case Kind::bits24:
        for (int32_t i = 0; i < n; ++i, s += 3, d += 3) d[0] = d[1] = d[2] = Surface::greyOf(s[0], s[1], s[2]);
        break;
    case Kind::rgb565: greyLine16<6>(s, d, n); break;
    case Kind::rgb555: greyLine16<5>(s, d, n); break;
    default: std::memset(d, 0, static_cast<size_t>(n) * 2); break; // rows of such tiles are never written
    }
}
} // namespace

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
        const Kind kind = kindOf(to.format);
        const Box& t = tileRects_[i];
        if (!from.pixels || !to.pixels) continue;
        for (int32_t y = 0; y < t.h; ++y) {
            uint8_t* d = to.pixels + static_cast<size_t>(y) * to.pitch;
            if (kindOf(from.format) != kind || kind == Kind::unsupported) {
                std::memset(d, 0, static_cast<size_t>(t.w) * to.format.bytesPerPixel());
                continue;
            }
            greyLine(kind, from.pixels + static_cast<size_t>(y) * from.pitch, d, t.w);
        }
    }
    unlock();
    colour.unlock();
    return true;
}

bool Surface::getRow(uint8_t* row, int32_t y, bool mirror) {
    recordFormat();
    if (!row) return false;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](Kind kind, const Segment& seg) {
        if (kind == Kind::other16) return true;
        if (kind == Kind::unsupported) return false;
        readPixels(kind, seg.pixels, row + static_cast<size_t>(seg.start) * 3, seg.count, mirror);
        return true;
    });
}

bool Surface::putMaskRow(const uint8_t* mask, int32_t y) {
    if (!mask) return false;
    // 16-bit tiles take the key of the masks recorded by the last row write.
    const Kind recorded = kindOf(16, redMask_, greenMask_, blueMask_);
    const uint16_t key16 = recorded == Kind::rgb565 ? key565 : recorded == Kind::rgb555 ? key555 : 0;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](Kind kind, const Segment& seg) {
        const uint8_t* m = mask + seg.start;
        uint8_t* d = seg.pixels;
        switch (kind) {
        case Kind::bits32:
        case Kind::bits24: {
            const int32_t bytes = bytesOf(kind);
            for (int32_t k = 0; k < seg.count; ++k, d += bytes)
                if (m[k]) {
                    d[0] = keyGrey;
                    d[1] = keyGrey;
                    d[2] = keyGrey;
                }
            break;
        }
        case Kind::rgb565:
        case Kind::rgb555:
        case Kind::other16:
            for (int32_t k = 0; k < seg.count; ++k, d += 2)
                if (m[k]) store16(d, key16);
            break;
        case Kind::unsupported: return false;
        }
        return true;
    });
}

namespace {
// Calls paint(start, n) for every run of set bits in [from, to) of a packed
// mask row. Whole bytes of opaque or of transparent pixels, by far the most,
// are taken eight, or sixty-four, at a time.
template <typename Paint>
void forEachSetRun(const uint8_t* bits, int32_t from, int32_t to, Paint paint) {
    int32_t i = from;
    int32_t run = -1; // start of the run being collected
    while (i < to) {
        if ((i & 63) == 0 && i + 64 <= to) {
            uint64_t word;
            std::memcpy(&word, bits + (i >> 3), 8);
            if (word == 0) {
                if (run >= 0) paint(run, i - run);
                run = -1;
                i += 64;
                continue;
            }
            if (word == ~uint64_t{0}) {
                if (run < 0) run = i;
                i += 64;
                continue;
            }
        }
        if ((i & 7) == 0 && i + 8 <= to) {
            const uint8_t byte = bits[i >> 3];
            if (byte == 0x00) {
                if (run >= 0) paint(run, i - run);
                run = -1;
                i += 8;
                continue;
            }
            if (byte == 0xFF) {
                if (run < 0) run = i;
                i += 8;
                continue;
            }
        }
        const bool set = (bits[i >> 3] & (0x80u >> (i & 7))) != 0;
        if (set && run < 0) {
            run = i;
        } else if (!set && run >= 0) {
            paint(run, i - run);
            run = -1;
        }
        ++i;
    }
    if (run >= 0) paint(run, to - run);
}
} // namespace

bool Surface::putMaskBits(const uint8_t* bits, int32_t count, int32_t y) {
    if (!bits) return false;
    const Kind recorded = kindOf(16, redMask_, greenMask_, blueMask_);
    const uint16_t key16 = recorded == Kind::rgb565 ? key565 : recorded == Kind::rgb555 ? key555 : 0;
    return forEachRowSegment(y, width_, tileLocks_, tileRects_, tileCount_, [&](Kind kind, const Segment& seg) {
        const int32_t end = std::min(seg.start + seg.count, count);
        const int32_t first = seg.start;
        switch (kind) {
        case Kind::bits32:
            // The fourth byte of each pixel stays as it is.
            forEachSetRun(bits, seg.start, end, [&](int32_t start, int32_t n) {
                constexpr bool little = std::endian::native == std::endian::little;
                constexpr uint32_t spare = little ? 0xFF000000u : 0x000000FFu;
                constexpr uint32_t grey = little ? key32 : key32 << 8;
                uint8_t* p = seg.pixels + static_cast<ptrdiff_t>(start - first) * 4;
                int32_t k = 0;
#ifdef __SSE2__
                if constexpr (little) {
                    const __m128i keep = _mm_set1_epi32(static_cast<int>(spare));
                    const __m128i key = _mm_set1_epi32(static_cast<int>(grey));
                    for (; k + 4 <= n; k += 4, p += 16) {
                        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_or_si128(_mm_and_si128(v, keep), key));
                    }
                }
#endif
                for (; k < n; ++k, p += 4) {
                    uint32_t v;
                    std::memcpy(&v, p, 4);
                    v = (v & spare) | grey;
                    std::memcpy(p, &v, 4);
                }
            });
            break;
        case Kind::bits24:
            forEachSetRun(bits, seg.start, end, [&](int32_t start, int32_t n) {
                std::memset(seg.pixels + static_cast<ptrdiff_t>(start - first) * 3, keyGrey,
                            static_cast<size_t>(n) * 3);
            });
            break;
        case Kind::rgb565:
        case Kind::rgb555:
        case Kind::other16:
            forEachSetRun(bits, seg.start, end, [&](int32_t start, int32_t n) {
                uint8_t* p = seg.pixels + static_cast<ptrdiff_t>(start - first) * 2;
                int32_t k = 0;
#ifdef __SSE2__
                if constexpr (std::endian::native == std::endian::little) {
                    const __m128i key = _mm_set1_epi16(static_cast<short>(key16));
                    for (; k + 8 <= n; k += 8, p += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), key);
                }
#endif
                for (; k < n; ++k, p += 2) store16(p, key16);
            });
            break;
        case Kind::unsupported: return false;
        }
        return true;
    });
}

uint32_t Surface::keyForBlit(const VideoSurface& tile) {
    switch (kindOf(bitsPerPixel_, redMask_, greenMask_, blueMask_)) {
    case Kind::bits32:
    case Kind::bits24: return key32;
    case Kind::rgb565: return key565;
    case Kind::rgb555: return key555;
    case Kind::other16:
        if (!farbconfShown) {
            farbconfShown = true;
            char text[96];
            std::snprintf(text, sizeof text, "R: %.8x\nG: %.8x\nB: %.8x\n", redMask_, greenMask_, blueMask_);
            showMessageBox("Farbconf", text);
        }
        // The same key the mask writer paints in such a format.
        return 0;
    case Kind::unsupported: break;
    }
    // Nothing recorded yet (rows never written): the grey of the tile's own format.
    switch (kindOf(tile.format())) {
    case Kind::bits32:
    case Kind::bits24: return key32;
    case Kind::rgb565: return key565;
    case Kind::rgb555: return key555;
    default: return 0;
    }
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

bool Surface::isOpaqueAt(int32_t x, int32_t y) {
    for (int32_t i = 0; i < tileCount_; ++i) {
        const Box& t = tileRects_[i];
        if (x >= t.x && x < t.x + t.w && y >= t.y && y < t.y + t.h)
            return isTileOpaqueAt(tiles_[i].get(), x - t.x, y - t.y);
    }
    return false;
}

} // namespace vandrel
