// A round headless: figures drawn into a back buffer, shots at the places
// where they were drawn, the score, popups and hit effects, all on a manual clock.
#include "FigureFixtures.h"
#include "support/TestSounds.h"

#include "data/BlockReader.h"
#include "sound/SoundSystem.h"
#include "support/TestArchive.h"

#include "game/FigureManager.h"
#include "game/Session.h"
#include "base/Clock.h"
#include "base/Random.h"
#include "backends/null/MemoryStore.h"
#include "support/SessionProbe.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::addAnimation;
using test::addType;
using test::placeFigure;
using test::shoot;

// A 20 x 20 figure with a transparent 6 x 6 hole in its middle.
bool ring(int32_t x, int32_t y) { return !(x >= 7 && x < 13 && y >= 7 && y < 13); }

class RoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        reseedGameRand();
        backBuffer = device.createSurface(640, 480);
        addAnimation(figures.catalog, device, 7, 2, 20, 20, 100, ring);
        // The hit effect: 4 frames of 80 ms, 30 x 30, hotspot (15, 15).
        effectOwner = std::make_unique<FigureType>();
        for (int i = 0; i < 4; ++i) effectOwner->ownFrames.addFrame(test::makeFrame(device, 30, 30, 80));
        session.startRound();
    }

    FigureType& type(int32_t layer, int32_t hitPoints = 1) {
        FigureType& t = addType(figures.catalog, 7, layer);
        t.hitPoints = hitPoints;
        t.effectFrames = &effectOwner->ownFrames;
        return t;
    }

    // One play frame's figure passes, scroll 0, every layer at factor 1.
    void frame(int32_t scroll = 0, float factor = 1.0f) {
        for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer)
            figures.updateLayer(layer, clock.now(), factor, scroll, backBuffer.get(), &clip, 640, 640,
                                &session.largeFont());
    }

    ManualClock clock{100000};
    VideoDevice device{PixelFormat::xrgb32()};
    std::unique_ptr<VideoSurface> backBuffer;
    const Rect clip{0, 0, 640, 480};
    std::unique_ptr<FigureType> effectOwner;
    FigureManager figures;
    MemoryStore store;
    Session session{store};
};

TEST_F(RoundTest, AShotOnAnOpaquePixelScoresAndRemovesAOneHitFigure) {
    FigureType& t = type(3);
    placeFigure(t, 200, 150);
    frame();
    const Figure f = t.figures[0];
    EXPECT_EQ(f.screenX, 200);
    EXPECT_EQ(f.y, 150);
    EXPECT_NE(backBuffer->pixelAt(200 - 8, 150), 0u); // drawn where the shot goes

    EXPECT_TRUE(shoot(figures, session, 200 - 8, 150));
    EXPECT_EQ(t.figureCount(), 0);
    EXPECT_EQ(session.score(), 15);
    EXPECT_EQ(session.ammo(), 9);
    ASSERT_EQ(figures.popups.size(), 1u);
    EXPECT_EQ(figures.popups[0].value, 15);
    EXPECT_EQ(figures.popups[0].worldX, 200);
    EXPECT_EQ(figures.popups[0].y, 150);
    EXPECT_EQ(figures.popups[0].layer, 3);
    EXPECT_GE(figures.popups[0].stepInterval, 4);
    EXPECT_LE(figures.popups[0].stepInterval, 12);
    ASSERT_EQ(figures.effects.size(), 1u);
    // The effect's first hotspot lies on the hotspot of the frame that was hit.
    EXPECT_EQ(figures.effects[0].worldX, 200);
    EXPECT_EQ(figures.effects[0].y, 150);
    EXPECT_EQ(figures.effects[0].layer, 3);
}

