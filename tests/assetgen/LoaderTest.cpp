// The generated archive through the game's own loaders: the picture lists,
// the figure entry, the fonts, the cross-hair, the cartridge and the sounds
// all load and come out with the sizes and values the game is tuned for.
#include "GeneratedArchiveTest.h"

#include "data/BlockReader.h"
#include "game/Backdrop.h"
#include "game/FigureCatalog.h"
#include "game/FigureType.h"
#include "game/Session.h"
#include "gfx/Font.h"
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "sound/SoundStreamFactory.h"
#include "support/SessionProbe.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <memory>

namespace vandrel::test {
namespace {

class GeneratedArchive : public GeneratedArchiveTest {
protected:
    ManualClock clock{5000};
    VideoDevice device{PixelFormat::xrgb32()};
};

TEST_F(GeneratedArchive, BackdropLoadsFourLayersOfTheirWidths) {
    Backdrop backdrop;
    ASSERT_TRUE(loadImageList(&open("back.nb"), &backdrop, &device));
    ASSERT_EQ(backdrop.layerCount(), 4);
    const int32_t widths[4] = {1280, 1600, 2240, 3520};
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(backdrop.layer(i)->width(), widths[i]);
        EXPECT_EQ(backdrop.layer(i)->height(), 480);
    }
    EXPECT_EQ(backdrop.maxLayerWidth(), 3520);
    // The sky is opaque everywhere; the front layer is open at the top.
    EXPECT_TRUE(backdrop.layer(0)->isOpaqueAt(5, 5));
    EXPECT_FALSE(backdrop.layer(3)->isOpaqueAt(5, 5));
    EXPECT_TRUE(backdrop.layer(3)->isOpaqueAt(5, 479));
}

TEST_F(GeneratedArchive, FigureEntryLoadsWithItsTypesAndAnimations) {
    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&open("figur.xx"), &device));
    ASSERT_EQ(figures.typeCount(), 12);
    const int32_t ids[12] = {32, 32, 33, 33, 4, 5, 6, 7, 29, 29, 31, 31};
    const int32_t scores[12] = {15, 15, 25, 25, 25, 25, 50, 50, 5, 5, 10, 10};
    for (int32_t t = 0; t < 12; ++t) {
        const FigureType& type = *figures.typeAt(t);
        EXPECT_EQ(type.animationId, ids[t]);
        EXPECT_EQ(type.scoreValue, scores[t]);
        EXPECT_EQ(type.motion, 2 + t % 2);
        ASSERT_NE(type.effectFrames, nullptr) << "type " << t;
        EXPECT_EQ(type.effectFrames->frameCount, 4);
        EXPECT_EQ(type.effectFrames->totalDuration, 320);
        ASSERT_NE(figures.findAnimation(type.animationId), nullptr);
    }
    struct Row {
        int32_t id, frames, w, h, total, hx, hy;
    };
    for (const Row& r :
         {Row{4, 11, 36, 33, 550, 18, 16}, Row{5, 11, 36, 33, 550, 18, 16}, Row{6, 11, 17, 16, 550, 8, 8},
          Row{7, 11, 17, 16, 550, 8, 8}, Row{29, 8, 93, 113, 2800, 46, 56}, Row{31, 5, 91, 94, 400, 45, 47},
          Row{32, 5, 45, 46, 400, 22, 23}, Row{33, 5, 22, 22, 400, 11, 11}}) {
        const Animation* a = figures.findAnimation(r.id);
        ASSERT_NE(a, nullptr) << r.id;
        EXPECT_EQ(a->frames.frameCount, r.frames) << r.id;
        EXPECT_EQ(a->frames.totalDuration, r.total) << r.id;
        for (const auto& f : a->frames.frames) {
            EXPECT_EQ(f->surface.width(), r.w);
            EXPECT_EQ(f->surface.height(), r.h);
            EXPECT_EQ(int32_t(f->hotspotX()), r.hx);
            EXPECT_EQ(int32_t(f->hotspotY()), r.hy);
        }
    }
    // The mirrored types' animations were mirrored at load time.
    EXPECT_TRUE(figures.findAnimation(32)->frames.mirroredBuilt);
    EXPECT_TRUE(figures.findAnimation(31)->frames.mirroredBuilt);
    EXPECT_FALSE(figures.findAnimation(4)->frames.mirroredBuilt);
}

