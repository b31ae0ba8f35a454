// Tiled pictures: the tile grid, row exchange and key colour in every format,
// clipped and scaled blits, hit tests, and the rectangle helpers.
#include "gfx/Surface.h"
#include "system/MessageBox.h"

#include "SurfacePictures.h"

#include <gtest/gtest.h>

#include <vector>

namespace vandrel {
namespace {

using test::Picture;
using test::Rgb;

const PixelFormat odd16{16, 0xF000, 0x0F00, 0x00F0};

std::vector<uint8_t> bgrRow(const std::vector<Rgb>& pixels) {
    std::vector<uint8_t> row;
    for (const Rgb& c : pixels) {
        row.push_back(c.b);
        row.push_back(c.g);
        row.push_back(c.r);
    }
    return row;
}

Rgb pattern(int32_t x, int32_t y) {
    return Rgb{static_cast<uint8_t>(x * 7 + y), static_cast<uint8_t>(x + y * 3), static_cast<uint8_t>(x ^ y)};
}

// What a colour looks like after a trip through a format.
Rgb quantised(const PixelFormat& f, Rgb c) {
    if (f.bitsPerPixel != 16) return c;
    if (f.greenMask == 0x07E0)
        return Rgb{static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xFC),
                   static_cast<uint8_t>(c.b & 0xF8)};
    return Rgb{static_cast<uint8_t>(c.r & 0xF8), static_cast<uint8_t>(c.g & 0xF8), static_cast<uint8_t>(c.b & 0xF8)};
}

TEST(SurfaceTiles, GridFollowsTheTileSizeBandByBand) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(30, 30, &device));
    EXPECT_EQ(s.tileCount(), 1);
    ASSERT_TRUE(s.create(1280, 480, &device));
    ASSERT_EQ(s.tileCount(), 2);
    EXPECT_EQ(s.tileRect(1), (Box{640, 0, 640, 480}));
    ASSERT_TRUE(s.create(3520, 480, &device));
    ASSERT_EQ(s.tileCount(), 6);
    EXPECT_EQ(s.tileRect(5), (Box{3200, 0, 320, 480}));
    ASSERT_TRUE(s.create(700, 500, nullptr)); // keeps the stored device
    ASSERT_EQ(s.tileCount(), 4);
    EXPECT_EQ(s.tileRect(0), (Box{0, 0, 640, 480}));
    EXPECT_EQ(s.tileRect(1), (Box{640, 0, 60, 480}));
    EXPECT_EQ(s.tileRect(2), (Box{0, 480, 640, 20}));
    EXPECT_EQ(s.tileRect(3), (Box{640, 480, 60, 20}));
    EXPECT_EQ(s.tile(3)->width(), 60);
    EXPECT_EQ(s.tile(3)->height(), 20);
}

TEST(SurfaceTiles, CreateRefusesEmptySizesAndAMissingDevice) {
    VideoDevice device;
    Surface s;
    EXPECT_FALSE(s.create(10, 10, nullptr));
    ASSERT_TRUE(s.create(10, 10, &device));
    EXPECT_FALSE(s.create(0, 10, &device));
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.width(), 0);
    EXPECT_FALSE(s.create(10, -1, &device));
    s.destroy();
    s.destroy();
    EXPECT_EQ(s.device(), &device);
}

TEST(SurfaceTiles, ATileThatCannotBeMadeLeavesAPartialSurface) {
    VideoDevice device;
    Surface s;
    device.limitSurfaces(2);
    EXPECT_FALSE(s.create(700, 500, &device));
    EXPECT_EQ(s.width(), 700);
    EXPECT_EQ(s.tileCount(), 4);
    EXPECT_NE(s.tile(1), nullptr);
    EXPECT_EQ(s.tile(2), nullptr);
    EXPECT_FALSE(s.lock());
    // The tiles that exist are unlocked again.
    VideoSurface::Lock lock;
    EXPECT_TRUE(s.tile(0)->lock(lock));
    s.tile(0)->unlock();
    // Blits skip the missing tiles.
    VideoSurface dest(640, 480, device.format());
    EXPECT_TRUE(s.blit(&dest, Rect{0, 0, 640, 480}, -100, -100, false, 100.0f));
}

