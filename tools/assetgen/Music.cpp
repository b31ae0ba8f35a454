// The canyon tune: sixty-four bars at 120 beats per minute in A minor, a
// little over two minutes, so a round hears it once. Its form: an intro on
// guitar and pad, the whistled theme (A), a song in the relative major led by
// the guitar's twang (B), a quiet bridge under a long echo, the theme again
// with its harmony all through (A'), and a short outro that leads back into
// the intro. Every note is mixed into a buffer of exactly the loop's length,
// wrapping round at the end, and the echo is run over two passes, so the last
// bar flows into the first without a seam.
#include "Sounds.h"

#include <algorithm>
#include <cmath>

namespace vandrel::assetgen {

namespace {
constexpr float twoPi = 6.28318530718f;
constexpr float beatSeconds = 60.0f / float(musicBpm);

struct Note {
    int bar;
    float beat, length;
    int midi;
};

// Chords as root note and minor/major quality, one per bar.
struct Chord {
    int root; // MIDI note of the root in the bass octave
    bool minor;
};
const Chord themeChords[16] = {{45, true},  {45, true},  {41, false}, {43, false}, {45, true},  {45, true},
                               {41, false}, {40, false}, {38, true},  {45, true},  {41, false}, {36, false},
                               {38, true},  {45, true},  {40, false}, {40, false}};

const Note theme[] = {
    // A: the whistled theme.
    {0, 0, 1.5f, 76},
    {0, 1.5f, 0.5f, 74},
    {0, 2, 1, 72},
    {0, 3, 1, 69},
    {1, 0, 3, 76},
    {1, 3, 0.5f, 74},
    {1, 3.5f, 0.5f, 76},
    {2, 0, 1.5f, 77},
    {2, 1.5f, 0.5f, 76},
    {2, 2, 1, 74},
    {2, 3, 1, 72},
    {3, 0, 2, 74},
    {3, 2, 1, 71},
    {3, 3, 1, 67},
    {4, 0, 1.5f, 69},
    {4, 1.5f, 0.5f, 72},
    {4, 2, 1, 76},
    {4, 3, 1, 81},
    {5, 0, 2, 79},
    {5, 2, 1, 76},
    {5, 3, 1, 72},
    {6, 0, 1.5f, 74},
    {6, 1.5f, 0.5f, 72},
    {6, 2, 1, 71},
    {6, 3, 1, 72},
    {7, 0, 3, 71},
    {7, 3, 1, 68},
    // B: higher, busier, answered by the twang.
    {8, 0, 1, 81},
    {8, 1, 0.5f, 77},
    {8, 1.5f, 0.5f, 79},
    {8, 2, 1, 81},
    {8, 3, 1, 74},
    {9, 0, 1.5f, 76},
    {9, 1.5f, 0.5f, 77},
    {9, 2, 1, 76},
    {9, 3, 1, 72},
    {10, 0, 1, 72},
    {10, 1, 1, 77},
    {10, 2, 1, 81},
    {10, 3, 0.5f, 79},
    {10, 3.5f, 0.5f, 77},
    {11, 0, 2, 79},
    {11, 2, 1, 76},
    {11, 3, 1, 72},
    {12, 0, 1, 74},
    {12, 1, 0.5f, 77},
    {12, 1.5f, 0.5f, 81},
    {12, 2, 1.5f, 86},
    {12, 3.5f, 0.5f, 84},
    {13, 0, 1.5f, 81},
    {13, 1.5f, 0.5f, 79},
    {13, 2, 1, 76},
    {13, 3, 1, 72},
    {14, 0, 1, 71},
    {14, 1, 1, 74},
    {14, 2, 1, 80},
    {14, 3, 1, 83},
    {15, 0, 2, 80},
    {15, 2, 1, 76},
    {15, 3, 1, 74},
};

// B: the song over F C G Am | F C Dm E, twice; the second time ends higher.
const Chord songChords[8] = {{41, false}, {36, false}, {43, false}, {45, true},
                             {41, false}, {36, false}, {38, true},  {40, false}};
const Note song[] = {
    {0, 0, 1.5f, 77}, {0, 1.5f, 0.5f, 76}, {0, 2, 1, 74},       {0, 3, 1, 72},       {1, 0, 2, 76},       {1, 2, 1, 72},
    {1, 3, 1, 67},    {2, 0, 1.5f, 74},    {2, 1.5f, 0.5f, 72}, {2, 2, 1, 71},       {2, 3, 1, 67},       {3, 0, 3, 69},
    {3, 3, 1, 72},    {4, 0, 1, 77},       {4, 1, 1, 81},       {4, 2, 1.5f, 79},    {4, 3.5f, 0.5f, 77}, {5, 0, 2, 76},
    {5, 2, 1, 79},    {5, 3, 1, 84},       {6, 0, 1.5f, 81},    {6, 1.5f, 0.5f, 77}, {6, 2, 1, 74},       {6, 3, 1, 77},
    {7, 0, 3, 76},    {7, 3, 1, 71},
};
// The bridge: long notes over Dm Am Dm E | F G E E.
const Chord bridgeChords[8] = {{38, true},  {45, true},  {38, true},  {40, false},
                               {41, false}, {43, false}, {40, false}, {40, false}};
const Note bridge[] = {
    {0, 0, 3, 77}, {0, 3, 1, 76}, {1, 0, 4, 72}, {2, 0, 2, 74}, {2, 2, 2, 77}, {3, 0, 3, 71}, {3, 3, 1, 68},
    {4, 0, 4, 72}, {5, 0, 2, 74}, {5, 2, 2, 71}, {6, 0, 4, 68}, {7, 0, 2, 71}, {7, 2, 2, 76},
};
// Intro Am Am F E and outro Am F Dm E, which leads back into the intro.
const Chord introChords[4] = {{45, true}, {45, true}, {41, false}, {40, false}};
const Chord outroChords[4] = {{45, true}, {41, false}, {38, true}, {40, false}};

enum class Part { Intro, Theme, Song, Bridge, Return, Outro };
struct Section {
    Part part;
    int firstBar, bars;
};
const Section form[] = {{Part::Intro, 0, 4},   {Part::Theme, 4, 16},   {Part::Song, 20, 16},
                        {Part::Bridge, 36, 8}, {Part::Return, 44, 16}, {Part::Outro, 60, 4}};

const Section& sectionOf(int bar) {
    for (const Section& s : form) {
        if (bar < s.firstBar + s.bars) return s;
    }
    return form[0];
}

Chord chordOf(int bar) {
    const Section& s = sectionOf(bar);
    const int i = bar - s.firstBar;
    switch (s.part) {
    case Part::Intro: return introChords[i];
    case Part::Theme:
    case Part::Return: return themeChords[i];
    case Part::Song: return songChords[i % 8];
    case Part::Bridge: return bridgeChords[i];
    case Part::Outro: return outroChords[i];
    }
    return introChords[0];
}

// A diatonic third below a melody note in A minor, with the raised seventh
// (G sharp) over the E major chord, as two voices in a western duet sing it.
int thirdBelow(int midi, const Chord& chord) {
    static const int scale[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int pc = midi % 12 == 8 ? 7 : midi % 12;
    int idx = 0;
    while (idx < 7 && scale[idx] != pc) ++idx;
    int target = scale[(idx + 5) % 7];
    int note = midi - ((midi % 12 - target + 12) % 12);
    if (note % 12 == 7 && chord.root % 12 == 4) note += 1;
    return note;
}

long at(int bar, float beat) { return long(std::lround((float(bar) * 4.0f + beat) * beatSeconds * rate)); }

Samples whistle(float hz, float seconds) {
    Samples out(samplesFor(seconds + 0.12f));
    WhiteNoise breath(uint32_t(hz * 10));
    Biquad air = Biquad::bandPass(hz, 6.0f);
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate;
        float vib = std::min(1.0f, t / 0.25f) * 0.007f * std::sin(twoPi * 5.5f * t);
        float glide = t < 0.04f ? (1.0f - 0.03f * (1.0f - t / 0.04f)) : 1.0f; // a small scoop into the note
        phase += twoPi * hz * glide * (1.0f + vib) / rate;
        float env = std::min(1.0f, t / 0.03f) * (t < seconds ? 1.0f : std::exp(-(t - seconds) / 0.04f));
        out[i] = (std::sin(phase) + 0.08f * std::sin(2 * phase) + 0.25f * air.run(breath.next())) * env;
    }
    return out;
}

Samples bass(float hz, float seconds) {
    Samples out(samplesFor(seconds + 0.05f));
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate;
        phase += twoPi * hz / rate;
        float env = decayEnvelope(t, 0.004f, 0.5f) * (t < seconds ? 1.0f : std::exp(-(t - seconds) / 0.02f));
        float tone = std::sin(phase) + 0.35f * std::sin(2 * phase) * std::exp(-t / 0.12f) + 0.12f * std::sin(3 * phase);
        out[i] = tone * env;
    }
    return out;
}

Samples pad(const int notes[3], float seconds) {
    Samples out(samplesFor(seconds));
    Biquad soft = Biquad::lowPass(1100, 0.6f);
    float phases[6] = {};
    for (size_t i = 0; i < out.size(); ++i) {
        float t = float(i) / rate;
        float v = 0;
        for (int k = 0; k < 6; ++k) {
            float hz = midiToHz(float(notes[k % 3])) * (k < 3 ? 1.0f : 1.004f);
            phases[k] += hz / rate;
            phases[k] -= std::floor(phases[k]);
            v += phases[k] * 2.0f - 1.0f; // saw
        }
        float env = std::min(1.0f, t / 0.3f) * std::min(1.0f, (seconds - t) / 0.3f);
        out[i] = soft.run(v) * env;
    }
    return out;
}

Samples kick() {
    Samples s = sweep(150, 46, 0.07f, 0.32f, 0.001f, 0.14f);
    mixInto(s, noiseBurst(501, 0.01f, 0.0002f, 0.002f, Biquad::lowPass(3000)), 0, 0.4f, false);
    return s;
}

Samples snare(uint32_t seed) {
    Samples s = noiseBurst(seed, 0.22f, 0.0005f, 0.06f, Biquad::bandPass(1900, 0.7f));
    mixInto(s, sweep(220, 180, 0.03f, 0.12f, 0.001f, 0.04f), 0, 0.7f, false);
    return s;
}

Samples hat(uint32_t seed, float decay) { return noiseBurst(seed, 0.12f, 0.0003f, decay, Biquad::highPass(7500)); }

Samples tom(float hz) { return sweep(hz, hz * 0.6f, 0.15f, 0.3f, 0.001f, 0.12f); }

// Schroeder echo run over the loop twice, keeping the second pass, so the
// echo of the last bar sounds over the first.
Samples canyonEcho(const Samples& dry) {
    const size_t combLen[4] = {1557, 1617, 1491, 1422};
    const size_t allLen[2] = {556, 225};
    std::vector<std::vector<float>> combs, alls;
    for (size_t n : combLen) combs.emplace_back(n, 0.0f);
    for (size_t n : allLen) alls.emplace_back(n, 0.0f);
    size_t combPos[4] = {}, allPos[2] = {};
    Samples wet(dry.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < dry.size(); ++i) {
            float x = dry[i] * 0.25f, y = 0;
            for (int k = 0; k < 4; ++k) {
                float v = combs[size_t(k)][combPos[k]];
                combs[size_t(k)][combPos[k]] = x + v * 0.8f;
                combPos[k] = (combPos[k] + 1) % combLen[k];
                y += v;
            }
            for (int k = 0; k < 2; ++k) {
                float v = alls[size_t(k)][allPos[k]];
                float o = -y * 0.5f + v;
                alls[size_t(k)][allPos[k]] = y + v * 0.5f;
                allPos[k] = (allPos[k] + 1) % allLen[k];
                y = o;
            }
            if (pass == 1) wet[i] = y;
        }
    }
    return wet;
}

