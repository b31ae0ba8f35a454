// Video surfaces: locking, rectangle checks, and blits (row copies, keyed runs,
// stretching) checked against a plain per-pixel reference in every format.
#include "video/VideoSurface.h"
#include "video/VideoDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

namespace vandrel {
namespace {

const PixelFormat formats[] = {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565(),
                               PixelFormat::rgb555()};

void setPixel(VideoSurface& s, int32_t x, int32_t y, uint32_t v) {
    VideoSurface::Lock lock;
    ASSERT_TRUE(s.lock(lock));
    uint8_t* p = lock.pixels + y * lock.pitch + x * lock.format.bytesPerPixel();
    for (uint32_t i = 0; i < lock.format.bytesPerPixel(); ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
    ASSERT_TRUE(s.unlock());
}

// Fills a surface with noise in which about a third of the pixels, in runs
// of random length, are the key.
void fillNoise(VideoSurface& s, uint32_t key, unsigned seed, bool keyRuns = true) {
    std::mt19937 rng(seed);
    VideoSurface::Lock lock;
    ASSERT_TRUE(s.lock(lock));
    const uint32_t bpp = lock.format.bytesPerPixel();
    for (int32_t y = 0; y < s.height(); ++y) {
        int32_t x = 0;
        while (x < s.width()) {
            const bool transparent = keyRuns && rng() % 3 == 0;
            const int32_t run = 1 + static_cast<int32_t>(rng() % 9);
            for (int32_t i = 0; i < run && x < s.width(); ++i, ++x) {
                uint32_t v = transparent ? key : rng();
                if (!transparent && (v & 0xFFFFFF & (bpp == 2 ? 0xFFFF : 0xFFFFFF)) == key) v ^= 1;
                uint8_t* p = lock.pixels + y * lock.pitch + x * bpp;
                for (uint32_t b = 0; b < bpp; ++b) p[b] = static_cast<uint8_t>(v >> (8 * b));
            }
        }
    }
    ASSERT_TRUE(s.unlock());
}

uint32_t colourBits(const PixelFormat& f) { return f.redMask | f.greenMask | f.blueMask; }

// What a blit must produce, pixel by pixel.
std::vector<uint32_t> referenceBlit(const VideoSurface& dst, const Rect& d, const VideoSurface& src, const Rect& s,
                                    bool keyed, uint32_t key) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < dst.height(); ++y)
        for (int32_t x = 0; x < dst.width(); ++x) out.push_back(dst.pixelAt(x, y));
    const uint32_t bits = colourBits(dst.format());
    for (int32_t j = 0; j < d.height(); ++j)
        for (int32_t i = 0; i < d.width(); ++i) {
            const int32_t sx = s.left + static_cast<int32_t>(int64_t(i) * s.width() / d.width());
            const int32_t sy = s.top + static_cast<int32_t>(int64_t(j) * s.height() / d.height());
            const uint32_t v = src.pixelAt(sx, sy);
            if (keyed && (v & bits) == (key & bits)) continue;
            out[static_cast<size_t>(d.top + j) * dst.width() + d.left + i] = v;
        }
    return out;
}

std::vector<uint32_t> pixelsOf(const VideoSurface& s) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x) out.push_back(s.pixelAt(x, y));
    return out;
}

uint32_t keyOf(const PixelFormat& f) {
    return f.bitsPerPixel == 16 ? (f.greenMask == 0x07E0 ? 0xB5B6u : 0x5AD6u) : 0xB4B4B4u;
}

TEST(VideoSurfaceLock, SecondLockFailsAndUnlockNeedsALock) {
    VideoSurface s(8, 4, PixelFormat::rgb565());
    VideoSurface::Lock lock;
    EXPECT_FALSE(s.unlock());
    ASSERT_TRUE(s.lock(lock));
    EXPECT_EQ(lock.pitch, 16);
    EXPECT_EQ(lock.format, PixelFormat::rgb565());
    VideoSurface::Lock again;
    EXPECT_FALSE(s.lock(again));
    EXPECT_TRUE(s.unlock());
    EXPECT_FALSE(s.unlock());
}

