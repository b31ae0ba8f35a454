// Writing the test kits' files.
#include "kit/KitFiles.h"

#include "support/TestImages.h"
#include "support/TestSounds.h"

#include <zlib.h>

#include <fstream>
#include <sstream>

namespace vandrel::test {
namespace {

void putBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    putBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    putBig32(ihdr, width);
    putBig32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA
    chunk(out, "IHDR", ihdr);
    return out;
}

} // namespace

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> rgbaPng(int32_t width, int32_t height, const std::function<uint8_t(int32_t, int32_t)>& alpha) {
    std::vector<uint8_t> raw;
    for (int32_t y = 0; y < height; ++y) {
        raw.push_back(0); // no filter
        for (int32_t x = 0; x < width; ++x)
            raw.insert(raw.end(),
                       {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 40, alpha ? alpha(x, y) : uint8_t{128}});
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(packedSize);
    std::vector<uint8_t> out = pngHeader(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

void writeKitFiles(const std::filesystem::path& dir) {
    const Picture near = makePicture(640, 60, [](int32_t x, int32_t) { return Rgb{0, static_cast<uint8_t>(x), 90}; });
    // The far layer open above row 10, each bird frame in its left column.
    writeFile(dir / "layers/far.png", rgbaPng(800, 100, [](int32_t, int32_t y) { return y < 10 ? 0 : 255; }));
    writeFile(dir / "layers/near.jpg", encodeJpeg(near, 80));
    writeFile(dir / "layers/near-mask.png", encodeMaskPng(640, 60, std::vector<uint8_t>(640 * 60, 1)));
    writeFile(dir / "frames/bird.png", rgbaPng(64, 16, [](int32_t x, int32_t) { return x % 16 == 0 ? 0 : 255; }));
    writeFile(dir / "frames/pop1.png", rgbaPng(8, 8));
    writeFile(dir / "frames/pop2.png", rgbaPng(8, 8));
    writeFile(dir / "cursor.png", rgbaPng(16, 16));
    writeFile(dir / "cartridge.png", rgbaPng(8, 16));
    writeFile(dir / "fonts/large.png", rgbaPng(13 * 12, 6 * 16));
    writeFile(dir / "fonts/small.png", rgbaPng(13 * 8, 6 * 10));
    // The tag of a TrueType font and a table count of none: what the checker
    // looks at; drawing it is FreeType's business.
    writeFile(dir / "fonts/small.ttf", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    writeFile(dir / "sounds/hit.ogg", oggTone(60, 660.0));

    // What the broken kits point at.
    writeFile(dir / "bad/narrow.png", rgbaPng(320, 100));
    writeFile(dir / "bad/really-png.ogg", rgbaPng(4, 4));
    writeFile(dir / "bad/odd-strip.png", rgbaPng(50, 16));
    writeFile(dir / "bad/opaque.jpg", encodeJpeg(near, 80));
    // A header claiming 100000 x 100000 pixels and nothing behind it: only
    // the header may be read.
    std::vector<uint8_t> huge = pngHeader(100000, 100000);
    chunk(huge, "IEND", {});
    writeFile(dir / "bad/huge.png", huge);
}

std::filesystem::path freshFolder(const std::string& name) {
    const std::filesystem::path dir = std::filesystem::path(VANDREL_BINARY_DIR) / "test-kits" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::filesystem::path kitsFolder() { return std::filesystem::path(VANDREL_SOURCE_DIR) / "tests" / "kits"; }

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string minimalManifest() { return readText(kitsFolder() / "minimal" / "gallery.toml"); }

std::filesystem::path kitWith(const std::string& name, const std::string& manifest) {
    const std::filesystem::path dir = freshFolder(name);
    writeKitFiles(dir);
    std::ofstream(dir / "gallery.toml", std::ios::binary) << manifest;
    return dir;
}

} // namespace vandrel::test
