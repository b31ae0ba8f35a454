// Turns the set-up record's table name into the place its table is stored.
#include "scores/ScoreLocation.h"

#include "data/SetupRecord.h"
#include "scores/HighscoreStorage.h"

namespace vandrel {

std::string describeScoreLocation(const std::string& path, const Store& store) {
    std::optional<std::string> name = readTableName(path);
    if (!name) return "The game's data could not be read from " + path;
    if (!HighscoreStorage::isUsableName(*name))
        return "The data set names no usable high-score table; scores are not stored";
    return HighscoreStorage::storeLocation(store, *name);
}

} // namespace vandrel
