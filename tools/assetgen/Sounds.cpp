// Effects and hit sounds: short, with a hard attack, each figure type with a
// voice of its own (chitin pops for the beetles, squawks and chirps for the
// swifts, a pop and a hiss for the balloon, a clang for the gyrocopter).
#include "Sounds.h"

#include <cmath>

namespace vandrel::assetgen {

namespace {
constexpr float twoPi = 6.28318530718f;

Samples silence(float seconds) { return Samples(samplesFor(seconds), 0.0f); }

Samples finish(Samples s, float peak = 0.92f) {
    fadeEdges(s, 0.0005f, 0.02f);
    normalize(s, peak);
    return s;
}

// A bird call: a frequency-modulated glide with a rasp.
Samples chirp(float f0, float f1, float seconds, float rasp, float vibratoHz) {
    Samples out(samplesFor(seconds));
    float phase = 0, mod = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate, k = t / seconds;
        float f = f0 + (f1 - f0) * std::sqrt(k) + 0.04f * f0 * std::sin(twoPi * vibratoHz * t);
        mod += twoPi * f * 1.5f / rate;
        phase += twoPi * f / rate + rasp * std::sin(mod) * 0.5f;
        float env = std::sin(3.14159f * std::min(1.0f, k * 1.15f)) * std::exp(-k * 1.5f);
        out[i] = std::sin(phase) * env;
    }
    return out;
}

// The beetles' crunchy pop, with a sparkle of small chimes on top.
Samples beetleHit(float pitch, uint32_t seed, bool doubleCrack) {
    Samples s = silence(0.38f);
    mixInto(s, noiseBurst(seed, 0.12f, 0.0005f, 0.02f, Biquad::bandPass(1300 * pitch, 1.2f)), 0, 1.2f, false);
    mixInto(s, sweep(900 * pitch, 260 * pitch, 0.09f, 0.14f, 0.001f, 0.05f), 0, 0.7f, false);
    if (doubleCrack) {
        mixInto(s, noiseBurst(seed + 1, 0.08f, 0.0005f, 0.015f, Biquad::bandPass(2200 * pitch, 1.5f)),
                long(samplesFor(0.045f)), 0.9f, false);
    }
    const float chimes[3] = {2637, 3136, 3951};
    for (int i = 0; i < 3; ++i) {
        Samples c = clang(chimes[i] * pitch, 0.25f, {1.0f, 2.01f}, {0.08f, 0.04f});
        mixInto(s, c, long(samplesFor(0.03f + 0.035f * float(i))), 0.22f, false);
    }
    return finish(s);
}

Samples swiftHit(float pitch, bool twoCalls, uint32_t seed) {
    Samples s = silence(0.34f);
    mixInto(s, noiseBurst(seed, 0.05f, 0.0005f, 0.01f, Biquad::highPass(3000)), 0, 0.5f, false);
    mixInto(s, chirp(2100 * pitch, 1300 * pitch, 0.16f, 0.9f, 31), long(samplesFor(0.005f)), 1.0f, false);
    if (twoCalls) mixInto(s, chirp(2500 * pitch, 1700 * pitch, 0.1f, 0.7f, 27), long(samplesFor(0.17f)), 0.8f, false);
    // A puff of feathers.
    mixInto(s, noiseBurst(seed + 3, 0.2f, 0.01f, 0.06f, Biquad::bandPass(5000, 0.8f)), long(samplesFor(0.02f)), 0.35f,
            false);
    return finish(s);
}

Samples balloonHit(float pitch, uint32_t seed) {
    Samples s = silence(0.9f);
    mixInto(s, noiseBurst(seed, 0.15f, 0.0003f, 0.025f, Biquad::lowPass(2500)), 0, 1.3f, false);
    mixInto(s, sweep(140, 60, 0.1f, 0.2f, 0.001f, 0.06f), 0, 0.8f, false);
    // Air rushing out, and the envelope's wobbling whistle.
    Samples hiss = noiseBurst(seed + 1, 0.85f, 0.03f, 0.3f, Biquad::highPass(2500));
    mixInto(s, hiss, long(samplesFor(0.04f)), 0.35f, false);
    Samples whistle(samplesFor(0.7f));
    float phase = 0;
    for (size_t i = 0; i < whistle.size(); ++i) {
        float t = float(i) / rate;
        float f = (900.0f - 600.0f * t / 0.7f) * pitch * (1.0f + 0.06f * std::sin(twoPi * 9.0f * t));
        phase += twoPi * f / rate;
        whistle[i] = std::sin(phase) * std::sin(3.14159f * t / 0.7f) * 0.5f;
    }
    mixInto(s, whistle, long(samplesFor(0.08f)), 0.45f, false);
    return finish(s);
}

Samples gyroHit(float pitch, uint32_t seed, bool sputter) {
    Samples s = silence(0.8f);
    mixInto(s, clang(520 * pitch, 0.7f, {1.0f, 2.76f, 5.4f, 8.93f}, {0.25f, 0.14f, 0.08f, 0.05f}), 0, 0.9f, false);
    mixInto(s, noiseBurst(seed, 0.6f, 0.001f, 0.18f, Biquad::lowPass(700)), 0, 1.4f, false);
    mixInto(s, noiseBurst(seed + 1, 0.05f, 0.0003f, 0.008f, Biquad::highPass(2000)), 0, 0.8f, false);
    if (sputter) {
        Samples e = noiseBurst(seed + 2, 0.45f, 0.01f, 0.2f, Biquad::bandPass(400, 1.0f));
        for (size_t i = 0; i < e.size(); ++i) {
            float t = float(i) / rate;
            e[i] *= 0.5f + 0.5f * std::sin(twoPi * 17.0f * t) > 0.55f ? 1.0f : 0.15f;
        }
        mixInto(s, e, long(samplesFor(0.12f)), 1.2f, false);
    }
    return finish(s);
}
} // namespace

