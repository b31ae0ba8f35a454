// The on-disk settings store: folders for keys, one file per value, atomic saves.
// Writes never follow symbolic links, since the machine-wide root may be shared.
#include "system/FileStore.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vandrel {

namespace fs = std::filesystem;

namespace {

std::atomic<StoreStepHook> stepHook{nullptr};

// Whether a step of a save may run; a test's hook may fail it.
bool stepAllowed(StoreStep step) {
    StoreStepHook hook = stepHook.load();
    if (!hook) return true;
    if (int error = hook(step)) {
        errno = error;
        return false;
    }
    return true;
}

const char* typeSuffix(StoreType type) { return type == StoreType::String ? ".REG_SZ" : ".REG_BINARY"; }

bool writeAll(int fd, const uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads up to size bytes; returns how many arrived before the end of the file.
std::size_t readUpTo(int fd, uint8_t* data, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

bool syncFolder(const fs::path& folder) {
    if (!stepAllowed(StoreStep::FolderFlush)) return false;
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool isWritableFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string tempPrefix(const fs::path& target) { return target.filename().string() + ".tmp."; }

} // namespace

StoreStepHook setStoreStepHook(StoreStepHook hook) { return stepHook.exchange(hook); }

fs::path FileStoreKey::valueFile(std::string_view name, StoreType type) const {
    return folder_ / (std::string(name) + typeSuffix(type));
}

bool FileStoreKey::read(std::string_view name, StoreValue& out, std::size_t maxBytes) const {
    if (!Store::isSafeName(name)) return false;
    for (StoreType type : {StoreType::String, StoreType::Binary}) {
        fs::path file = valueFile(name, type);
        // A pipe put in a value's place must not hold the game up at its start.
        int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) continue;
            return false;
        }
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
                  static_cast<uint64_t>(st.st_size) <= maxBytes;
        std::vector<uint8_t> bytes;
        if (ok) {
            // One byte more than allowed tells a file that grew since fstat.
            bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
            std::size_t got = readUpTo(fd, bytes.data(), bytes.size());
            ok = got <= maxBytes;
            bytes.resize(got);
        }
        ::close(fd);
        if (!ok) return false;
        out.name = std::string(name);
        out.type = type;
        out.bytes = std::move(bytes);
        return true;
    }
    return false;
}

bool FileStoreKey::write(std::span<const StoreValue> values) const {
    static std::atomic<unsigned> serial{0};
    for (const StoreValue& v : values)
        if (!Store::isSafeName(v.name)) return false;

    // Temporary files that an interrupted save left behind are of no use to anyone.
    std::error_code ec;
    for (const StoreValue& v : values) {
        std::string prefix = tempPrefix(valueFile(v.name, v.type));
        for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
            std::string entry = it->path().filename().string();
            if (entry.starts_with(prefix)) fs::remove(it->path(), ec);
        }
        ec.clear();
    }

    std::vector<fs::path> temps;
    auto discard = [&temps] {
        const int cause = errno;
        std::error_code ignored;
        for (const fs::path& t : temps) fs::remove(t, ignored);
        errno = cause;
        return false;
    };
    for (const StoreValue& v : values) {
        fs::path target = valueFile(v.name, v.type);
        fs::path temp =
            folder_ / (tempPrefix(target) + std::to_string(::getpid()) + "." + std::to_string(serial.fetch_add(1)));
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) return discard();
        temps.push_back(temp);
        bool ok = stepAllowed(StoreStep::Write) && writeAll(fd, v.bytes.data(), v.bytes.size()) &&
                  stepAllowed(StoreStep::Flush) && ::fsync(fd) == 0;
        const int cause = errno;
        if (::close(fd) != 0 || !ok) {
            if (!ok) errno = cause;
            return discard();
        }
    }
    // All data is on disk; the renames follow one another with nothing in between.
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!stepAllowed(StoreStep::Rename) ||
            ::rename(temps[i].c_str(), valueFile(values[i].name, values[i].type).c_str()) != 0) {
            temps.erase(temps.begin(), temps.begin() + static_cast<std::ptrdiff_t>(i));
            return discard();
        }
    }
    // A value that changed type leaves no stale file of the other type behind.
    for (const StoreValue& v : values) {
        StoreType other = v.type == StoreType::String ? StoreType::Binary : StoreType::String;
        fs::remove(valueFile(v.name, other), ec);
    }
    return syncFolder(folder_);
}

FileStore::FileStore(fs::path machineRoot, fs::path userRoot)
    : machineRoot_(std::move(machineRoot)), userRoot_(std::move(userRoot)) {}

std::optional<fs::path> FileStore::relativeFolder(std::string_view keyPath) {
    fs::path rel;
    std::size_t start = 0;
    while (true) {
        std::size_t end = keyPath.find('\\', start);
        std::string_view part = keyPath.substr(start, end == std::string_view::npos ? end : end - start);
        if (!isSafeName(part)) return std::nullopt;
        rel /= std::string(part);
        if (end == std::string_view::npos) return rel;
        start = end + 1;
    }
}

bool FileStore::machineRootUsable() const { return !machineRoot_.empty() && isWritableFolder(machineRoot_); }

std::optional<fs::path> FileStore::existingFolder(std::string_view keyPath) const {
    auto rel = relativeFolder(keyPath);
    if (!rel) return std::nullopt;
    std::error_code ec;
    for (const fs::path& root : {machineRootUsable() ? machineRoot_ : fs::path(), userRoot_}) {
        if (root.empty()) continue;
        fs::path folder = root / *rel;
        if (fs::is_directory(fs::symlink_status(folder, ec))) return folder;
    }
    return std::nullopt;
}

std::unique_ptr<StoreKey> FileStore::open(std::string_view keyPath) const {
    auto folder = existingFolder(keyPath);
    if (!folder) return nullptr;
    return std::make_unique<FileStoreKey>(*folder);
}

std::unique_ptr<StoreKey> FileStore::create(std::string_view keyPath) const {
    auto rel = relativeFolder(keyPath);
    if (!rel) return nullptr;
    std::error_code ec;
    if (machineRootUsable()) {
        fs::path folder = machineRoot_ / *rel;
        fs::create_directories(folder, ec);
        if (!ec && isWritableFolder(folder)) return std::make_unique<FileStoreKey>(folder);
    }
    if (userRoot_.empty()) return nullptr;
    fs::path folder = userRoot_ / *rel;
    ec.clear();
    fs::create_directories(folder, ec);
    if (!ec && isWritableFolder(folder)) return std::make_unique<FileStoreKey>(folder);
    return nullptr;
}

std::string FileStore::locate(std::string_view keyPath) const {
    if (auto folder = existingFolder(keyPath)) return folder->string();
    auto rel = relativeFolder(keyPath);
    fs::path sub = rel ? *rel : fs::path();
    return ((machineRootUsable() ? machineRoot_ : userRoot_) / sub).string();
}

} // namespace vandrel
