// Ogg Vorbis encoding with libvorbisenc for the game tests.
#include "TestSounds.h"

#include <cmath>
#include <vorbis/vorbisenc.h>

namespace vandrel::test {

namespace {
void appendPage(Bytes& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}
} // namespace

Bytes oggTone(int32_t milliseconds, double frequency) {
    vorbis_info info;
    vorbis_info_init(&info);
    vorbis_encode_init_vbr(&info, 1, 44100, 0.2f);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    Bytes out;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

    const int32_t samples = 44100 * milliseconds / 1000;
    float** buffer = vorbis_analysis_buffer(&dsp, samples);
    for (int32_t i = 0; i < samples; ++i)
        buffer[0][i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * frequency * i / 44100.0));
    vorbis_analysis_wrote(&dsp, samples);
    vorbis_analysis_wrote(&dsp, 0);

    ogg_packet packet;
    bool ended = false;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
            ogg_stream_packetin(&stream, &packet);
            while (!ended && ogg_stream_pageout(&stream, &page)) {
                appendPage(out, page);
                if (ogg_page_eos(&page)) ended = true;
            }
        }
    }
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace vandrel::test