TEST(SurfaceTiles, MovingHandsTheTilesOverAndEmptiesTheSource) {
    VideoDevice device;
    Surface a;
    ASSERT_TRUE(a.create(700, 10, &device));
    VideoSurface* first = a.tile(0);
    Surface b(std::move(a));
    EXPECT_EQ(b.tile(0), first);
    EXPECT_EQ(b.tileCount(), 2);
    // What a move leaves behind is the point here.
    EXPECT_TRUE(a.isEmpty()); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(a.width(), 0);
    EXPECT_EQ(a.tile(0), nullptr);
    EXPECT_TRUE(a.lock()); // an empty surface locks trivially
    Surface c;
    ASSERT_TRUE(c.create(5, 5, &device));
    c = std::move(b);
    EXPECT_EQ(c.width(), 700);
    EXPECT_TRUE(b.isEmpty()); // NOLINT(bugprone-use-after-move)
}

TEST(SurfaceTiles, PlainSurfacesAndTheirSizes) {
    VideoDevice device;
    EXPECT_EQ(createPlainSurface(0, 5, &device), nullptr);
    EXPECT_EQ(createPlainSurface(5, 0, nullptr), nullptr);
    auto s = createPlainSurface(5, 6, &device);
    ASSERT_TRUE(s);
    EXPECT_EQ(surfaceSize(s.get()).width, 5);
    EXPECT_EQ(surfaceSize(s.get()).height, 6);
    EXPECT_EQ(surfaceSize(nullptr).width, 0);
    device.limitSurfaces(0);
    EXPECT_ANY_THROW(createPlainSurface(5, 6, &device));
}

TEST(SurfaceRows, RoundTripAcrossTilesInEveryFormat) {
    for (const PixelFormat& f :
         {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565(), PixelFormat::rgb555()}) {
        SCOPED_TRACE(f.bitsPerPixel);
        VideoDevice device(f);
        Surface s;
        ASSERT_TRUE(s.create(700, 500, &device));
        EXPECT_EQ(s.bitsPerPixel(), 0u); // nothing recorded before a row is written
        ASSERT_TRUE(s.lock());
        for (int32_t y : {0, 479, 480, 499}) {
            std::vector<Rgb> line;
            for (int32_t x = 0; x < 700; ++x) line.push_back(pattern(x, y));
            ASSERT_TRUE(s.putRow(bgrRow(line).data(), y, false));
        }
        EXPECT_EQ(s.bitsPerPixel(), f.bitsPerPixel);
        EXPECT_EQ(s.greenMask(), f.greenMask);
        for (int32_t y : {0, 479, 480, 499}) {
            std::vector<uint8_t> row(700 * 3);
            ASSERT_TRUE(s.getRow(row.data(), y, false));
            for (int32_t x = 0; x < 700; ++x) {
                const Rgb want = quantised(f, pattern(x, y));
                ASSERT_EQ((Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]}), want) << x << "," << y;
            }
        }
        ASSERT_TRUE(s.unlock());
        s.destroy();
        EXPECT_EQ(s.bitsPerPixel(), f.bitsPerPixel); // the record survives destroy
    }
}

TEST(SurfaceRows, RowsNeedALockedSurface) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(4, 4, &device));
    std::vector<uint8_t> row(12);
    EXPECT_FALSE(s.putRow(row.data(), 0, false));
    EXPECT_FALSE(s.getRow(row.data(), 0, false));
    EXPECT_FALSE(s.putMaskRow(row.data(), 0));
    EXPECT_FALSE(s.unlock());
}

