// The decoders' fast ways into a surface: rows of four bytes per pixel as the
// JPEG decoder hands them out, and masks packed eight pixels a byte as libpng
// hands them out. Each must leave exactly the pixels that the plain writers
// leave, in every format and across tile seams.
#include "gfx/Surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace vandrel {
namespace {

const PixelFormat formats[] = {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565(),
                               PixelFormat::rgb555()};

// Every tile's pixel bytes, line by line, without padding.
std::vector<uint8_t> pixelBytes(const Surface& s) {
    std::vector<uint8_t> out;
    for (int32_t i = 0; i < s.tileCount(); ++i) {
        const VideoSurface* t = s.tile(i);
        const size_t row = static_cast<size_t>(t->width()) * t->format().bytesPerPixel();
        for (int32_t y = 0; y < t->height(); ++y) {
            const uint8_t* p = t->pixels() + static_cast<size_t>(y) * t->pitch();
            out.insert(out.end(), p, p + row);
        }
    }
    return out;
}

// A line with the key grey, colours next to it that pack to the key in 16
// bits, and everything else varied; the fourth byte is noise.
void makeLine(int32_t width, int32_t y, std::vector<uint8_t>& bgr, std::vector<uint8_t>& quads) {
    bgr.assign(static_cast<size_t>(width) * 3, 0);
    quads.assign(static_cast<size_t>(width) * 4, 0);
    for (int32_t x = 0; x < width; ++x) {
        uint8_t b = static_cast<uint8_t>(x * 7 + y), g = static_cast<uint8_t>(x * 3 + y * 5),
                r = static_cast<uint8_t>(x ^ y);
        if (x % 5 == 0) b = g = r = 180;
        if (x % 5 == 1) b = 181, g = 183, r = 182;
        bgr[x * 3] = quads[x * 4] = b;
        bgr[x * 3 + 1] = quads[x * 4 + 1] = g;
        bgr[x * 3 + 2] = quads[x * 4 + 2] = r;
        quads[x * 4 + 3] = static_cast<uint8_t>(0xFF - x);
    }
}

TEST(SurfaceQuadRows, LeaveWhatTheByteRowsLeaveInEveryFormatAndAcrossSeams) {
    for (const PixelFormat& f : formats) {
        for (bool adjustKey : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << f.bitsPerPixel << " bits, green " << f.greenMask << ", adjust " << adjustKey);
            VideoDevice device(f);
            Surface plain, fast;
            ASSERT_TRUE(plain.create(701, 482, &device) && fast.create(701, 482, &device));
            ASSERT_TRUE(plain.lock() && fast.lock());
            std::vector<uint8_t> bgr, quads;
            for (int32_t y : {0, 1, 479, 480, 481}) {
                makeLine(701, y, bgr, quads);
                ASSERT_TRUE(plain.putRow(bgr.data(), y, adjustKey));
                ASSERT_TRUE(fast.putQuadRow(quads.data(), y, adjustKey));
            }
            ASSERT_TRUE(plain.unlock() && fast.unlock());
            EXPECT_EQ(pixelBytes(fast), pixelBytes(plain));
            EXPECT_EQ(fast.bitsPerPixel(), f.bitsPerPixel) << "the format is recorded as by putRow";
        }
    }
}

TEST(SurfaceQuadRows, TheFourthByteIsStoredAsZeroAndTheKeyLifted) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(2, 1, &device) && s.lock());
    const uint8_t quads[8] = {180, 180, 180, 0xFF, 1, 2, 3, 0xAB};
    ASSERT_TRUE(s.putQuadRow(quads, 0, true));
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0x00B4B8B4u);
    EXPECT_EQ(s.tile(0)->pixelAt(1, 0), 0x00030201u);
    EXPECT_TRUE(s.isOpaqueAt(0, 0));
}

TEST(SurfaceQuadRows, NeedALockedSurfaceOfAKnownDepth) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(4, 1, &device));
    const uint8_t quads[16] = {};
    EXPECT_FALSE(s.putQuadRow(quads, 0, true));
    ASSERT_TRUE(s.lock());
    EXPECT_FALSE(s.putQuadRow(nullptr, 0, true));
    EXPECT_TRUE(s.putQuadRow(quads, 0, true));
}

TEST(SurfaceQuadRows, SixteenBitLinesOfEveryLengthPackLikeTheByteRows) {
    // Eight pixels are packed at a time: every length up to two blocks and a
    // remainder, with red and green at their top values (the packing's sign).
    for (const PixelFormat& f : {PixelFormat::rgb565(), PixelFormat::rgb555()}) {
        VideoDevice device(f);
        for (int32_t width = 1; width <= 19; ++width) {
            SCOPED_TRACE(testing::Message() << f.greenMask << " width " << width);
            Surface plain, fast;
            ASSERT_TRUE(plain.create(width, 1, &device) && fast.create(width, 1, &device));
            ASSERT_TRUE(plain.lock() && fast.lock());
            std::vector<uint8_t> bgr, quads;
            makeLine(width, 3, bgr, quads);
            for (int32_t x = 0; x < width; x += 3) {
                bgr[x * 3 + 2] = quads[x * 4 + 2] = 0xFF;
                bgr[x * 3 + 1] = quads[x * 4 + 1] = 0xFF;
            }
            ASSERT_TRUE(plain.putRow(bgr.data(), 0, true));
            ASSERT_TRUE(fast.putQuadRow(quads.data(), 0, true));
            ASSERT_TRUE(plain.unlock() && fast.unlock());
            EXPECT_EQ(pixelBytes(fast), pixelBytes(plain));
        }
    }
}

