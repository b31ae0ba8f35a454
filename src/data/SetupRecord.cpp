// Reading the set-up record, for the session and for whoever needs only the
// table name.
#include "data/SetupRecord.h"

#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "base/LoadError.h"
#include "video/VideoDevice.h"

#include <cstring>

namespace vandrel {

bool SetupRecord::read(BlockReader& reader) {
    const bool complete = reader.readI32(&screenWidth) && reader.readI32(&screenHeight) &&
                          reader.readI32(&roundMinutes) && reader.readI32(&roundSeconds) &&
                          reader.readI32(&magazineSize) && reader.readU8(&hasTitle) &&
                          reader.readU8(&hasHighscoreImage) && reader.readU8(&hasEndImage);
    if (screenWidth < 1 || screenWidth > VideoDevice::maxSurfaceSide || screenHeight < 1 ||
        screenHeight > VideoDevice::maxSurfaceSide) {
        screenWidth = 640;
        screenHeight = 480;
    }
    if (!complete) return false;
    // Older records end here; the game then keeps its start mode and name.
    reader.readU8(&startFullScreen);
    reader.read(tableName, tableNameSize);
    // The field holds at most 30 characters; a record without the terminating
    // zero must not run the name into what follows.
    tableName[tableNameSize - 1] = '\0';
    return true;
}

void SetupRecord::restoreDefaults() {
    screenWidth = 640;
    screenHeight = 480;
    magazineSize = 10;
    roundMinutes = 2;
    roundSeconds = 30;
    hasTitle = 0;
    hasHighscoreImage = 0;
    hasEndImage = 0;
}

bool findSetupRecord(BlockReader& reader, SetupRecord& out) {
    uint16_t tag = 0;
    while (reader.readHeader(tag)) {
        if (tag == blockTag::setupRecord) return out.read(reader);
        if (!reader.nextBlock()) break;
    }
    return false;
}

std::optional<std::string> readTableName(const std::string& path) {
    try {
        DataSet data(path);
        SetupRecord record;
        if (!findSetupRecord(data.openEntry(entryName::setup), record)) return std::nullopt;
        return std::string(record.tableName);
    } catch (const LoadError&) {
        return std::nullopt;
    }
}

} // namespace vandrel
