// Picture loading from block streams: JPEG colours, PNG masks, picture pairs,
// the backdrop's layer list and a frame set's FC/TI blocks, including damaged
// and oddly ordered data.
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"

#include "SurfacePictures.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::Picture;
using test::Rgb;
using test::TestArchive;

// Flat 8 x 8 squares of a few colours, so quality-100 JPEGs decode them exactly
// or within a step of rounding.
Picture squares(int32_t width, int32_t height) {
    return test::makePicture(width, height, [](int32_t x, int32_t y) {
        static const Rgb colours[] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {120, 120, 120}};
        return colours[((x / 8) + (y / 8)) % 4];
    });
}

std::vector<uint8_t> diagonalMask(int32_t width, int32_t height) {
    std::vector<uint8_t> mask(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) mask[static_cast<size_t>(y) * width + x] = (x + 2 * y) % 5 == 0;
    return mask;
}

bool near(const Rgb& a, const Rgb& b) {
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

Rgb pixelOf(Surface& s, int32_t x, int32_t y) {
    std::vector<uint8_t> row(static_cast<size_t>(s.width()) * 3);
    EXPECT_TRUE(s.lock());
    EXPECT_TRUE(s.getRow(row.data(), y, false));
    EXPECT_TRUE(s.unlock());
    return Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
}

Bytes picturePair(const Picture& p, const std::vector<uint8_t>* mask) {
    return concat({block("JP", test::encodeJpeg(p)),
                   block("PG", mask ? test::encodeMaskPng(p.width, p.height, *mask) : Bytes{})});
}

struct Loaded {
    VideoDevice device;
    Surface surface;
};

TEST(LoadImage, CursorPictureWithItsMaskAndNothingAfter) {
    const Picture p = squares(30, 30);
    const auto mask = diagonalMask(30, 30);
    TestArchive archive({{"cur.nl", picturePair(p, &mask)}});
    BlockReader& reader = archive.entry("cur.nl");
    Loaded l;
    ASSERT_TRUE(loadImage(&reader, &l.surface, &l.device));
    EXPECT_EQ(l.surface.width(), 30);
    EXPECT_EQ(l.surface.height(), 30);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x) {
            ASSERT_EQ(l.surface.isOpaqueAt(x, y), !mask[y * 30 + x]) << x << "," << y;
            if (!mask[y * 30 + x]) {
                ASSERT_TRUE(near(pixelOf(l.surface, x, y), p.at(x, y)));
            }
        }
    uint16_t tag;
    EXPECT_FALSE(reader.readHeader(tag));
}

TEST(LoadImage, GreyThatEqualsTheKeyStaysOpaque) {
    const Picture grey = test::makePicture(16, 8, [](int32_t, int32_t) { return Rgb{180, 180, 180}; });
    TestArchive archive({{"e", picturePair(grey, nullptr)}});
    Loaded l;
    ASSERT_TRUE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    EXPECT_TRUE(l.surface.isOpaqueAt(3, 3));
    EXPECT_EQ(pixelOf(l.surface, 3, 3), (Rgb{180, 184, 180}));
}

TEST(LoadImage, SkipsOtherBlocksAndStopsAfterThePair) {
    const Picture p = squares(8, 8);
    TestArchive archive(
        {{"e", concat({block("XX", Bytes{1, 2, 3}), picturePair(p, nullptr), block("FC", {4, 0, 0, 0})})}});
    BlockReader& reader = archive.entry("e");
    Loaded l;
    ASSERT_TRUE(loadImage(&reader, &l.surface, &l.device));
    int32_t count = 0;
    ASSERT_TRUE(readFrameCount(&reader, count));
    EXPECT_EQ(count, 4);
}

TEST(LoadImage, RefusesASurfaceThatHoldsAPicture) {
    TestArchive archive({{"e", picturePair(squares(8, 8), nullptr)}});
    Loaded l;
    ASSERT_TRUE(l.surface.create(4, 4, &l.device));
    EXPECT_FALSE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    EXPECT_FALSE(loadImage(nullptr, &l.surface, &l.device));
    EXPECT_FALSE(loadImage(&archive.entry("e"), &l.surface, nullptr));
}

