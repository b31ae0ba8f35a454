// The harbour's sounds: a voice for each figure (the gulls' squawk, the bat's
// squeak, the owl's hoot, the lantern's paper pop, wood and water for the
// rowing boat, iron and steam for the tug, a cold bell chord for the ghost
// ship), a shot that ends in the water, and the night tune.
#include "Harbour.h"

#include "Sounds.h"

#include <cmath>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

constexpr float twoPi = 6.28318530718f;

Samples silence(float seconds) { return Samples(samplesFor(seconds), 0.0f); }

// The effects peak well below full scale: the mixer adds them to the music
// at full level, and together they must still fit.
constexpr float effectPeak = 0.55f;

Samples finish(Samples s, float peak = effectPeak) {
    fadeEdges(s, 0.0005f, 0.03f);
    normalize(s, peak);
    return s;
}

long at(float seconds) { return long(samplesFor(seconds)); }

// A harsh call gliding from f0 to f1: a pulse-rich tone through a formant.
Samples squawk(float f0, float f1, float seconds, uint32_t seed) {
    Samples out(samplesFor(seconds));
    Biquad formant = Biquad::bandPass(f0 * 2.2f, 2.0f);
    WhiteNoise noise(seed);
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const float k = float(i) / float(out.size());
        const float f = f0 + (f1 - f0) * k * k;
        phase += f / rate;
        phase -= std::floor(phase);
        const float pulse = phase < 0.3f ? 1.0f : -0.4f;
        const float env = std::sin(3.14159f * std::min(1.0f, k * 1.2f)) * (1.0f - k * 0.5f);
        out[i] = formant.run(pulse + noise.next() * 0.3f) * env;
    }
    return out;
}

// A soft sine with a breathy onset: the owl's note.
Samples hoot(float hz, float seconds, uint32_t seed) {
    Samples out(samplesFor(seconds));
    WhiteNoise noise(seed);
    Biquad breath = Biquad::bandPass(hz * 3, 3.0f);
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = float(i) / rate, k = t / seconds;
        const float f = hz * (1.0f + 0.06f * std::sin(3.14159f * k));
        const float env = std::min(1.0f, t / 0.04f) * std::exp(-k * 2.0f) * std::min(1.0f, (seconds - t) / 0.03f);
        out[i] = (std::sin(twoPi * f * t) + breath.run(noise.next()) * 0.4f) * env;
    }
    return out;
}

Samples gullHit(float pitch, uint32_t seed) {
    Samples s = silence(0.45f);
    mixInto(s, noiseBurst(seed, 0.06f, 0.0005f, 0.015f, Biquad::highPass(2500)), 0, 0.6f, false);
    mixInto(s, squawk(900 * pitch, 620 * pitch, 0.22f, seed), at(0.01f), 1.0f, false);
    mixInto(s, squawk(1000 * pitch, 700 * pitch, 0.14f, seed + 1), at(0.25f), 0.7f, false);
    mixInto(s, noiseBurst(seed + 2, 0.25f, 0.01f, 0.08f, Biquad::bandPass(5000, 0.8f)), at(0.03f), 0.3f, false);
    return finish(s);
}

Samples batHit() {
    Samples s = silence(0.3f);
    for (int k = 0; k < 3; ++k)
        mixInto(s, sweep(5200 - 500 * float(k), 3600, 0.04f, 0.06f, 0.001f, 0.02f), at(0.07f * float(k)), 0.8f, false);
    mixInto(s, noiseBurst(41, 0.05f, 0.0005f, 0.01f, Biquad::bandPass(3000, 1.0f)), 0, 0.6f, false);
    return finish(s);
}

Samples owlHit() {
    Samples s = silence(0.7f);
    mixInto(s, noiseBurst(51, 0.12f, 0.002f, 0.04f, Biquad::bandPass(2500, 0.7f)), 0, 0.5f, false);
    mixInto(s, hoot(420, 0.22f, 52), at(0.02f), 1.0f, false);
    mixInto(s, hoot(380, 0.32f, 53), at(0.3f), 0.8f, false);
    return finish(s);
}