TEST(VideoSurfaceView, ReadsLinesAndPixelsInsideTheSurfaceOnly) {
    for (const PixelFormat& f : {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565()}) {
        SCOPED_TRACE(f.bitsPerPixel);
        VideoSurface s(3, 2, f);
        VideoSurface::Lock lock;
        ASSERT_TRUE(s.lock(lock));
        const uint32_t bytes = f.bytesPerPixel();
        for (int32_t y = 0; y < 2; ++y)
            for (uint32_t i = 0; i < 3 * bytes; ++i)
                lock.pixels[static_cast<size_t>(y) * lock.pitch + i] = static_cast<uint8_t>(0x10 * y + i + 1);
        ASSERT_TRUE(s.unlock());

        const PixelView v = s.view();
        ASSERT_FALSE(v.isEmpty());
        EXPECT_EQ(v.line(1), s.pixels() + s.pitch());
        // Pixel (2, 1): its bytes, the lowest first.
        uint32_t want = 0;
        for (uint32_t i = 0; i < bytes; ++i) want |= (0x10u + 2 * bytes + i + 1) << (8 * i);
        EXPECT_EQ(v.pixelAt(2, 1), want);
        EXPECT_EQ(s.pixelAt(2, 1), want);
        EXPECT_EQ(v.pixelAt(3, 0), 0u);
        EXPECT_EQ(v.pixelAt(0, 2), 0u);
        EXPECT_EQ(v.pixelAt(-1, 0), 0u);
        EXPECT_EQ(v.line(2), nullptr);
        EXPECT_EQ(v.line(-1), nullptr);
    }
    EXPECT_TRUE(PixelView{}.isEmpty());
    EXPECT_EQ(PixelView{}.pixelAt(0, 0), 0u);
}

TEST(VideoSurfaceLock, LinesOfOddWidthStartOnFourByteBoundaries) {
    VideoSurface s(5, 3, PixelFormat::rgb24());
    EXPECT_EQ(s.pitch(), 16);
    setPixel(s, 4, 2, 0x123456);
    EXPECT_EQ(s.pixelAt(4, 2), 0x123456u);
    EXPECT_EQ(s.pixelAt(3, 2), 0u);
}

TEST(VideoSurfaceBlt, RefusesLockedSurfacesBadRectanglesAndMixedFormats) {
    VideoSurface dst(20, 10, PixelFormat::xrgb32()), src(8, 8, PixelFormat::xrgb32());
    VideoSurface other(8, 8, PixelFormat::rgb565());
    const Rect inside{0, 0, 8, 8};
    EXPECT_TRUE(dst.blt(&inside, &src, nullptr, false));
    VideoSurface::Lock lock;
    ASSERT_TRUE(src.lock(lock));
    EXPECT_FALSE(dst.blt(&inside, &src, nullptr, false));
    ASSERT_TRUE(src.unlock());
    ASSERT_TRUE(dst.lock(lock));
    EXPECT_FALSE(dst.blt(&inside, &src, nullptr, false));
    ASSERT_TRUE(dst.unlock());

    for (const Rect& bad : {Rect{-1, 0, 7, 8}, Rect{0, -1, 8, 7}, Rect{13, 0, 21, 8}, Rect{0, 3, 8, 11},
                            Rect{4, 4, 4, 8}, Rect{5, 5, 3, 8}})
        EXPECT_FALSE(dst.blt(&bad, &src, nullptr, false)) << bad.left << "," << bad.top;
    const Rect badSource{1, 1, 9, 9};
    EXPECT_FALSE(dst.blt(&inside, &src, &badSource, false));
    EXPECT_FALSE(dst.blt(&inside, &other, nullptr, false));
    EXPECT_FALSE(dst.blt(&inside, nullptr, nullptr, false));
    // A keyed blit needs a key on the source.
    EXPECT_FALSE(dst.blt(&inside, &src, nullptr, true));
    src.setColorKey(0);
    EXPECT_TRUE(dst.blt(&inside, &src, nullptr, true));
}

TEST(VideoSurfaceBlt, CopiesAndKeysLikeThePixelByPixelReferenceInEveryFormat) {
    for (const PixelFormat& f : formats) {
        SCOPED_TRACE(f.bitsPerPixel);
        const uint32_t key = keyOf(f);
        VideoSurface src(97, 41, f), dst(120, 60, f);
        fillNoise(src, key, 7);
        fillNoise(dst, key, 8, false);
        src.setColorKey(key);
        // Whole source, and parts that start and end inside runs.
        const Rect cases[][2] = {{{3, 5, 100, 46}, {0, 0, 97, 41}},
                                 {{10, 2, 40, 30}, {17, 3, 47, 31}},
                                 {{0, 0, 1, 1}, {96, 40, 97, 41}},
                                 {{50, 10, 120, 20}, {27, 0, 97, 10}}};
        for (bool keyed : {false, true})
            for (const auto& c : cases) {
                const auto expected = referenceBlit(dst, c[0], src, c[1], keyed, key);
                ASSERT_TRUE(dst.blt(&c[0], &src, &c[1], keyed));
                ASSERT_EQ(pixelsOf(dst), expected) << "keyed " << keyed << " at " << c[0].left << "," << c[0].top;
            }
    }
}

