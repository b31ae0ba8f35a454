// The mixer's output stage: the sum of the music and every effect can be far
// louder than 16 bits hold. A sum that fits in 16 bits passes unchanged, sample
// for sample. Only a half-wave (a run of samples of one sign, between two zero
// crossings) with a sample beyond full scale is turned down, as a whole, so
// that its peak lands on the ceiling: the wave keeps its shape instead of
// having its peaks cut flat, the gain changes only where the wave crosses zero,
// and the next half-wave that fits is exact again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace vandrel {

class AudioLimiter {
public:
    // Where a limited half-wave peaks: about 0.2 dB below full scale, so that a
    // limited sum never sits at the edge of the 16 bits.
    static constexpr int32_t ceiling = 32000;
    // The longest run scaled as one, about 23 ms at 44.1 kHz: a wave slower than
    // 21 Hz (or a sum that stays on one side of zero) is limited piece by piece,
    // so a loud moment never holds down what follows it for longer.
    static constexpr uint32_t longestRun = 1024;

    // The output samples of sums, one block as the mixer makes it. A half-wave
    // that goes on into the next block keeps its gain there; whether it needs
    // limiting is decided on the part each block holds.
    void process(std::span<const int64_t> sums, int16_t* out);

private:
    // The run the last block ended in: its sign (0 for silence), the gain it
    // was given and how many samples it has had.
    int sign_ = 0;
    double gain_ = 1.0;
    uint32_t length_ = 0;
};

} // namespace vandrel
