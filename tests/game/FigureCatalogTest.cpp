// Loading the figure entry: what a well-formed entry gives, the blocks that
// may be skipped, and every kind of damaged entry that must fail cleanly.
#include "game/FigureCatalog.h"
#include "data/BlockReader.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "support/TestArchive.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::frameSetBlocks;
using test::putU32;

struct TypeRecord {
    int32_t animationId = 7;
    int32_t layer = 2;
    int32_t motion = 0;
    int32_t maxCount = 10;
    uint8_t mirrored = 0;
    int32_t extraBytes = 0; // beyond the 45 the record needs; negative cuts it short
};

Bytes f3(const TypeRecord& r) {
    Bytes p;
    const int32_t words[] = {r.animationId, 240, 400, r.layer, 45, 15, 25, r.maxCount, 1, 3, r.motion};
    for (int32_t w : words) putU32(p, static_cast<uint32_t>(w));
    p.push_back(r.mirrored);
    if (r.extraBytes > 0) p.insert(p.end(), static_cast<size_t>(r.extraBytes), 0xEE);
    if (r.extraBytes < 0) p.resize(p.size() - static_cast<size_t>(-r.extraBytes));
    return block("F3", p);
}

Bytes count(const char* tag, int32_t n) {
    Bytes p;
    putU32(p, static_cast<uint32_t>(n));
    return block(tag, p);
}

Bytes ex(int32_t source, uint8_t own) {
    Bytes p;
    putU32(p, static_cast<uint32_t>(source));
    p.push_back(own);
    return block("EX", p);
}

Bytes animation(int32_t id, int32_t frames = 2, uint32_t info = 80) {
    return concat({frameSetBlocks(frames, 12, 10, info), count("F6", id)});
}

class FigureLoadTest : public ::testing::Test {
protected:
    bool load(const Bytes& entry) {
        archive = std::make_unique<test::TestArchive>(std::vector<std::pair<std::string, Bytes>>{{"figur.xx", entry}});
        return figures.load(&archive->entry("figur.xx"), &device);
    }
    ManualClock clock{7000};
    VideoDevice device{PixelFormat::xrgb32()};
    FigureCatalog figures;
    std::unique_ptr<test::TestArchive> archive;
};

TEST_F(FigureLoadTest, ABareEntryGivesSilentTypesWithoutEffects) {
    TypeRecord longer; // extra bytes in a record are skipped
    longer.extraBytes = 11;
    ASSERT_TRUE(load(concat({count("F1", 1), f3(longer), count("F4", 1), animation(7)})));
    ASSERT_EQ(figures.typeCount(), 1);
    const FigureType& t = *figures.typeAt(0);
    EXPECT_EQ(t.animationId, 7);
    EXPECT_EQ(t.baseY, 240);
    EXPECT_EQ(t.ySpread, 400);
    EXPECT_EQ(t.layer, 2);
    EXPECT_EQ(t.baseSpeed, 45);
    EXPECT_EQ(t.speedSpread, 15);
    EXPECT_EQ(t.scoreValue, 25);
    EXPECT_EQ(t.maxCount, 10);
    EXPECT_EQ(t.hitPoints, 1);
    EXPECT_EQ(t.spawnChance, 3);
    EXPECT_EQ(t.motion, 0);
    EXPECT_EQ(t.effectSource, -1);
    EXPECT_EQ(t.effectFrames, nullptr);
    EXPECT_EQ(t.spawnClock, 7000u);
    EXPECT_EQ(figures.typeAt(1), nullptr);
    EXPECT_EQ(figures.typeAt(-1), nullptr);

    const Animation* a = figures.findAnimation(7);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->frames.frameCount, 2);
    EXPECT_EQ(a->frames.totalDuration, 160);
    EXPECT_EQ(a->frames.frames[0]->surface.width(), 12);
    EXPECT_EQ(a->frames.frames[0]->hotspotX(), 6u); // the default centre
    EXPECT_EQ(a->frames.frames[0]->hotspotY(), 5u);
    EXPECT_TRUE(a->frames.mirroredFrames.empty());
    // The mask came through: the left column is transparent.
    Frame& f = *figures.findAnimation(7)->frames.frames[0];
    EXPECT_FALSE(f.surface.isOpaqueAt(0, 4));
    EXPECT_TRUE(f.surface.isOpaqueAt(1, 4));
}

TEST_F(FigureLoadTest, EffectsResolveToTheOwnFramesOfAnyTypeEvenALaterOne) {
    const Bytes entry = concat({count("F1", 2), block("SD"), ex(1, 0), f3({}), ex(-1, 1), frameSetBlocks(4, 20, 20, 80),
                                f3({}), count("F4", 1), animation(7)});
    ASSERT_TRUE(load(entry));
    FigureType& first = *figures.typeAt(0);
    FigureType& second = *figures.typeAt(1);
    EXPECT_EQ(first.effectFrames, &second.ownFrames);
    EXPECT_EQ(second.effectFrames, nullptr);
    EXPECT_EQ(second.hasOwnFrames, 1);
    EXPECT_EQ(second.ownFrames.totalDuration, 320);
    EXPECT_EQ(first.ownFrames.frameCount, 0);
}