TEST_F(GeneratedArchive, FontsCrossHairAndCartridgeLoad) {
    Font large, small;
    ASSERT_TRUE(large.load(&open("font.nl"), &device));
    EXPECT_EQ(large.sheet().width(), 327);
    EXPECT_EQ(large.sheet().height(), 236);
    ASSERT_TRUE(small.load(&open("fonts.nl"), &device));
    EXPECT_EQ(small.sheet().width(), 208);
    EXPECT_EQ(small.sheet().height(), 130);

    Surface cursor;
    BlockReader& cur = open("cur.nl");
    ASSERT_TRUE(loadImage(&cur, &cursor, &device));
    EXPECT_EQ(cursor.width(), 30);
    EXPECT_EQ(cursor.height(), 30);
    EXPECT_TRUE(cursor.isOpaqueAt(15, 15));
    EXPECT_FALSE(cursor.isOpaqueAt(0, 0));
    uint16_t tag = 0;
    EXPECT_FALSE(cur.readHeader(tag)) << "nothing follows the cross-hair";

    Surface ammo;
    ASSERT_TRUE(loadImage(&open("Muni.nl"), &ammo, &device));
    EXPECT_LE(ammo.width(), 24);
    EXPECT_LE(ammo.height(), 56);
}

TEST_F(GeneratedArchive, StuffGivesTheSessionItsSetUpAndThreeScreens) {
    TempStore store; // the session reads its score table there
    Session session(store.store());
    BlockReader& reader = open("stuff.x");
    ASSERT_TRUE(session.loadSetup(&reader));
    EXPECT_EQ(session.setup().screenWidth, 640);
    EXPECT_EQ(session.setup().screenHeight, 480);
    EXPECT_EQ(session.setup().roundMinutes, 2);
    EXPECT_EQ(session.setup().roundSeconds, 0);
    EXPECT_EQ(session.setup().magazineSize, 10);
    EXPECT_EQ(session.setup().startFullScreen, 1);
    EXPECT_STREQ(session.setup().tableName, "Vandrel");
    ASSERT_TRUE(session.loadTitle(&reader, &device));
    EXPECT_EQ(SessionProbe::titleImage(session).width(), 1280);
    EXPECT_EQ(SessionProbe::titleImage(session).height(), 480);
    EXPECT_EQ(SessionProbe::titleGrey(session).width(), 1280);
    ASSERT_TRUE(session.loadScreens(&reader, &device));
    EXPECT_EQ(SessionProbe::highScores(session).picture().width(), 1280);
    EXPECT_EQ(SessionProbe::endImage(session).width(), 1280);
    EXPECT_EQ(SessionProbe::endImage(session).height(), 480);
    session.clear();
}

TEST_F(GeneratedArchive, EverySoundDecodesToItsDeclaredLength) {
    SoundStreamFactory factory;
    int sounds = 0;
    for (const char* name : {"stuff.x", "figur.xx"}) {
        BlockReader& reader = open(name);
        uint16_t tag = 0;
        while (reader.readHeader(tag)) {
            bool sound = tag == makeTag('S', 'D') || tag == makeTag('S', '1') || tag == makeTag('S', '2') ||
                         tag == makeTag('S', '3') || tag == makeTag('S', '4');
            if (sound) {
                ++sounds;
                std::unique_ptr<SoundStream> stream = factory.create(reader);
                ASSERT_NE(stream, nullptr);
                std::unique_ptr<AudioFormat> format;
                stream->format(&format);
                ASSERT_NE(format, nullptr);
                int32_t declared = stream->lengthMs();
                ASSERT_NE(declared, 30000) << "no Length comment found";
                double decodedMs = double(stream->decodedSize()) / 2.0 * 1000.0 / 44100.0;
                EXPECT_NEAR(decodedMs, declared, 1.0) << name << " block " << sounds;
            }
            ASSERT_TRUE(reader.nextBlock());
        }
    }
    EXPECT_EQ(sounds, 16);
}

} // namespace
} // namespace vandrel::test
