// Ogg Vorbis decoding on the raw Ogg and Vorbis layers. The compressed payload
// is fed to the sync layer 4096 bytes at a time and decoding stops after the
// packet that queues enough PCM, so the music costs about as much per frame as
// it plays.
#include "sound/OggSoundStream.h"

#include "sound/VorbisSetup.h"
#include "sound/VorbisSetups.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace vandrel {

namespace {
constexpr int32_t feedBytes = 4096;
constexpr int conversionSamples = 4096;
constexpr int32_t defaultLengthMs = 30000;
} // namespace

struct OggSoundStream::Decoder {
    ogg_sync_state sync{};
    ogg_stream_state stream{};
    ogg_page page{};
    ogg_packet packet{};
    // The stream information the decoder runs on: read from this stream's
    // headers, or shared with other streams that brought the same ones.
    std::shared_ptr<VorbisSetup> setup;
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    bool syncInit = false;
    bool streamInit = false;
    bool infoInit = false;
    bool dspInit = false;
    bool blockInit = false;
    bool open = false;       // headers read, synthesis ready
    bool lastPageIn = false; // the page marked end-of-stream has been taken in
};

OggSoundStream::OggSoundStream(std::vector<uint8_t> payload, std::shared_ptr<VorbisSetups> setups)
    : decoder_(std::make_unique<Decoder>()), input_(std::move(payload)), setups_(std::move(setups)) {
    inputSize_ = static_cast<int32_t>(std::min<size_t>(input_.size(), INT32_MAX));
    ogg_sync_init(&decoder_->sync);
    decoder_->syncInit = true;
    openHeaders();
}

OggSoundStream::~OggSoundStream() {
    closeDecoder();
    if (decoder_->syncInit) ogg_sync_clear(&decoder_->sync);
}

int16_t OggSoundStream::toPcm16(float sample) {
    const double v = static_cast<double>(sample) * 32767.0;
    if (v != v) return 0;
    if (v >= 32767.0) return 32767;
    if (v <= -32768.0) return -32768;
    return static_cast<int16_t>(static_cast<int32_t>(v));
}

int32_t OggSoundStream::lengthFromComments(const char* const* comments, const int* lengths, int count) {
    static const char key[] = "Length: ";
    for (int i = 0; i < count; ++i) {
        const char* c = comments[i];
        if (!c || !lengths || lengths[i] <= 0) continue;
        if (lengths[i] < 8 || std::strncmp(c, key, 8) != 0) continue;
        // Read the way atoi reads: leading blanks, a sign, digits up to the
        // first other character (the line feed).
        const char* p = c + 8;
        while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        int64_t value = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + (*p++ - '0');
            if (value > static_cast<int64_t>(INT32_MAX) + 1) value = static_cast<int64_t>(INT32_MAX) + 1;
        }
        if (negative) value = -value;
        return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    }
    return defaultLengthMs;
}

bool OggSoundStream::headersOpen() const { return decoder_->open; }

int32_t OggSoundStream::lengthMs() const { return declaredLengthMs_; }

void OggSoundStream::format(std::unique_ptr<AudioFormat>* out) const {
    if (out) *out = std::make_unique<AudioFormat>(waveFormat_);
}

int32_t OggSoundStream::feed() {
    const int32_t n = std::min(feedBytes, inputSize_ - inputUsed_);
    if (n <= 0) return 0;
    char* buffer = ogg_sync_buffer(&decoder_->sync, n);
    if (!buffer) return 0;
    std::memcpy(buffer, input_.data() + inputCursor_, static_cast<size_t>(n));
    ogg_sync_wrote(&decoder_->sync, n);
    inputCursor_ += static_cast<size_t>(n);
    inputUsed_ += n;
    return n;
}

bool OggSoundStream::openHeaders() {
    Decoder& d = *decoder_;
    const auto packetBytes = [](const ogg_packet& p) {
        return std::vector<uint8_t>(p.packet, p.packet + std::max<long>(p.bytes, 0));
    };
    const auto opened = [&]() -> bool {
        feed();
        if (ogg_sync_pageout(&d.sync, &d.page) != 1) return false;
        ogg_stream_init(&d.stream, ogg_page_serialno(&d.page));
        d.streamInit = true;
        d.setup = std::make_shared<VorbisSetup>();
        vorbis_comment_init(&d.comment);
        d.infoInit = true;
        vorbis_info* info = &d.setup->info;
        if (ogg_stream_pagein(&d.stream, &d.page) < 0) return false;
        if (ogg_stream_packetout(&d.stream, &d.packet) != 1) return false;
        if (vorbis_synthesis_headerin(info, &d.comment, &d.packet) < 0) return false;
        if (setups_) d.setup->idPacket = packetBytes(d.packet);

        // The comment and setup headers may share pages or span several.
        int taken = 0;
        bool commentRead = false;
        bool shared = false;
        while (taken < 2) {
            const int page = ogg_sync_pageout(&d.sync, &d.page);
            if (page == 0) {
                if (feed() == 0) return false;
                continue;
            }
            if (page < 0) continue;
            ogg_stream_pagein(&d.stream, &d.page);
            while (taken < 2) {
                const int got = ogg_stream_packetout(&d.stream, &d.packet);
                if (got == 0) break;
                if (got < 0) return false;
                ++taken;
                if (taken == 2 && setups_ && commentRead) {
                    // The same identification and set-up headers decode to the
                    // same information: take the one decoded before, if any.
                    d.setup->setupPacket = packetBytes(d.packet);
                    const auto& id = d.setup->idPacket;
                    const auto& setup = d.setup->setupPacket;
                    if (auto known = setups_->find(id.data(), id.size(), setup.data(), setup.size())) {
                        d.setup = std::move(known);
                        info = &d.setup->info;
                        shared = true;
                        continue;
                    }
                }
                const int result = vorbis_synthesis_headerin(info, &d.comment, &d.packet);
                if (taken == 1) commentRead = result == 0;
            }
        }
        // A damaged setup header leaves the information incomplete; synthesis
        // then refuses to start, and the stream stays without PCM.
        if (info->channels <= 0 || vorbis_synthesis_init(&d.dsp, info) != 0) return false;
        d.dspInit = true;
        vorbis_block_init(&d.dsp, &d.block);
        d.blockInit = true;
        waveFormat_ = AudioFormat::pcm16(static_cast<uint16_t>(info->channels), static_cast<uint32_t>(info->rate));
        if (setups_ && commentRead && !shared && !d.setup->setupPacket.empty()) setups_->keep(d.setup);
        return true;
    };
    d.open = opened();
    // The length is kept from the comment header as soon as it has been read:
    // effects close their decoder once decoded and still report their length.
    if (d.infoInit && d.comment.vendor)
        declaredLengthMs_ = lengthFromComments(d.comment.user_comments, d.comment.comment_lengths, d.comment.comments);
    return d.open;
}

