// The store names of a gallery's tables.
#include "scores/TableKind.h"

namespace vandrel {

std::string tableNameFor(std::string_view baseName, TableKind kind) {
    std::string name(baseName);
    if (name.empty()) return name;
    switch (kind) {
    case TableKind::Standard: break;
    case TableKind::Assisted: name += " (Hilfen)"; break;
    }
    return name;
}

} // namespace vandrel
