// Recognising kit files by their bytes, and reading picture headers.
#include "kit/FileSniff.h"

#include <cstring>

namespace vandrel::kit {
namespace {

bool startsWith(std::span<const uint8_t> bytes, std::string_view magic, size_t at = 0) {
    return bytes.size() >= at + magic.size() && std::memcmp(bytes.data() + at, magic.data(), magic.size()) == 0;
}

uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

constexpr std::string_view pngSignature{"\x89PNG\r\n\x1a\n", 8};

bool readPng(std::span<const uint8_t> bytes, PictureHeader& out) {
    // The signature, then IHDR: length 13, width, height, depth, colour type.
    if (bytes.size() < 33 || !startsWith(bytes, "IHDR", 12) || bigEndian32(bytes.data() + 8) != 13) return false;
    out.width = bigEndian32(bytes.data() + 16);
    out.height = bigEndian32(bytes.data() + 20);
    const uint8_t colourType = bytes[25];
    out.alpha = colourType == 4 || colourType == 6;
    // A tRNS chunk gives the other types their transparency; it comes before
    // the first IDAT.
    for (size_t at = 33; !out.alpha && at + 8 <= bytes.size();) {
        const uint32_t length = bigEndian32(bytes.data() + at);
        if (startsWith(bytes, "tRNS", at + 4)) out.alpha = true;
        if (startsWith(bytes, "IDAT", at + 4) || length > bytes.size()) break;
        at += 12 + size_t{length};
    }
    return out.width > 0 && out.height > 0;
}

bool readJpeg(std::span<const uint8_t> bytes, PictureHeader& out) {
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) return false;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        const size_t length = size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        if (length < 2) return false;
        // The start-of-frame markers; C4, C8 and CC are other tables.
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > bytes.size()) return false;
            out.height = size_t{bytes[at + 5]} << 8 | bytes[at + 6];
            out.width = size_t{bytes[at + 7]} << 8 | bytes[at + 8];
            out.alpha = false;
            return out.width > 0 && out.height > 0;
        }
        if (marker == 0xD9 || marker == 0xDA) return false; // the picture before any frame header
        at += 2 + length;
    }
    return false;
}

} // namespace

Sniffed sniff(std::span<const uint8_t> bytes) {
    if (startsWith(bytes, pngSignature)) return Sniffed::Png;
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return Sniffed::Jpeg;
    if (startsWith(bytes, "OggS")) {
        // The first page holds the identification packet alone: 27 bytes of
        // header, the segment table, then "\x01vorbis".
        if (bytes.size() > 27) {
            const size_t packet = 27 + size_t{bytes[26]};
            if (startsWith(bytes, std::string_view("\x01vorbis", 7), packet)) return Sniffed::OggVorbis;
        }
        return Sniffed::Ogg;
    }
    if (startsWith(bytes, std::string_view("\0\1\0\0", 4)) || startsWith(bytes, "OTTO") || startsWith(bytes, "true") ||
        startsWith(bytes, "ttcf"))
        return Sniffed::Font;
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WAVE", 8)) return Sniffed::Wav;
    if (startsWith(bytes, "fLaC")) return Sniffed::Flac;
    return Sniffed::Unknown;
}

std::string_view describe(Sniffed kind) {
    switch (kind) {
    case Sniffed::Png: return "a PNG picture";
    case Sniffed::Jpeg: return "a JPEG picture";
    case Sniffed::OggVorbis: return "an Ogg Vorbis sound";
    case Sniffed::Ogg: return "an Ogg file that is not Vorbis";
    case Sniffed::Font: return "a font";
    case Sniffed::Wav: return "a WAV sound";
    case Sniffed::Flac: return "a FLAC sound";
    case Sniffed::Unknown: break;
    }
    return "of no kind a kit uses";
}

bool readPictureHeader(std::span<const uint8_t> bytes, PictureHeader& out) {
    out = {};
    switch (sniff(bytes)) {
    case Sniffed::Png: return readPng(bytes, out);
    case Sniffed::Jpeg: return readJpeg(bytes, out);
    default: return false;
    }
}

} // namespace vandrel::kit
