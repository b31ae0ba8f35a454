// Mask runs: the set bits of a packed mask row are found as runs, whole bytes
// and whole 64-bit words at a time, and each run is painted at once.
#include "gfx/MaskRuns.h"

#include <bit>
#include <cstddef>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vandrel::maskRuns {
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

// n 32-bit pixels at p become the key grey; the fourth byte of each stays.
void paintKey32(uint8_t* p, int32_t n) {
    constexpr bool little = std::endian::native == std::endian::little;
    constexpr uint32_t spare = little ? 0xFF000000u : 0x000000FFu;
    constexpr uint32_t grey = little ? Surface::key32 : Surface::key32 << 8;
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
}

// n 16-bit pixels at p become key16.
void paintKey16(uint8_t* p, int32_t n, uint16_t key16) {
    int32_t k = 0;
#ifdef __SSE2__
    if constexpr (std::endian::native == std::endian::little) {
        const __m128i key = _mm_set1_epi16(static_cast<short>(key16));
        for (; k + 8 <= n; k += 8, p += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), key);
    }
#endif
    for (; k < n; ++k, p += 2) store16(p, key16);
}

} // namespace

bool paintBytes(PixelKind kind, uint8_t* d, const uint8_t* mask, int32_t n, uint16_t key16) {
    switch (kind) {
    case PixelKind::Bits32:
    case PixelKind::Bits24: {
        const int32_t bytes = bytesOf(kind);
        for (int32_t k = 0; k < n; ++k, d += bytes)
            if (mask[k]) {
                d[0] = keyGrey;
                d[1] = keyGrey;
                d[2] = keyGrey;
            }
        return true;
    }
    case PixelKind::Rgb565:
    case PixelKind::Rgb555:
    case PixelKind::Other16:
        for (int32_t k = 0; k < n; ++k, d += 2)
            if (mask[k]) store16(d, key16);
        return true;
    case PixelKind::Unsupported: break;
    }
    return false;
}

bool paintBits(PixelKind kind, uint8_t* d, const uint8_t* bits, int32_t from, int32_t end, uint16_t key16) {
    switch (kind) {
    case PixelKind::Bits32:
        forEachSetRun(bits, from, end,
                      [&](int32_t start, int32_t n) { paintKey32(d + static_cast<ptrdiff_t>(start - from) * 4, n); });
        return true;
    case PixelKind::Bits24:
        forEachSetRun(bits, from, end, [&](int32_t start, int32_t n) {
            std::memset(d + static_cast<ptrdiff_t>(start - from) * 3, keyGrey, static_cast<size_t>(n) * 3);
        });
        return true;
    case PixelKind::Rgb565:
    case PixelKind::Rgb555:
    case PixelKind::Other16:
        forEachSetRun(bits, from, end, [&](int32_t start, int32_t n) {
            paintKey16(d + static_cast<ptrdiff_t>(start - from) * 2, n, key16);
        });
        return true;
    case PixelKind::Unsupported: break;
    }
    return false;
}

} // namespace vandrel::maskRuns
