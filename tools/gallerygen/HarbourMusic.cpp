// The harbour's night tune: forty-eight bars at 96 beats a minute in D minor,
// two minutes, so a round of the harbour hears it once. A reed organ like a
// far-off accordion carries the tune over a plucked bass, a soft pad, brushes
// and the buoy's bell, with the swell of the water under everything: an intro
// (4 bars), the tune (A, 16), its answer higher up (B, 16), the tune again in
// two voices (A', 8) and an outro (4) that turns back to the intro's chord.
// Every note goes into a buffer of exactly the loop's length, wrapping round
// at the end, the echo runs round the loop until it settles, and the water is
// cross-faded over the seam, so the end runs into the start without a click.
#include "Harbour.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

constexpr float twoPi = 6.28318530718f;
constexpr float beat = 60.0f / float(harbourBpm);
constexpr float bar = 4 * beat;

struct Chord {
    int root; // MIDI note of the root, bass octave
    bool minor;
};
// D minor's chords by name.
constexpr Chord dMinor{38, true}, gMinor{43, true}, bFlat{46, false}, fMajor{41, false}, cMajor{36, false},
    aMajor{45, false};

// The chord of every bar.
const Chord chords[harbourBars] = {
    dMinor, dMinor, bFlat,  aMajor,                                 // the intro
    dMinor, bFlat,  fMajor, cMajor, dMinor, bFlat,  gMinor, aMajor, // A
    dMinor, bFlat,  fMajor, cMajor, dMinor, bFlat,  gMinor, aMajor, // A again
    fMajor, cMajor, dMinor, bFlat,  fMajor, cMajor, gMinor, aMajor, // B
    fMajor, cMajor, dMinor, bFlat,  fMajor, cMajor, gMinor, aMajor, // B again
    dMinor, bFlat,  fMajor, cMajor, gMinor, dMinor, aMajor, aMajor, // A'
    dMinor, bFlat,  gMinor, aMajor,                                 // the outro
};

long at(float seconds) { return long(samplesFor(seconds)); }

bool inScale(int midi) {
    static const bool scale[12] = {true, false, true, false, true, true, false, true, false, true, true, false};
    return scale[((midi % 12) + 12) % 12];
}

bool inChord(int midi, Chord c) {
    const int d = ((midi - c.root) % 12 + 12) % 12;
    return d == 0 || d == 7 || d == (c.minor ? 3 : 4);
}

// The chord tone nearest to target (ties go up).
int nearestChordTone(int target, Chord c) {
    for (int d = 0; d < 12; ++d) {
        if (inChord(target + d, c)) return target + d;
        if (inChord(target - d, c)) return target - d;
    }
    return target;
}

// The scale tone `steps` scale steps from midi.
int scaleStep(int midi, int steps) {
    const int dir = steps < 0 ? -1 : 1;
    for (int k = 0; k != steps; k += dir) {
        midi += dir;
        while (!inScale(midi)) midi += dir;
    }
    return midi;
}

// A reed voice: a few odd-heavy harmonics with a slow vibrato, breathing in
// and out.
Samples reed(int midi, float seconds, float brightness) {
    const float hz = 440.0f * std::pow(2.0f, float(midi - 69) / 12.0f);
    const float release = 0.15f;
    Samples out(samplesFor(seconds + release));
    Biquad tone = Biquad::lowPass(1800 + 1600 * brightness, 0.8f);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = float(i) / rate;
        const float vib = 1.0f + 0.004f * std::sin(twoPi * 5.2f * t) * std::min(1.0f, t / 0.3f);
        phase += double(hz * vib / rate);
        const float p = float(phase - std::floor(phase)) * twoPi;
        float v = 0;
        for (int n = 1; n <= 6; ++n) v += std::sin(p * float(n)) * (n % 2 ? 1.0f : 0.45f) / float(n);
        float env = std::min(1.0f, t / 0.05f) * (0.85f + 0.15f * std::exp(-t * 3));
        if (t > seconds) env *= std::max(0.0f, 1.0f - (t - seconds) / release);
        out[i] = tone.run(v) * env;
    }
    return out;
}