TEST(LoadImage, EntryEndingBeforeTheMaskFails) {
    TestArchive archive({{"e", block("JP", test::encodeJpeg(squares(8, 8)))}});
    Loaded l;
    EXPECT_FALSE(loadImage(&archive.entry("e"), &l.surface, &l.device));
}

TEST(LoadImage, MaskBeforeColourLeavesThePictureOpaque) {
    const Picture p = squares(8, 8);
    const auto mask = diagonalMask(8, 8);
    TestArchive archive(
        {{"e", concat({block("PG", test::encodeMaskPng(8, 8, mask)), block("JP", test::encodeJpeg(p))})}});
    Loaded l;
    ASSERT_TRUE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    EXPECT_TRUE(l.surface.isOpaqueAt(0, 0));
}

TEST(DecodeColour, EmptyOrDamagedJpegFails) {
    Bytes broken = test::encodeJpeg(squares(16, 16));
    broken.resize(40);
    std::fill(broken.begin() + 20, broken.end(), 0x5A);
    for (const Bytes& payload : {Bytes{}, Bytes{1, 2, 3, 4, 5}, broken}) {
        TestArchive archive({{"e", picturePair(squares(8, 8), nullptr)}});
        TestArchive bad({{"e", concat({block("JP", payload), block("PG")})}});
        Loaded l;
        EXPECT_FALSE(loadImage(&bad.entry("e"), &l.surface, &l.device));
        // The decoder is still usable afterwards.
        Loaded good;
        EXPECT_TRUE(loadImage(&archive.entry("e"), &good.surface, &good.device));
    }
}

TEST(DecodeColour, DataEndingWithoutEndMarkerStillGivesAllRows) {
    const Picture p = squares(24, 24);
    Bytes jpeg = test::encodeJpeg(p);
    ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    jpeg.resize(jpeg.size() - 2);
    TestArchive archive({{"e", concat({block("JP", jpeg), block("PG")})}});
    Loaded l;
    ASSERT_TRUE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    EXPECT_TRUE(near(pixelOf(l.surface, 23, 23), p.at(23, 23)));

    // Cut in the middle of the scan: the picture still comes out whole-sized.
    const Picture noisy = test::makePicture(128, 128, [](int32_t x, int32_t y) {
        return Rgb{static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * y), static_cast<uint8_t>(y * 53)};
    });
    jpeg = test::encodeJpeg(noisy);
    jpeg.resize(jpeg.size() / 2);
    TestArchive cut({{"e", concat({block("JP", jpeg), block("PG")})}});
    Loaded c;
    ASSERT_TRUE(loadImage(&cut.entry("e"), &c.surface, &c.device));
    EXPECT_EQ(c.surface.height(), 128);
}

TEST(DecodeColour, NeverReadsPastItsBlock) {
    // The JP block is followed directly by a block whose bytes would confuse
    // the decoder if it ran on into them.
    const Picture p = squares(8, 8);
    Bytes jpeg = test::encodeJpeg(p);
    jpeg.resize(jpeg.size() - 2);
    TestArchive archive({{"e", concat({block("JP", jpeg), block("PG"), block("ZZ", Bytes(5000, 0xFF))})}});
    BlockReader& reader = archive.entry("e");
    Loaded l;
    ASSERT_TRUE(loadImage(&reader, &l.surface, &l.device));
    uint16_t tag = 0;
    ASSERT_TRUE(reader.readHeader(tag));
    EXPECT_EQ(tag, makeTag('Z', 'Z'));
}

TEST(DecodeColour, HugeAnnouncedSizeIsRefusedBeforeAllocating) {
    Bytes jpeg = test::encodeJpeg(squares(8, 8));
    // Patch the frame header (SOF0: FF C0, length, precision, height, width).
    for (size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 0xFF;
            jpeg[i + 6] = 0xF0;
            jpeg[i + 7] = 0xFF;
            jpeg[i + 8] = 0xF0;
            break;
        }
    TestArchive archive({{"e", concat({block("JP", jpeg), block("PG")})}});
    Loaded l;
    EXPECT_FALSE(loadImage(&archive.entry("e"), &l.surface, &l.device));
}