TEST_F(RoundTest, ATransparentPixelMissesAndTheShotGoesOnBehind) {
    FigureType& near = type(4);
    FigureType& far = type(1);
    placeFigure(near, 300, 200);
    placeFigure(far, 300, 200);
    frame();
    // The hole of the near figure shows the far one; the far one's hole is a miss.
    ASSERT_TRUE(shoot(figures, session, 300, 200) == false);
    EXPECT_EQ(session.ammo(), 9);
    placeFigure(far, 310, 200); // its ring now covers (300, 200)
    frame();
    EXPECT_TRUE(shoot(figures, session, 300, 200));
    EXPECT_EQ(near.figureCount(), 1);
    EXPECT_EQ(far.figureCount(), 1);
    EXPECT_EQ(far.figures[0].startX, 300);
}

TEST_F(RoundTest, NewestFiguresAndLaterTypesAreHitFirst) {
    FigureType& earlier = type(2);
    FigureType& later = type(2);
    placeFigure(earlier, 100, 100);
    placeFigure(earlier, 104, 100);
    placeFigure(later, 108, 100);
    frame();
    ASSERT_TRUE(shoot(figures, session, 100, 92));
    EXPECT_EQ(later.figureCount(), 0);
    EXPECT_EQ(earlier.figureCount(), 2);
    ASSERT_TRUE(shoot(figures, session, 100, 92));
    ASSERT_EQ(earlier.figureCount(), 1);
    EXPECT_EQ(earlier.figures[0].startX, 100); // the newer one went first
}

TEST_F(RoundTest, SceneryInFrontBlocksTheShot) {
    FigureType& behind = type(2);
    placeFigure(behind, 100, 100);
    frame();
    EXPECT_FALSE(shoot(figures, session, 100, 92, 3));
    EXPECT_EQ(behind.figureCount(), 1);
    EXPECT_TRUE(shoot(figures, session, 100, 92, 2)); // scenery of its own layer is behind it
    FigureType& front = type(3);
    placeFigure(front, 100, 100);
    frame();
    EXPECT_TRUE(shoot(figures, session, 100, 92, 3));
    EXPECT_EQ(front.figureCount(), 0);
}

TEST_F(RoundTest, MultiHitFiguresScoreOnlyOnTheLastHit) {
    FigureType& tough = type(3, 3);
    placeFigure(tough, 400, 300);
    frame();
    for (int hit = 1; hit <= 2; ++hit) {
        ASSERT_TRUE(shoot(figures, session, 392, 300));
        ASSERT_EQ(tough.figureCount(), 1);
        EXPECT_EQ(tough.figures[0].hitPoints, 3 - hit);
        EXPECT_EQ(session.score(), 0);
        EXPECT_TRUE(figures.popups.empty());
        EXPECT_TRUE(figures.effects.empty());
    }
    ASSERT_TRUE(shoot(figures, session, 392, 300));
    EXPECT_EQ(tough.figureCount(), 0);
    EXPECT_EQ(session.score(), 15);
    EXPECT_EQ(figures.popups.size(), 1u);
    EXPECT_EQ(figures.effects.size(), 1u);
    EXPECT_EQ(session.ammo(), 7);
}

TEST_F(RoundTest, NoEffectWithoutEffectFramesOrWithTimelessOnes) {
    FigureType& plain = type(3);
    plain.effectFrames = nullptr;
    FigureType& timeless = type(2);
    FrameSet empty;
    timeless.effectFrames = &empty;
    placeFigure(plain, 100, 100);
    placeFigure(timeless, 300, 100);
    frame();
    EXPECT_TRUE(shoot(figures, session, 92, 100));
    EXPECT_TRUE(shoot(figures, session, 292, 100));
    EXPECT_EQ(session.score(), 30);
    EXPECT_EQ(figures.popups.size(), 2u);
    EXPECT_TRUE(figures.effects.empty());
}

