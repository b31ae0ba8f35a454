// Decoding cost of the music: one second of PCM through OggSoundStream::prepare
// against libvorbisfile's ov_read on the same bytes. Quote the ratio of the
// pairs (Prepare/Vorbisfile), not the absolute times.
#include "sound/OggSoundStream.h"

#include <benchmark/benchmark.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

using vandrel::OggSoundStream;

constexpr uint32_t oneSecond = 88200; // mono, 16-bit, 44.1 kHz
constexpr int seconds = 8;

void appendPage(std::vector<uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// Some seconds of music-like sound: a changing chord over a noisy beat.
std::vector<uint8_t> makeMusic() {
    const int rate = 44100;
    std::vector<float> samples(static_cast<size_t>(rate) * seconds);
    const double pi = std::acos(-1.0);
    uint32_t noise = 1;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double root = 110.0 * std::pow(2.0, static_cast<int>(t * 2) % 4 / 12.0 * 5);
        double v = 0.2 * std::sin(2 * pi * root * t) + 0.15 * std::sin(2 * pi * root * 1.25 * t) +
                   0.1 * std::sin(2 * pi * root * 1.5 * t);
        noise = noise * 1103515245u + 12345u;
        const double beat = std::exp(-std::fmod(t, 0.25) * 30.0);
        v += beat * 0.3 * (static_cast<double>((noise >> 16) & 0x7FFF) / 16384.0 - 1.0);
        samples[i] = static_cast<float>(v);
    }

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, rate, 0.4f) != 0) throw std::runtime_error("encoder refused the format");
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add(&comment, "Length: 8000\n");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&stream, &id);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    std::vector<uint8_t> out;
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) appendPage(out, page);
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        const size_t n = std::min<size_t>(1024, samples.size() - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            std::memcpy(buffer[0], samples.data() + done, n * sizeof(float));
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
                    eos = eos || ogg_page_eos(&page);
                }
            }
        }
        if (n == 0 && !eos) {
            while (ogg_stream_flush(&stream, &page)) {
                appendPage(out, page);
                eos = eos || ogg_page_eos(&page);
            }
            eos = true;
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

const std::vector<uint8_t>& music() {
    static const std::vector<uint8_t> bytes = makeMusic();
    return bytes;
}

struct Memory {
    const std::vector<uint8_t>* bytes;
    size_t at = 0;
};

size_t memoryRead(void* ptr, size_t size, size_t count, void* source) {
    auto* m = static_cast<Memory*>(source);
    const size_t n = std::min(size * count, m->bytes->size() - m->at);
    std::memcpy(ptr, m->bytes->data() + m->at, n);
    m->at += n;
    return size ? n / size : 0;
}

int memorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* m = static_cast<Memory*>(source);
    const int64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<int64_t>(m->at)
                                              : static_cast<int64_t>(m->bytes->size());
    const int64_t to = base + offset;
    if (to < 0 || to > static_cast<int64_t>(m->bytes->size())) return -1;
    m->at = static_cast<size_t>(to);
    return 0;
}

long memoryTell(void* source) { return static_cast<long>(static_cast<Memory*>(source)->at); }

const ov_callbacks memoryCallbacks = {memoryRead, memorySeek, nullptr, memoryTell};

// vorbisfile's plain read loop: bytes until `want` have come out.
uint32_t vorbisfileDecode(OggVorbis_File& file, std::vector<char>& out, uint32_t want) {
    uint32_t got = 0;
    int section = 0;
    while (got < want) {
        const long n = ov_read(&file, out.data() + got, static_cast<int>(want - got), 0, 2, 1, &section);
        if (n <= 0) break;
        got += static_cast<uint32_t>(n);
    }
    return got;
}

// A fresh stream each time: header set-up plus the first second, as when the
// music starts.
void BM_PrepareFirstSecond(benchmark::State& state) {
    std::vector<uint8_t> out(oneSecond);
    uint32_t queued = 0;
    for (auto _ : state) {
        OggSoundStream stream(music());
        queued = stream.prepare(oneSecond, false);
        benchmark::DoNotOptimize(stream.read(out.data(), oneSecond));
    }
    state.SetBytesProcessed(state.iterations() * oneSecond);
    // Decoding stops at a page boundary past the second asked for; the rest
    // waits in the queue for the next frames, so it is not wasted.
    state.counters["decodedPerAsked"] = static_cast<double>(queued) / oneSecond;
}
BENCHMARK(BM_PrepareFirstSecond);

void BM_VorbisfileFirstSecond(benchmark::State& state) {
    std::vector<char> out(oneSecond);
    for (auto _ : state) {
        Memory source{&music()};
        OggVorbis_File file;
        if (ov_open_callbacks(&source, &file, nullptr, 0, memoryCallbacks) != 0) {
            state.SkipWithError("vorbisfile could not open the music");
            return;
        }
        benchmark::DoNotOptimize(vorbisfileDecode(file, out, oneSecond));
        ov_clear(&file);
    }
    state.SetBytesProcessed(state.iterations() * oneSecond);
}
BENCHMARK(BM_VorbisfileFirstSecond);

// The whole music a second at a time, as the frame tick takes it: the cost
// per second of steady playback.
void BM_PrepareEverySecond(benchmark::State& state) {
    std::vector<uint8_t> out(oneSecond);
    uint64_t bytes = 0;
    for (auto _ : state) {
        OggSoundStream stream(music());
        for (;;) {
            stream.prepare(oneSecond, false);
            const int32_t n = stream.read(out.data(), oneSecond);
            if (n <= 0) break;
            bytes += static_cast<uint64_t>(n);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_PrepareEverySecond);

void BM_VorbisfileEverySecond(benchmark::State& state) {
    std::vector<char> out(oneSecond);
    uint64_t bytes = 0;
    for (auto _ : state) {
        Memory source{&music()};
        OggVorbis_File file;
        if (ov_open_callbacks(&source, &file, nullptr, 0, memoryCallbacks) != 0) {
            state.SkipWithError("vorbisfile could not open the music");
            return;
        }
        for (;;) {
            const uint32_t n = vorbisfileDecode(file, out, oneSecond);
            if (n == 0) break;
            bytes += n;
        }
        ov_clear(&file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_VorbisfileEverySecond);

} // namespace

BENCHMARK_MAIN();
