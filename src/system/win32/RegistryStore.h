// The store on Windows: the real registry. A key goes under HKEY_LOCAL_MACHINE
// (in its 32-bit view on 64-bit Windows) when the game may write there, else
// under HKEY_CURRENT_USER.
#pragma once
#include "system/Store.h"

#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

// Which registry tree a store uses first; the second is always the player's own.
enum class RegistryRoot { LocalMachine, CurrentUser };

class RegistryStore : public Store {
public:
    // The game's store: HKEY_LOCAL_MACHINE first, HKEY_CURRENT_USER second.
    RegistryStore() = default;
    // A store whose first tree is the given one; tests use CurrentUser to keep
    // away from the machine-wide tree.
    explicit RegistryStore(RegistryRoot first) : first_(first) {}

    // Opens an existing key for reading and writing: the first of openEach().
    std::unique_ptr<StoreKey> open(std::string_view keyPath) const override;
    // The keys to read, opened for reading and writing. A machine-wide key that
    // exists but that this player may not write is passed over, so the table
    // the player saved under HKEY_CURRENT_USER is the one read back. The
    // machine-wide key of the 32-bit view comes first, that of the 64-bit view
    // (earlier builds wrote there) after it: a reader falls back to it when the
    // 32-bit view has no such key, or one without a whole table.
    std::vector<std::unique_ptr<StoreKey>> openEach(std::string_view keyPath) const override;
    // Opens or creates the key in the first tree that allows it; a machine-wide
    // key is made in the 32-bit view, with the values of the 64-bit view's key.
    std::unique_ptr<StoreKey> create(std::string_view keyPath) const override;
    // "HKEY_LOCAL_MACHINE\Software\..." or "HKEY_CURRENT_USER\Software\...".
    std::string locate(std::string_view keyPath) const override;

    // Deletes a key with its values (not its subkeys), for tests and tools;
    // true when it is gone afterwards. Under HKEY_LOCAL_MACHINE in both views.
    bool remove(RegistryRoot root, std::string_view keyPath) const;

private:
    RegistryRoot first_ = RegistryRoot::LocalMachine;
};

} // namespace vandrel
