// What a device and its buffers share: the lock the mixer holds while it mixes,
// the list of buffers, the player's levels and the output limiter. Buffers
// keep it alive, so they may outlive the device.
#pragma once
#include "audio/AudioLimiter.h"
#include "audio/SoundLevels.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace vandrel {

class AudioBuffer;

class AudioMixer {
public:
    explicit AudioMixer(uint32_t outputRate) : outputRate_(outputRate) {}

    uint32_t outputRate() const { return outputRate_; }
    std::mutex& mutex() { return mutex_; }

    // Sums every playing buffer into out (mono, 16-bit): the buffers that keep
    // sounding without the focus (the music) at the music level, the others
    // (the effects) at the effects level, both at the master level, through the
    // limiter. At full levels a sum that fits in 16 bits comes out exactly as
    // the plain sum. Silent buffers still move their cursors.
    void mix(int16_t* out, uint32_t samples);

    // global: a buffer made with the global-focus flag, which goes on
    // sounding while another window has the focus.
    void add(AudioBuffer* buffer, bool global);
    void remove(AudioBuffer* buffer);

    void setLevels(const SoundLevels& levels);
    // Whether the game's window has the focus: without it the effects are
    // silent, and the music too where the levels say so.
    void setFocused(bool focused);

    // A level in per cent as a gain in 1/65536: on a squared curve, so that
    // each step of 10 % sounds about as large as the one before; 100 is 65536.
    static int64_t gainOf(int32_t percent);

private:
    struct Entry {
        AudioBuffer* buffer;
        bool global;
    };
    uint32_t outputRate_;
    std::mutex mutex_;
    std::vector<Entry> buffers_;
    std::vector<int32_t> musicSum_;
    std::vector<int32_t> effectsSum_;
    std::vector<int64_t> sum_;
    SoundLevels levels_;
    bool focused_ = true;
    AudioLimiter limiter_;
};

} // namespace vandrel
