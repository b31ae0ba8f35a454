// Any bytes as the game's executable: find the archive behind the image, then
// read it as a loading pass does.
#include "ArchiveWalk.h"
#include "data/ArchiveLocator.h"
#include "base/LoadError.h"

#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One in-memory file, rewritten for every input and opened by path.
    static const int fd = memfd_create("vandrel-fuzz", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return 0;
    vandrel::ArchiveLocator locator;
    try {
        std::FILE* stream = locator.open(path.c_str());
        vandrel::Archive archive;
        if (vandrel::BlockReader* reader = archive.open(stream)) {
            vandrel::fuzz::walkArchive(archive, *reader);
            archive.closeReader(reader);
        }
    } catch (const vandrel::LoadError&) {}
    locator.close();
    return 0;
}
