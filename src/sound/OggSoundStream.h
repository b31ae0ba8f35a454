// An Ogg Vorbis sound decoded with the Ogg sync and stream layers and Vorbis
// synthesis, 4096 compressed bytes at a time, into queued 16-bit PCM.
#pragma once
#include "sound/PcmQueue.h"
#include "sound/SoundStream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

class VorbisSetups;

class OggSoundStream final : public SoundStream {
public:
    // Takes the whole compressed payload and opens its headers; a stream whose
    // headers cannot be read is still made, and yields no PCM. With setups, a
    // set-up header decoded before is taken from there instead of again.
    explicit OggSoundStream(std::vector<uint8_t> payload, std::shared_ptr<VorbisSetups> setups = nullptr);
    ~OggSoundStream() override;
    OggSoundStream(const OggSoundStream&) = delete;
    OggSoundStream& operator=(const OggSoundStream&) = delete;

    int32_t lengthMs() const override;
    void format(std::unique_ptr<AudioFormat>* out) const override;
    uint32_t decodedSize() override;
    int32_t read(void* destination, int32_t len) override;
    uint32_t prepare(uint32_t minBytes, bool loop) override;
    int32_t readUnchecked(void* destination, int32_t len) override;
    void rewind(int32_t positionMs) override;
    int32_t reserved() override { return 0; }

    // A decoded sample as stored: scaled by 32767, truncated toward zero and
    // clamped to the 16-bit range.
    static int16_t toPcm16(float sample);
    // The declared length from a comment list: the number after the first
    // comment starting with "Length: ", or 30000 when there is none.
    static int32_t lengthFromComments(const char* const* comments, const int* lengths, int count);

    bool headersOpen() const;

private:
    struct Decoder;

    int32_t feed();
    bool openHeaders();
    void closeDecoder();
    void decode(uint32_t limit);
    // Turns the packet just taken out into PCM at the end of the queue.
    void synthesize();

    std::unique_ptr<Decoder> decoder_;
    PcmQueue pcm_;
    AudioFormat waveFormat_;
    int32_t inputUsed_ = 0;
    int32_t inputSize_ = 0;
    std::vector<uint8_t> input_;
    size_t inputCursor_ = 0; // offset into input of the next bytes to feed
    int32_t declaredLengthMs_ = 30000;
    std::shared_ptr<VorbisSetups> setups_; // shared with the factory, which may go first
};

} // namespace vandrel
