// The .ico writer: a directory Windows can walk and images it draws the right way up.
#include "IcoFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vandrel::icongen {
namespace {

uint32_t le16(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t le32(const Bytes& b, size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }

// A transparent square with one opaque pixel in its top-left corner.
IcoImage cornerDot(int size, uint8_t r, uint8_t g, uint8_t b) {
    IcoImage img{size, Bytes(static_cast<size_t>(size) * size * 4, 0)};
    img.rgba[0] = r;
    img.rgba[1] = g;
    img.rgba[2] = b;
    img.rgba[3] = 255;
    return img;
}

} // namespace

TEST(IcoFile, DirectoryListsEveryImageWithContiguousExtents) {
    Bytes ico = encodeIco({cornerDot(16, 1, 2, 3), cornerDot(48, 1, 2, 3), cornerDot(256, 1, 2, 3)});
    ASSERT_GE(ico.size(), 6u + 3 * 16);
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    EXPECT_EQ(le16(ico, 4), 3u);
    uint32_t expectedOffset = 6 + 3 * 16;
    const int sizes[] = {16, 48, 0}; // 256 is written as 0
    for (size_t i = 0; i < 3; ++i) {
        const size_t e = 6 + 16 * i;
        SCOPED_TRACE(i);
        EXPECT_EQ(ico[e], sizes[i]);
        EXPECT_EQ(ico[e + 1], sizes[i]);
        EXPECT_EQ(le16(ico, e + 4), 1u);
        EXPECT_EQ(le16(ico, e + 6), 32u);
        EXPECT_EQ(le32(ico, e + 12), expectedOffset);
        expectedOffset += le32(ico, e + 8);
    }
    EXPECT_EQ(expectedOffset, ico.size());
}

TEST(IcoFile, BitmapsAreBottomUpBgraWithAMaskOfTheClearPixels) {
    Bytes ico = encodeIco({cornerDot(16, 10, 20, 30), cornerDot(48, 10, 20, 30)});
    for (size_t i = 0; i < 2; ++i) {
        const uint32_t n = i == 0 ? 16 : 48;
        SCOPED_TRACE(n);
        const size_t at = le32(ico, 6 + 16 * i + 12);
        const uint32_t maskStride = (n + 31) / 32 * 4; // rows padded to 32 bits: 4 bytes at 16, 8 at 48
        EXPECT_EQ(le32(ico, 6 + 16 * i + 8), 40 + n * n * 4 + maskStride * n);
        EXPECT_EQ(le32(ico, at), 40u);
        EXPECT_EQ(le32(ico, at + 4), n);
        EXPECT_EQ(le32(ico, at + 8), 2 * n) << "colour rows and mask rows";
        EXPECT_EQ(le16(ico, at + 14), 32u);
        // The top-left pixel is the first of the last stored row.
        const size_t topLeft = at + 40 + (n - 1) * n * 4;
        EXPECT_EQ(ico[topLeft], 30);
        EXPECT_EQ(ico[topLeft + 1], 20);
        EXPECT_EQ(ico[topLeft + 2], 10);
        EXPECT_EQ(ico[topLeft + 3], 255);
        EXPECT_EQ(ico[at + 40 + 3], 0) << "bottom-left is clear";
        const size_t mask = at + 40 + n * n * 4;
        EXPECT_EQ(ico[mask], 0xFF) << "the bottom row is all clear";
        EXPECT_EQ(ico[mask + (n - 1) * maskStride], 0x7F) << "only the top-left pixel is drawn";
    }
}

TEST(IcoFile, LargestImageIsStoredAsPng) {
    Bytes ico = encodeIco({cornerDot(256, 1, 2, 3)});
    const size_t at = le32(ico, 6 + 12);
    const uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    ASSERT_GT(ico.size(), at + 8);
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), ico.begin() + static_cast<ptrdiff_t>(at)));
}

TEST(IcoFile, RefusesImagesItCannotDescribe) {
    EXPECT_THROW(encodeIco({cornerDot(257, 0, 0, 0)}), std::invalid_argument);
    EXPECT_THROW(encodeIco({IcoImage{0, {}}}), std::invalid_argument);
    EXPECT_THROW(encodeIco({IcoImage{16, Bytes(16 * 16 * 3)}}), std::invalid_argument);
}

} // namespace vandrel::icongen
