// Decoders for the tests, independent of the game's own loaders, so a fault in
// either shows up as a disagreement.
#include "DatasetFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <map>
#include <png.h>
#include <vorbis/codec.h>

namespace vandrel::test {

const char* const entryNames[7] = {"back.nb", "figur.xx", "cur.nl", "font.nl", "fonts.nl", "muni.nl", "stuff.x"};

const Bytes& builtEntry(const std::string& name) {
    static std::map<std::string, Bytes> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    std::ifstream in(std::string(VANDREL_BINARY_DIR) + "/dataset/" + name, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return cache.emplace(name, std::move(bytes)).first->second;
}

int32_t i32At(const Bytes& p, size_t o) {
    if (o + 4 > p.size()) return INT32_MIN;
    return int32_t(uint32_t(p[o]) | uint32_t(p[o + 1]) << 8 | uint32_t(p[o + 2]) << 16 | uint32_t(p[o + 3]) << 24);
}

bool splitBlocks(const Bytes& entry, std::vector<Block>& out) {
    out.clear();
    size_t pos = 0;
    while (pos < entry.size()) {
        if (entry.size() - pos < 6) return false;
        Block b;
        b.tag = std::string{static_cast<char>(entry[pos]), static_cast<char>(entry[pos + 1])};
        uint32_t len = uint32_t(i32At(entry, pos + 2));
        pos += 6;
        if (entry.size() - pos < len) return false;
        b.payload.assign(entry.begin() + long(pos), entry.begin() + long(pos + len));
        pos += len;
        out.push_back(std::move(b));
    }
    return true;
}

std::string tagSequence(const std::vector<Block>& blocks) {
    std::string s;
    for (const Block& b : blocks) s += (s.empty() ? "" : " ") + b.tag;
    return s;
}

namespace {
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
void jpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
} // namespace

JpegInfo decodeJpeg(const Bytes& jpeg) {
    JpegInfo info;
    jpeg_decompress_struct d{};
    JpegError err{};
    d.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegFail;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&d);
        return JpegInfo{};
    }
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    info.progressive = d.progressive_mode;
    info.components = d.num_components;
    jpeg_start_decompress(&d);
    info.width = int(d.output_width);
    info.height = int(d.output_height);
    info.rgb.resize(size_t(info.width) * size_t(info.height) * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = &info.rgb[size_t(d.output_scanline) * size_t(info.width) * 3];
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    info.ok = true;
    return info;
}

namespace {
struct PngSource {
    const Bytes* bytes;
    size_t pos;
};
void pngRead(png_structp png, png_bytep out, png_size_t n) {
    auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
    if (src->pos + n > src->bytes->size()) png_error(png, "short");
    std::memcpy(out, src->bytes->data() + src->pos, n);
    src->pos += n;
}
} // namespace

MaskInfo decodeMask(const Bytes& bytes) {
    MaskInfo info;
    if (bytes.size() < 8) return info;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop pi = png_create_info_struct(png);
    PngSource src{&bytes, 0};
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &pi, nullptr);
        return MaskInfo{};
    }
    png_set_read_fn(png, &src, pngRead);
    png_read_png(png, pi, PNG_TRANSFORM_PACKING | PNG_TRANSFORM_EXPAND, nullptr);
    info.width = int(png_get_image_width(png, pi));
    info.height = int(png_get_image_height(png, pi));
    info.bitDepth = png_get_bit_depth(png, pi);
    info.colourType = png_get_color_type(png, pi);
    png_bytepp rows = png_get_rows(png, pi);
    // After the transforms libpng reports 8 bits; read the header as stored.
    info.bitDepth = bytes.size() > 25 ? bytes[24] : -1;
    info.colourType = bytes.size() > 25 ? bytes[25] : -1;
    info.transparent.resize(size_t(info.width) * size_t(info.height));
    for (int y = 0; y < info.height; ++y) {
        for (int x = 0; x < info.width; ++x)
            info.transparent[size_t(y) * size_t(info.width) + size_t(x)] = rows[y][x] ? 1 : 0;
    }
    png_destroy_read_struct(&png, &pi, nullptr);
    info.ok = true;
    return info;
}

