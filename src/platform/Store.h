// The settings store that stands in for the registry: keys are folders, values are
// files that record their type in the file name and hold their bytes unchanged.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// The value types the game stores; the numbers are the registry's.
enum class StoreType : uint32_t {
    String = 1, // text followed by its terminating zero
    Binary = 3, // raw bytes
};

struct StoreValue {
    std::string name;
    StoreType type = StoreType::Binary;
    std::vector<uint8_t> bytes;
};

// One opened or created key: a folder holding one file per value, named
// "<value>.REG_SZ" or "<value>.REG_BINARY". String files are plain text a person
// can read (ending in the terminating zero byte).
class StoreKey {
public:
    explicit StoreKey(std::filesystem::path folder) : folder_(std::move(folder)) {}
    const std::filesystem::path& folder() const { return folder_; }

    // Reads a value of at most maxBytes bytes. False when the value is missing,
    // unreadable or longer than maxBytes; nothing larger than maxBytes is read.
    bool query(std::string_view name, StoreValue& out, std::size_t maxBytes) const;

    // Writes all values as one step: every value goes to a temporary file that is
    // flushed to disk first, then the files replace the old ones by rename, so an
    // interrupted save leaves the previous values in place. Leftover temporary
    // files of earlier interrupted saves are removed.
    bool setAll(std::span<const StoreValue> values) const;

    // The file that holds a value of the given name and type.
    std::filesystem::path valueFile(std::string_view name, StoreType type) const;

private:
    std::filesystem::path folder_;
};

class Store {
public:
    // The game's store: the machine-wide root is $VANDREL_MACHINE_STORE or
    // /var/lib/vandrel; the per-user root is $XDG_DATA_HOME/vandrel, else
    // $HOME/.local/share/vandrel.
    static Store standard();

    Store(std::filesystem::path machineRoot, std::filesystem::path userRoot);

    // A key name that is safe to turn into a folder: not empty, no '/' or '\',
    // no "..", not ".", no control characters.
    static bool isSafeName(std::string_view name);

    // Opens an existing key (components separated by '\'): under the machine-wide
    // root if that root is usable and holds the key, else under the per-user root.
    // A machine-wide root that exists but cannot be written is not used at all, so
    // what a player saves under the per-user root is what the next start reads.
    // Unsafe paths open nothing.
    std::optional<StoreKey> open(std::string_view keyPath) const;

    // Opens or creates a key: under the machine-wide root when that root exists and
    // is writable and the key can be made there, else under the per-user root.
    std::optional<StoreKey> create(std::string_view keyPath) const;

    // Where a key lives (or would be created), for the player and the packager.
    std::filesystem::path locate(std::string_view keyPath) const;

    bool machineRootUsable() const;
    const std::filesystem::path& machineRoot() const { return machineRoot_; }
    const std::filesystem::path& userRoot() const { return userRoot_; }

private:
    static std::optional<std::filesystem::path> relativeFolder(std::string_view keyPath);

    std::filesystem::path machineRoot_;
    std::filesystem::path userRoot_;
};

} // namespace vandrel
