// Which of a gallery's high-score tables a round's score goes to: the
// standard one under the gallery's own table name, or one beside it for
// rounds played with help, kept under that name with a suffix the game adds.
#pragma once
#include <string>
#include <string_view>

namespace vandrel {

enum class TableKind {
    Standard, // the round as the gallery has it
    Assisted, // slower figures, a longer round or a magazine that reloads itself
};

// The name the table of that kind is stored under, from the gallery's table
// name: the standard table keeps it as it is, so an older game still finds
// its table; the others add their suffix. A gallery without a table name
// keeps no table of any kind (empty).
std::string tableNameFor(std::string_view baseName, TableKind kind);

} // namespace vandrel