// The melodies of the form, each voice as the section wants it.
void playMelodies(Samples& lead) {
    auto whistleAt = [&](int bar, const Note& n, int midi, float gain) {
        mixInto(lead, whistle(midiToHz(float(midi)), n.length * beatSeconds * 0.92f), at(bar, n.beat), gain, true);
    };
    auto twangAt = [&](int bar, const Note& n, int midi, float gain) {
        mixInto(
            lead,
            pluck(midiToHz(float(midi)), n.length * beatSeconds * 0.92f + 0.4f, 0.6f, 0.996f, uint32_t(midi * 7 + bar)),
            at(bar, n.beat), gain, true);
    };
    for (const Section& s : form) {
        if (s.part == Part::Theme || s.part == Part::Return) {
            const bool again = s.part == Part::Return;
            for (const Note& n : theme) {
                const int bar = s.firstBar + n.bar;
                const bool answer = n.bar >= 8;
                whistleAt(bar, n, n.midi, answer ? 0.17f : 0.22f);
                // The harmony voice joins in the second half of each phrase, and all through the return.
                if (again || n.bar % 8 >= 4) whistleAt(bar, n, thirdBelow(n.midi, themeChords[n.bar]), 0.11f);
                if (answer)
                    twangAt(bar, n, n.midi, 0.32f);
                else if (again)
                    twangAt(bar, n, n.midi - 12, 0.22f);
            }
        } else if (s.part == Part::Song) {
            for (int pass = 0; pass < 2; ++pass) {
                for (const Note& n : song) {
                    const int bar = s.firstBar + pass * 8 + n.bar;
                    // The second pass lifts its last note to the fifth above.
                    const int midi = pass == 1 && n.bar == 7 && n.beat == 3 ? 83 : n.midi;
                    twangAt(bar, n, midi, 0.34f);
                    if (pass == 1) whistleAt(bar, n, thirdBelow(midi, songChords[n.bar]), 0.1f);
                }
            }
        } else if (s.part == Part::Bridge) {
            for (const Note& n : bridge) whistleAt(s.firstBar + n.bar, n, n.midi, 0.16f);
        }
    }
}

