// The forward-only walk over the tagged blocks of the archive's open entry.
#include "data/BlockReader.h"

#include "data/Archive.h"

#include <climits>

namespace vandrel {

bool BlockReader::openEntry(const char* name) { return archive_.openEntry(name); }

void BlockReader::closeEntry() { archive_.closeEntry(); }

bool BlockReader::readHeader(uint16_t& tag) {
    uint8_t tagBytes[2];
    if (!read(tagBytes, 2)) return false;
    tag = static_cast<uint16_t>(tagBytes[0] | (tagBytes[1] << 8));
    blockStart_ = tell();
    uint8_t lengthBytes[4];
    if (!read(lengthBytes, 4)) return false;
    const uint32_t length = static_cast<uint32_t>(lengthBytes[0]) | (static_cast<uint32_t>(lengthBytes[1]) << 8) |
                            (static_cast<uint32_t>(lengthBytes[2]) << 16) |
                            (static_cast<uint32_t>(lengthBytes[3]) << 24);
    // A length of 2^31 or more does not fit the signed field: the block cannot
    // be walked, so the header counts as unreadable rather than as a block with
    // a negative length whose "next block" would lie inside its own payload.
    if (length > static_cast<uint32_t>(INT32_MAX)) {
        blockLength_ = -1;
        return false;
    }
    blockLength_ = static_cast<int32_t>(length);
    blockOpen_ = true;
    return true;
}

bool BlockReader::nextBlock() {
    if (!blockOpen_ || blockLength_ == -1) return false;
    const int64_t target = static_cast<int64_t>(blockStart_) + blockLength_ + 4;
    if (target > INT32_MAX) return false;
    if (!archive_.skipTo(static_cast<int32_t>(target))) return false;
    blockOpen_ = false;
    blockStart_ = -1;
    blockLength_ = -1;
    return true;
}

int32_t BlockReader::size() const {
    if (blockLength_ > 0 && (!blockOpen_ || blockStart_ > 0)) return blockLength_;
    return archive_.currentSize();
}

int32_t BlockReader::tell() const { return archive_.tell(); }

bool BlockReader::read(void* destination, uint32_t n) {
    if (!destination || n == 0) return false;
    return archive_.read(destination, n);
}

bool BlockReader::readU8(uint8_t* destination) { return read(destination, 1); }

bool BlockReader::readU16(uint16_t* destination) {
    uint8_t bytes[2];
    if (!destination || !read(bytes, 2)) return false;
    *destination = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

bool BlockReader::readU32(uint32_t* destination) {
    uint8_t bytes[4];
    if (!destination || !read(bytes, 4)) return false;
    *destination = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                   (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

bool BlockReader::readI32(int32_t* destination) {
    uint32_t v = 0;
    if (!destination || !readU32(&v)) return false;
    *destination = static_cast<int32_t>(v);
    return true;
}

int32_t BlockReader::readSome(void* destination, uint32_t n) {
    if (!blockOpen_ || !destination || n == 0) return 0;
    const int64_t remaining = static_cast<int64_t>(blockStart_) + 4 + blockLength_ - tell();
    if (remaining <= 0) return 0;
    const uint32_t k = remaining < n ? static_cast<uint32_t>(remaining) : n;
    return read(destination, k) ? static_cast<int32_t>(k) : 0;
}

} // namespace vandrel
