// Writing a recording into a link and reading it back, refusing whatever a
// link that was cut, edited or made up could bring.
#include "link/RoundLink.h"

#include <zlib.h>

#include <array>
#include <cstdint>

namespace vandrel::roundLink {
namespace {

constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int valueOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

// The payload of text: after the fragment key when there is one.
std::string_view payloadOf(std::string_view text) {
    const size_t key = text.find(fragmentKey);
    if (key != std::string_view::npos) return text.substr(key + fragmentKey.size());
    if (text.substr(0, fragmentKey.size() - 1) == fragmentKey.substr(1)) return text.substr(fragmentKey.size() - 1);
    return text;
}

// Inflates a zlib stream into out, at most maxRecordingBytes; false with the
// reason in error.
bool inflateLimited(std::string_view packed, std::string& out, std::string& error) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "the link cannot be unpacked (out of memory)";
        return false;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    std::array<char, 16384> chunk{};
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&z, Z_NO_FLUSH);
        const size_t got = chunk.size() - z.avail_out;
        if (out.size() + got > maxRecordingBytes) {
            inflateEnd(&z);
            error = "the round in the link is larger than " + std::to_string(maxRecordingBytes >> 20) +
                    " MiB; no game makes such a round";
            return false;
        }
        out.append(chunk.data(), got);
        // All input taken and no room wanted: a stream cut short.
        if (status == Z_BUF_ERROR || (status == Z_OK && z.avail_in == 0 && got == 0)) break;
    }
    const bool trailing = z.avail_in != 0;
    inflateEnd(&z);
    if (status == Z_STREAM_END && !trailing) return true;
    if (status == Z_STREAM_END)
        error = "the link has more after the round; it was changed";
    else if (status == Z_DATA_ERROR || status == Z_NEED_DICT)
        error = "the link was changed or damaged (its round does not unpack)";
    else
        error = "the link is cut short; copy all of it";
    return false;
}

} // namespace

std::string toBase64Url(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6) out += alphabet[(v >> shift) & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
        if (rest == 2) v |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        if (rest == 2) out += alphabet[(v >> 6) & 63];
    }
    return out;
}

bool fromBase64Url(std::string_view text, std::string& bytes) {
    bytes.clear();
    if (text.size() % 4 == 1) return false;
    bytes.reserve(text.size() / 4 * 3 + 2);
    uint32_t v = 0;
    int bits = 0;
    for (char c : text) {
        const int d = valueOf(c);
        if (d < 0) return false;
        v = (v << 6 | static_cast<uint32_t>(d)) & 0xffffff;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((v >> bits) & 0xff);
        }
    }
    // The bits left over are the last character's padding: zero when written by us.
    return (v & ((1u << bits) - 1)) == 0;
}

std::string encode(std::string_view recording) {
    uLongf size = compressBound(static_cast<uLong>(recording.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(recording.data()),
                  static_cast<uLong>(recording.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(size);
    return toBase64Url(packed);
}

std::string link(std::string_view base, std::string_view recording) {
    std::string out(base);
    // An address that already has a fragment gets ours instead.
    const size_t hash = out.find('#');
    if (hash != std::string::npos) out.resize(hash);
    out += fragmentKey;
    out += encode(recording);
    return out;
}

bool decode(std::string_view text, std::string& recording, std::string& error) {
    recording.clear();
    // What a mail program or a terminal may have put around a link.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
    const std::string_view payload = payloadOf(text);
    if (payload.empty()) {
        error = "the link holds no round";
        return false;
    }
    if (payload.size() > maxPayloadChars) {
        error = "the link is too long to be a round (" + std::to_string(payload.size()) + " characters)";
        return false;
    }
    std::string packed;
    if (!fromBase64Url(payload, packed)) {
        error = "the link was changed or cut short (it holds characters or a length no round link has)";
        return false;
    }
    std::string out;
    if (!inflateLimited(packed, out, error)) return false;
    const std::string_view head = std::string_view(out).substr(0, out.find('\n'));
    const std::string_view plain = head.substr(0, head.find('\r'));
    if (plain.substr(0, 15) != formatLine.substr(0, 15)) {
        error = "the link does not hold a recorded round";
        return false;
    }
    if (plain != formatLine) {
        error = "the round was recorded by another version of the game (" + std::string(plain.substr(0, 40)) +
                "); this one reads " + std::string(formatLine);
        return false;
    }
    recording = std::move(out);
    return true;
}

} // namespace vandrel::roundLink
