// The effect and music players on the headless mixer: what the listener hears
// while frames refill the ring, when sounds end, and positions.
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "sound/OggSoundStream.h"
#include "sound/RampStream.h"
#include "sound/SoundSystem.h"
#include "sound/StaticSound.h"
#include "sound/StreamingSound.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <random>

namespace vandrel {
namespace {

using test::RampStream;
using State = StreamingSound::State;

struct SoundRig : ::testing::Test {
    NullAudio audio;
    ScopedAudioOutput scope{audio};
    SoundSystem system;

    void SetUp() override { ASSERT_TRUE(system.init()); }

    // Plays `samples` and returns what the listener heard.
    std::vector<int16_t> listen(uint32_t samples) {
        audio.clearMixed();
        audio.advance(samples);
        return audio.mixed();
    }
    // Frames of the given size, each followed by a refill, as the frame tick does.
    std::vector<int16_t> runFrames(StreamingSound& music, const std::vector<uint32_t>& frames) {
        std::vector<int16_t> heard;
        for (uint32_t n : frames) {
            const auto part = listen(n);
            heard.insert(heard.end(), part.begin(), part.end());
            music.refill();
        }
        return heard;
    }
};

// Checks that `heard` is whole copies of the ramp of `length` samples from its
// start, separated only by silence, the last copy possibly cut off by the end
// of listening. Returns the copies started, or -1 at the first stale sample.
// After `settled` samples no run of silence may be longer than maxSilence.
int rampCopies(const std::vector<int16_t>& heard, size_t length, size_t settled, size_t maxSilence, std::string& why) {
    int copies = 0;
    size_t i = 0;
    size_t silence = 0;
    while (i < heard.size()) {
        if (heard[i] == 0) {
            if (++silence > (i < settled ? 44100 : maxSilence)) {
                why = "silence too long at " + std::to_string(i);
                return -1;
            }
            ++i;
            continue;
        }
        silence = 0;
        for (size_t k = 0; k < length && i < heard.size(); ++k, ++i) {
            if (heard[i] != RampStream::valueAt(k)) {
                why = "sample " + std::to_string(i) + " is " + std::to_string(heard[i]) + ", expected " +
                      std::to_string(RampStream::valueAt(k));
                return -1;
            }
        }
        ++copies;
    }
    return copies;
}

TEST(StreamingSoundRing, IsOneSecondRoundedUpToWholeWords) {
    EXPECT_EQ(StreamingSound::ringBytesFor(88200), 88200u);
    EXPECT_EQ(StreamingSound::ringBytesFor(22050), 22052u);
    EXPECT_EQ(StreamingSound::ringBytesFor(176400), 176400u);
    EXPECT_EQ(StreamingSound::ringBytesFor(7), 8u);
    EXPECT_EQ(StreamingSound::bytesForMs(88200, 322), 28400u);
    EXPECT_EQ(StreamingSound::bytesForMs(88200, 101), 8908u); // 8908.2, truncated
    EXPECT_EQ(StreamingSound::bytesForMs(88200, -3), 0u);
}

TEST_F(SoundRig, MusicRingIsMadeForTheStreamsFormat) {
    StreamingSound music;
    music.load(std::make_unique<OggSoundStream>(test::toneOgg(0.5)));
    ASSERT_EQ(music.state(), State::Loaded);
    EXPECT_EQ(music.ringBytes(), 88200u);
    EXPECT_EQ(music.audioBuffer()->size(), 88200u);
    EXPECT_EQ(music.sampleRate(), 44100u);
    EXPECT_EQ(music.bytesPerSecond(), 88200u);

    StreamingSound odd;
    odd.load(std::make_unique<RampStream>(5000, 11025));
    ASSERT_EQ(odd.state(), State::Loaded);
    EXPECT_EQ(odd.ringBytes(), 22052u);
    EXPECT_EQ(odd.writtenBytes(), 10000u);
}

TEST_F(SoundRig, LoopingMusicRepeatsFromItsStartAndNeverPlaysStaleBytes) {
    // Shorter than the ring, longer than the ring, and with frames of
    // irregular length so that the stream's end falls in both lock regions.
    for (size_t length : {size_t(12000), size_t(30000), size_t(70000)}) {
        StreamingSound music;
        auto ramp = std::make_unique<RampStream>(length);
        RampStream* source = ramp.get();
        music.load(std::move(ramp));
        ASSERT_EQ(music.state(), State::Loaded);
        music.playLooping();
        ASSERT_EQ(music.state(), State::Playing);

        std::mt19937 rng(static_cast<unsigned>(length));
        std::vector<uint32_t> frames;
        uint32_t total = 0;
        while (total < 44100 * 6) {
            frames.push_back(200 + rng() % 3000);
            total += frames.back();
        }
        const auto heard = runFrames(music, frames);
        std::string why;
        // Priming leaves silence behind a short stream's first tail; from then
        // on a tail is followed by at most the rest of one frame's refill.
        const int copies = rampCopies(heard, length, 44100 * 2, 3200, why);
        ASSERT_GE(copies, 0) << "length " << length << ": " << why;
        EXPECT_GE(copies, static_cast<int>(44100 * 5 / length)) << length;
        EXPECT_GE(source->restarts, copies - 1);
        EXPECT_EQ(music.state(), State::Playing);
        // After every refill the next bytes go where the listener will be in a second.
        EXPECT_EQ(music.lastPlayCursor(), total * 2 % 88200);
        EXPECT_LT(music.writeCursor(), music.ringBytes());
        EXPECT_EQ(music.playedBytes(), total * 2);
    }
}

TEST_F(SoundRig, LoopingMusicNeverEndsByItself) {
    // A short loop at 30 frames a second: every loop adds silence after the
    // tail, which must not count toward running out.
    StreamingSound music;
    music.load(std::make_unique<RampStream>(6000));
    music.playLooping();
    for (int frame = 0; frame < 30 * 120; ++frame) {
        audio.advance(1470);
        audio.clearMixed();
        music.refill();
        ASSERT_EQ(music.state(), State::Playing) << frame;
    }
    EXPECT_NE(listen(100), std::vector<int16_t>(100, 0));
}

TEST_F(SoundRig, RefillWritesExactlyWhatWasPlayed) {
    StreamingSound music;
    music.load(std::make_unique<RampStream>(200000));
    EXPECT_EQ(music.writtenBytes(), 88200u);
    music.playLooping();
    EXPECT_EQ(music.writeCursor(), 0u); // the full ring wrapped to its start

    listen(735);
    music.refill();
    EXPECT_EQ(music.playedBytes(), 1470u);
    EXPECT_EQ(music.writtenBytes(), 88200u + 1470u);
    EXPECT_EQ(music.writeCursor(), 1470u);
    EXPECT_EQ(music.lastPlayCursor(), 1470u);

    // Across the end of the ring: the lock wraps, both regions are written.
    listen(44100 - 735 - 100);
    music.refill();
    listen(300);
    music.refill();
    EXPECT_EQ(music.lastPlayCursor(), 400u);
    EXPECT_EQ(music.writeCursor(), 400u);
    EXPECT_EQ(music.playedBytes(), 88200u + 400u);
    EXPECT_EQ(music.writtenBytes(), 88200u + 88200u + 400u);
}

TEST_F(SoundRig, MusicPlayedOnceEndsWithinOneFrameAfterItsLastByte) {
    StreamingSound music;
    const size_t length = 30000; // 60000 bytes
    music.load(std::make_unique<RampStream>(length));
    music.playOnce();
    ASSERT_EQ(music.state(), State::Playing);

    std::vector<int16_t> heard;
    uint32_t listened = 0;
    while (music.state() == State::Playing && listened < 44100 * 3) {
        const auto part = listen(735);
        heard.insert(heard.end(), part.begin(), part.end());
        listened += 735;
        music.refill();
    }
    ASSERT_EQ(music.state(), State::Ended);
    EXPECT_GT(listened, length);
    EXPECT_LE(listened, length + 735);
    EXPECT_EQ(music.audioBuffer(), nullptr);
    EXPECT_EQ(music.positionMs(), -1);
    for (size_t i = 0; i < heard.size(); ++i) ASSERT_EQ(heard[i], i < length ? RampStream::valueAt(i) : 0) << i;

    // Rewound it is ready again, and plays from its start.
    music.rewind(0);
    EXPECT_EQ(music.state(), State::Loaded);
    EXPECT_EQ(music.writtenBytes(), music.ringBytes());
    music.playOnce();
    EXPECT_EQ(listen(3), (std::vector<int16_t>{1, 2, 3}));
}

TEST_F(SoundRig, PositionCountsPlayedBytesAndTheCursorsAdvance) {
    StreamingSound music;
    EXPECT_EQ(music.positionMs(), -1); // never had a ring
    music.load(std::make_unique<RampStream>(100000));
    EXPECT_EQ(music.positionMs(), 0);
    music.playLooping();
    listen(22050);
    EXPECT_EQ(music.positionMs(), 500); // not yet refilled
    music.refill();
    listen(11025);
    EXPECT_EQ(music.positionMs(), 750);
    music.refill();
    listen(40000);
    music.refill();
    listen(15000); // the cursor wraps past the ring's end
    EXPECT_EQ(music.positionMs(), (22050 + 11025 + 40000 + 15000) * 1000 / 44100);
}

TEST_F(SoundRig, PauseKeepsThePlaceAndPlayingAgainContinues) {
    StreamingSound music;
    music.load(std::make_unique<RampStream>(100000));
    music.playLooping();
    for (int i = 0; i < 200; ++i) {
        listen(735);
        music.refill();
    }
    const int16_t last = audio.mixed().back();
    ASSERT_GT(last, 1);
    music.pause();
    EXPECT_EQ(music.state(), State::Paused);
    EXPECT_EQ(listen(100), std::vector<int16_t>(100, 0));
    music.refill();
    music.playLooping();
    EXPECT_EQ(listen(3), (std::vector<int16_t>{int16_t(last + 1), int16_t(last + 2), int16_t(last + 3)}));
    // Long after the pause the sound is still the stream in order.
    std::vector<uint32_t> frames(300, 735);
    const auto later = runFrames(music, frames);
    for (size_t i = 1; i < later.size(); ++i)
        ASSERT_TRUE(later[i] == later[i - 1] + 1 || later[i] == 1 || later[i] == 0 || later[i - 1] == 0) << i;
}

TEST_F(SoundRig, UnloadForgetsEverything) {
    StreamingSound music;
    music.load(std::make_unique<RampStream>(100000));
    music.playLooping();
    listen(1000);
    music.refill();
    music.unload();
    EXPECT_EQ(music.state(), State::Empty);
    EXPECT_FALSE(music.hasStream());
    EXPECT_EQ(music.audioBuffer(), nullptr);
    EXPECT_EQ(music.ringBytes() + music.playedBytes() + music.writtenBytes() + music.sampleRate(), 0u);
    EXPECT_EQ(listen(10), std::vector<int16_t>(10, 0));
    music.playLooping(); // nothing to play
    EXPECT_EQ(music.state(), State::Empty);
}

TEST_F(SoundRig, EffectsPlayTheirWholeDecodedSoundOnce) {
    const auto ogg = test::toneOgg(0.2);
    OggSoundStream reference(ogg);
    const uint32_t bytes = reference.decodedSize();
    std::vector<int16_t> pcm(bytes / 2);
    reference.read(pcm.data(), static_cast<int32_t>(bytes));

    StaticSound effect;
    effect.load(std::make_unique<OggSoundStream>(ogg));
    ASSERT_EQ(effect.state(), StaticSound::State::Loaded);
    EXPECT_EQ(effect.audioBuffer()->size(), bytes);
    EXPECT_EQ(effect.lengthMs(), 200);
    EXPECT_EQ(effect.bytesPerSecond(), 88200u);

    effect.play();
    EXPECT_EQ(effect.state(), StaticSound::State::Playing);
    auto heard = listen(static_cast<uint32_t>(pcm.size()) + 50);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), heard.begin()));
    EXPECT_EQ(std::vector<int16_t>(heard.end() - 50, heard.end()), std::vector<int16_t>(50, 0));
    EXPECT_EQ(effect.state(), StaticSound::State::Playing); // ran out by itself

    effect.play(); // and starts over from the start
    heard = listen(100);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), pcm.begin()));

    effect.stop();
    EXPECT_EQ(effect.state(), StaticSound::State::Stopped);
    EXPECT_EQ(listen(10), std::vector<int16_t>(10, 0));
    effect.unload();
    EXPECT_EQ(effect.state(), StaticSound::State::Empty);
    EXPECT_EQ(effect.audioBuffer(), nullptr);
    effect.play();
    EXPECT_EQ(effect.state(), StaticSound::State::Empty);
}

