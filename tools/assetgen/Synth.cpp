// Plain sample-by-sample DSP in single precision; deterministic and fast
// enough that the whole sound set renders in well under a second.
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace vandrel::assetgen {

namespace {
constexpr float twoPi = 6.28318530718f;
}

float midiToHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }

Biquad Biquad::lowPass(float hz, float q) {
    Biquad f;
    float w = twoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0_ = (1 - c) / 2 / a0;
    f.b1_ = (1 - c) / a0;
    f.b2_ = (1 - c) / 2 / a0;
    f.a1_ = -2 * c / a0;
    f.a2_ = (1 - a) / a0;
    return f;
}

Biquad Biquad::highPass(float hz, float q) {
    Biquad f;
    float w = twoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0_ = (1 + c) / 2 / a0;
    f.b1_ = -(1 + c) / a0;
    f.b2_ = (1 + c) / 2 / a0;
    f.a1_ = -2 * c / a0;
    f.a2_ = (1 - a) / a0;
    return f;
}

Biquad Biquad::bandPass(float hz, float q) {
    Biquad f;
    float w = twoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2 * q), a0 = 1 + a;
    f.b0_ = a / a0;
    f.b1_ = 0;
    f.b2_ = -a / a0;
    f.a1_ = -2 * c / a0;
    f.a2_ = (1 - a) / a0;
    return f;
}

float Biquad::run(float x) {
    float y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

float decayEnvelope(float t, float attack, float decay) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}

Samples sweep(float f0, float f1, float sweepSeconds, float seconds, float attack, float decay) {
    Samples out(samplesFor(seconds));
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate;
        float k = std::min(1.0f, t / sweepSeconds);
        float f = f0 * std::pow(f1 / f0, k);
        phase += twoPi * f / rate;
        out[i] = std::sin(phase) * decayEnvelope(t, attack, decay);
    }
    return out;
}

Samples noiseBurst(uint32_t seed, float seconds, float attack, float decay, Biquad filter) {
    Samples out(samplesFor(seconds));
    WhiteNoise noise(seed);
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate;
        out[i] = filter.run(noise.next()) * decayEnvelope(t, attack, decay);
    }
    return out;
}

Samples pluck(float hz, float seconds, float brightness, float sustain, uint32_t seed) {
    Samples out(samplesFor(seconds));
    // The loop delays by the line, half a sample in the averaging filter and a
    // fraction in an allpass, so the string is in tune at any pitch.
    float period = std::max(4.0f, rate / hz - 0.5f);
    size_t length = size_t(period);
    float frac = period - float(length);
    if (frac < 0.1f && length > 3) { // keep the allpass coefficient well inside its range
        --length;
        frac += 1.0f;
    }
    float coef = (1.0f - frac) / (1.0f + frac);
    std::vector<float> line(length);
    WhiteNoise noise(seed);
    // Excitation: noise softened by a one-pole filter; less brightness, rounder tone.
    float prev = 0;
    for (float& v : line) {
        prev = prev + (noise.next() - prev) * brightness;
        v = prev;
    }
    size_t pos = 0;
    float lastOut = 0, apIn = 0, apOut = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float v = line[pos];
        float averaged = 0.5f * (v + lastOut) * sustain;
        lastOut = v;
        float shifted = coef * averaged + apIn - coef * apOut;
        apIn = averaged;
        apOut = shifted;
        line[pos] = shifted;
        pos = (pos + 1) % length;
        out[i] = v;
    }
    fadeEdges(out, 0.001f, 0.03f);
    return out;
}

Samples clang(float hz, float seconds, const std::vector<float>& ratios, const std::vector<float>& decays) {
    Samples out(samplesFor(seconds));
    for (size_t p = 0; p < ratios.size(); ++p) {
        float f = hz * ratios[p], d = decays[p];
        float amp = 1.0f / float(p + 1);
        for (size_t i = 0; i < out.size(); ++i) {
            float t = float(i) / rate;
            out[i] += std::sin(twoPi * f * t) * amp * decayEnvelope(t, 0.001f, d);
        }
    }
    return out;
}

void mixInto(Samples& dst, const Samples& src, long offset, float gain, bool wrap) {
    if (!wrap && offset + long(src.size()) > long(dst.size())) dst.resize(size_t(offset) + src.size(), 0.0f);
    long n = long(dst.size());
    for (size_t i = 0; i < src.size(); ++i) {
        long k = offset + long(i);
        if (wrap) k = ((k % n) + n) % n;
        if (k < 0 || k >= n) continue;
        dst[size_t(k)] += src[i] * gain;
    }
}

void normalize(Samples& s, float peak) {
    float m = 0;
    for (float v : s) m = std::max(m, std::fabs(v));
    if (m <= 0) return;
    for (float& v : s) v *= peak / m;
}

void fadeEdges(Samples& s, float fadeInSeconds, float fadeOutSeconds) {
    size_t in = std::min(s.size(), samplesFor(fadeInSeconds));
    size_t out = std::min(s.size(), samplesFor(fadeOutSeconds));
    for (size_t i = 0; i < in; ++i) s[i] *= float(i) / float(in);
    for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= float(i) / float(out);
}

} // namespace vandrel::assetgen
