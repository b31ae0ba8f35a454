// The pictures, sounds and fonts the test kits of tests/kits/ name, written
// by our own code into a kit folder: small RGBA PNGs, a JPEG layer and its
// mask, an Ogg Vorbis tone, a font header, and the damaged files the broken
// kits point at (bad/...).
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vandrel::test {

// An RGBA PNG of the given size, every pixel half transparent (an alpha of
// 128: seen) unless alpha says otherwise; red is x, green is y.
std::vector<uint8_t> rgbaPng(int32_t width, int32_t height,
                             const std::function<uint8_t(int32_t, int32_t)>& alpha = nullptr);

// Writes bytes to path, making its folders first.
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Writes every file the test kits use under dir.
void writeKitFiles(const std::filesystem::path& dir);

// A fresh empty folder under the build's temporary files.
std::filesystem::path freshFolder(const std::string& name);

// The source tree's tests/kits/ folder.
std::filesystem::path kitsFolder();

// A file's whole contents, or nothing when it cannot be read.
std::string readText(const std::filesystem::path& path);

// The manifest of tests/kits/minimal, the clean kit the tests change a line of.
std::string minimalManifest();

// A fresh kit folder named name with every test file and the given manifest.
std::filesystem::path kitWith(const std::string& name, const std::string& manifest);

} // namespace vandrel::test
