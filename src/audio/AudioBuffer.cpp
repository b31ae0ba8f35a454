// Sound buffers of the software mixer. Cursor state is shared with the mixing
// thread and changes only under the mixer's lock; the sample bytes are written
// by the game between lock and unlock, behind the play cursor.
#include "audio/AudioBuffer.h"

#include "audio/AudioMixer.h"

namespace vandrel {

AudioBuffer::AudioBuffer(std::shared_ptr<AudioMixer> mixerState, bool isPrimaryBuffer, const AudioFormat& format,
                         uint32_t bytes, bool global)
    : mixer_(std::move(mixerState)), primary_(isPrimaryBuffer), format_(format), data_(bytes, 0) {
    frames_ = format_.blockAlign ? bytes / format_.blockAlign : 0;
    if (!primary_) mixer_->add(this, global);
}

AudioBuffer::~AudioBuffer() {
    if (!primary_) mixer_->remove(this);
}

AudioResult AudioBuffer::lock(uint32_t offset, uint32_t bytes, AudioLock& regions, uint32_t flags) {
    regions = AudioLock{};
    if (primary_) return AudioResult::InvalidCall;
    const uint32_t total = size();
    if (flags & audioLockEntireBuffer) {
        regions.first = data_.data();
        regions.firstBytes = total;
        return AudioResult::Ok;
    }
    if (offset >= total || bytes == 0 || bytes > total) return AudioResult::InvalidParam;
    const uint32_t tail = total - offset;
    regions.first = data_.data() + offset;
    regions.firstBytes = bytes < tail ? bytes : tail;
    if (bytes > tail) {
        regions.second = data_.data();
        regions.secondBytes = bytes - tail;
    }
    return AudioResult::Ok;
}

bool AudioBuffer::unlock(void* first, uint32_t firstBytes, void* second, uint32_t secondBytes) {
    // Only pointers into this buffer with sizes inside it are accepted back.
    const auto inside = [this](void* p, uint32_t n) {
        if (!p) return n == 0;
        const uint8_t* b = static_cast<const uint8_t*>(p);
        return b >= data_.data() && b <= data_.data() + data_.size() &&
               n <= static_cast<size_t>(data_.data() + data_.size() - b);
    };
    return !primary_ && inside(first, firstBytes) && inside(second, secondBytes);
}

bool AudioBuffer::play(uint32_t flags) {
    if (primary_) return true;
    std::lock_guard<std::mutex> guard(mixer_->mutex());
    playing_ = frames_ > 0;
    looping_ = (flags & audioPlayLooping) != 0;
    return true;
}

bool AudioBuffer::stop() {
    if (primary_) return true;
    std::lock_guard<std::mutex> guard(mixer_->mutex());
    playing_ = false;
    return true;
}

bool AudioBuffer::setCurrentPosition(uint32_t position) {
    if (primary_ || position >= size()) return false;
    std::lock_guard<std::mutex> guard(mixer_->mutex());
    frame_ = position / format_.blockAlign;
    fraction_ = 0;
    return true;
}

bool AudioBuffer::getCurrentPosition(uint32_t* play, uint32_t* write) const {
    uint32_t position = 0;
    if (!primary_) {
        std::lock_guard<std::mutex> guard(mixer_->mutex());
        position = frame_ * format_.blockAlign;
    }
    if (play) *play = position;
    if (write) *write = position;
    return true;
}

bool AudioBuffer::setFormat(const AudioFormat& format) {
    if (!primary_ || !format.isPlayablePcm16()) return false;
    format_ = format;
    return true;
}

AudioFormat AudioBuffer::format() const { return format_; }

bool AudioBuffer::isPlaying() const {
    std::lock_guard<std::mutex> guard(mixer_->mutex());
    return playing_;
}

bool AudioBuffer::isLooping() const {
    std::lock_guard<std::mutex> guard(mixer_->mutex());
    return looping_;
}

void AudioBuffer::mixInto(int32_t* sum, uint32_t samples, uint32_t outputRate) {
    if (!playing_) return;
    if (frames_ == 0) {
        playing_ = false;
        return;
    }
    // The buffer's own rate against the output's, in 32.32 fixed point, so a
    // buffer at the output rate steps exactly one frame per output sample.
    const uint64_t step = (static_cast<uint64_t>(format_.samplesPerSec) << 32) / outputRate;
    const uint32_t stepWhole = static_cast<uint32_t>(step >> 32);
    const uint32_t stepFraction = static_cast<uint32_t>(step);
    const uint32_t align = format_.blockAlign;
    const bool stereo = format_.channels == 2;
    const uint8_t* bytes = data_.data();
    for (uint32_t i = 0; i < samples; ++i) {
        const uint8_t* p = bytes + static_cast<size_t>(frame_) * align;
        int32_t value = static_cast<int16_t>(p[0] | (p[1] << 8));
        if (stereo) value = (value + static_cast<int16_t>(p[2] | (p[3] << 8))) / 2;
        sum[i] += value;

        const uint64_t f = static_cast<uint64_t>(fraction_) + stepFraction;
        fraction_ = static_cast<uint32_t>(f);
        uint64_t next = static_cast<uint64_t>(frame_) + stepWhole + (f >> 32);
        if (next >= frames_) {
            if (!looping_) {
                playing_ = false;
                frame_ = 0;
                fraction_ = 0;
                return;
            }
            next %= frames_;
        }
        frame_ = static_cast<uint32_t>(next);
    }
}

} // namespace vandrel
