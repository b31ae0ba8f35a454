// What a loading pass does to an archive, driven by whatever bytes it holds:
// every entry opened, every block walked, every payload read in some manner.
#pragma once
#include "data/Archive.h"
#include "data/BlockReader.h"

#include <cstdint>
#include <cstdlib>

namespace vandrel::fuzz {

inline void walkArchive(Archive& archive, BlockReader& reader) {
    uint8_t chunk[4096];
    for (const ArchiveEntry& entry : archive.entries()) {
        (void)archive.entrySize(entry.name.c_str());
        if (!reader.openEntry(entry.name.c_str())) continue;
        uint16_t tag = 0;
        unsigned step = 0;
        while (reader.readHeader(tag)) {
            if (reader.size() < 0) std::abort(); // sizes are counts of bytes
            const int32_t before = reader.tell();
            // Vary how the payload is consumed, as the different loaders do.
            switch ((tag ^ step++) % 4) {
            case 0:
                for (int32_t got; (got = reader.readSome(chunk, sizeof chunk)) > 0;) {
                    if (got > static_cast<int32_t>(sizeof chunk)) std::abort();
                }
                break;
            case 1: {
                uint32_t word = 0;
                (void)reader.readU32(&word);
                break;
            }
            case 2: (void)reader.readSome(chunk, 7); break;
            default: break; // skipped whole
            }
            if (!reader.nextBlock()) break;
            if (reader.tell() < before) std::abort(); // the walk only ever moves forward
        }
        reader.closeEntry();
    }
}

} // namespace vandrel::fuzz
