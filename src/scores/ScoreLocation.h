// Where this installation keeps its high-score table, for `vandrel --where-scores`:
// the table name comes from the set-up record of the archive behind the executable.
#pragma once
#include <optional>
#include <string>

namespace vandrel {

class Store;

// The table name of the set-up record in the archive appended to exePath; nothing
// when the archive or its record cannot be read.
std::optional<std::string> readTableName(const std::string& exePath);

// One line for the player: the folder that holds (or will hold) the table, or why
// it cannot be told. Reads only; nothing is created.
std::string describeScoreLocation(const std::string& exePath, const Store& store);

} // namespace vandrel
