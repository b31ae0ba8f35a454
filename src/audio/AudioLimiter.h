// The mixer's output stage: the sum of the music and every effect can be far
// louder than 16 bits hold. Below the threshold a sample passes unchanged; a
// louder one sets the gain so that it lands on the threshold at once, and the
// gain comes back to 1 over about a tenth of a second. So a loud moment is
// made quieter as a whole instead of having its peaks cut off, and a signal
// that stays below the threshold is never touched.
#pragma once
#include <cstdint>

namespace vandrel {

class AudioLimiter {
public:
    // About 0.8 dB below full scale: the headroom no output sample enters.
    static constexpr int32_t threshold = 30000;

    // One output sample from one sample of the sum, at 44.1 kHz.
    int16_t process(int64_t sample);
    // The gain now, 1 when the limiter is at rest.
    double gain() const { return gain_; }

private:
    double gain_ = 1.0;
};

} // namespace vandrel
