// The zip archive behind the executable, read through minizip on a stream that
// the locator owns: our file callbacks read and seek on it but never close it.
#include "data/Archive.h"

#include "data/BlockReader.h"

#include <minizip/unzip.h>

#include <climits>

namespace vandrel {
namespace {

// The "path" handed to minizip is the borrowed stream itself.
voidpf ZCALLBACK openStream(voidpf, const void* stream, int) { return const_cast<void*>(stream); }

uLong ZCALLBACK readStream(voidpf, voidpf stream, void* buffer, uLong size) {
    return static_cast<uLong>(std::fread(buffer, 1, size, static_cast<std::FILE*>(stream)));
}

uLong ZCALLBACK writeStream(voidpf, voidpf, const void*, uLong) {
    return 0; // read-only
}

ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf stream) {
    const long position = std::ftell(static_cast<std::FILE*>(stream));
    return position < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(position);
}

long ZCALLBACK seekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    int whence = SEEK_SET;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR: whence = SEEK_CUR; break;
    case ZLIB_FILEFUNC_SEEK_END: whence = SEEK_END; break;
    case ZLIB_FILEFUNC_SEEK_SET: whence = SEEK_SET; break;
    default: return -1;
    }
    // Offsets come from the archive's own records; refuse what a long cannot hold.
    if (offset > static_cast<ZPOS64_T>(LONG_MAX)) return -1;
    return std::fseek(static_cast<std::FILE*>(stream), static_cast<long>(offset), whence) == 0 ? 0 : -1;
}

// The stream belongs to the locator; closing the archive must leave it open.
int ZCALLBACK closeStream(voidpf, voidpf) { return 0; }

int ZCALLBACK errorStream(voidpf, voidpf stream) { return std::ferror(static_cast<std::FILE*>(stream)); }

unzFile zip(void* handle) { return static_cast<unzFile>(handle); }

// minizip's mode 2: ASCII letters folded, nothing else.
constexpr int caseInsensitive = 2;

// Skips go through this much stack rather than a buffer the size of the gap,
// whose length comes straight from the data.
constexpr uint32_t skipChunk = 4096;

} // namespace

Archive::Archive() = default;

Archive::~Archive() { close(); }

BlockReader* Archive::open(std::FILE* stream) {
    close();
    if (!stream) return nullptr;
    zlib_filefunc64_def functions{};
    functions.zopen64_file = openStream;
    functions.zread_file = readStream;
    functions.zwrite_file = writeStream;
    functions.ztell64_file = tellStream;
    functions.zseek64_file = seekStream;
    functions.zclose_file = closeStream;
    functions.zerror_file = errorStream;
    functions.opaque = nullptr;
    handle_ = unzOpen2_64(stream, &functions);
    if (!handle_) return nullptr;
    reader_ = std::make_unique<BlockReader>(*this);
    return reader_.get();
}

void Archive::closeReader(BlockReader* r) {
    if (r && r == reader_.get()) reader_.reset();
    close();
}

int32_t Archive::entrySize(const char* name) {
    if (!openEntry(name)) return 0;
    const int32_t size = currentSize();
    closeEntry();
    return size;
}

bool Archive::openEntry(const char* name) {
    if (!name || !handle_) return false;
    closeEntry();
    if (unzLocateFile(zip(handle_), name, caseInsensitive) != UNZ_OK) return false;
    // Only stored and deflated entries are readable. minizip built without
    // bzip2 would otherwise hand out a bzip2 entry's compressed bytes as data.
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip(handle_), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) return false;
    if (unzOpenCurrentFile(zip(handle_)) != UNZ_OK) return false;
    entryOpen_ = true;
    delivered_ = 0;
    return true;
}

void Archive::closeEntry() {
    if (!entryOpen_) return;
    // A checksum mismatch reported here changes nothing: the entry is closed.
    unzCloseCurrentFile(zip(handle_));
    entryOpen_ = false;
    delivered_ = 0;
}

int32_t Archive::currentSize() {
    if (!entryOpen_) return 0;
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip(handle_), &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return 0;
    // Positions are signed 32-bit; a larger recorded size cannot be walked.
    if (info.uncompressed_size > static_cast<ZPOS64_T>(INT32_MAX)) return 0;
    return static_cast<int32_t>(info.uncompressed_size);
}

int32_t Archive::tell() { return entryOpen_ ? delivered_ : 0; }

bool Archive::read(void* destination, uint32_t n) {
    if (!destination || n == 0 || !handle_ || !entryOpen_) return false;
    // tell() is a signed 32-bit position; a read that would carry it past that
    // range is refused before anything moves.
    if (static_cast<uint64_t>(delivered_) + n > static_cast<uint64_t>(INT32_MAX)) return false;
    auto* out = static_cast<unsigned char*>(destination);
    uint32_t remaining = n;
    while (remaining > 0) {
        const unsigned ask = remaining > (1u << 30) ? (1u << 30) : remaining;
        const int got = unzReadCurrentFile(zip(handle_), out, ask);
        if (got <= 0) return false;
        delivered_ += got;
        out += got;
        remaining -= static_cast<uint32_t>(got);
    }
    return true;
}

bool Archive::skipTo(int32_t position) {
    const int64_t gap = static_cast<int64_t>(position) - tell();
    if (gap <= 0) return true;
    unsigned char buffer[skipChunk];
    int64_t left = gap;
    while (left > 0) {
        const uint32_t chunk = left > skipChunk ? skipChunk : static_cast<uint32_t>(left);
        if (!read(buffer, chunk)) return false;
        left -= chunk;
    }
    return true;
}

std::vector<ArchiveEntry> Archive::entries() {
    std::vector<ArchiveEntry> list;
    if (!handle_) return list;
    closeEntry();
    for (int status = unzGoToFirstFile(zip(handle_)); status == UNZ_OK; status = unzGoToNextFile(zip(handle_))) {
        unz_file_info64 info{};
        char name[257] = {}; // longer names are cut; lookups never find them anyway
        if (unzGetCurrentFileInfo64(zip(handle_), &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        list.push_back({name, info.uncompressed_size, info.compressed_size});
    }
    return list;
}

void Archive::close() {
    closeEntry();
    if (handle_) {
        unzClose(zip(handle_));
        handle_ = nullptr;
    }
}

} // namespace vandrel