// Runs of opaque and transparent bytes, lone pixels, a partial last byte.
// Runs of whole 64-pixel words of either kind, too.
bool maskedAt(int32_t x, int32_t y) {
    return (x >= 16 && x < 40) || (x + y) % 13 == 0 || (x > 600 && x < 650) || (x >= 128 && x < 320);
}

TEST(SurfaceMaskBits, LeaveWhatTheByteMaskLeavesInEveryFormatAndAcrossSeams) {
    for (const PixelFormat& f : formats) {
        SCOPED_TRACE(testing::Message() << f.bitsPerPixel << " bits, green " << f.greenMask);
        VideoDevice device(f);
        Surface plain, fast;
        ASSERT_TRUE(plain.create(701, 481, &device) && fast.create(701, 481, &device));
        ASSERT_TRUE(plain.lock() && fast.lock());
        std::vector<uint8_t> bgr, quads;
        for (int32_t y : {0, 479, 480}) {
            makeLine(701, y, bgr, quads);
            ASSERT_TRUE(plain.putRow(bgr.data(), y, true));
            ASSERT_TRUE(fast.putRow(bgr.data(), y, true));
            std::vector<uint8_t> bytes(701), bits((701 + 7) / 8);
            for (int32_t x = 0; x < 701; ++x)
                if (maskedAt(x, y)) {
                    bytes[x] = 1;
                    bits[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
            ASSERT_TRUE(plain.putMaskRow(bytes.data(), y));
            ASSERT_TRUE(fast.putMaskBits(bits.data(), 701, y));
        }
        ASSERT_TRUE(plain.unlock() && fast.unlock());
        EXPECT_EQ(pixelBytes(fast), pixelBytes(plain));
    }
}

TEST(SurfaceMaskBits, BitsBeyondTheCountAreNotApplied) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(12, 1, &device) && s.lock());
    const uint8_t quads[48] = {};
    ASSERT_TRUE(s.putQuadRow(quads, 0, true));
    const uint8_t bits[2] = {0xFF, 0xFF};
    // A mask only five pixels wide on a twelve-pixel line.
    ASSERT_TRUE(s.putMaskBits(bits, 5, 0));
    ASSERT_TRUE(s.unlock());
    for (int32_t x = 0; x < 12; ++x) EXPECT_EQ(s.isOpaqueAt(x, 0), x >= 5) << x;
}

TEST(SurfaceGrey, TheWholeNumberShortcutAgreesWithTheFloatingPointSumForEveryColour) {
    for (int b = 0; b < 256; ++b)
        for (int g = 0; g < 256; ++g)
            for (int r = 0; r < 256; ++r) {
                const auto expected = static_cast<uint8_t>(0.11 * b + 0.59 * g + 0.3 * r);
                const uint8_t got =
                    Surface::greyOf(static_cast<uint8_t>(b), static_cast<uint8_t>(g), static_cast<uint8_t>(r));
                if (got != expected)
                    FAIL() << b << "," << g << "," << r << ": " << int(got) << " not " << int(expected);
            }
}

TEST(SurfaceGrey, TheCopyIsWhatGreyRowsThroughThe24BitRowsMakeInEveryFormat) {
    for (const PixelFormat& f : formats) {
        SCOPED_TRACE(testing::Message() << f.bitsPerPixel << " bits, green " << f.greenMask);
        VideoDevice device(f);
        Surface colour, plain, fast;
        ASSERT_TRUE(colour.create(701, 482, &device) && colour.lock());
        std::vector<uint8_t> bgr, quads;
        for (int32_t y = 0; y < 482; ++y) {
            makeLine(701, y, bgr, quads);
            ASSERT_TRUE(colour.putQuadRow(quads.data(), y, true));
        }
        ASSERT_TRUE(colour.unlock());
        if (f.bitsPerPixel == 32) {
            // A spare byte in the colour picture is not carried over.
            VideoSurface::Lock lock;
            ASSERT_TRUE(colour.tile(0)->lock(lock));
            lock.pixels[3] = 0x5A;
            ASSERT_TRUE(colour.tile(0)->unlock());
        }
        // The plain way: each line read as 24-bit rows, made grey, written back.
        ASSERT_TRUE(plain.create(701, 482, &device) && plain.lock() && colour.lock());
        std::vector<uint8_t> row(701 * 3);
        for (int32_t y = 0; y < 482; ++y) {
            ASSERT_TRUE(colour.getRow(row.data(), y, false));
            for (size_t x = 0; x < row.size(); x += 3) {
                const auto v = static_cast<uint8_t>(0.11 * row[x] + 0.59 * row[x + 1] + 0.3 * row[x + 2]);
                row[x] = row[x + 1] = row[x + 2] = v;
            }
            ASSERT_TRUE(plain.putRow(row.data(), y, false));
        }
        ASSERT_TRUE(plain.unlock() && colour.unlock());
        ASSERT_TRUE(fast.makeGreyOf(colour, &device));
        EXPECT_EQ(pixelBytes(fast), pixelBytes(plain));
        EXPECT_FALSE(colour.tile(0)->isLocked()) << "both pictures are left unlocked";
        EXPECT_FALSE(fast.tile(0)->isLocked());
    }
}

TEST(SurfaceGrey, NoCopyOfAnEmptyPicture) {
    VideoDevice device;
    Surface colour, grey;
    EXPECT_FALSE(grey.makeGreyOf(colour, &device));
    EXPECT_TRUE(grey.isEmpty());
}

} // namespace
} // namespace vandrel
