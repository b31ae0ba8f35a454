// A sound buffer of 16-bit PCM in the software mixer: lockable regions, a play
// cursor that the mixer moves, play once or looping, stop and repositioning.
#pragma once
#include "audio/AudioFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class AudioMixer;

enum class AudioResult { Ok, InvalidParam, InvalidCall, BufferLost };

// Buffer description flags. The primary flag makes the primary buffer; the
// global-focus flag makes a buffer that goes on sounding while another window
// has the focus (the others fall silent then). The control flags are accepted
// as the sounds ask for them: buffers have no volume or frequency of their
// own; the player's levels apply to the whole mix.
constexpr uint32_t audioBufferPrimary = 0x00000001;
constexpr uint32_t audioBufferCtrlFrequency = 0x00000020;
constexpr uint32_t audioBufferCtrlVolume = 0x00000080;
constexpr uint32_t audioBufferCtrlPositionNotify = 0x00000100;
constexpr uint32_t audioBufferGlobalFocus = 0x00008000;
constexpr uint32_t audioBufferGetCurrentPosition2 = 0x00010000;

constexpr uint32_t audioLockEntireBuffer = 2;
constexpr uint32_t audioPlayLooping = 1;

// Largest secondary buffer the device makes, and the smallest.
constexpr uint32_t audioBufferMaxBytes = 0x0FFFFFFF;
constexpr uint32_t audioBufferMinBytes = 4;

struct AudioBufferDesc {
    uint32_t size = 36;
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    uint32_t reserved = 0;
    const AudioFormat* format = nullptr;
};

// The regions a lock hands out: the second, when present, wraps to the start.
struct AudioLock {
    uint8_t* first = nullptr;
    uint32_t firstBytes = 0;
    uint8_t* second = nullptr;
    uint32_t secondBytes = 0;
};

class AudioBuffer {
public:
    ~AudioBuffer();
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    // Locks bytes from offset, or the entire buffer with audioLockEntireBuffer.
    // Our buffers live in ordinary memory and are never lost.
    AudioResult lock(uint32_t offset, uint32_t bytes, AudioLock& regions, uint32_t flags);
    bool unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes);
    bool unlock(const AudioLock& regions) {
        return unlock(regions.first, regions.firstBytes, regions.second, regions.secondBytes);
    }
    // Memory never goes away, so there is nothing to bring back.
    AudioResult restore() { return AudioResult::Ok; }

    // Starts from the play cursor; with audioPlayLooping the buffer wraps at
    // its end, otherwise it stops there and its cursor returns to 0.
    bool play(uint32_t flags);
    bool stop();
    // Moves the play cursor; a position inside a sample frame starts that frame.
    bool setCurrentPosition(uint32_t position);
    // The write cursor equals the play cursor: the mixer reads a byte only when
    // it mixes it, so everything from the play cursor on may still be written.
    bool getCurrentPosition(uint32_t* play, uint32_t* write) const;

    // The primary buffer only: the format the game asks the device to run at.
    bool setFormat(const AudioFormat& format);
    AudioFormat format() const;

    bool isPrimary() const { return primary_; }
    bool isPlaying() const;
    bool isLooping() const;
    uint32_t size() const { return static_cast<uint32_t>(data_.size()); }

private:
    friend class AudioMixer;
    friend class AudioDevice;
    // global: the buffer goes on sounding while another window has the focus.
    AudioBuffer(std::shared_ptr<AudioMixer> mixer, bool primary, const AudioFormat& format, uint32_t bytes,
                bool global = false);

    // Adds this buffer's next samples to the mix; called by the mixer under its lock.
    void mixInto(int32_t* sum, uint32_t samples, uint32_t outputRate);

    std::shared_ptr<AudioMixer> mixer_;
    bool primary_;
    AudioFormat format_;
    std::vector<uint8_t> data_;
    uint32_t frames_ = 0;   // whole sample frames in data
    uint32_t frame_ = 0;    // play cursor in frames
    uint32_t fraction_ = 0; // position between two frames, in 1/2^32
    bool playing_ = false;
    bool looping_ = false;
};

} // namespace vandrel