// A soft pad note: a sine and its octave, swelling over the bar.
Samples padNote(int midi, float seconds) {
    const float hz = 440.0f * std::pow(2.0f, float(midi - 69) / 12.0f);
    Samples out(samplesFor(seconds + 0.4f));
    for (size_t i = 0; i < out.size(); ++i) {
        const float t = float(i) / rate;
        float env = std::min(1.0f, t / 0.5f);
        if (t > seconds) env *= std::max(0.0f, 1.0f - (t - seconds) / 0.4f);
        out[i] = (std::sin(twoPi * hz * t) + 0.3f * std::sin(twoPi * hz * 2.003f * t)) * env;
    }
    return out;
}

// The rhythms a bar of the tune may take, as (beat, length) pairs.
struct Step {
    float beat, length;
};
const std::vector<std::vector<Step>> rhythms = {
    {{0, 1.5f}, {1.5f, 0.5f}, {2, 1}, {3, 1}},
    {{0, 1}, {1, 1}, {2, 2}},
    {{0, 2}, {2, 1}, {3, 0.5f}, {3.5f, 0.5f}},
    {{0, 0.5f}, {0.5f, 0.5f}, {1, 1}, {2, 1.5f}, {3.5f, 0.5f}},
    {{0, 3}, {3, 1}},
};

struct Voice {
    int midi;
    float start, length; // in seconds from the loop's start
};

// A phrase of eight bars from firstBar, its notes chosen by seed: strong beats
// take the chord tone nearest the line, the others step along the scale, and
// the last bar rests on a long chord tone.
std::vector<Voice> phrase(int firstBar, int bars, int low, uint32_t seed) {
    Rng rng(seed);
    std::vector<Voice> notes;
    int line = low + 7;
    for (int b = 0; b < bars; ++b) {
        const Chord chord = chords[firstBar + b];
        const bool last = b == bars - 1;
        const std::vector<Step>& rhythm = last ? rhythms[4] : rhythms[size_t(rng.below(int(rhythms.size()) - 1))];
        for (const Step& s : rhythm) {
            const bool strong = s.beat == 0 || s.beat == 2;
            int midi =
                strong ? nearestChordTone(line + rng.below(5) - 2, chord) : scaleStep(line, rng.below(2) ? 1 : -1);
            if (last && s.beat == 0) midi = nearestChordTone(line, chord);
            midi = std::clamp(midi, low, low + 14);
            if (!inScale(midi)) midi = scaleStep(midi, 1);
            notes.push_back({midi, float(firstBar + b) * bar + s.beat * beat, s.length * beat * 0.95f});
            line = midi;
        }
    }
    return notes;
}

// An echo run round the loop until it settles: its tail at the end sounds
// over the start.
Samples loopEcho(const Samples& dry, float delaySeconds, float feedback) {
    const size_t n = dry.size(), d = samplesFor(delaySeconds);
    Samples wet(n, 0.0f);
    for (int pass = 0; pass < 4; ++pass) {
        for (size_t i = 0; i < n; ++i) wet[i] = dry[i] + feedback * wet[(i + n - d) % n];
    }
    return wet;
}

// The water's slow swell: low noise rising and falling twelve times a loop,
// its last second faded over its first.
Samples swell(size_t n) {
    const size_t fade = samplesFor(1.0f);
    Samples raw(n + fade);
    WhiteNoise noise(2024);
    Biquad low = Biquad::lowPass(420, 0.7f), low2 = Biquad::lowPass(420, 0.7f);
    for (size_t i = 0; i < raw.size(); ++i) {
        const float t = float(i) / rate;
        const float wave = 0.55f + 0.45f * std::sin(twoPi * t * 12.0f / (float(n) / rate));
        raw[i] = low2.run(low.run(noise.next())) * wave;
    }
    Samples out(raw.begin(), raw.begin() + long(n));
    for (size_t i = 0; i < fade; ++i) {
        const float k = float(i) / float(fade);
        out[i] = raw[i] * k + raw[n + i] * (1.0f - k);
    }
    return out;
}

} // namespace

