// The kit's files in memory and on disk.
#include "KitFolder.h"

#include "Encoders.h"
#include "VorbisEncoder.h"

#include <filesystem>
#include <fstream>

namespace vandrel::gallerygen {

const std::string& KitFolder::addFile(const std::string& path, std::vector<uint8_t> bytes) {
    return files_.insert_or_assign(path, std::move(bytes)).first->first;
}

const std::string& KitFolder::addPng(const std::string& path, const assetgen::Canvas& canvas) {
    const std::vector<uint8_t> rgb = canvas.rgb8();
    const std::vector<uint8_t> clear = canvas.transparency();
    std::vector<uint8_t> rgba(clear.size() * 4);
    for (size_t i = 0; i < clear.size(); ++i) {
        rgba[i * 4] = rgb[i * 3];
        rgba[i * 4 + 1] = rgb[i * 3 + 1];
        rgba[i * 4 + 2] = rgb[i * 3 + 2];
        rgba[i * 4 + 3] = clear[i] ? 0 : 255;
    }
    return addFile(path, assetgen::encodePngRgba(rgba.data(), canvas.width(), canvas.height()));
}

const std::string& KitFolder::addStrip(const std::string& path, const std::vector<assetgen::Canvas>& frames) {
    const int w = frames.front().width(), h = frames.front().height();
    assetgen::Canvas strip(w * int(frames.size()), h);
    for (size_t i = 0; i < frames.size(); ++i) strip.draw(frames[i], w * int(i), 0);
    return addPng(path, strip);
}

const std::string& KitFolder::addJpeg(const std::string& path, const assetgen::Canvas& canvas, int quality) {
    const std::vector<uint8_t> rgb = canvas.rgb8();
    return addFile(path, assetgen::encodeJpeg(rgb.data(), canvas.width(), canvas.height(), quality));
}

const std::string& KitFolder::addSound(const std::string& path, const assetgen::Samples& samples, uint32_t serial,
                                       float quality) {
    return addFile(path, assetgen::encodeVorbis(samples, serial, quality));
}

bool KitFolder::write(const std::string& dir, std::string& why) const {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Only what this kit names stays: a file left from an older run would
    // still be checked and zipped by hand.
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    if (ec) {
        why = "cannot make " + dir + ": " + ec.message();
        return false;
    }
    auto put = [&](const fs::path& path, const char* data, size_t size) {
        fs::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(data, static_cast<std::streamsize>(size));
        if (out.flush()) return true;
        why = "cannot write " + path.string();
        return false;
    };
    if (!put(fs::path(dir) / "gallery.toml", manifest_.data(), manifest_.size())) return false;
    for (const auto& [path, bytes] : files_) {
        if (!put(fs::path(dir) / path, reinterpret_cast<const char*>(bytes.data()), bytes.size())) return false;
    }
    return true;
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace vandrel::gallerygen