TEST_F(RoundTest, PopupsRiseAPixelPerStepAndVanishAboveTheScreen) {
    ScorePopup popup;
    popup.moveClock = clock.now();
    popup.stepInterval = 8;
    popup.worldX = 320;
    popup.y = 240;
    popup.value = 25;
    popup.layer = 3;
    figures.popups.push_back(popup);
    // One layer pass per millisecond: a step once more than 8 ms have gathered.
    clock.advance(8);
    figures.updateLayer(0, clock.now(), 1.0f, 0, backBuffer.get(), &clip, 640, 640, &session.largeFont());
    EXPECT_EQ(figures.popups[0].y, 240);
    int32_t steps = 0;
    while (!figures.popups.empty() && steps < 1000) {
        clock.advance(1);
        const int32_t before = figures.popups[0].y;
        figures.updateLayer(0, clock.now(), 1.0f, 0, backBuffer.get(), &clip, 640, 640, &session.largeFont());
        if (figures.popups.empty() || figures.popups[0].y != before) ++steps;
    }
    EXPECT_EQ(steps, 281); // from 240 up to -41
    EXPECT_EQ(clock.now() - popup.moveClock, 9u + 280u * 8u);
}

TEST_F(RoundTest, EffectsEndAfterTheirFramesHavePlayed) {
    FigureType& t = type(3);
    placeFigure(t, 200, 150);
    frame();
    ASSERT_TRUE(shoot(figures, session, 192, 150));
    ASSERT_EQ(figures.effects.size(), 1u);
    clock.advance(319);
    frame();
    ASSERT_EQ(figures.effects.size(), 1u);
    EXPECT_NE(backBuffer->pixelAt(200 + 14, 150), 0u); // the effect's 30 x 30 frame
    clock.advance(1);
    frame();
    EXPECT_TRUE(figures.effects.empty());
}

// The figures go by the frame's time; effects and popups read the clock for each
// one, so a frame time that runs ahead of the clock does not age them.
TEST_F(RoundTest, EffectsAndPopupsGoByTheClockNotByTheFramesTime) {
    FigureType& t = type(3);
    placeFigure(t, 200, 150);
    frame();
    ASSERT_TRUE(shoot(figures, session, 192, 150));
    ASSERT_EQ(figures.effects.size(), 1u);
    ASSERT_EQ(figures.popups.size(), 1u);
    const int32_t popupY = figures.popups[0].y;
    for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer)
        figures.updateLayer(layer, clock.now() + 1000, 1.0f, 0, backBuffer.get(), &clip, 640, 640,
                            &session.largeFont());
    EXPECT_EQ(figures.effects.size(), 1u) << "a second ahead on the frame's time, none on the clock";
    EXPECT_EQ(figures.popups[0].y, popupY);

    clock.advance(320);
    for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer)
        figures.updateLayer(layer, clock.now() - 1000, 1.0f, 0, backBuffer.get(), &clip, 640, 640,
                            &session.largeFont());
    EXPECT_TRUE(figures.effects.empty()) << "played out on the clock";
    EXPECT_EQ(figures.popups[0].y, popupY - FigureManager::layerCount) << "a pixel a layer pass";
}

TEST_F(RoundTest, ClearingDestroysTheEffectsWithTheFramesTheyPlay) {
    FigureType& t = type(3);
    t.effectFrames = &t.ownFrames;
    t.ownFrames.addFrame(test::makeFrame(device, 30, 30, 80));
    placeFigure(t, 200, 150);
    frame();
    ASSERT_TRUE(shoot(figures, session, 192, 150));
    ASSERT_EQ(figures.effects.size(), 1u);
    figures.clear();
    EXPECT_TRUE(figures.effects.empty());
    EXPECT_EQ(figures.popups.size(), 1u); // a popup refers to nothing and may rise on
    frame();                              // nothing left to draw against freed frames
}

TEST_F(RoundTest, FiguresScrollWithTheirLayerAndPopupsStayOnTheLandscape) {
    FigureType& t = type(2);
    placeFigure(t, 500, 150);
    figures.updateLayer(2, clock.now(), 0.5f, 301, backBuffer.get(), &clip, 1280, 640, &session.largeFont());
    EXPECT_EQ(t.figures[0].screenX, 500 - 150); // 500 - 150.5 + 0.5
    EXPECT_EQ(t.figures[0].worldX, 500);
    ASSERT_TRUE(shoot(figures, session, 350 - 8, 150));
    EXPECT_EQ(figures.popups[0].worldX, 500);
}

