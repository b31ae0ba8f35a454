// The game's data set: the zip archive appended to an executable (the game's own,
// or another file given by path), open for reading its entries' tagged blocks
// and closed again when the object goes.
#pragma once
#include "data/Archive.h"
#include "data/ArchiveLocator.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vandrel {

class BlockReader;

class DataSet {
public:
    // Opens the data set behind the executable image of the file at path.
    // Throws LoadError when the file is missing, no archive follows its image
    // or the archive cannot be read as a zip; nothing stays open then.
    explicit DataSet(const std::string& path);
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // The one reader of the set's tagged blocks, standing in whatever entry was
    // opened last.
    BlockReader& reader() { return *reader_; }
    // Opens an entry (names compare without regard to ASCII case) and returns
    // the reader standing at its first block; throws LoadError when it is missing.
    BlockReader& openEntry(const char* name);
    // An entry's uncompressed size; 0 when it is missing. Closes the open entry.
    int32_t entrySize(const char* name) { return archive_.entrySize(name); }

    // Whether the file at path holds a data set with every entry the game
    // reads (a plain zip, or one behind an executable); why says what is
    // missing when not.
    static bool holdsGame(const std::string& path, std::string& why);
    // Every entry, for tools that list or extract them. Closes the open entry.
    std::vector<ArchiveEntry> entries() { return archive_.entries(); }

    // The file holding the set, and where in it the archive begins, for a
    // caller that reads the archive's bytes themselves.
    std::FILE* file() const { return locator_.stream(); }
    long archiveStart() const { return archiveStart_; }

private:
    ArchiveLocator locator_;
    Archive archive_;
    BlockReader* reader_ = nullptr;
    long archiveStart_ = 0;
};

} // namespace vandrel