// Bass, guitar and pad through every bar, quieter and sparser outside the
// full sections.
void playBand(Samples& band) {
    for (int bar = 0; bar < musicBars; ++bar) {
        const Part part = sectionOf(bar).part;
        const bool full = part == Part::Theme || part == Part::Song || part == Part::Return;
        const Chord c = chordOf(bar);
        int third = c.root + (c.minor ? 3 : 4), fifth = c.root + 7;
        const Chord next = chordOf((bar + 1) % musicBars);
        int approach = next.root + ((next.root > c.root) ? -1 : 2);
        struct Step {
            float beat, len;
            int note;
        };
        // Full: root, fifth on the and of two, octave, a step toward the next bar.
        const Step walking[] = {
            {0, 1.2f, c.root}, {1.5f, 0.5f, fifth}, {2, 1.0f, c.root + 12}, {3, 0.5f, fifth}, {3.5f, 0.5f, approach}};
        const Step held[] = {{0, 1.8f, c.root}, {2, 1.8f, c.root}};
        const Step* line = full ? walking : held;
        const int steps = full ? 5 : 2;
        for (int i = 0; i < steps; ++i) {
            int note = line[i].note;
            while (note > 52) note -= 12;
            mixInto(band, bass(midiToHz(float(note)), line[i].len * beatSeconds), at(bar, line[i].beat),
                    full ? 0.38f : 0.3f, true);
        }
        // Guitar: eighth-note picking through the chord; quarters in the bridge.
        const int arp[8] = {c.root + 12, fifth + 12, third + 24, fifth + 12,
                            c.root + 24, fifth + 12, third + 24, fifth + 24};
        for (int i = 0; i < 8; ++i) {
            if (part == Part::Bridge && i % 2 == 1) continue;
            float accent = (i % 2 == 0) ? 1.0f : 0.7f;
            mixInto(band, pluck(midiToHz(float(arp[i])), 0.7f, 0.45f, 0.994f, uint32_t(bar * 8 + i + 1000)),
                    at(bar, float(i) * 0.5f), (full ? 0.13f : 0.11f) * accent, true);
        }
        // Pad: the chord held softly through the bar, fuller where the band thins out.
        const int chord[3] = {c.root + 12, third + 12, fifth + 12};
        mixInto(band, pad(chord, 4.0f * beatSeconds + 0.25f), at(bar, 0) - long(samplesFor(0.12f)),
                full ? 0.045f : 0.075f, true);
    }
}