TEST_F(RoundTest, FiguresLeaveBeyondTheLayerAndTheScreen) {
    FigureType& t = type(2);
    placeFigure(t, -201, 100); // left of the layer
    placeFigure(t, 100, 100);  // stays
    placeFigure(t, 1481, 100); // 200 past the right end of a 1280-wide layer at factor 0.5
    placeFigure(t, 1480, 100); // stays
    placeFigure(t, 100, -201); // above
    placeFigure(t, 100, 681);  // below
    placeFigure(t, 100, 680);  // stays
    figures.updateLayer(2, clock.now(), 0.5f, 0, backBuffer.get(), &clip, 1920, 640, &session.largeFont());
    ASSERT_EQ(t.figureCount(), 3);
    EXPECT_EQ(t.figures[0].startX, 100);
    EXPECT_EQ(t.figures[1].startX, 1480);
    EXPECT_EQ(t.figures[2].y, 680);
}

TEST_F(RoundTest, LeftwardFiguresEnterBeyondTheLayerEndAndSurviveTheirFirstFrame) {
    FigureType& t = type(2);
    t.motion = MotionLeft;
    t.maxCount = 5;
    t.spawnChance = 100;
    t.baseSpeed = 50;
    t.spawnClock = clock.now() - 201;
    figures.updateLayer(2, clock.now(), 0.5f, 0, backBuffer.get(), &clip, 1920, 640, &session.largeFont());
    ASSERT_EQ(t.figureCount(), 1);
    EXPECT_EQ(t.figures[0].startX, 640 + 640 + 200);
}

TEST_F(RoundTest, StartingARoundClearsFiguresAndPopupsButLetsEffectsRunOut) {
    FigureType& t = type(3);
    t.maxCount = 25;
    placeFigure(t, 200, 150);
    frame();
    ASSERT_TRUE(shoot(figures, session, 192, 150));
    placeFigure(t, 10, 10);
    placeFigure(t, 20, 10);
    placeFigure(t, 30, 10);
    clock.advance(5);
    figures.startRound();
    EXPECT_TRUE(figures.popups.empty());
    EXPECT_EQ(figures.effects.size(), 1u);
    EXPECT_EQ(t.figureCount(), 2);
    EXPECT_EQ(t.spawnClock, clock.now());
}

TEST_F(RoundTest, AMissUsesARoundAndAnEmptyMagazineNeverReachesTheFigures) {
    FigureType& t = type(3);
    placeFigure(t, 200, 150);
    frame();
    EXPECT_FALSE(shoot(figures, session, 10, 10));
    EXPECT_EQ(session.ammo(), 9);
    while (session.hasAmmo()) session.useRound();
    EXPECT_FALSE(shoot(figures, session, 192, 150));
    EXPECT_EQ(t.figureCount(), 1);
    EXPECT_EQ(session.score(), 0);
    EXPECT_EQ(session.ammo(), 0);
}

TEST_F(RoundTest, TheSameRandomStateDrawsTheSameFrames) {
    auto run = [this]() {
        reseedGameRand();
        setGameRandState(424242);
        clock.set(200000);
        figures.catalog.types.clear();
        figures.popups.clear();
        figures.effects.clear();
        session.startRound();
        for (int32_t layer = 1; layer <= 4; ++layer) {
            FigureType& t = type(layer);
            t.motion = layer % 4;
            t.maxCount = 12;
            t.spawnChance = 40;
            t.baseSpeed = 60;
            t.speedSpread = 40;
            t.ySpread = 300;
        }
        figures.startRound();
        std::vector<uint64_t> hashes;
        for (int i = 0; i < 60; ++i) {
            clock.advance(33);
            backBuffer->fill(nullptr, 0);
            frame(i * 7, 0.75f);
            if (i % 10 == 5) shoot(figures, session, 320, 240);
            hashes.push_back(test::frameHash(*backBuffer));
        }
        return hashes;
    };
    const auto first = run();
    const auto second = run();
    EXPECT_EQ(first, second);
    EXPECT_NE(first.front(), first.back());
}

