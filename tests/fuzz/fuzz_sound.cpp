// Damaged sound payloads: no crash, hang or leak. Input that starts with
// "OggS" is decoded as it is; any other input damages a small valid sound
// (first two bytes: where to cut it, then offset/value pairs to overwrite).
// fuzz-libs: vandrel_sound vandrel_data vandrel_video vandrel_config vandrel_system PkgConfig::VORBIS PkgConfig::OGG
#include "sound/OggSoundStream.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> encodeTone() {
    std::vector<uint8_t> out;
    const auto append = [&out](const ogg_page& p) {
        out.insert(out.end(), p.header, p.header + p.header_len);
        out.insert(out.end(), p.body, p.body + p.body_len);
    };
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, 1, 44100, 0.0f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add(&comment, "Length: 100\n");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 3);
    ogg_packet h1, h2, h3, packet;
    vorbis_analysis_headerout(&dsp, &comment, &h1, &h2, &h3);
    ogg_stream_packetin(&stream, &h1);
    ogg_stream_packetin(&stream, &h2);
    ogg_stream_packetin(&stream, &h3);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) append(page);
    const int frames = 4410;
    float** buffer = vorbis_analysis_buffer(&dsp, frames);
    for (int i = 0; i < frames; ++i) buffer[0][i] = static_cast<float>(0.5 * std::sin(i * 0.0627));
    vorbis_analysis_wrote(&dsp, frames);
    vorbis_analysis_wrote(&dsp, 0);
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) ogg_stream_packetin(&stream, &packet);
    }
    while (ogg_stream_flush(&stream, &page)) append(page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

void exercise(const std::vector<uint8_t>& payload) {
    {
        vandrel::OggSoundStream music(payload);
        for (int i = 0; i < 4; ++i) music.prepare(8192, true);
        std::vector<uint8_t> out(4096);
        music.readUnchecked(out.data(), 4096);
        music.rewind(0);
        music.prepare(88200, false);
    }
    vandrel::OggSoundStream effect(payload);
    const uint32_t size = effect.decodedSize();
    std::vector<uint8_t> out(size);
    if (size) effect.read(out.data(), static_cast<int32_t>(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) {
        exercise(std::vector<uint8_t>(data, data + size));
        return 0;
    }
    static const std::vector<uint8_t> tone = encodeTone();
    std::vector<uint8_t> payload = tone;
    if (size >= 2) {
        const size_t cut = (data[0] | (data[1] << 8)) % (tone.size() + 1);
        if (cut > 0) payload.resize(cut);
    }
    for (size_t i = 2; i + 2 < size && !payload.empty(); i += 3)
        payload[(data[i] | (data[i + 1] << 8)) * 7 % payload.size()] = data[i + 2];
    exercise(payload);
    return 0;
}