TEST(DecodeColour, GreyscaleJpegBecomesGreyColour) {
    const Picture p = test::makePicture(8, 8, [](int32_t, int32_t) { return Rgb{90, 90, 90}; });
    Bytes jpeg = test::encodeJpeg(p, 100, true);
    TestArchive archive({{"e", concat({block("JP", jpeg), block("PG")})}});
    Loaded l;
    ASSERT_TRUE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    EXPECT_EQ(pixelOf(l.surface, 4, 4), (Rgb{90, 90, 90}));
}

TEST(DecodeMask, MasksOfAnotherSizeApplyWhereBothExist) {
    const Picture p = squares(16, 16);
    std::vector<uint8_t> small(8 * 8, 1), large(40 * 40, 1);
    for (const auto& [w, h, mask] : {std::tuple{8, 8, &small}, std::tuple{40, 40, &large}}) {
        TestArchive archive(
            {{"e", concat({block("JP", test::encodeJpeg(p)), block("PG", test::encodeMaskPng(w, h, *mask))})}});
        Loaded l;
        ASSERT_TRUE(loadImage(&archive.entry("e"), &l.surface, &l.device));
        EXPECT_FALSE(l.surface.isOpaqueAt(7, 7));
        EXPECT_EQ(l.surface.isOpaqueAt(8, 0), w == 8);
        EXPECT_EQ(l.surface.isOpaqueAt(15, 15), w == 8);
    }
}

TEST(DecodeMask, TruncatedOrGarbledPngFails) {
    const Picture p = squares(16, 16);
    Bytes png = test::encodeMaskPng(16, 16, diagonalMask(16, 16));
    Bytes cut(png.begin(), png.begin() + png.size() / 2);
    Bytes garbled = png;
    garbled[20] ^= 0xFF; // inside IHDR: its checksum no longer matches
    for (const Bytes& payload : {cut, garbled, Bytes{0x89, 'P', 'N', 'G'}}) {
        TestArchive archive({{"e", concat({block("JP", test::encodeJpeg(p)), block("PG", payload)})}});
        Loaded l;
        EXPECT_FALSE(loadImage(&archive.entry("e"), &l.surface, &l.device));
    }
}

