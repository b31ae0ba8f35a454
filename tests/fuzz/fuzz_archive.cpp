// Any bytes opened as the data archive: no crash, hang, leak or oversized allocation.
#include "ArchiveWalk.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) return 0;
    {
        vandrel::Archive archive;
        if (vandrel::BlockReader* reader = archive.open(stream)) {
            vandrel::fuzz::walkArchive(archive, *reader);
            archive.closeReader(reader);
        }
    }
    std::fclose(stream);
    return 0;
}