void OggSoundStream::closeDecoder() {
    Decoder& d = *decoder_;
    if (d.streamInit) ogg_stream_clear(&d.stream);
    if (d.blockInit) vorbis_block_clear(&d.block);
    if (d.dspInit) vorbis_dsp_clear(&d.dsp);
    if (d.infoInit) {
        vorbis_comment_clear(&d.comment);
        // The decoder state above refers to the information: it goes last.
        d.setup.reset();
    }
    d.streamInit = d.blockInit = d.dspInit = d.infoInit = d.open = d.lastPageIn = false;
}

void OggSoundStream::decode(uint32_t limit) {
    Decoder& d = *decoder_;
    if (!d.open || waveFormat_.channels == 0) return;
    // Packets are taken one at a time, those of pages already in the stream
    // layer first, so decoding stops within a packet of the amount asked for;
    // whatever is left in the sync and stream layers waits for the next call.
    while (limit == 0 || pcm_.available() < limit) {
        const int got = ogg_stream_packetout(&d.stream, &d.packet);
        if (got < 0) continue; // a hole in the packet sequence
        if (got > 0) {
            synthesize();
            continue;
        }
        if (d.lastPageIn) return;
        const int page = ogg_sync_pageout(&d.sync, &d.page);
        if (page < 0) continue; // damaged data skipped by the sync layer
        if (page > 0) {
            ogg_stream_pagein(&d.stream, &d.page);
            d.lastPageIn = ogg_page_eos(&d.page) != 0;
            continue;
        }
        if (feed() == 0) return;
    }
}

void OggSoundStream::synthesize() {
    Decoder& d = *decoder_;
    const int channels = waveFormat_.channels;
    const int convSize = conversionSamples / channels;
    if (vorbis_synthesis(&d.block, &d.packet) == 0) vorbis_synthesis_blockin(&d.dsp, &d.block);
    float** samples = nullptr;
    int n;
    while ((n = vorbis_synthesis_pcmout(&d.dsp, &samples)) > 0) {
        const int m = std::min(n, convSize);
        std::vector<uint8_t> block(static_cast<size_t>(m) * channels * 2);
        for (int c = 0; c < channels; ++c) {
            const float* channel = samples[c];
            for (int i = 0; i < m; ++i) {
                const auto v = static_cast<uint16_t>(toPcm16(channel[i]));
                const size_t at = (static_cast<size_t>(i) * channels + c) * 2;
                block[at] = static_cast<uint8_t>(v);
                block[at + 1] = static_cast<uint8_t>(v >> 8);
            }
        }
        pcm_.append(std::move(block));
        vorbis_synthesis_read(&d.dsp, m);
    }
}

uint32_t OggSoundStream::decodedSize() {
    if (pcm_.available() == 0) {
        decode(0);
        closeDecoder();
        // The one bitstream of the payload is used up: the compressed copy goes.
        input_.clear();
        input_.shrink_to_fit();
        inputSize_ = inputUsed_ = 0;
        inputCursor_ = 0;
        ogg_sync_clear(&decoder_->sync);
        decoder_->syncInit = false;
    }
    return pcm_.available();
}

int32_t OggSoundStream::read(void* destination, int32_t len) {
    if (!destination || len <= 0) return 0;
    return static_cast<int32_t>(pcm_.read(destination, static_cast<uint32_t>(len)));
}

uint32_t OggSoundStream::prepare(uint32_t minBytes, bool loop) {
    if (pcm_.available() < minBytes) decode(minBytes);
    if (pcm_.available() == 0 && loop) {
        rewind(0);
        decode(minBytes);
    }
    return pcm_.available();
}

int32_t OggSoundStream::readUnchecked(void* destination, int32_t len) {
    if (len <= 0) return 0;
    return static_cast<int32_t>(pcm_.read(destination, static_cast<uint32_t>(len)));
}

void OggSoundStream::rewind(int32_t) {
    closeDecoder();
    pcm_.clear();
    inputCursor_ = 0;
    inputUsed_ = 0;
    if (decoder_->syncInit) ogg_sync_clear(&decoder_->sync);
    ogg_sync_init(&decoder_->sync);
    decoder_->syncInit = true;
    openHeaders();
}

} // namespace vandrel
