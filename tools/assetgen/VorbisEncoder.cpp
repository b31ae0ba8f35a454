// libvorbisenc in VBR mode; the stream is flushed page by page and ends with
// the end-of-stream page, exactly at the end of the returned bytes.
#include "VorbisEncoder.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vorbis/vorbisenc.h>

namespace vandrel::assetgen {

const char* const encoderOwner = "Vandrel sound works, made by the Vandrel developers";

int32_t lengthMs(size_t samples) { return int32_t((uint64_t(samples) * 1000 + sampleRate / 2) / sampleRate); }

namespace {
void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}
} // namespace

std::vector<uint8_t> encodeVorbis(const std::vector<float>& samples, uint32_t serial, float quality) {
    VorbisStream stream;
    stream.comments = {encoderOwner, "Length: " + std::to_string(lengthMs(samples.size())) + "\n"};
    stream.serial = serial;
    stream.quality = quality;
    return encodeVorbis(samples, stream);
}

std::vector<uint8_t> encodeVorbis(const std::vector<float>& samples, const VorbisStream& stream) {
    const int channels = stream.channels;
    if (channels < 1) throw std::runtime_error("vorbis stream without channels");
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, stream.rate, stream.quality) != 0) {
        vorbis_info_clear(&vi);
        throw std::runtime_error("vorbis_encode_init_vbr failed");
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const std::string& comment : stream.comments) vorbis_comment_add(&vc, comment.c_str());

    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, int(stream.serial & 0x7FFFFFFF));

    std::vector<uint8_t> out;
    ogg_packet header, headerComments, headerCodebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &headerComments, &headerCodebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &headerComments);
    ogg_stream_packetin(&os, &headerCodebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0) appendPage(out, page);

    const size_t chunk = 4096;
    const size_t frames = samples.size() / size_t(channels);
    size_t pos = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min(chunk, frames - pos);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, int(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buffer[c][i] = samples[(pos + i) * size_t(channels) + size_t(c)];
            vorbis_analysis_wrote(&vd, int(n));
            pos += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    appendPage(out, page);
                    if (ogg_page_eos(&page)) eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            while (ogg_stream_flush(&os, &page) != 0) {
                appendPage(out, page);
                if (ogg_page_eos(&page)) eos = true;
            }
            if (!eos) throw std::runtime_error("vorbis stream did not end");
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

} // namespace vandrel::assetgen