Samples harbourMusic() {
    const size_t n = samplesFor(bar * float(harbourBars));
    Samples lead(n, 0.0f), band(n, 0.0f);

    // The tune: A twice the same, B twice with its second time a little
    // different, A' with a harmony a third below.
    std::vector<Voice> tune;
    for (int first : {4, 12}) {
        const std::vector<Voice> a = phrase(first, 8, 62, 7);
        tune.insert(tune.end(), a.begin(), a.end());
    }
    for (int first : {20, 28}) {
        const std::vector<Voice> b = phrase(first, 8, 65, uint32_t(first == 20 ? 19 : 23));
        tune.insert(tune.end(), b.begin(), b.end());
    }
    const std::vector<Voice> again = phrase(36, 8, 62, 7);
    tune.insert(tune.end(), again.begin(), again.end());
    for (const Voice& v : tune) mixInto(lead, reed(v.midi, v.length, 0.6f), at(v.start), 0.22f, true);
    for (const Voice& v : again) {
        const Chord c = chords[int(v.start / bar)];
        mixInto(lead, reed(nearestChordTone(scaleStep(v.midi, -2), c), v.length, 0.3f), at(v.start), 0.13f, true);
    }

    for (int b = 0; b < harbourBars; ++b) {
        const Chord c = chords[b];
        const float t0 = float(b) * bar;
        const bool quiet = b < 4 || b >= 44;
        // The pad: root, third and fifth an octave and a half up.
        for (int k : {0, c.minor ? 3 : 4, 7})
            mixInto(band, padNote(c.root + 24 + k, bar), at(t0), quiet ? 0.07f : 0.05f, true);
        // The bass: root on one, fifth on three, a passing note before the next bar.
        const float bassHz = 440.0f * std::pow(2.0f, float(c.root - 69) / 12.0f);
        mixInto(band, pluck(bassHz, 1.4f, 0.4f, 0.996f, uint32_t(b) * 3 + 1), at(t0), 0.5f, true);
        mixInto(band, pluck(bassHz * 1.4983f, 1.2f, 0.4f, 0.995f, uint32_t(b) * 3 + 2), at(t0 + 2 * beat), 0.38f, true);
        if (!quiet && b % 2 == 1)
            mixInto(band, pluck(bassHz * 1.7818f, 0.6f, 0.4f, 0.994f, uint32_t(b) * 3 + 3), at(t0 + 3.5f * beat), 0.3f,
                    true);
        // Brushes on the eighths, leaning on two and four.
        if (!quiet) {
            for (int e = 0; e < 8; ++e) {
                const float gain = (e == 2 || e == 6) ? 0.09f : (e % 2 ? 0.035f : 0.05f);
                mixInto(band, noiseBurst(uint32_t(b * 8 + e) + 500, 0.12f, 0.002f, 0.04f, Biquad::highPass(5000)),
                        at(t0 + float(e) * beat / 2), gain, true);
            }
        }
        // The buoy's bell every fourth bar, answered an octave down.
        if (b % 4 == 0) {
            mixInto(band, clang(587.33f, 3.0f, {1.0f, 2.0f, 2.76f, 5.4f}, {1.2f, 0.8f, 0.5f, 0.2f}), at(t0), 0.1f,
                    true);
            if (quiet)
                mixInto(band, clang(293.66f, 3.0f, {1.0f, 2.0f, 3.0f}, {1.4f, 0.7f, 0.3f}), at(t0 + 2 * beat), 0.08f,
                        true);
        }
    }

    Samples music = loopEcho(lead, beat * 0.75f, 0.32f);
    mixInto(music, band, 0, 1.0f, true);
    mixInto(music, swell(n), 0, 0.5f, true);
    // Room above it for the loudest effect (see the sounds).
    normalize(music, 0.4f);
    return music;
}

} // namespace vandrel::gallerygen
