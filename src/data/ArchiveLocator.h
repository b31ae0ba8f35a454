// Finds the zip archive appended to the game's executable: walks a PE image
// (with an optional CodeView record behind it) or an ELF image to its end and
// leaves the opened file positioned where the archive begins. A plain zip file
// is its own archive, from its first byte.
#pragma once
#include <cstdio>

namespace vandrel {

class ArchiveLocator {
public:
    ArchiveLocator() = default;
    ArchiveLocator(const ArchiveLocator&) = delete;
    ArchiveLocator& operator=(const ArchiveLocator&) = delete;

    // Opens path and returns the stream positioned at the archive's first byte.
    // Throws LoadError on any failure; the stream (if opened) stays owned here
    // until close(). Destruction does not close it.
    std::FILE* open(const char* path);

    // Closes the stream if one is open; safe to call repeatedly.
    void close();

    std::FILE* stream() const { return file_; }

private:
    std::FILE* file_ = nullptr;
};

} // namespace vandrel
