// The set-up record of "stuff.x" (its SS block): the screen size, the round's
// length, the magazine, which screens the entry holds, how the game starts and
// the name its high-score table is stored under.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vandrel {

class BlockReader;

struct SetupRecord {
    static constexpr int32_t tableNameSize = 31; // 30 characters and the terminating zero

    // Reads the record from the reader standing at the start of the SS block's
    // payload, field by field into this record. False when it ends before the
    // three screen flags; the fields read until then stay. A screen size no
    // display could show (whole or cut short) is replaced by 640 x 480, so no
    // position computed from it can overflow. The start mode and the table name
    // are read when they are there; the name always ends inside its field.
    bool read(BlockReader& reader);

    // The values the game runs with before a record is read (and after its
    // pictures are released); the start mode and the table name stay.
    void restoreDefaults();

    int32_t screenWidth = 640;
    int32_t screenHeight = 480;
    int32_t roundMinutes = 2;
    int32_t roundSeconds = 30;
    int32_t magazineSize = 10;
    uint8_t hasTitle = 0;
    uint8_t hasHighscoreImage = 0;
    uint8_t hasEndImage = 0;
    uint8_t startFullScreen = 0;
    char tableName[tableNameSize] = {};
};

// Walks the entry the reader stands in to its SS block and reads the record
// there; false when there is none or it is cut short before the screen flags.
bool findSetupRecord(BlockReader& reader, SetupRecord& out);

// The table name of the set-up record in the data set at path; nothing when the
// data set, its "stuff.x" or the record cannot be read.
std::optional<std::string> readTableName(const std::string& path);

} // namespace vandrel