// Which sound a click makes: the figure's own on a hit, the session's on a
// miss, on an empty magazine and on a refill.
class RoundSoundTest : public RoundTest {
protected:
    void SetUp() override {
        RoundTest::SetUp();
        ASSERT_TRUE(sounds.init());
        const test::Bytes tone = test::oggTone(200, 440);
        archive = std::make_unique<test::TestArchive>(std::vector<std::pair<std::string, test::Bytes>>{
            {"sounds", test::concat({test::block("S1", tone), test::block("S2", tone), test::block("S3", tone),
                                     test::block("SD", tone)})}});
        BlockReader& reader = archive->entry("sounds");
        SoundBuffer* targets[] = {&SessionProbe::missSound(session), &SessionProbe::emptySound(session),
                                  &SessionProbe::reloadSound(session), &hitSound()};
        for (SoundBuffer* sound : targets) {
            uint16_t tag = 0;
            ASSERT_TRUE(reader.readHeader(tag));
            ASSERT_TRUE(sound->load(&reader, false));
            ASSERT_EQ(sound->staticPart().state(), StaticSound::State::Loaded);
            reader.nextBlock();
        }
    }
    SoundBuffer& hitSound() {
        if (!target) target = &type(3);
        return target->hitSound;
    }
    static bool playing(const SoundBuffer& sound) { return sound.staticPart().state() == StaticSound::State::Playing; }

    SoundSystem sounds;
    std::unique_ptr<test::TestArchive> archive;
    FigureType* target = nullptr;
};

TEST_F(RoundSoundTest, AHitSoundsTheFigureOnly) {
    placeFigure(*target, 200, 150);
    frame();
    ASSERT_TRUE(shoot(figures, session, 192, 150));
    EXPECT_TRUE(playing(target->hitSound));
    EXPECT_FALSE(playing(SessionProbe::missSound(session)));
    EXPECT_FALSE(playing(SessionProbe::emptySound(session)));
}

TEST_F(RoundSoundTest, AMissPlaysTheMissSoundAndUsesARound) {
    placeFigure(*target, 200, 150);
    frame();
    ASSERT_FALSE(shoot(figures, session, 200, 150)); // the hole in its middle
    EXPECT_TRUE(playing(SessionProbe::missSound(session)));
    EXPECT_FALSE(playing(target->hitSound));
    EXPECT_EQ(session.ammo(), 9);
}

TEST_F(RoundSoundTest, AnEmptyMagazineClicksAndARightClickRefillsOnlyThen) {
    placeFigure(*target, 200, 150);
    frame();
    while (session.hasAmmo()) session.useRound();
    EXPECT_FALSE(shoot(figures, session, 192, 150));
    EXPECT_TRUE(playing(SessionProbe::emptySound(session)));
    EXPECT_FALSE(playing(SessionProbe::missSound(session)));
    EXPECT_FALSE(playing(target->hitSound));
    EXPECT_EQ(target->figureCount(), 1);

    auto rightClick = [this] {
        if (session.reload()) session.playReload();
    };
    session.startRound();
    for (int32_t shot = 0; shot < 7; ++shot) session.useRound();
    ASSERT_EQ(session.ammo(), 3);
    rightClick();
    EXPECT_EQ(session.ammo(), 3);
    EXPECT_FALSE(playing(SessionProbe::reloadSound(session)));
    while (session.hasAmmo()) session.useRound();
    rightClick();
    EXPECT_EQ(session.ammo(), session.setup().magazineSize);
    EXPECT_TRUE(playing(SessionProbe::reloadSound(session)));
}

} // namespace
} // namespace vandrel
