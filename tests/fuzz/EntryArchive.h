// One archive entry holding the fuzzer's bytes: a stored (uncompressed) zip
// built in memory and opened the way a loading pass opens the game's archive,
// so an entry loader sees the input block for block as it would on disk.
#pragma once
#include "data/Archive.h"
#include "data/BlockReader.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vandrel::fuzz {

inline uint32_t crc32Of(const uint8_t* data, size_t size) {
    static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

// A zip file with the one stored entry name = data.
inline std::vector<uint8_t> storedZip(const char* name, const uint8_t* data, size_t size) {
    std::vector<uint8_t> zip;
    auto u16 = [&zip](uint32_t v) {
        zip.push_back(static_cast<uint8_t>(v));
        zip.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto u32 = [&u16](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    const auto nameLength = static_cast<uint32_t>(std::strlen(name));
    const uint32_t crc = crc32Of(data, size);
    const auto length = static_cast<uint32_t>(size);
    u32(0x04034B50); // local header
    u16(20);
    u16(0);
    u16(0); // stored
    u32(0); // time and date
    u32(crc);
    u32(length);
    u32(length);
    u16(nameLength);
    u16(0);
    zip.insert(zip.end(), name, name + nameLength);
    zip.insert(zip.end(), data, data + size);
    const auto directory = static_cast<uint32_t>(zip.size());
    u32(0x02014B50); // central directory
    u16(20);
    u16(20);
    u16(0);
    u16(0);
    u32(0);
    u32(crc);
    u32(length);
    u32(length);
    u16(nameLength);
    u16(0);
    u16(0);
    u16(0);
    u16(0);
    u32(0);
    u32(0); // local header at 0
    zip.insert(zip.end(), name, name + nameLength);
    const auto directorySize = static_cast<uint32_t>(zip.size()) - directory;
    u32(0x06054B50); // end of central directory
    u16(0);
    u16(0);
    u16(1);
    u16(1);
    u32(directorySize);
    u32(directory);
    u16(0);
    return zip;
}

class EntryArchive {
public:
    EntryArchive(const char* name, const uint8_t* data, size_t size) : name_(name), zip_(storedZip(name, data, size)) {
        stream_ = fmemopen(zip_.data(), zip_.size(), "rb");
        if (stream_) reader_ = archive_.open(stream_);
        if (reader_ && !reader_->openEntry(name)) close();
    }
    ~EntryArchive() { close(); }
    EntryArchive(const EntryArchive&) = delete;
    EntryArchive& operator=(const EntryArchive&) = delete;

    // The reader standing at the entry's first block header; null when the
    // archive could not be opened.
    BlockReader* reader() { return reader_; }
    // Opens the entry again from its start, as the next loading pass would.
    BlockReader* reopen() {
        if (!reader_) return nullptr;
        reader_->closeEntry();
        if (!reader_->openEntry(name_.c_str())) return nullptr;
        return reader_;
    }

private:
    void close() {
        if (reader_) {
            reader_->closeEntry();
            archive_.closeReader(reader_);
            reader_ = nullptr;
        }
        if (stream_) {
            std::fclose(stream_);
            stream_ = nullptr;
        }
    }

    std::string name_;
    std::vector<uint8_t> zip_;
    std::FILE* stream_ = nullptr;
    Archive archive_;
    BlockReader* reader_ = nullptr;
};

} // namespace vandrel::fuzz
