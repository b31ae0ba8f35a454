// Test helper: builds a zip archive in a temporary file from named entries and
// opens it, so loaders can be tested on block streams made in the test.
#pragma once
#include "data/Archive.h"
#include "data/BlockReader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace vandrel::test {

using Bytes = std::vector<uint8_t>;

// One tagged block: tag, 32-bit little-endian length, payload.
Bytes block(const char* tag, const Bytes& payload = {});
// The same with a length field that does not match the payload (for truncation tests).
Bytes blockWithLength(const char* tag, uint32_t length, const Bytes& payload);
// Little-endian encodings for building record payloads.
void putU32(Bytes& out, uint32_t v);
void putU16(Bytes& out, uint16_t v);
Bytes concat(std::initializer_list<Bytes> parts);

// The set-up record's values; the defaults are the shipped game's.
struct SetupValues {
    int32_t width = 640;
    int32_t height = 480;
    int32_t minutes = 2;
    int32_t seconds = 0;
    int32_t magazine = 10;
    uint8_t title = 0;
    uint8_t highscore = 0;
    uint8_t end = 0;
    uint8_t fullScreen = 0;
    std::string name = ""; // at most 31 bytes are written, zero-filled
};
// The set-up record's block ("SS") as the data set generator writes it.
Bytes setupBlock(const SetupValues& values);
Bytes readFile(const std::string& path);

class TestArchive {
public:
    // Writes the entries (deflated, in order) to a temporary zip file and opens it.
    explicit TestArchive(const std::vector<std::pair<std::string, Bytes>>& entries);
    ~TestArchive();
    TestArchive(const TestArchive&) = delete;
    TestArchive& operator=(const TestArchive&) = delete;

    Archive& archive() { return archive_; }
    // The one reader of the open archive (null if the zip could not be opened).
    BlockReader* reader() { return reader_; }
    // Opens name on the reader; the reader is then ready for readHeader().
    BlockReader& entry(const char* name);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
    Archive archive_;
    BlockReader* reader_ = nullptr;
};

} // namespace vandrel::test