TEST(SurfaceRows, AConstReadNeedsNoLockAndMatchesTheLockedRead) {
    for (const PixelFormat& f : {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565()}) {
        SCOPED_TRACE(f.bitsPerPixel);
        VideoDevice device(f);
        Surface s;
        ASSERT_TRUE(s.create(700, 500, &device) && s.lock());
        for (int32_t y = 0; y < 500; ++y) {
            std::vector<Rgb> line;
            for (int32_t x = 0; x < 700; ++x) line.push_back(pattern(x, y));
            ASSERT_TRUE(s.putRow(bgrRow(line).data(), y, false));
        }
        std::vector<std::vector<uint8_t>> locked;
        for (int32_t y : {0, 479, 480, 499})
            for (bool mirror : {false, true}) {
                locked.emplace_back(700 * 3);
                ASSERT_TRUE(s.getRow(locked.back().data(), y, mirror));
            }
        ASSERT_TRUE(s.unlock());

        const Surface& picture = s;
        size_t i = 0;
        for (int32_t y : {0, 479, 480, 499})
            for (bool mirror : {false, true}) {
                std::vector<uint8_t> row(700 * 3, 0xAA);
                ASSERT_TRUE(picture.readRow(row.data(), y, mirror));
                EXPECT_EQ(row, locked[i++]) << y << (mirror ? " mirrored" : "");
            }
        std::vector<uint8_t> row(700 * 3);
        EXPECT_FALSE(picture.readRow(row.data(), -1, false));
        EXPECT_FALSE(picture.readRow(row.data(), 500, false));
        EXPECT_FALSE(picture.readRow(nullptr, 0, false));
        EXPECT_FALSE(Surface().readRow(row.data(), 0, false));
        EXPECT_EQ(picture.tileView(1).width, 60);
        EXPECT_TRUE(picture.tileView(4).isEmpty());
    }
}

TEST(SurfaceRows, MirrorReversesEachTilesPartOfTheLine) {
    VideoDevice device;
    Surface narrow, wide;
    std::vector<Rgb> line;
    for (int32_t x = 0; x < 1280; ++x) line.push_back(pattern(x, 1));
    ASSERT_TRUE(narrow.create(30, 1, &device) && narrow.lock());
    ASSERT_TRUE(narrow.putRow(bgrRow(line).data(), 0, false));
    std::vector<uint8_t> row(1280 * 3);
    ASSERT_TRUE(narrow.getRow(row.data(), 0, true));
    for (int32_t x = 0; x < 30; ++x) EXPECT_EQ(row[x * 3], line[29 - x].b);

    ASSERT_TRUE(wide.create(1280, 1, &device) && wide.lock());
    ASSERT_TRUE(wide.putRow(bgrRow(line).data(), 0, false));
    ASSERT_TRUE(wide.getRow(row.data(), 0, true));
    EXPECT_EQ(row[0], line[639].b);
    EXPECT_EQ(row[639 * 3], line[0].b);
    EXPECT_EQ(row[640 * 3], line[1279].b);
    EXPECT_EQ(row[1279 * 3], line[640].b);
}

TEST(SurfaceKey, AdjustedGreyStaysOpaqueAndMaskedPixelsBecomeTheKey) {
    const Rgb grey{180, 180, 180};
    for (const PixelFormat& f :
         {PixelFormat::xrgb32(), PixelFormat::rgb24(), PixelFormat::rgb565(), PixelFormat::rgb555()}) {
        SCOPED_TRACE(f.bitsPerPixel);
        VideoDevice device(f);
        Surface s;
        ASSERT_TRUE(s.create(3, 1, &device) && s.lock());
        ASSERT_TRUE(s.putRow(bgrRow({grey, grey, Rgb{1, 2, 3}}).data(), 0, true));
        const uint8_t mask[3] = {0, 0, 255};
        ASSERT_TRUE(s.putMaskRow(mask, 0));
        ASSERT_TRUE(s.unlock());
        EXPECT_TRUE(s.isOpaqueAt(0, 0));
        EXPECT_FALSE(s.isOpaqueAt(2, 0));
        ASSERT_TRUE(s.lock());
        ASSERT_TRUE(s.putRow(bgrRow({grey, grey, grey}).data(), 0, false));
        ASSERT_TRUE(s.unlock());
        EXPECT_FALSE(s.isOpaqueAt(1, 0));
    }
}

