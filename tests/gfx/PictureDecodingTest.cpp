// What a picture decode that goes wrong leaves behind: a damaged mask changes
// nothing of the picture it was meant for.
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"

#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::Rgb;
using test::TestArchive;

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
