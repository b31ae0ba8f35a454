// The high-score table: loading replaces the rows, and with them any name being
// typed.
#include "scores/HighscoreTable.h"

namespace vandrel {

bool HighscoreTable::loadFromRegistry(std::string_view tableName) {
    if (!storage_.load(tableName, rows_)) return false;
    // The rows are replaced, so a name being typed into one of them is over.
    screen_.endEntry();
    return true;
}

} // namespace vandrel