TEST(SurfaceKey, PackedValuesOfTheKeyIn16Bits) {
    const Rgb grey{180, 180, 180};
    VideoDevice device(PixelFormat::rgb565());
    Surface s;
    ASSERT_TRUE(s.create(2, 1, &device) && s.lock());
    ASSERT_TRUE(s.putRow(bgrRow({grey, grey}).data(), 0, true));
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0xB5D6u);
    ASSERT_TRUE(s.lock());
    ASSERT_TRUE(s.putRow(bgrRow({grey, Rgb{181, 183, 182}}).data(), 0, false));
    const uint8_t mask[2] = {0, 1};
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0xB5B6u);
    // A colour that packs to the key is adjusted as well.
    ASSERT_TRUE(s.lock());
    ASSERT_TRUE(s.putRow(bgrRow({Rgb{181, 183, 182}, grey}).data(), 0, true));
    ASSERT_TRUE(s.putMaskRow(mask, 0));
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0xB5D6u);
    EXPECT_EQ(s.tile(0)->pixelAt(1, 0), 0xB5B6u);

    VideoDevice device555(PixelFormat::rgb555());
    Surface t;
    ASSERT_TRUE(t.create(2, 1, &device555) && t.lock());
    ASSERT_TRUE(t.putRow(bgrRow({grey, grey}).data(), 0, true));
    ASSERT_TRUE(t.putMaskRow(mask, 0));
    ASSERT_TRUE(t.unlock());
    EXPECT_EQ(t.tile(0)->pixelAt(0, 0), 0x5AF6u);
    EXPECT_EQ(t.tile(0)->pixelAt(1, 0), 0x5AD6u);
}

TEST(SurfaceKey, ThirtyTwoBitRowsLeaveTheFourthByteAlone) {
    VideoDevice device;
    Surface s;
    ASSERT_TRUE(s.create(2, 1, &device) && s.lock());
    ASSERT_TRUE(s.putRow(bgrRow({Rgb{1, 2, 3}, Rgb{4, 5, 6}}).data(), 0, true));
    ASSERT_TRUE(s.unlock());
    VideoSurface::Lock lock;
    ASSERT_TRUE(s.tile(0)->lock(lock));
    lock.pixels[3] = 0x77;
    lock.pixels[7] = 0x88;
    ASSERT_TRUE(s.tile(0)->unlock());
    ASSERT_TRUE(s.lock());
    ASSERT_TRUE(s.putRow(bgrRow({Rgb{9, 9, 9}, Rgb{4, 5, 6}}).data(), 0, true));
    const uint8_t mask[2] = {0, 1};
    ASSERT_TRUE(s.putMaskRow(mask, 0));
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0x77090909u);
    EXPECT_EQ(s.tile(0)->pixelAt(1, 0), 0x88B4B4B4u);
    EXPECT_FALSE(s.isOpaqueAt(1, 0));
}

