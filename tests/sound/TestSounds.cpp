// Encoding synthesized signals with libvorbisenc for the sound tests.
#include "sound/TestSounds.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace vandrel::test {

namespace {

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<uint8_t> encodeOgg(const std::vector<float>& samples, const OggOptions& options) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, options.channels, options.rate, options.quality) != 0)
        throw std::runtime_error("vorbis encoder refused the format");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add(&comment, "Made by the Vandrel test suite");
    for (const std::string& c : options.comments)
        vorbis_comment_add(&comment, c.c_str());

    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 0x5EED);

    std::vector<uint8_t> out;
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    // Audio starts on a fresh page, as encoders write it.
    while (ogg_stream_flush(&stream, &page))
        appendPage(out, page);

    const int channels = options.channels;
    const size_t frames = samples.size() / channels;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min<size_t>(1024, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * channels + c];
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    appendPage(out, page);
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            // Everything is handed over; whatever is left goes out now.
            while (ogg_stream_flush(&stream, &page)) {
                appendPage(out, page);
                if (ogg_page_eos(&page))
                    eos = true;
            }
            if (!eos)
                throw std::runtime_error("vorbis encoder did not end the stream");
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

std::vector<float> sine(size_t frames, double frequency, double amplitude, long rate) {
    std::vector<float> out(frames);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < frames; ++i)
        out[i] = static_cast<float>(amplitude * std::sin(2 * pi * frequency * static_cast<double>(i) / rate));
    return out;
}

std::vector<uint8_t> toneOgg(double seconds, bool withLength) {
    OggOptions options;
    if (withLength)
        options.comments.push_back("Length: " + std::to_string(static_cast<int>(seconds * 1000)) + "\n");
    // A tone with some noise over it, so that it compresses about as poorly as
    // real sounds do and spans many pages.
    auto samples = sine(static_cast<size_t>(seconds * 44100), 440.0, 0.4);
    uint32_t state = 12345;
    for (float& v : samples) {
        state = state * 1103515245u + 12345u;
        v += static_cast<float>((state >> 16) & 0x7FFF) / 32768.0f * 0.2f - 0.1f;
    }
    return encodeOgg(samples, options);
}

} // namespace vandrel::test
