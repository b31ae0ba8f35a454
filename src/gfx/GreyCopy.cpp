// Grey copies: the grey of a colour in whole numbers, a table for each 16-bit
// layout, and eight 32-bit pixels at a time with SSE2 where it is there.
#include "gfx/GreyCopy.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vandrel::greyCopy {
namespace {

// The grey of one 16-bit pixel, in the same layout.
template <int GreenBits>
uint16_t grey16(uint16_t v) {
    uint8_t bgr[3];
    unpack16<GreenBits>(v, bgr);
    const uint8_t y = greyOf(bgr[0], bgr[1], bgr[2]);
    return pack16<GreenBits>(y, y, y);
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
        d[i * 4] = d[i * 4 + 1] = d[i * 4 + 2] = greyOf(p[0], p[1], p[2]);
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
        const uint8_t v = greyOf(s[0], s[1], s[2]);
        d[0] = d[1] = d[2] = v;
        d[3] = 0; // as in a new surface: rows never set the spare byte
    }
}

} // namespace

uint8_t greyOf(uint8_t b, uint8_t g, uint8_t r) {
    // A hundred times the exact grey, in whole numbers. Unless the grey is a
    // whole number, the sum in floating point lies at least 0.01 from one and
    // truncates the same; a whole number may come out a hair below it, so
    // that case takes the floating-point sum itself.
    const int32_t hundredfold = 11 * b + 59 * g + 30 * r;
    if (hundredfold % 100 != 0) return static_cast<uint8_t>(hundredfold / 100);
    return static_cast<uint8_t>(0.11 * b + 0.59 * g + 0.3 * r);
}

void line(PixelKind kind, const uint8_t* s, uint8_t* d, int32_t n) {
    switch (kind) {
    case PixelKind::Bits32: greyLine32(s, d, n); break;
    case PixelKind::Bits24:
        for (int32_t i = 0; i < n; ++i, s += 3, d += 3) d[0] = d[1] = d[2] = greyOf(s[0], s[1], s[2]);
        break;
    case PixelKind::Rgb565: greyLine16<6>(s, d, n); break;
    case PixelKind::Rgb555: greyLine16<5>(s, d, n); break;
    default: std::memset(d, 0, static_cast<size_t>(n) * 2); break; // rows of such tiles are never written
    }
}

} // namespace vandrel::greyCopy
