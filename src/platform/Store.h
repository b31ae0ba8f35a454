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
    // unreadable or longer than maxBytes, or not a plain file (a link, a pipe, a
    // device): nothing larger than maxBytes is read and nothing blocks.
    bool query(std::string_view name, StoreValue& out, std::size_t maxBytes) const;

    // Writes all values as one step: every value goes to a temporary file that is
    // flushed to disk first, then the files replace the old ones by rename, so an
    // interrupted save leaves the previous values in place. Leftover temporary
    // files of earlier interrupted saves are removed. A failure leaves errno at
    // the cause.
    bool setAll(std::span<const StoreValue> values) const;

    // The file that holds a value of the given name and type.
    std::filesystem::path valueFile(std::string_view name, StoreType type) const;

private:
    std::filesystem::path folder_;
};

// The steps of a save, for tests that stop one part-way (as a power cut would)
// or make one step fail (a full disk, a read-only folder).
enum class StoreStep {
    Write,       // a value's bytes into its temporary file
    Flush,       // that file to disk
    Rename,      // a temporary file over its value
    FolderFlush, // the folder, so the renames are on disk
};
// Called before every step of every save; a result other than 0 makes the step
// fail with that error number. Null (as normally) runs every step. Returns the
// hook it replaces.
using StoreStepHook = int (*)(StoreStep step);
StoreStepHook setStoreStepHook(StoreStepHook hook);

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
