// The mixer's levels, focus rule and limiter, heard through the headless
// output: what the player's settings do to the sound, and that the loudest
// sum never reaches full scale while one that fits is passed on untouched.
#include "audio/AudioMixer.h"
#include "audio/AudioDevice.h"
#include "audio/AudioLimiter.h"
#include "backends/null/NullAudio.h"
#include "support/AudioRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// The game's effects peak at 0.92 of full scale, like this burst: a tone that
// dies away, with a little noise on it.
std::vector<int16_t> shot(uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> rasp(-0.2, 0.2);
    std::vector<double> wave(16000);
    double peak = 0;
    for (size_t i = 0; i < wave.size(); ++i) {
        wave[i] = (std::sin(i * 0.09 + seed) + rasp(random)) * std::exp(-static_cast<double>(i) / 4000.0);
        peak = std::max(peak, std::abs(wave[i]));
    }
    std::vector<int16_t> out(wave.size());
    for (size_t i = 0; i < wave.size(); ++i) out[i] = static_cast<int16_t>(std::lround(wave[i] / peak * 30146));
    return out;
}

std::vector<int16_t> sine(size_t n, double amplitude, double period) {
    std::vector<int16_t> out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(i * 6.283185 / period)));
    return out;
}

TEST(AudioMixer, WhatFitsInSixteenBitsPassesSampleForSample) {
    Rig rig;
    // One effect alone, as loud as the game's are.
    const std::vector<int16_t> effect = shot(1);
    ASSERT_EQ(*std::max_element(effect.begin(), effect.end()), 30146);
    auto e = rig.buffer(effect, false);
    e->play(0);
    EXPECT_EQ(rig.mix(16000), effect);

    // Music alone, touching both ends of the 16 bits.
    std::vector<int16_t> music = noise(44100, 32767, 1);
    music[100] = 32767;
    music[200] = -32768;
    auto m = rig.buffer(music, true);
    m->play(audioPlayLooping);
    EXPECT_EQ(rig.mix(44100), music);

    // Effects over the music, their sum up to full scale but not beyond.
    m->stop();
    std::vector<int16_t> quiet = noise(44100, 20000, 3);
    std::vector<int16_t> over = noise(1000, 12767, 4);
    quiet[5] = 20000;
    over[5] = 12767;
    quiet[6] = -20000;
    over[6] = -12768;
    auto q = rig.buffer(quiet, true);
    auto o = rig.buffer(over, false);
    q->play(audioPlayLooping);
    o->play(0);
    const std::vector<int16_t> mixed = rig.mix(1000);
    for (size_t i = 0; i < 1000; ++i) ASSERT_EQ(mixed[i], quiet[i] + over[i]) << i;
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
        ASSERT_LE(out[i], AudioLimiter::ceiling) << i;
        ASSERT_GE(out[i], -AudioLimiter::ceiling) << i;
        // The sum is far beyond 16 bits; its sign comes through (no wrap).
        const size_t phase = i % 4410;
        if (phase < 50) {
            ASSERT_GT(out[i], 0) << i;
        } else if (phase < 100) {
            ASSERT_LT(out[i], 0) << i;
        }
    }
    // Where the sum is loud all the time, the output stays loud: limited, not silenced.
    EXPECT_EQ(*std::max_element(out.begin() + 40000, out.end()), AudioLimiter::ceiling);
}

TEST(AudioMixer, OnlyTheHalfWavesBeyondFullScaleAreTurnedDown) {
    Rig rig;
    // Two effects summing to a wave of 48000 for two periods, over music of 20000.
    const std::vector<int16_t> music = sine(44100, 20000, 100);
    const std::vector<int16_t> effect = sine(200, 14000, 100);
    auto m = rig.buffer(music, true);
    auto a = rig.buffer(effect, false);
    auto b = rig.buffer(effect, false);
    m->play(audioPlayLooping);
    a->play(0);
    b->play(0);
    const std::vector<int16_t> out = rig.mix(1000);
    // Each loud half-wave keeps its shape, its peak on the ceiling.
    for (size_t half = 0; half < 4; ++half) {
        const auto begin = out.begin() + half * 50 + 1;
        EXPECT_EQ(*std::max_element(begin, begin + 49, [](int16_t x, int16_t y) { return std::abs(x) < std::abs(y); }) *
                      (half % 2 ? -1 : 1),
                  AudioLimiter::ceiling)
            << half;
        for (size_t i = half * 50; i < half * 50 + 50; ++i)
            ASSERT_NEAR(out[i], (music[i] + 2 * effect[i]) * AudioLimiter::ceiling / 48000.0, 1.0) << i;
    }
    // The music after them is exact at once: nothing is held down.
    for (size_t i = 200; i < 1000; ++i) ASSERT_EQ(out[i], music[i]) << i;
}