TEST(SurfaceKey, UnrecognisedSixteenBitFormat) {
    VideoDevice device(odd16);
    Surface s;
    ASSERT_TRUE(s.create(2, 1, &device) && s.lock());
    VideoSurface::Lock raw;
    ASSERT_TRUE(s.unlock());
    ASSERT_TRUE(s.tile(0)->lock(raw));
    raw.pixels[0] = 0x34;
    raw.pixels[1] = 0x12;
    raw.pixels[2] = 0x34;
    raw.pixels[3] = 0x12;
    ASSERT_TRUE(s.tile(0)->unlock());
    ASSERT_TRUE(s.lock());
    // Rows are skipped without failing; the mask paints 0.
    EXPECT_TRUE(s.putRow(bgrRow({Rgb{9, 9, 9}, Rgb{9, 9, 9}}).data(), 0, false));
    std::vector<uint8_t> row(6, 0xEE);
    EXPECT_TRUE(s.getRow(row.data(), 0, false));
    EXPECT_EQ(row[0], 0xEE);
    const uint8_t mask[2] = {1, 0};
    ASSERT_TRUE(s.putMaskRow(mask, 0));
    ASSERT_TRUE(s.unlock());
    EXPECT_EQ(s.tile(0)->pixelAt(0, 0), 0u);
    EXPECT_EQ(s.tile(0)->pixelAt(1, 0), 0x1234u);
    // Hit tests count every pixel of such a format as opaque.
    EXPECT_TRUE(s.isOpaqueAt(0, 0));

    // Keyed blits: the masks are shown once per run, and the key is 0.
    std::vector<std::pair<std::string, std::string>> shown;
    auto previous = setMessageBoxPresenter(
        [&](const std::string& caption, const std::string& text) { shown.emplace_back(caption, text); });
    VideoSurface dest(4, 1, odd16);
    ASSERT_TRUE(dest.fill(nullptr, 0x5555));
    EXPECT_TRUE(s.blit(&dest, Rect{0, 0, 4, 1}, 0, 0, true, 100.0f));
    EXPECT_TRUE(s.blit(&dest, Rect{0, 0, 4, 1}, 2, 0, true, 100.0f));
    setMessageBoxPresenter(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Farbconf");
    EXPECT_EQ(shown[0].second, "R: 0000f000\nG: 00000f00\nB: 000000f0\n");
    EXPECT_EQ(dest.pixelAt(0, 0), 0x5555u);
    EXPECT_EQ(dest.pixelAt(1, 0), 0x1234u);
    EXPECT_EQ(dest.pixelAt(3, 0), 0x1234u);
}

// The surface of a 30 x 30 picture numbered so every pixel tells where it came from.
class SurfaceBlit : public ::testing::Test {
protected:
    void SetUp() override {
        picture = test::makePicture(30, 30, [](int32_t x, int32_t y) {
            return Rgb{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x40};
        });
        test::fillSurface(cursor, device, picture);
        dest = device.createSurface(640, 480);
        dest->fill(nullptr, 0x010203);
    }
    uint32_t at(int32_t x, int32_t y) const { return dest->pixelAt(x, y); }
    static uint32_t from(int32_t x, int32_t y) { return static_cast<uint32_t>((x << 16) | (y << 8) | 0x40); }

    VideoDevice device;
    Picture picture;
    Surface cursor;
    std::unique_ptr<VideoSurface> dest;
};

TEST_F(SurfaceBlit, ClipsAtTheScreenEdge) {
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, -10, -10, true, 100.0f));
    EXPECT_EQ(at(0, 0), from(10, 10));
    EXPECT_EQ(at(19, 19), from(29, 29));
    EXPECT_EQ(at(20, 0), 0x010203u);
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, 625, 470, false, 100.0f));
    EXPECT_EQ(at(639, 479), from(14, 9));
}

TEST_F(SurfaceBlit, HalfSizeDropsTheLastSourceLineAndColumn) {
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, 0, 0, false, 50.0f));
    EXPECT_EQ(at(0, 0), from(0, 0));
    EXPECT_EQ(at(1, 1), from(1, 1)); // 29 source pixels over 15
    EXPECT_EQ(at(14, 14), from(27, 27));
    EXPECT_EQ(at(15, 15), 0x010203u);
}

TEST_F(SurfaceBlit, NothingToDrawIsSuccess) {
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, 700, 10, true, 100.0f));
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{100, 100, 200, 200}, 0, 0, true, 100.0f));
    EXPECT_EQ(at(0, 0), 0x010203u);
    EXPECT_FALSE(cursor.blit(nullptr, Rect{0, 0, 640, 480}, 0, 0, true, 100.0f));
}

TEST_F(SurfaceBlit, NegativeClipEdgesSkipTheTileWhole) {
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{-50, 0, 640, 480}, -10, 0, false, 100.0f));
    EXPECT_EQ(at(0, 0), 0x010203u);
}

TEST_F(SurfaceBlit, ClipInsideTheScreenCutsOnAllSides) {
    EXPECT_TRUE(cursor.blit(dest.get(), Rect{105, 103, 120, 110}, 100, 100, false, 100.0f));
    EXPECT_EQ(at(105, 103), from(5, 3));
    EXPECT_EQ(at(119, 109), from(19, 9));
    EXPECT_EQ(at(104, 103), 0x010203u);
    EXPECT_EQ(at(120, 109), 0x010203u);
    EXPECT_EQ(at(119, 110), 0x010203u);
    EXPECT_EQ(at(105, 102), 0x010203u);
}

TEST_F(SurfaceBlit, PartLandsItsCornerAtThePosition) {
    EXPECT_TRUE(cursor.blitPart(dest.get(), Rect{0, 0, 640, 480}, 50, 60, 12, 7, 5, 4, false));
    EXPECT_EQ(at(50, 60), from(12, 7));
    EXPECT_EQ(at(54, 63), from(16, 10));
    EXPECT_EQ(at(55, 63), 0x010203u);
    EXPECT_EQ(at(49, 60), 0x010203u);
    EXPECT_EQ(at(54, 64), 0x010203u);
}