TEST_F(FigureLoadTest, MirroredTypesGetTheirAnimationMirroredOnce) {
    TypeRecord mirrored;
    mirrored.mirrored = 1;
    mirrored.motion = 3;
    ASSERT_TRUE(load(
        concat({count("F1", 3), f3(mirrored), f3({}), f3(mirrored), count("F4", 2), animation(7, 3), animation(8)})));
    FrameSet& frames = figures.findAnimation(7)->frames;
    EXPECT_TRUE(frames.mirroredBuilt);
    EXPECT_EQ(frames.mirroredFrames.size(), 3u);
    EXPECT_FALSE(figures.findAnimation(8)->frames.mirroredBuilt);
    // The transparent left column is now the right one.
    EXPECT_FALSE(frames.mirroredFrames[0]->surface.isOpaqueAt(11, 3));
    EXPECT_TRUE(frames.mirroredFrames[0]->surface.isOpaqueAt(0, 3));
}

TEST_F(FigureLoadTest, OtherBlocksAreSkippedOnlyBeforeFrameCountsAndWords) {
    const Bytes skipped =
        concat({count("F1", 1), f3({}), count("F4", 1), block("XX", {1, 2, 3}), count("FC", 1), block("ZZ"),
                count("TI", 80), test::pictureBlocks(12, 10, [](int32_t, int32_t) { return false; }), count("F6", 7)});
    EXPECT_TRUE(load(skipped));
    EXPECT_FALSE(load(concat({count("F1", 1), block("XX"), f3({}), count("F4", 1), animation(7)})));
    EXPECT_FALSE(load(concat({count("F1", 1), f3({}), block("XX"), count("F4", 1), animation(7)})));
}

TEST_F(FigureLoadTest, TheFirstOfTwoAnimationsWithOneIdIsTheOneShown) {
    ASSERT_TRUE(load(concat({count("F1", 1), f3({}), count("F4", 2), animation(7, 2), animation(7, 5)})));
    EXPECT_EQ(figures.findAnimation(7)->frames.frameCount, 2);
    EXPECT_EQ(figures.animations.size(), 2u);
    EXPECT_EQ(figures.findAnimation(9), nullptr);
}

TEST_F(FigureLoadTest, DamagedEntriesFail) {
    auto withType = [](const TypeRecord& r) { return concat({count("F1", 1), f3(r), count("F4", 1), animation(7)}); };
    const Bytes good = withType({});
    TypeRecord shortRecord;
    shortRecord.extraBytes = -1;
    const struct {
        const char* what;
        Bytes entry;
    } cases[] = {
        {"empty entry", {}},
        {"wrong first tag", concat({count("F4", 1), f3({})})},
        {"entry ends after the types", concat({count("F1", 1), f3({})})},
        {"entry ends inside an animation", Bytes(good.begin(), good.end() - 20)},
        {"missing F6", concat({count("F1", 1), f3({}), count("F4", 1), frameSetBlocks(1, 8, 8, 80)})},
        {"frame count 0",
         concat({count("F1", 1), f3({}), count("F4", 1), count("FC", 0), count("TI", 80), count("F6", 7)})},
        {"more types than the entry could hold", concat({count("F1", 0x7FFFFFFF), f3({})})},
        {"more animations than the entry could hold",
         concat({count("F1", 1), f3({}), count("F4", 0x10000000), animation(7)})},
        {"more frames than the entry could hold",
         concat({count("F1", 1), f3({}), count("F4", 1), count("FC", 0x20000000), count("TI", 80)})},
        {"F3 payload too short", withType(shortRecord)},
        {"EX payload too short", concat({count("F1", 1), block("EX", {0, 0}), f3({}), count("F4", 1), animation(7)})},
    };
    for (const auto& c : cases) EXPECT_FALSE(load(c.entry)) << c.what;
    EXPECT_TRUE(load(good));
}

// Values the rest of the game indexes tables with or divides by: refused at
// load instead of crashing a round.
TEST_F(FigureLoadTest, TypesTheGameCouldNotPlayAreRefused) {
    auto withType = [](const TypeRecord& r, uint32_t info = 80) {
        return concat({count("F1", 1), f3(r), count("F4", 1), animation(7, 2, info)});
    };
    TypeRecord r;
    r.motion = 4;
    EXPECT_FALSE(load(withType(r))) << "motion 4";
    r = {};
    r.motion = -1;
    EXPECT_FALSE(load(withType(r))) << "motion -1";
    r = {};
    r.layer = 6;
    EXPECT_FALSE(load(withType(r))) << "layer 6";
    r = {};
    r.layer = -1;
    EXPECT_FALSE(load(withType(r))) << "layer -1";
    r = {};
    r.maxCount = 2000000000;
    EXPECT_FALSE(load(withType(r))) << "two thousand million figures at most";
    r.maxCount = 1000;
    EXPECT_TRUE(load(withType(r))) << "a thousand figures at most";
    figures.clear();
    r = {};
    r.animationId = 99;
    EXPECT_FALSE(load(withType(r))) << "no such animation";
    r = {};
    r.animationId = -1;
    EXPECT_FALSE(load(withType(r))) << "negative animation id";
    EXPECT_FALSE(load(withType({}, 0x00A05000))) << "animation without duration";
    EXPECT_FALSE(load(concat({count("F1", 1), ex(1, 0), f3({}), count("F4", 1), animation(7)})))
        << "effect source past the last type";
    EXPECT_FALSE(load(concat({count("F1", 1), ex(-2, 0), f3({}), count("F4", 1), animation(7)})))
        << "negative effect source";
    EXPECT_TRUE(load(concat({count("F1", 1), ex(0, 0), f3({}), count("F4", 1), animation(7)})))
        << "a type may name itself";
    EXPECT_EQ(figures.typeAt(0)->effectFrames->totalDuration, 0);
}

} // namespace
} // namespace vandrel
