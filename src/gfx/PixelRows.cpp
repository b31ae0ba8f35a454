// Pixel rows in every tile format. The 32-bit and 16-bit writers of four-byte
// rows, which the JPEG decoder feeds with whole pictures, take four or eight
// pixels at a time with SSE2 where it is there.
#include "gfx/PixelRows.h"

#include <bit>
#include <cstddef>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vandrel::pixelRows {
namespace {

// Copies n pixels of B, G, R (and SrcStep - 3 spare bytes) into pixels of
// DstStep bytes, lifting the green of the key grey so it stays opaque; with
// ClearSpare the destination's fourth byte becomes 0.
template <int SrcStep, int DstStep, bool ClearSpare = false>
void copyLifted(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    for (int32_t i = 0; i < n; ++i, d += DstStep, row += SrcStep) {
        const uint8_t b = row[0], r = row[2];
        uint8_t g = row[1];
        if (adjustKey && b == keyGrey && g == keyGrey && r == keyGrey) g = adjustedGreen;
        d[0] = b;
        d[1] = g;
        d[2] = r;
        if constexpr (ClearSpare) d[3] = 0;
    }
}

// Four-byte rows into 32-bit pixels: the spare byte is stored as 0, the key
// lifted on the fly.
void writeQuads32(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    if constexpr (std::endian::native != std::endian::little) {
        copyLifted<4, 4, true>(d, row, n, adjustKey);
        return;
    }
    constexpr uint32_t key = Surface::key32;
    constexpr uint32_t lifted = (key & ~0xFF00u) | (uint32_t{adjustedGreen} << 8);
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

// One writer for both 16-bit layouts (GreenBits is 6 for 5-6-5 and 5 for 5-5-5)
// and both row widths (SrcStep 3 or 4 bytes a pixel).
template <int GreenBits, int SrcStep>
void write16(uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    constexpr uint16_t key = GreenBits == 6 ? Surface::key565 : Surface::key555;
    constexpr uint16_t adjusted = GreenBits == 6 ? Surface::keyAdjusted565 : Surface::keyAdjusted555;
    int32_t i = 0;
#ifdef __SSE2__
    if constexpr (SrcStep == 4 && std::endian::native == std::endian::little) {
        const __m128i keys = _mm_set1_epi16(static_cast<short>(key));
        const __m128i lift = _mm_set1_epi16(adjustKey ? static_cast<short>(key ^ adjusted) : 0);
        for (; i + 8 <= n; i += 8) pack16x8<GreenBits>(d + i * 2, row + i * 4, keys, lift);
    }
#endif
    for (d += i * 2, row += i * SrcStep; i < n; ++i, d += 2, row += SrcStep) {
        uint16_t v = pack16<GreenBits>(row[0], row[1], row[2]);
        if (adjustKey && v == key) v = adjusted;
        store16(d, v);
    }
}

} // namespace

bool write(PixelKind kind, uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    switch (kind) {
    case PixelKind::Bits32: copyLifted<3, 4>(d, row, n, adjustKey); break;
    case PixelKind::Bits24: copyLifted<3, 3>(d, row, n, adjustKey); break;
    case PixelKind::Rgb565: write16<6, 3>(d, row, n, adjustKey); break;
    case PixelKind::Rgb555: write16<5, 3>(d, row, n, adjustKey); break;
    case PixelKind::Other16: break;
    case PixelKind::Unsupported: return false;
    }
    return true;
}

bool writeQuads(PixelKind kind, uint8_t* d, const uint8_t* row, int32_t n, bool adjustKey) {
    switch (kind) {
    case PixelKind::Bits32: writeQuads32(d, row, n, adjustKey); break;
    case PixelKind::Bits24: copyLifted<4, 3>(d, row, n, adjustKey); break;
    case PixelKind::Rgb565: write16<6, 4>(d, row, n, adjustKey); break;
    case PixelKind::Rgb555: write16<5, 4>(d, row, n, adjustKey); break;
    case PixelKind::Other16: break;
    case PixelKind::Unsupported: return false;
    }
    return true;
}

bool read(PixelKind kind, const uint8_t* s, uint8_t* row, int32_t n, bool mirror) {
    if (kind == PixelKind::Other16) return true;
    if (kind == PixelKind::Unsupported) return false;
    const int32_t bytes = bytesOf(kind);
    for (int32_t i = 0; i < n; ++i, row += 3) {
        const uint8_t* p = s + static_cast<size_t>(mirror ? n - 1 - i : i) * bytes;
        switch (kind) {
        case PixelKind::Bits32:
        case PixelKind::Bits24:
            row[0] = p[0];
            row[1] = p[1];
            row[2] = p[2];
            break;
        case PixelKind::Rgb565: unpack16<6>(load16(p), row); break;
        default: unpack16<5>(load16(p), row); break;
        }
    }
    return true;
}

} // namespace vandrel::pixelRows
