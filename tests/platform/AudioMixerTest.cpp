// The mixer's levels, focus rule and limiter, heard through the headless
// output: what the player's settings do to the sound, and that the loudest
// sum never reaches full scale while a quiet one is passed on untouched.
#include "audio/AudioMixer.h"
#include "audio/AudioDevice.h"
#include "audio/AudioLimiter.h"
#include "backends/null/NullAudio.h"
#include "support/AudioRig.h"

#include <gtest/gtest.h>

#include <random>

namespace vandrel {
namespace {

struct Rig : test::AudioRig {
    // A music buffer keeps sounding without the focus; an effect does not.
    std::unique_ptr<AudioBuffer> buffer(const std::vector<int16_t>& samples, bool music) {
        return AudioRig::buffer(samples, 1, 44100, audioBufferCtrlVolume | (music ? audioBufferGlobalFocus : 0));
    }
};

std::vector<int16_t> noise(size_t n, int16_t peak, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(-peak, peak);
    std::vector<int16_t> out(n);
    for (int16_t& v : out) v = static_cast<int16_t>(value(random));
    return out;
}

TEST(AudioMixer, MusicAloneAtFullLevelsIsTheMusicSampleForSample) {
    Rig rig;
    const std::vector<int16_t> music = noise(44100, AudioLimiter::threshold - 200, 1);
    auto m = rig.buffer(music, true);
    m->play(audioPlayLooping);
    EXPECT_EQ(rig.mix(44100), music);
    // Effects that keep the sum below the threshold are summed exactly too.
    const std::vector<int16_t> effect = noise(1000, 200, 2);
    auto e = rig.buffer(effect, false);
    e->play(0);
    const std::vector<int16_t> mixed = rig.mix(1000);
    for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(mixed[i], music[i] + effect[i]) << i;
}

TEST(AudioMixer, TheLoudestSumNeverReachesFullScaleNorWraps) {
    Rig rig;
    // Full-scale music and twelve full-scale effects at once, in phase and not.
    std::vector<int16_t> square(4410);
    for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 50) % 2 ? -32768 : 32767;
    auto music = rig.buffer(square, true);
    music->play(audioPlayLooping);
    std::vector<std::unique_ptr<AudioBuffer>> effects;
    for (uint32_t k = 0; k < 12; ++k) {
        effects.push_back(rig.buffer(k < 6 ? square : noise(4410, 32767, k), false));
        effects.back()->play(audioPlayLooping);
    }
    const std::vector<int16_t> out = rig.mix(44100);
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_LE(out[i], AudioLimiter::threshold) << i;
        ASSERT_GE(out[i], -AudioLimiter::threshold) << i;
        // The sum is far beyond 16 bits; its sign comes through (no wrap).
        const size_t phase = i % 4410;
        if (phase < 50) {
            ASSERT_GT(out[i], 0) << i;
        } else if (phase < 100) {
            ASSERT_LT(out[i], 0) << i;
        }
    }
    // Where the sum is loud all the time, the output stays loud: limited, not silenced.
    EXPECT_GE(*std::max_element(out.begin() + 40000, out.end()), AudioLimiter::threshold - 100);
}

TEST(AudioMixer, AfterALoudMomentTheMusicComesBackUntouched) {
    Rig rig;
    const std::vector<int16_t> music = noise(44100, 8000, 3);
    auto m = rig.buffer(music, true);
    m->play(audioPlayLooping);
    auto shot = rig.buffer(std::vector<int16_t>(2000, 32000), false);
    shot->play(0);
    const std::vector<int16_t> loud = rig.mix(44100);
    // Just after the shot the music is quieter, not cut: the limiter's gain is held.
    EXPECT_LT(std::abs(loud[2100]), std::abs(music[2100]) + 1);
    // A second later the gain is back at 1 and every sample is the music's.
    EXPECT_EQ(rig.mix(44100), music);
}

TEST(AudioMixer, LevelsAndMuteScaleTheMixAndTheSoundsGoOnMeanwhile) {
    Rig rig;
    std::vector<int16_t> ramp(1000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i * 16 - 8000);
    auto m = rig.buffer(ramp, true);
    m->play(audioPlayLooping);

    SoundLevels levels;
    levels.master = 50; // a quarter of the amplitude on the squared curve
    rig.device->setLevels(levels);
    std::vector<int16_t> out = rig.mix(1000);
    for (size_t i = 0; i < out.size(); i += 97) EXPECT_NEAR(out[i], ramp[i] / 4, 1) << i;

    levels.master = 100;
    levels.music = 0;
    rig.device->setLevels(levels);
    out = rig.mix(1000);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 1000);

    levels.music = 100;
    levels.mute = true;
    rig.device->setLevels(levels);
    out = rig.mix(500);
    EXPECT_EQ(std::count(out.begin(), out.end(), 0), 500);
    // Muted, the music went on playing: it comes back halfway through.
    levels.mute = false;
    rig.device->setLevels(levels);
    out = rig.mix(500);
    EXPECT_EQ(out, std::vector<int16_t>(ramp.begin() + 500, ramp.end()));
}

TEST(AudioMixer, WithoutTheFocusOnlyTheEffectsFallSilent) {
    Rig rig;
    auto m = rig.buffer(std::vector<int16_t>(100, 1000), true);
    auto e = rig.buffer(std::vector<int16_t>(100, 30), false);
    m->play(audioPlayLooping);
    e->play(audioPlayLooping);
    EXPECT_EQ(rig.mix(10), std::vector<int16_t>(10, 1030));
    rig.device->setFocused(false);
    EXPECT_EQ(rig.mix(10), std::vector<int16_t>(10, 1000));
    SoundLevels levels;
    levels.muteInBackground = true;
    rig.device->setLevels(levels);
    EXPECT_EQ(rig.mix(10), std::vector<int16_t>(10, 0));
    rig.device->setFocused(true);
    EXPECT_EQ(rig.mix(10), std::vector<int16_t>(10, 1030));
}

TEST(AudioMixer, LevelsRunOnASquaredCurveWithFullAtExactlyOne) {
    EXPECT_EQ(AudioMixer::gainOf(100), 65536);
    EXPECT_EQ(AudioMixer::gainOf(0), 0);
    EXPECT_EQ(AudioMixer::gainOf(50), 16384);
    EXPECT_EQ(AudioMixer::gainOf(150), 65536);
    EXPECT_EQ(AudioMixer::gainOf(-5), 0);
    for (int32_t p = 10; p <= 100; p += 10) EXPECT_GT(AudioMixer::gainOf(p), AudioMixer::gainOf(p - 10));
}

} // namespace
} // namespace vandrel
