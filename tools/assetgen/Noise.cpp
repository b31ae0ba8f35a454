// Lattice noise from an integer hash; no global state, no library randomness.
#include "Noise.h"

#include <cmath>

namespace vandrel::assetgen {

namespace {
uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}
float lattice(int x, int y, uint32_t seed) {
    return float(hash(uint32_t(x), uint32_t(y), seed) & 0xFFFFFF) / float(0xFFFFFF);
}
float smooth(float t) { return t * t * (3.0f - 2.0f * t); }
} // namespace

float noise1(float x, uint32_t seed) { return noise2(x, 0.5f, seed); }

float noise2(float x, float y, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = smooth(x - fx), ty = smooth(y - fy);
    float a = lattice(ix, iy, seed), b = lattice(ix + 1, iy, seed);
    float c = lattice(ix, iy + 1, seed), d = lattice(ix + 1, iy + 1, seed);
    float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fbm1(float x, uint32_t seed, int octaves) { return fbm2(x, 0.5f, seed, octaves); }

float fbm2(float x, float y, uint32_t seed, int octaves) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += noise2(x, y, seed + uint32_t(i) * 101u) * amp;
        norm += amp;
        x *= 2.03f;
        y *= 2.03f;
        amp *= 0.5f;
    }
    return sum / norm;
}

uint32_t Rng::next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

float Rng::uniform() { return float(next() >> 8) / 16777216.0f; }

} // namespace vandrel::assetgen