TEST_F(SoundRig, EffectPositionsAreClampedToTheDeclaredLength) {
    test::OggOptions options;
    options.comments = {"Length: 300\n"};
    StaticSound effect;
    effect.load(std::make_unique<OggSoundStream>(test::encodeOgg(test::sine(22050, 300.0), options)));
    ASSERT_EQ(effect.lengthMs(), 300);
    uint32_t play = 1;
    const auto position = [&] {
        effect.audioBuffer()->getCurrentPosition(&play, nullptr);
        return play;
    };
    effect.setPositionMs(101);
    EXPECT_EQ(position(), 8908u);
    effect.setPositionMs(-40);
    EXPECT_EQ(position(), 0u);
    effect.setPositionMs(5); // 441 bytes: the device starts the whole sample
    EXPECT_EQ(position(), 440u);
    effect.setPositionMs(100000); // clamped to 300 ms
    EXPECT_EQ(position(), 26460u);
}

TEST(SoundWithoutDevice, EverySoundStaysEmptyAndPlayingDoesNothing) {
    NullAudio none(false);
    ScopedAudioOutput scope(none);
    SoundSystem system;
    EXPECT_FALSE(system.init());
    EXPECT_FALSE(system.hasFactory());
    EXPECT_EQ(system.createStream(nullptr), nullptr);

    StaticSound effect;
    effect.load(std::make_unique<OggSoundStream>(test::toneOgg(0.1)));
    EXPECT_EQ(effect.state(), StaticSound::State::Empty);
    effect.play();
    effect.setPositionMs(0);
    EXPECT_EQ(effect.state(), StaticSound::State::Empty);

    StreamingSound music;
    music.load(std::make_unique<OggSoundStream>(test::toneOgg(0.1)));
    EXPECT_EQ(music.state(), State::Empty);
    music.playLooping();
    music.refill();
    EXPECT_EQ(music.state(), State::Empty);
    EXPECT_EQ(music.positionMs(), -1);
}

TEST_F(SoundRig, SoundsOutliveTheSystemsShutdown) {
    StaticSound effect;
    effect.load(std::make_unique<RampStream>(1000));
    StreamingSound music;
    music.load(std::make_unique<RampStream>(1000));
    music.playLooping();
    system.shutdown();
    EXPECT_EQ(system.audioDevice(), nullptr);
    effect.play();
    music.refill();
    effect.unload();
    music.unload();
}

} // namespace
} // namespace vandrel
