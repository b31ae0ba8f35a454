// The rule every store applies to the names it is given.
#include "system/Store.h"

namespace vandrel {

bool Store::isSafeName(std::string_view name) {
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return false;
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

} // namespace vandrel