TEST_F(SurfaceBlit, ALockedPictureOrTargetFails) {
    ASSERT_TRUE(cursor.lock());
    EXPECT_FALSE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, 0, 0, true, 100.0f));
    ASSERT_TRUE(cursor.unlock());
    VideoSurface::Lock lock;
    ASSERT_TRUE(dest->lock(lock));
    EXPECT_FALSE(cursor.blit(dest.get(), Rect{0, 0, 640, 480}, 0, 0, false, 100.0f));
    dest->unlock();
}

TEST_F(SurfaceBlit, HitTestsInsideAndOutsideThePicture) {
    EXPECT_TRUE(cursor.isOpaqueAt(0, 0));
    EXPECT_TRUE(cursor.isOpaqueAt(29, 29));
    EXPECT_FALSE(cursor.isOpaqueAt(30, 0));
    EXPECT_FALSE(cursor.isOpaqueAt(-1, 5));
    EXPECT_FALSE(isTileOpaqueAt(nullptr, 0, 0));
    EXPECT_FALSE(isTileOpaqueAt(cursor.tile(0), 30, 0));
    // A tile that is locked cannot be tested.
    ASSERT_TRUE(cursor.lock());
    EXPECT_FALSE(cursor.isOpaqueAt(0, 0));
    ASSERT_TRUE(cursor.unlock());
}

TEST(SurfaceHit, FindsThePixelInTheRightTile) {
    VideoDevice device;
    Surface s;
    std::vector<uint8_t> mask(1280 * 2, 0);
    mask[700] = 1;      // (700, 0): second tile
    mask[1280 + 5] = 1; // (5, 1): first tile
    test::fillSurface(s, device, test::makePicture(1280, 2, pattern), &mask);
    EXPECT_FALSE(s.isOpaqueAt(700, 0));
    EXPECT_TRUE(s.isOpaqueAt(60, 0));
    EXPECT_FALSE(s.isOpaqueAt(5, 1));
    EXPECT_TRUE(s.isOpaqueAt(645, 1));
}

TEST(RectHelpers, RoundingAndConversions) {
    EXPECT_EQ(roundPixel(-0.7f), 0);
    EXPECT_EQ(roundPixel(-1.6f), -1);
    EXPECT_EQ(roundPixel(2.5f), 3);
    EXPECT_EQ(roundPixel(2.49f), 2);
    EXPECT_EQ(toRect(BoxF{0.4f, 1.5f, 10.2f, 3.0f}), (Rect{0, 2, 11, 5}));
    const BoxF b = toBoxF(Rect{-3, 4, 7, 10});
    EXPECT_EQ(b.x, -3.0f);
    EXPECT_EQ(b.w, 10.0f);
    EXPECT_EQ(b.h, 6.0f);
    EXPECT_EQ((Rect{2, 3, 12, 8}).width(), 10);
    EXPECT_EQ((Rect{2, 3, 12, 8}).height(), 5);
}

TEST(RectHelpers, Intersections) {
    Box out;
    EXPECT_TRUE(intersect(Box{0, 0, 10, 10}, Box{5, -5, 10, 10}, out));
    EXPECT_EQ(out, (Box{5, 0, 5, 5}));
    EXPECT_FALSE(intersect(Box{0, 0, 10, 10}, Box{10, 0, 5, 5}, out));
    BoxF f;
    EXPECT_TRUE(intersect(BoxF{0, 0, 10, 10}, BoxF{9.5f, 9.5f, 1, 1}, f));
    EXPECT_FLOAT_EQ(f.w, 0.5f);
    EXPECT_FALSE(intersect(BoxF{0, 0, 1, 1}, BoxF{1.0f - 1e-7f, 0, 1, 1}, f));
    EXPECT_TRUE(intersect(BoxF{0, 0, 0.5f, 1}, BoxF{0.5f - 2.4e-7f, 0, 1, 1}, f));
}

} // namespace
} // namespace vandrel
