// Opens the game's executable and walks its image headers to the byte where
// the appended archive begins: a PE image (with or without a CodeView record
// behind its last section) or an ELF image.
#include "data/ArchiveLocator.h"

#include "base/LoadError.h"
#include "system/Process.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace vandrel {
namespace {

[[noreturn]] void fail() { throw LoadError(); }

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// ELF fields come in the image's own byte order and in 32- or 64-bit widths.
struct ElfFields {
    bool bigEndian = false;

    uint64_t get(const uint8_t* p, int width) const {
        uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            const int shift = bigEndian ? (width - 1 - i) * 8 : i * 8;
            v |= static_cast<uint64_t>(p[i]) << shift;
        }
        return v;
    }
};

bool seekTo(std::FILE* file, uint64_t position) {
    if (position > static_cast<uint64_t>(LONG_MAX)) return false;
    return std::fseek(file, static_cast<long>(position), SEEK_SET) == 0;
}

constexpr size_t dosHeaderSize = 64;
constexpr size_t ntHeadersSize = 248; // signature, file header, 224-byte optional header
constexpr size_t sectionHeaderSize = 40;
constexpr uint16_t pe32PlusMagic = 0x20B;

// The PE walk: the last header of the section table decides where the image
// ends, then a CodeView "NB10" record there is stepped over.
long peArchiveStart(std::FILE* file, const uint8_t* dos) {
    const int32_t lfanew = static_cast<int32_t>(le32(dos + 0x3C));
    if (std::fseek(file, lfanew, SEEK_SET) != 0) fail();
    uint8_t nt[ntHeadersSize];
    if (std::fread(nt, 1, sizeof nt, file) != sizeof nt) fail();
    if (le32(nt) != 0x4550) fail();
    // A 64-bit image (optional header magic 0x20B) has a longer optional header
    // than the 224 bytes read above; its section table starts where the file
    // header's SizeOfOptionalHeader says.
    if (le16(nt + 24) == pe32PlusMagic) {
        const int64_t table = static_cast<int64_t>(lfanew) + 24 + le16(nt + 20);
        if (table < 0 || !seekTo(file, static_cast<uint64_t>(table))) fail();
    }
    const uint16_t sections = le16(nt + 6);
    // Without a section table there is no last section to end the image.
    if (sections == 0) fail();
    uint8_t section[sectionHeaderSize];
    for (uint16_t i = 0; i < sections; ++i) {
        if (std::fread(section, 1, sizeof section, file) != sizeof section) fail();
    }
    const uint32_t end = le32(section + 20) + le32(section + 16);
    if (std::fseek(file, static_cast<long>(end), SEEK_SET) != 0) fail();

    uint8_t look[256] = {};
    // A short read leaves zeros behind, which no debug record matches.
    [[maybe_unused]] const size_t got = std::fread(look, 1, 255, file);
    uint32_t start = end;
    if (std::memcmp(look, "NB10", 5) == 0) {
        for (int j = 16; j <= 254; ++j) {
            if (look[j] == 0 && std::memcmp(look + j - 4, ".pdb", 4) == 0) {
                start = end + static_cast<uint32_t>(j) + 1;
                break;
            }
        }
    }
    return static_cast<long>(start);
}

// The ELF walk: the image ends with its section header table or with the last
// section that has bytes in the file, whichever lies further back.
uint64_t elfArchiveStart(std::FILE* file, const uint8_t* header, size_t got) {
    const uint8_t elfClass = header[4];
    const uint8_t data = header[5];
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2)) fail();
    const bool is64 = elfClass == 2;
    const size_t headerSize = is64 ? 64 : 52;
    if (got < headerSize) fail();
    ElfFields f{data == 2};
    const int word = is64 ? 8 : 4;
    const uint64_t shoff = f.get(header + (is64 ? 0x28 : 0x20), word);
    const uint64_t shentsize = f.get(header + (is64 ? 0x3A : 0x2E), 2);
    const uint64_t shnum = f.get(header + (is64 ? 0x3C : 0x30), 2);
    const size_t minEntry = is64 ? 64 : 40;
    // An image without sections (or with the count kept elsewhere) gives no end.
    if (shnum == 0 || shoff == 0 || shentsize < minEntry || shentsize > 256) fail();
    if (shoff > UINT64_MAX - shnum * shentsize) fail();
    uint64_t end = shoff + shnum * shentsize;

    if (!seekTo(file, shoff)) fail();
    uint8_t entry[256];
    for (uint64_t i = 0; i < shnum; ++i) {
        if (std::fread(entry, 1, shentsize, file) != shentsize) fail();
        constexpr uint32_t noBits = 8; // SHT_NOBITS: occupies no file space
        const uint32_t type = static_cast<uint32_t>(f.get(entry + 4, 4));
        const uint64_t offset = f.get(entry + (is64 ? 0x18 : 0x10), word);
        const uint64_t size = f.get(entry + (is64 ? 0x20 : 0x14), word);
        if (type == 0 || type == noBits || size == 0) continue;
        if (offset > UINT64_MAX - size) fail();
        if (offset + size > end) end = offset + size;
    }
    return end;
}

} // namespace

std::FILE* ArchiveLocator::open(const char* path) {
    if (!path) fail();
    file_ = openFile(path, "rb");
    if (!file_) fail();

    uint8_t header[dosHeaderSize];
    const size_t got = std::fread(header, 1, sizeof header, file_);
    uint64_t start = 0;
    // A plain zip (the web build's data set, or one made with pack build)
    // begins with a local file header, or with the end record when empty.
    if (got >= 4 && (std::memcmp(header, "PK\x03\x04", 4) == 0 || std::memcmp(header, "PK\x05\x06", 4) == 0)) {
        start = 0;
    } else if (got >= 4 && std::memcmp(header,
                                       "\x7F"
                                       "ELF",
                                       4) == 0) {
        start = elfArchiveStart(file_, header, got);
    } else {
        if (got < dosHeaderSize || le16(header) != 0x5A4D) fail();
        start = static_cast<uint64_t>(peArchiveStart(file_, header));
    }
    if (!seekTo(file_, start)) fail();
    return file_;
}

void ArchiveLocator::close() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

} // namespace vandrel
