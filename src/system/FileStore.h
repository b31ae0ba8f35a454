// The store on disk, for systems without a registry: keys are folders, values are
// files that record their type in the file name and hold their bytes unchanged.
#pragma once
#include "system/Store.h"

#include <filesystem>
#include <optional>

namespace vandrel {

// One key: a folder holding one file per value, named "<value>.REG_SZ" or
// "<value>.REG_BINARY". String files are plain text a person can read (ending in
// the terminating zero byte).
class FileStoreKey : public StoreKey {
public:
    explicit FileStoreKey(std::filesystem::path folder) : folder_(std::move(folder)) {}
    const std::filesystem::path& folder() const { return folder_; }

    // A value that is not a plain file (a link, a pipe, a device) is not read,
    // and nothing blocks.
    bool read(std::string_view name, StoreValue& out, std::size_t maxBytes) const override;
    // Every value goes to a temporary file that is flushed to disk first, then the
    // files replace the old ones by rename, so an interrupted save leaves the
    // previous values in place. Leftover temporary files of earlier interrupted
    // saves are removed. A failure leaves errno at the cause.
    bool write(std::span<const StoreValue> values) const override;
    std::string describe() const override { return folder_.string(); }

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

class FileStore : public Store {
public:
    // The machine-wide root is shared by every user of the machine where a packager
    // made it; the per-user root is the player's own. Either may be empty (unused).
    FileStore(std::filesystem::path machineRoot, std::filesystem::path userRoot);

    // Under the machine-wide root if that root is usable and holds the key, else
    // under the per-user root. A machine-wide root that exists but cannot be
    // written is not used at all, so what a player saves under the per-user root
    // is what the next start reads.
    std::unique_ptr<StoreKey> open(std::string_view keyPath) const override;
    // Under the machine-wide root when that root exists and is writable and the
    // key can be made there, else under the per-user root.
    std::unique_ptr<StoreKey> create(std::string_view keyPath) const override;
    std::string locate(std::string_view keyPath) const override;

    bool machineRootUsable() const;
    const std::filesystem::path& machineRoot() const { return machineRoot_; }
    const std::filesystem::path& userRoot() const { return userRoot_; }

private:
    static std::optional<std::filesystem::path> relativeFolder(std::string_view keyPath);
    std::optional<std::filesystem::path> existingFolder(std::string_view keyPath) const;

    std::filesystem::path machineRoot_;
    std::filesystem::path userRoot_;
};

} // namespace vandrel