void playDrums(Samples& drums) {
    for (int bar = 0; bar < musicBars; ++bar) {
        const Section& s = sectionOf(bar);
        const bool full = s.part == Part::Theme || s.part == Part::Song || s.part == Part::Return;
        const int inSection = bar - s.firstBar;
        // A tom run closes every eight bars and every section (the last one runs into bar one).
        const bool fill = inSection % 8 == 7 || inSection == s.bars - 1;
        for (int i = 0; i < 16; ++i) { // a quiet shaker on the sixteenths all through
            mixInto(drums,
                    noiseBurst(uint32_t(900 + bar * 16 + i), 0.05f, 0.002f, 0.012f, Biquad::bandPass(5500, 1.0f)),
                    at(bar, float(i) * 0.25f), (i % 4 == 2) ? 0.12f : 0.06f, true);
        }
        if (full) {
            mixInto(drums, kick(), at(bar, 0), 0.9f, true);
            mixInto(drums, kick(), at(bar, 2), 0.8f, true);
            if (bar % 2 == 1) mixInto(drums, kick(), at(bar, 2.5f), 0.55f, true);
            mixInto(drums, snare(uint32_t(600 + bar)), at(bar, 1), 0.75f, true);
            if (!fill) mixInto(drums, snare(uint32_t(700 + bar)), at(bar, 3), 0.75f, true);
            for (int i = 0; i < 8; ++i) {
                bool open = (i == 7) && !fill;
                mixInto(drums, hat(uint32_t(800 + bar * 8 + i), open ? 0.09f : 0.025f), at(bar, float(i) * 0.5f),
                        (i % 2 == 1) ? 0.22f : 0.13f, true);
            }
        } else if (s.part == Part::Bridge || inSection >= 2) {
            // Half time: a soft kick on one and a brushed snare on three.
            mixInto(drums, kick(), at(bar, 0), 0.6f, true);
            if (!fill) mixInto(drums, snare(uint32_t(700 + bar)), at(bar, 2), 0.35f, true);
        }
        if (fill && (full || inSection >= 2)) {
            const float beats[4] = {3.0f, 3.25f, 3.5f, 3.75f};
            const float hz[4] = {220, 180, 150, 120};
            const float gain = full ? 0.6f : 0.4f;
            for (int i = 0; i < 4; ++i) mixInto(drums, tom(hz[i]), at(bar, beats[i]), gain, true);
            mixInto(drums, snare(uint32_t(750 + bar)), at(bar, 3.75f), gain * 0.5f, true);
        }
    }
}
} // namespace

Samples music() {
    const size_t loop = size_t(std::lround(float(musicBars) * 4.0f * beatSeconds * rate));
    Samples lead(loop, 0.0f), band(loop, 0.0f), drums(loop, 0.0f);
    playMelodies(lead);
    playBand(band);
    playDrums(drums);

    Samples mixBus(loop, 0.0f);
    for (size_t i = 0; i < loop; ++i) mixBus[i] = lead[i] + band[i];
    Samples echo = canyonEcho(mixBus);
    Samples out(loop);
    for (size_t i = 0; i < loop; ++i) {
        float v = mixBus[i] + echo[i] * 0.35f + drums[i] * 0.8f;
        out[i] = std::tanh(v * 1.1f);
    }
    // Mastered quieter than the effects, which the game mixes on top of it.
    normalize(out, 0.55f);
    return out;
}

} // namespace vandrel::assetgen
