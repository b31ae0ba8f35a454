// The limiter's gain: instant down, exponential back up.
#include "audio/AudioLimiter.h"

#include <cmath>
#include <cstdlib>

namespace vandrel {

namespace {
// The gain's way back to 1 per sample: a time constant of 80 ms at 44.1 kHz.
const double recovery = 1.0 - std::exp(-1.0 / (0.080 * 44100.0));
// Closer to 1 than this and the gain is 1: no sample can differ by a step.
constexpr double restGap = 1.0 / 65536.0;
} // namespace

int16_t AudioLimiter::process(int64_t sample) {
    const int64_t size = std::llabs(sample);
    if (static_cast<double>(size) * gain_ > threshold)
        gain_ = static_cast<double>(threshold) / static_cast<double>(size);
    int64_t out = sample;
    if (gain_ < 1.0) {
        out = std::llround(static_cast<double>(sample) * gain_);
        if (out > threshold) out = threshold;
        if (out < -threshold) out = -threshold;
        gain_ += (1.0 - gain_) * recovery;
        if (1.0 - gain_ < restGap) gain_ = 1.0;
    }
    return static_cast<int16_t>(out);
}

} // namespace vandrel
