// The zip archive on a borrowed stream: entries looked up without regard to
// ASCII case, opened one at a time and read forward as inflated bytes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace vandrel {

class BlockReader;

// One entry as the central directory records it.
struct ArchiveEntry {
    std::string name;
    uint64_t size = 0;       // uncompressed bytes
    uint64_t storedSize = 0; // compressed bytes
};

class Archive {
public:
    Archive();
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Opens the archive on stream (never closed by the archive) and creates the
    // one block reader; null on failure. An archive already open is closed first.
    BlockReader* open(std::FILE* stream);
    // Destroys the reader, then closes the archive.
    void closeReader(BlockReader* reader);

    int32_t entrySize(const char* name);
    bool openEntry(const char* name);
    void closeEntry();
    int32_t currentSize();
    int32_t tell();
    bool read(void* destination, uint32_t n);
    bool skipTo(int32_t position);
    void close();

    bool isOpen() const { return handle_ != nullptr; }
    // Every entry in central-directory order (for tools that list or extract);
    // closes an open entry. Empty when the archive is closed.
    std::vector<ArchiveEntry> entries();

private:
    void* handle_ = nullptr; // minizip's unzFile
    bool entryOpen_ = false;
    int32_t delivered_ = 0; // bytes of the open entry handed out by read()
    std::unique_ptr<BlockReader> reader_;
};

} // namespace vandrel
