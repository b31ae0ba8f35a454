// Walks the tagged blocks of the archive entry that is open: a two-letter tag,
// an unsigned 32-bit little-endian length, the payload; strictly forward.
#pragma once
#include <cstdint>

namespace vandrel {

class Archive;

// A tag as consumers compare it: the 16-bit little-endian value of its two
// bytes, so "JP" is 0x504A.
constexpr uint16_t makeTag(char first, char second) {
    return static_cast<uint16_t>(static_cast<uint8_t>(first) | (static_cast<uint8_t>(second) << 8));
}

class BlockReader {
public:
    explicit BlockReader(Archive& archive) : archive_(archive) {}
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    bool openEntry(const char* name);
    void closeEntry();

    bool readHeader(uint16_t& tag);
    bool nextBlock();

    int32_t blockLength() const { return blockLength_; }
    int32_t size() const;
    int32_t tell() const;

    bool read(void* destination, uint32_t n);
    bool readU8(uint8_t* destination);
    bool readU16(uint16_t* destination);
    bool readU32(uint32_t* destination);
    // A signed 32-bit field: the same four bytes as readU32, two's complement.
    bool readI32(int32_t* destination);
    // Reads at most n bytes, never past the current block's end; 0 at its end
    // or on failure.
    int32_t readSome(void* destination, uint32_t n);

private:
    Archive& archive_;
    int32_t blockStart_ = -1;
    int32_t blockLength_ = -1;
    bool blockOpen_ = false;
};

} // namespace vandrel