Samples lanternHit() {
    Samples s = silence(0.6f);
    mixInto(s, noiseBurst(61, 0.05f, 0.0003f, 0.008f, Biquad::bandPass(1800, 1.4f)), 0, 1.0f, false);
    // The flame flaring up: a rushing noise that swells and fades.
    Samples whoosh = noiseBurst(62, 0.5f, 0.08f, 0.18f, Biquad::lowPass(1400));
    mixInto(s, whoosh, at(0.02f), 0.8f, false);
    mixInto(s, clang(1568, 0.4f, {1.0f, 2.76f}, {0.12f, 0.05f}), at(0.05f), 0.25f, false);
    return finish(s);
}

Samples rowboatHit() {
    Samples s = silence(0.7f);
    mixInto(s, sweep(320, 110, 0.05f, 0.18f, 0.001f, 0.05f), 0, 1.0f, false);
    mixInto(s, noiseBurst(71, 0.04f, 0.0005f, 0.01f, Biquad::bandPass(900, 2.0f)), 0, 0.8f, false);
    // The splash that follows.
    mixInto(s, noiseBurst(72, 0.45f, 0.02f, 0.14f, Biquad::bandPass(1600, 0.6f)), at(0.1f), 0.7f, false);
    return finish(s);
}

Samples tugHit() {
    Samples s = silence(0.8f);
    mixInto(s, clang(220, 0.7f, {1.0f, 2.32f, 4.25f, 6.63f}, {0.3f, 0.2f, 0.1f, 0.06f}), 0, 1.0f, false);
    mixInto(s, noiseBurst(81, 0.03f, 0.0003f, 0.008f, Biquad::highPass(1500)), 0, 0.7f, false);
    mixInto(s, noiseBurst(82, 0.5f, 0.03f, 0.2f, Biquad::highPass(3500)), at(0.12f), 0.35f, false);
    return finish(s);
}

Samples ghostShipHit() {
    Samples s = silence(1.6f);
    for (float hz : {293.66f, 349.23f, 440.0f, 554.37f})
        mixInto(s, clang(hz, 1.5f, {1.0f, 2.0f, 3.01f}, {0.9f, 0.5f, 0.25f}), at(0.03f), 0.5f, false);
    // A falling, airy sigh under the chord.
    Samples sigh(samplesFor(1.2f));
    WhiteNoise noise(91);
    Biquad band = Biquad::bandPass(1200, 4.0f);
    for (size_t i = 0; i < sigh.size(); ++i) {
        const float k = float(i) / float(sigh.size());
        sigh[i] = band.run(noise.next()) * std::sin(3.14159f * k) * 1.5f;
    }
    mixInto(s, sigh, at(0.1f), 0.6f, false);
    mixInto(s, noiseBurst(92, 0.06f, 0.0005f, 0.02f, Biquad::bandPass(2000, 1.0f)), 0, 0.6f, false);
    return finish(s);
}

// A shot that finds only water: the crack and a small plop.
Samples waterMiss() {
    Samples s = silence(0.5f);
    mixInto(s, noiseBurst(101, 0.06f, 0.0003f, 0.012f, Biquad::highPass(1200)), 0, 1.0f, false);
    mixInto(s, sweep(700, 1400, 0.04f, 0.08f, 0.002f, 0.03f), at(0.16f), 0.6f, false);
    mixInto(s, noiseBurst(102, 0.2f, 0.005f, 0.06f, Biquad::bandPass(2500, 1.0f)), at(0.17f), 0.4f, false);
    return finish(s, effectPeak * 0.9f);
}

} // namespace

HarbourSounds makeHarbourSounds() {
    HarbourSounds s;
    s.miss = waterMiss();
    s.empty = emptySound();
    normalize(s.empty, effectPeak);
    s.reload = reloadSound();
    normalize(s.reload, effectPeak);
    s.music = harbourMusic();
    s.hits = {{"gull", gullHit(1.0f, 11)}, {"gull-far", gullHit(1.35f, 21)}, {"bat", batHit()},
              {"owl", owlHit()},           {"lantern", lanternHit()},        {"rowboat", rowboatHit()},
              {"tug", tugHit()},           {"ghost-ship", ghostShipHit()}};
    return s;
}

} // namespace vandrel::gallerygen
