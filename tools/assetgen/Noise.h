// Deterministic value noise and a small random generator, so every build
// paints and plays exactly the same data.
#pragma once
#include <cstdint>

namespace vandrel::assetgen {

// Hash-based lattice noise in [0, 1], smoothly interpolated.
float noise1(float x, uint32_t seed);
float noise2(float x, float y, uint32_t seed);
// Fractal sums of octaves, result roughly in [0, 1].
float fbm1(float x, uint32_t seed, int octaves);
float fbm2(float x, float y, uint32_t seed, int octaves);

class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    uint32_t next();
    float uniform(); // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return int(next() % uint32_t(n)); }

private:
    uint32_t state_;
};

} // namespace vandrel::assetgen
