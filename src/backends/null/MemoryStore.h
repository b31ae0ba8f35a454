// The headless store: keys and values kept in memory for the life of the object.
// Replays keep the recorded table here, so they never touch the player's, and
// tests and tools use it where nothing needs to outlive the process.
#pragma once
#include "system/Store.h"

#include <map>
#include <optional>

namespace vandrel {

class MemoryStore : public Store {
public:
    MemoryStore() = default;
    MemoryStore(const MemoryStore&) = delete;
    MemoryStore& operator=(const MemoryStore&) = delete;

    // Key paths are checked as the other stores check them: an unsafe component
    // opens and creates nothing.
    std::unique_ptr<StoreKey> open(std::string_view keyPath) const override;
    std::unique_ptr<StoreKey> create(std::string_view keyPath) const override;
    std::string locate(std::string_view keyPath) const override;

    // A value as it stands, for tests that look behind the game's back.
    std::optional<StoreValue> value(std::string_view keyPath, std::string_view name) const;
    // How many times values were written under any key.
    int writes() const { return writes_; }

private:
    class Key;
    using Values = std::map<std::string, StoreValue, std::less<>>;

    static bool isSafePath(std::string_view keyPath);

    // Keys are created by const calls, as the other stores create folders.
    mutable std::map<std::string, Values, std::less<>> keys_;
    mutable int writes_ = 0;
};

} // namespace vandrel
