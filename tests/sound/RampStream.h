// A stand-in sound stream for the player tests: mono 16-bit samples that count
// up from 1, queued all at once, starting again like the real stream when it
// is looping and everything was read.
#pragma once
#include "sound/SoundStream.h"

#include <cstring>
#include <vector>

namespace vandrel::test {

class RampStream final : public SoundStream {
public:
    explicit RampStream(size_t samples, uint32_t rate = 44100) : rate_(rate), data_(samples) {
        for (size_t i = 0; i < samples; ++i) data_[i] = valueAt(i);
    }
    static int16_t valueAt(size_t i) { return static_cast<int16_t>(1 + i % 30000); }

    int32_t lengthMs() const override { return static_cast<int32_t>(data_.size() * 1000 / rate_); }
    void format(std::unique_ptr<AudioFormat>* out) const override {
        if (out) *out = std::make_unique<AudioFormat>(AudioFormat::pcm16(1, rate_));
    }
    uint32_t decodedSize() override { return queued(); }
    int32_t read(void* destination, int32_t len) override {
        return destination && len > 0 ? readUnchecked(destination, len) : 0;
    }
    uint32_t prepare(uint32_t, bool loop) override {
        if (queued() == 0 && loop) {
            position_ = 0;
            ++restarts;
        }
        return queued();
    }
    int32_t readUnchecked(void* destination, int32_t len) override {
        const uint32_t n = std::min<uint32_t>(static_cast<uint32_t>(len), queued());
        std::memcpy(destination, reinterpret_cast<const uint8_t*>(data_.data()) + position_, n);
        position_ += n;
        return static_cast<int32_t>(n);
    }
    void rewind(int32_t) override {
        position_ = 0;
        ++rewinds;
    }
    int32_t reserved() override { return 0; }

    uint32_t queued() const { return static_cast<uint32_t>(data_.size() * 2 - position_); }

    int restarts = 0;
    int rewinds = 0;

private:
    uint32_t rate_;
    std::vector<int16_t> data_;
    size_t position_ = 0; // bytes read
};

} // namespace vandrel::test