TEST(LoadImagePair, ReturnsInsideTheMaskBlockAndReplacesThePicture) {
    const Picture p = squares(1280, 16);
    TestArchive archive({{"stuff.x", concat({picturePair(p, nullptr), block("S1", Bytes{9})})}});
    BlockReader& reader = archive.entry("stuff.x");
    Loaded l;
    ASSERT_TRUE(l.surface.create(20, 20, &l.device));
    ASSERT_TRUE(loadImagePair(&reader, &l.surface, &l.device));
    EXPECT_EQ(l.surface.width(), 1280);
    EXPECT_EQ(l.surface.tileCount(), 2);
    EXPECT_TRUE(near(pixelOf(l.surface, 1279, 15), p.at(1279, 15)));
    ASSERT_TRUE(reader.nextBlock());
    uint16_t tag = 0;
    ASSERT_TRUE(reader.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', '1'));
}

// A layer list that records what the loader asks for.
class RecordingLayers : public LayerList {
public:
    bool addLayer() override {
        surfaces.push_back(std::make_unique<Surface>());
        return true;
    }
    bool loadLayerColour(BlockReader* reader, int32_t, int32_t index, VideoDevice* device) override {
        calls.push_back("colour " + std::to_string(index));
        return decodeColour(reader, surfaces.at(index).get(), device);
    }
    bool loadLayerAlpha(BlockReader* reader, int32_t, int32_t index) override {
        calls.push_back("alpha " + std::to_string(index));
        if (index < 0 || index >= static_cast<int32_t>(surfaces.size())) return false;
        return decodeMask(reader, surfaces[index].get());
    }
    std::vector<std::unique_ptr<Surface>> surfaces;
    std::vector<std::string> calls;
};

TEST(LoadImageList, OneLayerPerColourPictureInFileOrder) {
    Bytes entry = block("PI", Bytes{4, 0, 0, 0});
    const int32_t widths[] = {64, 80, 112, 176};
    for (int i = 0; i < 4; ++i) {
        const auto mask = diagonalMask(widths[i], 8);
        entry = concat({entry, picturePair(squares(widths[i], 8), i == 0 ? nullptr : &mask)});
    }
    TestArchive archive({{"back.nb", entry}});
    RecordingLayers layers;
    VideoDevice device;
    ASSERT_TRUE(loadImageList(&archive.entry("back.nb"), &layers, &device));
    ASSERT_EQ(layers.surfaces.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(layers.surfaces[i]->width(), widths[i]);
    EXPECT_EQ(layers.calls, (std::vector<std::string>{"colour 0", "colour 1", "alpha 1", "colour 2", "alpha 2",
                                                      "colour 3", "alpha 3"}));
    EXPECT_TRUE(layers.surfaces[0]->isOpaqueAt(0, 0));
    EXPECT_FALSE(layers.surfaces[3]->isOpaqueAt(0, 0));
}

TEST(LoadImageList, FailsWithoutPicturesOrWithAMaskFirst) {
    VideoDevice device;
    TestArchive onlyCount({{"e", block("PI", Bytes{0, 0, 0, 0})}});
    RecordingLayers none;
    EXPECT_FALSE(loadImageList(&onlyCount.entry("e"), &none, &device));
    EXPECT_TRUE(none.surfaces.empty());

    TestArchive maskFirst({{"e", concat({block("PG", test::encodeMaskPng(8, 8, diagonalMask(8, 8))),
                                         picturePair(squares(8, 8), nullptr)})}});
    RecordingLayers layers;
    EXPECT_FALSE(loadImageList(&maskFirst.entry("e"), &layers, &device));
    EXPECT_EQ(layers.calls, (std::vector<std::string>{"alpha -1"}));

    TestArchive emptyColour({{"e", concat({block("JP"), block("PG")})}});
    RecordingLayers empty;
    EXPECT_FALSE(loadImageList(&emptyColour.entry("e"), &empty, &device));
}

TEST(FrameBlocks, CountAndWordsAfterOtherBlocks) {
    Bytes words;
    for (uint32_t w : {0x1005u, 0x2FFFu, 0x0010u, 0xABC001u}) test::putU32(words, w);
    test::putU32(words, 0x777u); // beyond n: skipped
    TestArchive archive({{"figur.xx", concat({block("F1", Bytes(12, 0)), block("FC", {4, 0, 0, 0}),
                                              block("JP", Bytes{1}), block("TI", words), block("EX")})}});
    BlockReader& reader = archive.entry("figur.xx");
    int32_t count = 0, total = -1;
    ASSERT_TRUE(readFrameCount(&reader, count));
    EXPECT_EQ(count, 4);
    uint32_t read[4] = {};
    ASSERT_TRUE(readFrameWords(&reader, total, read, 4));
    EXPECT_EQ(read[3], 0xABC001u);
    EXPECT_EQ(total, 0x005 + 0xFFF + 0x010 + 0x001);
    uint16_t tag = 0;
    ASSERT_TRUE(reader.readHeader(tag));
    EXPECT_EQ(tag, makeTag('E', 'X'));
}

TEST(FrameBlocks, MissingOrShortBlocksFail) {
    TestArchive archive({{"e", concat({block("FC", {1, 0}), block("TI", {1, 0, 0, 0})})}});
    BlockReader& reader = archive.entry("e");
    int32_t count = 0, total = 0;
    EXPECT_FALSE(readFrameCount(&reader, count));
    TestArchive shortWords({{"e", block("TI", {1, 0, 0, 0, 2, 0})}});
    uint32_t words[2];
    EXPECT_FALSE(readFrameWords(&shortWords.entry("e"), total, words, 2));
    TestArchive none({{"e", block("XX")}});
    EXPECT_FALSE(readFrameCount(&none.entry("e"), count));
}

} // namespace
} // namespace vandrel
