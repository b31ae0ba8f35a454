// Reads just the set-up record's table name and turns it into the store folder.
#include "scores/ScoreLocation.h"

#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "data/BlockReader.h"
#include "platform/LoadError.h"
#include "scores/HighscoreTable.h"

#include <cstring>

namespace vandrel {

namespace {

// Offset of the table name in the set-up record, and its size with the zero.
constexpr uint32_t tableNameOffset = 24;
constexpr uint32_t tableNameSize = 31;

std::optional<std::string> readFromEntry(BlockReader& reader) {
    if (!reader.openEntry("stuff.x")) return std::nullopt;
    uint16_t tag = 0;
    while (reader.readHeader(tag)) {
        if (tag == makeTag('S', 'S')) {
            char record[tableNameOffset + tableNameSize] = {};
            if (!reader.read(record, sizeof record)) return std::nullopt;
            const char* name = record + tableNameOffset;
            return std::string(name, strnlen(name, tableNameSize - 1));
        }
        if (!reader.nextBlock()) break;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> readTableName(const std::string& exePath) {
    ArchiveLocator locator;
    std::optional<std::string> name;
    try {
        Archive archive;
        if (BlockReader* reader = archive.open(locator.open(exePath.c_str()))) {
            name = readFromEntry(*reader);
            reader->closeEntry();
            archive.closeReader(reader);
        }
    } catch (const LoadError&) {
        name.reset();
    }
    locator.close();
    return name;
}

std::string describeScoreLocation(const std::string& exePath, const Store& store) {
    std::optional<std::string> name = readTableName(exePath);
    if (!name) return "The game's data could not be read from " + exePath;
    if (!HighscoreTable::isUsableName(*name))
        return "The data set names no usable high-score table; scores are not stored";
    return HighscoreTable::storeLocation(store, *name);
}

} // namespace vandrel