TEST(VideoSurfaceBlt, KeyIgnoresTheUnusedBitsOfThePixel) {
    // 32-bit pixels whose fourth byte is set, and 5-5-5 pixels whose top bit
    // is set, are still the key.
    VideoSurface src32(2, 1, PixelFormat::xrgb32()), dst32(2, 1, PixelFormat::xrgb32());
    setPixel(src32, 0, 0, 0xFFB4B4B4);
    setPixel(src32, 1, 0, 0x00B4B4B5);
    src32.setColorKey(0xB4B4B4);
    ASSERT_TRUE(dst32.blt(nullptr, &src32, nullptr, true));
    EXPECT_EQ(dst32.pixelAt(0, 0), 0u);
    EXPECT_EQ(dst32.pixelAt(1, 0), 0xB4B4B5u);

    VideoSurface src555(1, 1, PixelFormat::rgb555()), dst555(1, 1, PixelFormat::rgb555());
    setPixel(src555, 0, 0, 0x8000 | 0x5AD6);
    src555.setColorKey(0x5AD6);
    ASSERT_TRUE(dst555.blt(nullptr, &src555, nullptr, true));
    EXPECT_EQ(dst555.pixelAt(0, 0), 0u);
}

TEST(VideoSurfaceBlt, WritingThroughALockIsSeenByTheNextKeyedBlit) {
    VideoSurface src(16, 4, PixelFormat::rgb565()), dst(16, 4, PixelFormat::rgb565());
    fillNoise(src, 0xB5B6, 3);
    src.setColorKey(0xB5B6);
    ASSERT_TRUE(dst.blt(nullptr, &src, nullptr, true));
    // Punch a hole and fill a former hole: the prepared runs must not survive.
    setPixel(src, 5, 2, 0xB5B6);
    ASSERT_TRUE(dst.fill(nullptr, 0x1234));
    ASSERT_TRUE(dst.blt(nullptr, &src, nullptr, true));
    EXPECT_EQ(dst.pixelAt(5, 2), 0x1234u);
    setPixel(src, 5, 2, 0x0F0F);
    ASSERT_TRUE(dst.blt(nullptr, &src, nullptr, true));
    EXPECT_EQ(dst.pixelAt(5, 2), 0x0F0Fu);
    // A changed key is honoured too.
    src.setColorKey(0x0F0F);
    ASSERT_TRUE(dst.fill(nullptr, 0x1111));
    ASSERT_TRUE(dst.blt(nullptr, &src, nullptr, true));
    EXPECT_EQ(dst.pixelAt(5, 2), 0x1111u);
}

TEST(VideoSurfaceBlt, BlittingIntoASurfaceRefreshesItsOwnRuns) {
    VideoSurface a(8, 1, PixelFormat::xrgb32()), b(8, 1, PixelFormat::xrgb32()), out(8, 1, PixelFormat::xrgb32());
    a.setColorKey(0xB4B4B4);
    ASSERT_TRUE(a.fill(nullptr, 0xB4B4B4));
    ASSERT_TRUE(out.blt(nullptr, &a, nullptr, true)); // runs of an all-key surface
    ASSERT_TRUE(b.fill(nullptr, 0x00FF00));
    ASSERT_TRUE(a.blt(nullptr, &b, nullptr, false)); // now opaque
    ASSERT_TRUE(out.blt(nullptr, &a, nullptr, true));
    EXPECT_EQ(out.pixelAt(7, 0), 0x00FF00u);
}

