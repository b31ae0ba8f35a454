// The software sound device: lock regions, cursors, and what the mixer makes
// of playing buffers (sum, limit, stop at the end or wrap).
#include "audio/AudioDevice.h"
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "support/AudioRig.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using Rig = test::AudioRig;

TEST(AudioDevice, OpensOnlyWhereThereIsSound) {
    NullAudio none(false);
    EXPECT_EQ(AudioDevice::open(none), nullptr);
    NullAudio some;
    {
        auto device = AudioDevice::open(some);
        ASSERT_TRUE(device);
        EXPECT_TRUE(some.attached());
    }
    EXPECT_FALSE(some.attached());
    EXPECT_FALSE(some.advance(10));
}

TEST(AudioDevice, RefusesBadBufferDescriptions) {
    Rig rig;
    const AudioFormat mono = AudioFormat::pcm16(1, 44100);
    AudioFormat eightBit = mono;
    eightBit.bitsPerSample = 8;
    AudioBufferDesc desc;
    desc.bufferBytes = 100;
    EXPECT_EQ(rig.device->createBuffer(desc), nullptr); // no format
    desc.format = &eightBit;
    EXPECT_EQ(rig.device->createBuffer(desc), nullptr);
    desc.format = &mono;
    desc.bufferBytes = 0;
    EXPECT_EQ(rig.device->createBuffer(desc), nullptr);
    desc.bufferBytes = audioBufferMaxBytes + 1;
    EXPECT_EQ(rig.device->createBuffer(desc), nullptr);

    AudioBufferDesc primary;
    primary.flags = audioBufferPrimary;
    auto p = rig.device->createBuffer(primary);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->setFormat(mono));
    EXPECT_FALSE(p->setFormat(eightBit));
    AudioLock l;
    EXPECT_NE(p->lock(0, 0, l, audioLockEntireBuffer), AudioResult::Ok);
}

TEST(AudioBuffer, LockGivesASecondRegionThatWrapsToTheStart) {
    Rig rig;
    auto b = rig.buffer(std::vector<int16_t>(50)); // 100 bytes
    AudioLock l;
    ASSERT_EQ(b->lock(80, 30, l, 0), AudioResult::Ok);
    EXPECT_EQ(l.firstBytes, 20u);
    ASSERT_NE(l.second, nullptr);
    EXPECT_EQ(l.secondBytes, 10u);
    EXPECT_EQ(l.first - l.second, 80);
    EXPECT_TRUE(b->unlock(l.first, 20, l.second, 4));

    ASSERT_EQ(b->lock(10, 20, l, 0), AudioResult::Ok);
    EXPECT_EQ(l.firstBytes, 20u);
    EXPECT_EQ(l.second, nullptr);
    EXPECT_EQ(l.secondBytes, 0u);
    EXPECT_FALSE(b->unlock(l.first, 200, nullptr, 0)); // more than the buffer holds

    EXPECT_EQ(b->lock(100, 4, l, 0), AudioResult::InvalidParam);
    EXPECT_EQ(b->lock(0, 101, l, 0), AudioResult::InvalidParam);
    EXPECT_EQ(b->lock(0, 0, l, 0), AudioResult::InvalidParam);
}

TEST(AudioBuffer, PlayedOnceItStopsAtItsEndAndItsCursorReturnsToZero) {
    Rig rig;
    auto b = rig.buffer({100, 200, 300, 400});
    ASSERT_TRUE(b->play(0));
    EXPECT_EQ(rig.mix(3), (std::vector<int16_t>{100, 200, 300}));
    uint32_t play = 1, write = 1;
    b->getCurrentPosition(&play, &write);
    EXPECT_EQ(play, 6u);
    EXPECT_EQ(write, play);
    EXPECT_EQ(rig.mix(3), (std::vector<int16_t>{400, 0, 0}));
    EXPECT_FALSE(b->isPlaying());
    b->getCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
}

TEST(AudioBuffer, LoopingWrapsAndStopHoldsTheCursor) {
    Rig rig;
    auto b = rig.buffer({1, 2, 3});
    b->play(audioPlayLooping);
    EXPECT_EQ(rig.mix(7), (std::vector<int16_t>{1, 2, 3, 1, 2, 3, 1}));
    b->stop();
    EXPECT_EQ(rig.mix(2), (std::vector<int16_t>{0, 0}));
    uint32_t play = 0;
    b->getCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 2u);
    b->play(audioPlayLooping);
    EXPECT_EQ(rig.mix(2), (std::vector<int16_t>{2, 3}));
}

TEST(AudioBuffer, PositionsFallOnWholeFramesInsideTheBuffer) {
    Rig rig;
    auto b = rig.buffer({10, 20, 30, 40});
    EXPECT_TRUE(b->setCurrentPosition(5)); // inside the third sample
    uint32_t play = 0;
    b->getCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 4u);
    EXPECT_FALSE(b->setCurrentPosition(8));
    b->play(0);
    EXPECT_EQ(rig.mix(3), (std::vector<int16_t>{30, 40, 0}));
}

TEST(AudioDevice, MixesBySummingAndLimitingBelowFullScale) {
    Rig rig;
    auto a = rig.buffer({3000, -3000, 1000, 5});
    auto b = rig.buffer({3000, -3000, -3000, 5});
    a->play(0);
    b->play(0);
    EXPECT_EQ(rig.mix(4), (std::vector<int16_t>{6000, -6000, -2000, 10}));
    // Beyond full scale: each half-wave brought to the ceiling, and the samples
    // of the same half-wave with it; the next half-wave is exact.
    auto c = rig.buffer({30000, -30000, 1000, 5});
    auto d = rig.buffer({30000, -30000, -3000, 5});
    c->play(0);
    d->play(0);
    EXPECT_EQ(rig.mix(4), (std::vector<int16_t>{32000, -32000, -1067, 10}));
}

TEST(AudioDevice, ConvertsStereoAndOtherRatesToTheOutput) {
    Rig rig;
    auto stereo = rig.buffer({100, 300, -50, -150}, 2);
    stereo->play(0);
    EXPECT_EQ(rig.mix(3), (std::vector<int16_t>{200, -100, 0}));

    auto half = rig.buffer({7, 9}, 1, 22050);
    half->play(0);
    EXPECT_EQ(rig.mix(5), (std::vector<int16_t>{7, 7, 9, 9, 0}));
    uint32_t play = 0;
    half->getCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
}

TEST(AudioDevice, BuffersMayOutliveTheirDevice) {
    Rig rig;
    auto b = rig.buffer({1, 2});
    rig.device.reset();
    EXPECT_TRUE(b->play(0));
    EXPECT_TRUE(b->stop());
}

TEST(AudioOutput, HeadlessUnlessAnOutputIsInstalled) {
    NullAudio audio;
    AudioOutput& before = audioOutput();
    {
        ScopedAudioOutput scope(audio);
        EXPECT_EQ(&audioOutput(), &audio);
    }
    EXPECT_EQ(&audioOutput(), &before);
    // The default opens a device that nobody drives.
    EXPECT_TRUE(AudioDevice::open(audioOutput()));
}

} // namespace
} // namespace vandrel
