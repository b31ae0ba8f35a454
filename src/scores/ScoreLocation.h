// Where this installation keeps its high-score table, for `vandrel --where-scores`:
// the table name comes from the set-up record of the data set.
#pragma once
#include <string>

namespace vandrel {

class Store;

// One line for the player: where in store the table of the data set at path is
// kept (or will be), or why it cannot be told. Reads only; nothing is created.
std::string describeScoreLocation(const std::string& path, const Store& store);

} // namespace vandrel