TEST(AudioMixer, ALoudHalfWaveKeepsItsGainIntoTheNextBlockButNoLongerThanItRuns) {
    Rig rig;
    auto loud = rig.buffer({20000, 20000, 20000, 20000, 20000, 20000, -100}, false);
    auto more = rig.buffer({20000, 20000, 20000}, false);
    loud->play(0);
    more->play(0);
    EXPECT_EQ(rig.mix(3), (std::vector<int16_t>{32000, 32000, 32000}));
    EXPECT_EQ(rig.mix(4), (std::vector<int16_t>{16000, 16000, 16000, -100}));

    // A sum that stays on one side of zero is limited in pieces: a moment of
    // 48000 holds down the 20000 after it for a piece at most.
    std::vector<int16_t> level(4 * AudioLimiter::longestRun, 20000);
    auto steady = rig.buffer(level, true);
    auto knock = rig.buffer({28000, 0}, false);
    steady->play(0);
    knock->play(0);
    const std::vector<int16_t> out = rig.mix(static_cast<uint32_t>(level.size()));
    EXPECT_EQ(out[0], 32000);
    EXPECT_EQ(out[1], 13333);
    for (size_t i = AudioLimiter::longestRun; i < level.size(); ++i) ASSERT_EQ(out[i], 20000) << i;
}

TEST(AudioMixer, TwentyShotsOverTheMusicNeverReachFullScale) {
    Rig rig;
    const std::vector<int16_t> music = noise(44100, 12000, 7);
    auto m = rig.buffer(music, true);
    m->play(audioPlayLooping);
    // Twenty shots, a new one every 20 ms while the others still sound.
    std::vector<std::vector<int16_t>> sounds;
    std::vector<std::unique_ptr<AudioBuffer>> shots;
    std::vector<int16_t> out;
    for (uint32_t k = 0; k < 20; ++k) {
        sounds.push_back(shot(k + 10));
        shots.push_back(rig.buffer(sounds.back(), false));
        shots.back()->play(0);
        const std::vector<int16_t> part = rig.mix(882);
        out.insert(out.end(), part.begin(), part.end());
    }
    const std::vector<int16_t> rest = rig.mix(44100 - 20 * 882);
    out.insert(out.end(), rest.begin(), rest.end());

    std::vector<int64_t> sum(out.size());
    for (size_t i = 0; i < out.size(); ++i) {
        sum[i] = music[i];
        for (size_t k = 0; k < sounds.size(); ++k)
            if (i >= k * 882 && i - k * 882 < sounds[k].size()) sum[i] += sounds[k][i - k * 882];
    }
    size_t limited = 0;
    size_t lastLoud = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        // Nothing at full scale; a limited sample at most at the ceiling,
        // quieter than the sum and never of the other sign.
        ASSERT_NE(out[i], 32767) << i;
        ASSERT_NE(out[i], -32768) << i;
        if (out[i] == sum[i]) continue;
        ++limited;
        ASSERT_LE(std::abs(out[i]), AudioLimiter::ceiling) << i;
        ASSERT_LT(std::abs(out[i]), std::abs(sum[i])) << i;
        ASSERT_GE(out[i] * sum[i], 0) << i;
    }
    for (size_t i = 0; i < out.size(); ++i)
        if (std::abs(sum[i]) > 32767) lastLoud = i;
    EXPECT_GT(limited, 500u) << "the scene should need the limiter";
    // Once the shots have died away below full scale, the sum comes out exact
    // from its next zero crossing on.
    ASSERT_GT(lastLoud, 0u);
    size_t next = lastLoud + 1;
    while (next < sum.size() && (sum[next] > 0) == (sum[lastLoud] > 0) && sum[next] != 0) ++next;
    ASSERT_LT(next, lastLoud + 100);
    for (size_t i = next; i < out.size(); ++i) ASSERT_EQ(out[i], sum[i]) << i;
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