TEST(VideoSurfaceBlt, StretchesNearestNeighbourKeyedOrNot) {
    for (const PixelFormat& f : formats) {
        SCOPED_TRACE(f.bitsPerPixel);
        const uint32_t key = keyOf(f);
        VideoSurface src(30, 30, f), dst(70, 50, f);
        fillNoise(src, key, 11);
        src.setColorKey(key);
        const Rect cases[][2] = {{{0, 0, 15, 15}, {0, 0, 29, 29}}, // the 50 % blit
                                 {{5, 5, 65, 45}, {0, 0, 30, 20}},
                                 {{1, 2, 4, 3}, {7, 7, 30, 30}}};
        for (bool keyed : {false, true})
            for (const auto& c : cases) {
                const auto expected = referenceBlit(dst, c[0], src, c[1], keyed, key);
                ASSERT_TRUE(dst.blt(&c[0], &src, &c[1], keyed));
                ASSERT_EQ(pixelsOf(dst), expected);
            }
    }
}

TEST(VideoSurfaceBlt, OverlappingCopyWithinOneSurfaceMovesLikeMemmove) {
    VideoSurface s(4, 4, PixelFormat::xrgb32());
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) setPixel(s, x, y, static_cast<uint32_t>(y * 4 + x));
    const Rect src{0, 0, 4, 3}, dst{0, 1, 4, 4};
    ASSERT_TRUE(s.blt(&dst, &s, &src, false));
    for (int32_t y = 1; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(s.pixelAt(x, y), static_cast<uint32_t>((y - 1) * 4 + x));
    // Shrinking onto itself reads the source as it was.
    const Rect whole{0, 0, 4, 4}, half{0, 0, 2, 2};
    const auto before = pixelsOf(s);
    ASSERT_TRUE(s.blt(&half, &s, &whole, false));
    EXPECT_EQ(s.pixelAt(1, 1), before[2 * 4 + 2]);
}

TEST(VideoSurfaceFill, FillsARectangleInsideTheSurfaceOnly) {
    VideoSurface s(6, 4, PixelFormat::rgb24());
    const Rect r{1, 1, 3, 2};
    ASSERT_TRUE(s.fill(&r, 0xABCDEF));
    EXPECT_EQ(s.pixelAt(1, 1), 0xABCDEFu);
    EXPECT_EQ(s.pixelAt(2, 1), 0xABCDEFu);
    EXPECT_EQ(s.pixelAt(3, 1), 0u);
    EXPECT_EQ(s.pixelAt(1, 2), 0u);
    const Rect outside{4, 0, 7, 1};
    EXPECT_FALSE(s.fill(&outside, 1));
}

TEST(VideoDevice, MakesSurfacesInItsFormatWithinLimits) {
    VideoDevice device(PixelFormat::rgb555());
    auto s = device.createSurface(3, 2);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->format(), PixelFormat::rgb555());
    EXPECT_FALSE(device.createSurface(0, 2));
    EXPECT_FALSE(device.createSurface(2, -1));
    EXPECT_FALSE(device.createSurface(VideoDevice::maxSurfaceSide + 1, 1));
    device.limitSurfaces(1);
    EXPECT_TRUE(device.createSurface(1, 1));
    EXPECT_FALSE(device.createSurface(1, 1));
    device.limitSurfaces(-1);
    device.setFormat(PixelFormat{8, 0, 0, 0});
    EXPECT_FALSE(device.createSurface(1, 1));
}

TEST(VideoSurfaceSwap, ExchangesPixelsOnlyBetweenUnlockedTwinsAndForgetsKeyedRuns) {
    VideoSurface a(4, 2, PixelFormat::rgb565()), b(4, 2, PixelFormat::rgb565()), other(4, 3, PixelFormat::rgb565());
    ASSERT_TRUE(a.fill(nullptr, 0x1111) && b.fill(nullptr, 0x2222));
    // Keyed runs found on a's old pixels must not be used for its new ones.
    ASSERT_TRUE(a.setColorKey(0x1111));
    VideoSurface target(4, 2, PixelFormat::rgb565());
    ASSERT_TRUE(target.blt(nullptr, &a, nullptr, true));
    ASSERT_TRUE(a.swapPixels(b));
    EXPECT_EQ(a.pixelAt(3, 1), 0x2222u);
    EXPECT_EQ(b.pixelAt(0, 0), 0x1111u);
    ASSERT_TRUE(target.blt(nullptr, &a, nullptr, true));
    EXPECT_EQ(target.pixelAt(2, 1), 0x2222u);
    EXPECT_FALSE(a.swapPixels(other));
    VideoSurface::Lock lock;
    ASSERT_TRUE(b.lock(lock));
    EXPECT_FALSE(a.swapPixels(b));
}

} // namespace
} // namespace vandrel
