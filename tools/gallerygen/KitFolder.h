// A gallery kit written as a maker would write it: pictures as PNG (with
// alpha where something shows through) or JPEG (opaque), sounds as Ogg
// Vorbis, and gallery.toml naming them. Every file is kept in memory until
// write(), so the same gallery always gives the same files.
#pragma once
#include "Canvas.h"
#include "Synth.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vandrel::gallerygen {

class KitFolder {
public:
    // Adds a file under its kit path (folders with '/') and returns the path.
    const std::string& addFile(const std::string& path, std::vector<uint8_t> bytes);
    // A picture with alpha: the colour of see-through pixels is taken from
    // their opaque neighbours, so the compiled JPEG has no foreign fringe.
    const std::string& addPng(const std::string& path, const assetgen::Canvas& canvas);
    // Frames side by side in one PNG strip.
    const std::string& addStrip(const std::string& path, const std::vector<assetgen::Canvas>& frames);
    // An opaque picture.
    const std::string& addJpeg(const std::string& path, const assetgen::Canvas& canvas, int quality);
    // A mono sound; serial is its fixed Ogg stream number.
    const std::string& addSound(const std::string& path, const assetgen::Samples& samples, uint32_t serial,
                                float quality);

    // gallery.toml's text, added to as the gallery is described.
    std::string& manifest() { return manifest_; }
    const std::string& manifest() const { return manifest_; }

    // Writes gallery.toml and the files into dir, after removing what an
    // earlier run left there. False with why set.
    bool write(const std::string& dir, std::string& why) const;

    const std::map<std::string, std::vector<uint8_t>>& files() const { return files_; }

private:
    std::map<std::string, std::vector<uint8_t>> files_;
    std::string manifest_;
};

// A TOML string in double quotes.
std::string quoted(const std::string& text);

// The harbour gallery described into a kit.
KitFolder makeHarbourKit();

} // namespace vandrel::gallerygen
