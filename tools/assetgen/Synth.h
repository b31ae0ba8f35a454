// Small building blocks for the game's sounds: oscillators, noise, filters,
// envelopes, plucked strings, and mixing into a buffer (optionally wrapping
// round, which is how the music is made to loop without a seam).
#pragma once
#include "Noise.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vandrel::assetgen {

using Samples = std::vector<float>;

constexpr float rate = 44100.0f;

inline size_t samplesFor(float seconds) { return size_t(seconds * rate + 0.5f); }
float midiToHz(float note);

// Biquad filter (RBJ cookbook forms).
class Biquad {
public:
    static Biquad lowPass(float hz, float q = 0.707f);
    static Biquad highPass(float hz, float q = 0.707f);
    static Biquad bandPass(float hz, float q);
    float run(float x);

private:
    float b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    float x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Exponential decay with a short linear attack; time in seconds.
float decayEnvelope(float t, float attack, float decay);

// White noise in [-1, 1] with its own deterministic generator.
class WhiteNoise {
public:
    explicit WhiteNoise(uint32_t seed) : rng_(seed) {}
    float next() { return rng_.uniform() * 2.0f - 1.0f; }

private:
    Rng rng_;
};

// A sine sweeping exponentially from f0 to f1 over sweepSeconds, decaying.
Samples sweep(float f0, float f1, float sweepSeconds, float seconds, float attack, float decay);
// Filtered noise burst.
Samples noiseBurst(uint32_t seed, float seconds, float attack, float decay, Biquad filter);
// Karplus-Strong plucked string.
Samples pluck(float hz, float seconds, float brightness, float sustain, uint32_t seed);
// A bell-like tone of inharmonic partials (ratios and relative decays).
Samples clang(float hz, float seconds, const std::vector<float>& ratios, const std::vector<float>& decays);

// Adds src * gain into dst at offset; wraps round the end of dst when wrap is set,
// otherwise grows dst as needed.
void mixInto(Samples& dst, const Samples& src, long offset, float gain, bool wrap);
void normalize(Samples& s, float peak);
void fadeEdges(Samples& s, float fadeInSeconds, float fadeOutSeconds);

} // namespace vandrel::assetgen