Samples missSound() {
    Samples s = silence(0.62f);
    mixInto(s, noiseBurst(11, 0.2f, 0.0003f, 0.03f, Biquad::highPass(900)), 0, 1.3f, false);
    mixInto(s, sweep(170, 48, 0.08f, 0.25f, 0.0005f, 0.07f), 0, 1.0f, false);
    // The ricochet whine off the rock.
    Samples zing(samplesFor(0.45f));
    float phase = 0;
    for (size_t i = 0; i < zing.size(); ++i) {
        float t = float(i) / rate;
        float f = 3400.0f * std::pow(1300.0f / 3400.0f, t / 0.45f) * (1.0f + 0.02f * std::sin(twoPi * 40 * t));
        phase += twoPi * f / rate;
        zing[i] = std::sin(phase) * decayEnvelope(t, 0.01f, 0.16f);
    }
    mixInto(s, zing, long(samplesFor(0.07f)), 0.32f, false);
    return finish(s);
}

Samples emptySound() {
    Samples s = silence(0.16f);
    mixInto(s, noiseBurst(21, 0.03f, 0.0002f, 0.002f, Biquad::bandPass(3500, 1.0f)), 0, 1.0f, false);
    mixInto(s, clang(3100, 0.08f, {1.0f, 1.71f}, {0.02f, 0.012f}), 0, 0.35f, false);
    mixInto(s, noiseBurst(22, 0.03f, 0.0002f, 0.003f, Biquad::bandPass(1800, 1.2f)), long(samplesFor(0.022f)), 0.7f,
            false);
    return finish(s, 0.8f);
}

Samples reloadSound() {
    Samples s = silence(0.56f);
    // Magazine home: a thud with a metal edge.
    mixInto(s, noiseBurst(31, 0.08f, 0.0003f, 0.012f, Biquad::bandPass(1500, 1.0f)), 0, 1.0f, false);
    mixInto(s, clang(900, 0.12f, {1.0f, 2.3f}, {0.03f, 0.02f}), 0, 0.5f, false);
    // The bolt sliding back.
    Samples slide = noiseBurst(32, 0.17f, 0.05f, 0.2f, Biquad::bandPass(2600, 2.0f));
    fadeEdges(slide, 0.05f, 0.04f);
    mixInto(s, slide, long(samplesFor(0.12f)), 0.55f, false);
    // And forward, locking: two sharp clacks.
    mixInto(s, noiseBurst(33, 0.06f, 0.0002f, 0.008f, Biquad::bandPass(2200, 1.4f)), long(samplesFor(0.31f)), 1.0f,
            false);
    mixInto(s, clang(1400, 0.15f, {1.0f, 2.6f, 4.1f}, {0.05f, 0.03f, 0.02f}), long(samplesFor(0.31f)), 0.4f, false);
    mixInto(s, noiseBurst(34, 0.05f, 0.0002f, 0.006f, Biquad::bandPass(3000, 1.4f)), long(samplesFor(0.39f)), 0.8f,
            false);
    return finish(s, 0.85f);
}

std::array<Samples, 12> hitSounds() {
    return {beetleHit(1.0f, 101, false), beetleHit(0.88f, 102, true), beetleHit(1.45f, 103, false),
            beetleHit(1.3f, 104, true),  swiftHit(1.0f, false, 105),  swiftHit(0.9f, true, 106),
            swiftHit(1.45f, false, 107), swiftHit(1.3f, true, 108),   balloonHit(1.0f, 109),
            balloonHit(0.8f, 110),       gyroHit(1.0f, 111, true),    gyroHit(0.85f, 112, false)};
}

} // namespace vandrel::assetgen
