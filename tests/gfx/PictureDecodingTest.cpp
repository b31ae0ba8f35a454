// What picture decoding leaves behind: surfaces that a decoder writes whole are
// not cleared first, so every line must be written or cleared; a damaged mask
// changes nothing of the picture it was meant for.
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"

#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::Rgb;
using test::TestArchive;

// Uncleared surfaces come out filled with a byte no decoder writes, so that a
// line left out shows.
class UnclearedFill : public ::testing::Test {
protected:
    void SetUp() override { VideoSurface::fillUnclearedWith(0xCD); }
    void TearDown() override { VideoSurface::fillUnclearedWith(-1); }
};

bool allZero(const VideoSurface& t) {
    const size_t n = static_cast<size_t>(t.pitch()) * t.height();
    return std::all_of(t.pixels(), t.pixels() + n, [](uint8_t b) { return b == 0; });
}

TEST_F(UnclearedFill, EveryLineOfADecodedPictureIsWrittenAndThePaddingIsZero) {
    for (const PixelFormat& f : {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565()}) {
        SCOPED_TRACE(f.bitsPerPixel);
        const test::Picture p = test::makePicture(701, 483, [](int32_t x, int32_t y) {
            return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7};
        });
        TestArchive archive({{"e", concat({block("JP", test::encodeJpeg(p)), block("PG")})}});
        VideoDevice device(f);
        Surface s;
        ASSERT_TRUE(loadImage(&archive.entry("e"), &s, &device));
        ASSERT_EQ(s.tileCount(), 4);
        for (int32_t i = 0; i < s.tileCount(); ++i) {
            const VideoSurface* t = s.tile(i);
            const size_t rowBytes = static_cast<size_t>(t->width()) * f.bytesPerPixel();
            for (int32_t y = 0; y < t->height(); ++y) {
                const uint8_t* line = t->pixels() + static_cast<size_t>(y) * t->pitch();
                // A line of 0xCD bytes would be one the decoder never reached.
                ASSERT_FALSE(std::all_of(line, line + rowBytes, [](uint8_t b) { return b == 0xCD; }))
                    << "tile " << i << " line " << y;
                for (size_t b = rowBytes; b < static_cast<size_t>(t->pitch()); ++b) ASSERT_EQ(line[b], 0);
                if (f.bitsPerPixel == 32) {
                    for (size_t b = 3; b < rowBytes; b += 4) ASSERT_EQ(line[b], 0) << "the spare byte";
                }
            }
        }
    }
}

TEST_F(UnclearedFill, TilesMadeBeforeAFailedCreationAreCleared) {
    const test::Picture p = test::makePicture(1280, 8, [](int32_t, int32_t) { return Rgb{1, 2, 3}; });
    TestArchive archive({{"e", concat({block("JP", test::encodeJpeg(p)), block("PG")})}});
    VideoDevice device;
    device.limitSurfaces(1); // video memory runs out after the first tile
    Surface s;
    EXPECT_FALSE(loadImage(&archive.entry("e"), &s, &device));
    ASSERT_NE(s.tile(0), nullptr);
    EXPECT_EQ(s.tile(1), nullptr);
    EXPECT_TRUE(allZero(*s.tile(0)));
}

TEST_F(UnclearedFill, ClearingFromALineReachesEveryTileBelowIt) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.createUncleared(700, 500, &device));
    ASSERT_TRUE(s.clearLinesFrom(479));
    for (int32_t i = 0; i < s.tileCount(); ++i) {
        const VideoSurface* t = s.tile(i);
        const Box r = s.tileRect(i);
        for (int32_t y = 0; y < t->height(); ++y)
            EXPECT_EQ(t->pixelAt(t->width() - 1, y), r.y + y >= 479 ? 0u : 0xCDCDCDCDu) << i << "," << y;
    }
}

TEST(DecodeColourLayouts, A565DisplayGetsThePixelsOfTheColourRowsPackedAndLifted) {
    // Noise with the key grey and colours that pack to the 16-bit key in it.
    const test::Picture p = test::makePicture(700, 40, [](int32_t x, int32_t y) {
        if ((x + y) % 7 == 0) return Rgb{180, 180, 180};
        if ((x + y) % 7 == 1) return Rgb{182, 183, 181};
        return Rgb{static_cast<uint8_t>(x * 13 + y), static_cast<uint8_t>(x * y), static_cast<uint8_t>(y * 29 - x)};
    });
    TestArchive archive({{"e", concat({block("JP", test::encodeJpeg(p, 90)), block("PG")})}});
    VideoDevice device32, device565(PixelFormat::rgb565());
    Surface colour, packed, expected;
    ASSERT_TRUE(loadImage(&archive.entry("e"), &colour, &device32));
    ASSERT_TRUE(loadImage(&archive.entry("e"), &packed, &device565)); // opened again from its start
    ASSERT_TRUE(expected.create(700, 40, &device565));
    ASSERT_TRUE(colour.lock() && expected.lock());
    std::vector<uint8_t> row(700 * 3);
    for (int32_t y = 0; y < 40; ++y) {
        ASSERT_TRUE(colour.getRow(row.data(), y, false));
        ASSERT_TRUE(expected.putRow(row.data(), y, true));
    }
    ASSERT_TRUE(colour.unlock() && expected.unlock());
    for (int32_t i = 0; i < expected.tileCount(); ++i)
        for (int32_t y = 0; y < expected.tile(i)->height(); ++y)
            for (int32_t x = 0; x < expected.tile(i)->width(); ++x)
                ASSERT_EQ(packed.tile(i)->pixelAt(x, y), expected.tile(i)->pixelAt(x, y)) << i << ": " << x << "," << y;
}

TEST(DecodeMaskFailure, ADamagedMaskLeavesThePictureAsItWas) {
    const test::Picture p = test::makePicture(64, 8, [](int32_t, int32_t) { return Rgb{10, 200, 30}; });
    const std::vector<uint8_t> all(64 * 8, 1);
    Bytes png = test::encodeMaskPng(64, 8, all);
    // The rows of the first half arrive; the data ends before the rest.
    const Bytes cut(png.begin(), png.end() - 20);
    TestArchive archive({{"e", concat({block("JP", test::encodeJpeg(p)), block("PG", cut)})}});
    VideoDevice device;
    Surface s;
    EXPECT_FALSE(loadImage(&archive.entry("e"), &s, &device));
    ASSERT_EQ(s.width(), 64);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 64; ++x) ASSERT_TRUE(s.isOpaqueAt(x, y)) << x << "," << y;
}

} // namespace
} // namespace vandrel