OggInfo decodeOgg(const Bytes& payload) {
    OggInfo out;
    // Walk the pages first: one serial number, the end-of-stream flag on the
    // last page only, and nothing after it.
    {
        size_t pos = 0;
        long serial = -1;
        bool eosSeen = false, good = true;
        while (pos < payload.size() && good) {
            if (payload.size() - pos < 27 || std::memcmp(&payload[pos], "OggS", 4) != 0 || eosSeen) {
                good = false;
                break;
            }
            uint8_t flags = payload[pos + 5];
            long s = long(uint32_t(i32At(payload, pos + 14)));
            if (serial == -1) serial = s;
            if (s != serial) good = false;
            int segments = payload[pos + 26];
            if (payload.size() - pos < 27 + size_t(segments)) {
                good = false;
                break;
            }
            size_t body = 0;
            for (int i = 0; i < segments; ++i) body += payload[pos + 27 + size_t(i)];
            pos += 27 + size_t(segments) + body;
            if (flags & 0x04) eosSeen = true;
        }
        out.singleStreamEndingWithEos = good && eosSeen && pos == payload.size();
    }

    ogg_sync_state oy;
    ogg_stream_state os;
    ogg_page og;
    ogg_packet op;
    vorbis_info vi;
    vorbis_comment vc;
    vorbis_dsp_state vd;
    vorbis_block vb;
    ogg_sync_init(&oy);
    char* buffer = ogg_sync_buffer(&oy, long(payload.size()));
    std::memcpy(buffer, payload.data(), payload.size());
    ogg_sync_wrote(&oy, long(payload.size()));
    if (ogg_sync_pageout(&oy, &og) != 1) {
        ogg_sync_clear(&oy);
        return out;
    }
    ogg_stream_init(&os, ogg_page_serialno(&og));
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
    ogg_stream_pagein(&os, &og);
    int headers = 0;
    bool ok = true;
    while (headers < 3 && ok) {
        int r = ogg_stream_packetout(&os, &op);
        if (r == 1) {
            if (vorbis_synthesis_headerin(&vi, &vc, &op) != 0) ok = false;
            ++headers;
        } else if (ogg_sync_pageout(&oy, &og) == 1) {
            ogg_stream_pagein(&os, &og);
        } else {
            ok = false;
        }
    }
    if (ok) {
        out.channels = vi.channels;
        out.rate = vi.rate;
        for (int i = 0; i < vc.comments; ++i)
            out.comments.emplace_back(vc.user_comments[i], size_t(vc.comment_lengths[i]));
        vorbis_synthesis_init(&vd, &vi);
        vorbis_block_init(&vd, &vb);
        bool more = true;
        while (more) {
            while (ogg_stream_packetout(&os, &op) == 1) {
                if (vorbis_synthesis(&vb, &op) == 0) vorbis_synthesis_blockin(&vd, &vb);
                float** pcm;
                int n;
                while ((n = vorbis_synthesis_pcmout(&vd, &pcm)) > 0) {
                    for (int i = 0; i < n; ++i) {
                        float v = pcm[0][i] * 32767.0f;
                        v = v > 32767 ? 32767 : (v < -32768 ? -32768 : v);
                        out.pcm.push_back(int16_t(v));
                    }
                    vorbis_synthesis_read(&vd, n);
                }
            }
            if (ogg_sync_pageout(&oy, &og) == 1)
                ogg_stream_pagein(&os, &og);
            else
                more = false;
        }
        vorbis_block_clear(&vb);
        vorbis_dsp_clear(&vd);
        out.ok = true;
    }
    ogg_stream_clear(&os);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    ogg_sync_clear(&oy);
    return out;
}

} // namespace vandrel::test
