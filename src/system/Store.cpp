// The rule every store applies to the names it is given, and the one place of
// a key that most stores have.
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

std::vector<std::unique_ptr<StoreKey>> Store::openEach(std::string_view keyPath) const {
    std::vector<std::unique_ptr<StoreKey>> keys;
    if (auto key = open(keyPath)) keys.push_back(std::move(key));
    return keys;
}

} // namespace vandrel
