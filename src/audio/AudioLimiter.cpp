// The limiter: each half-wave scaled by the gain that brings its peak to the
// ceiling, or passed exactly when none of it lies beyond full scale.
#include "audio/AudioLimiter.h"

#include <algorithm>
#include <cmath>

namespace vandrel {

namespace {
int signOf(int64_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Whether every sample of a run with this sign and largest size fits in 16 bits;
// the negative side reaches one further than the positive one.
bool fits(int sign, int64_t peak) { return peak <= (sign < 0 ? 32768 : 32767); }
} // namespace

void AudioLimiter::process(std::span<const int64_t> sums, int16_t* out) {
    const size_t n = sums.size();
    size_t i = 0;
    while (i < n) {
        const int sign = signOf(sums[i]);
        const bool continues = sign != 0 && sign == sign_ && length_ < longestRun;
        uint32_t length = continues ? length_ : 0;
        size_t end = i;
        int64_t peak = 0;
        while (end < n && length < longestRun && signOf(sums[end]) == sign) {
            peak = std::max(peak, sums[end] < 0 ? -sums[end] : sums[end]);
            ++end;
            ++length;
        }
        double gain = fits(sign, peak) ? 1.0 : static_cast<double>(ceiling) / static_cast<double>(peak);
        // The part of the half-wave the last block held was already turned down:
        // the rest follows at the same gain, or lower when it is louder.
        if (continues) gain = std::min(gain, gain_);
        for (size_t k = i; k < end; ++k) {
            if (gain == 1.0) {
                out[k] = static_cast<int16_t>(sums[k]);
            } else {
                const int64_t v = std::llround(static_cast<double>(sums[k]) * gain);
                out[k] = static_cast<int16_t>(std::clamp<int64_t>(v, -ceiling, ceiling));
            }
        }
        sign_ = sign;
        gain_ = gain;
        length_ = length;
        i = end;
    }
}

} // namespace vandrel
