// Reading the generated data set back for the tests: the entries the build
// wrote, their blocks, and the pictures and sounds inside them decoded with
// the plain libraries.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::test {

using Bytes = std::vector<uint8_t>;

extern const char* const entryNames[7];

// The entry as the build wrote it into the dataset folder (empty if missing).
const Bytes& builtEntry(const std::string& name);

struct Block {
    std::string tag;
    Bytes payload;
};
// Splits an entry into its blocks; false when the framing does not add up
// to exactly the entry's bytes.
bool splitBlocks(const Bytes& entry, std::vector<Block>& out);
std::string tagSequence(const std::vector<Block>& blocks);
int32_t i32At(const Bytes& payload, size_t offset);

struct JpegInfo {
    bool ok = false;
    int width = 0, height = 0, components = 0;
    bool progressive = true;
    std::vector<uint8_t> rgb; // decoded pixels
};
JpegInfo decodeJpeg(const Bytes& jpeg);

struct MaskInfo {
    bool ok = false;
    int width = 0, height = 0, bitDepth = 0, colourType = -1;
    std::vector<uint8_t> transparent; // 1 = white = transparent
    bool at(int x, int y) const { return transparent[size_t(y) * size_t(width) + size_t(x)] != 0; }
};
MaskInfo decodeMask(const Bytes& png);

struct OggInfo {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<std::string> comments;
    std::vector<int16_t> pcm; // decoded samples
    bool singleStreamEndingWithEos = false;
};
OggInfo decodeOgg(const Bytes& payload);

} // namespace vandrel::test
