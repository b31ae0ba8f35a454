// The folder and zip readers of a kit.
#include "kit/KitSource.h"

#include "kit/KitKeys.h"

#include <minizip/unzip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

namespace vandrel::kit {
namespace {

namespace fs = std::filesystem;

// The length of the UTF-8 sequence at text[i], 0 when it is not one (overlong
// forms, surrogates and values beyond U+10FFFF included).
size_t utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    const uint8_t lead = byte(i);
    if (lead < 0x80) return 1;
    size_t n = 0;
    uint32_t value = 0;
    if ((lead & 0xE0) == 0xC0) {
        n = 2;
        value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3;
        value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    constexpr uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[n] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return n;
}

class FolderSource : public KitSource {
public:
    explicit FolderSource(fs::path root) : root_(std::move(root)) {}

    std::optional<std::vector<uint8_t>> read(std::string_view path, std::string& why) const override {
        const std::optional<fs::path> full = resolve(path, why);
        if (!full) return std::nullopt;
        std::error_code ec;
        const uintmax_t size = fs::file_size(*full, ec);
        if (ec) {
            why = "cannot be read";
            return std::nullopt;
        }
        if (size > static_cast<uintmax_t>(limits::maxFileBytes)) {
            why = "is larger than " + std::to_string(limits::maxFileBytes / (1024 * 1024)) + " MiB";
            return std::nullopt;
        }
        std::ifstream in(*full, std::ios::binary);
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
            why = "cannot be read";
            return std::nullopt;
        }
        return bytes;
    }

    bool holds(std::string_view path) const override {
        std::string why;
        return resolve(path, why).has_value();
    }

    std::vector<std::string> files() const override {
        std::vector<std::string> out;
        std::error_code ec;
        // Links are not followed: a link's target is checked when it is read.
        for (fs::recursive_directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
            if (out.size() >= static_cast<size_t>(limits::maxKitFiles)) break;
            if (it->is_directory(ec)) continue;
            out.push_back(it->path().lexically_relative(root_).generic_string());
        }
        return out;
    }

private:
    // The file a kit path names, once it is safe and, links followed, still
    // inside the kit's folder and a regular file.
    std::optional<fs::path> resolve(std::string_view path, std::string& why) const {
        if (!isSafeKitPath(path, why)) return std::nullopt;
        const fs::path named = root_ / fs::u8path(path);
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(named, ec))) {
            why = "is missing";
            return std::nullopt;
        }
        const fs::path real = fs::canonical(named, ec);
        if (ec) {
            why = "is missing";
            return std::nullopt;
        }
        const fs::path inside = real.lexically_relative(root_);
        if (inside.empty() || *inside.begin() == "..") {
            why = "is a link that leads out of the kit";
            return std::nullopt;
        }
        if (!fs::is_regular_file(real, ec)) {
            why = "is not a plain file";
            return std::nullopt;
        }
        return real;
    }

    fs::path root_; // canonical
};

class ZipSource : public KitSource {
public:
    struct Entry {
        unz64_file_pos position{};
        uint64_t size = 0;
    };

    ZipSource(unzFile zip, std::map<std::string, Entry> entries) : zip_(zip), entries_(std::move(entries)) {}
    ~ZipSource() override { unzClose(zip_); }
    ZipSource(const ZipSource&) = delete;
    ZipSource& operator=(const ZipSource&) = delete;

    std::optional<std::vector<uint8_t>> read(std::string_view path, std::string& why) const override {
        if (!isSafeKitPath(path, why)) return std::nullopt;
        const auto it = entries_.find(std::string(path));
        if (it == entries_.end()) {
            why = "is missing";
            return std::nullopt;
        }
        // The sizes were held to the limits when the zip was opened; the
        // inflated bytes are held to the recorded size again here, since the
        // record may lie.
        const uint64_t size = it->second.size;
        unz64_file_pos position = it->second.position;
        if (unzGoToFilePos64(zip_, &position) != UNZ_OK || unzOpenCurrentFile(zip_) != UNZ_OK) {
            why = "cannot be read from the zip";
            return std::nullopt;
        }
        std::vector<uint8_t> bytes(static_cast<size_t>(size) + 1);
        size_t got = 0;
        bool failed = false;
        while (got < bytes.size()) {
            const size_t ask = std::min<size_t>(bytes.size() - got, 1 << 20);
            const int n = unzReadCurrentFile(zip_, bytes.data() + got, static_cast<unsigned>(ask));
            if (n < 0) failed = true;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        const bool crcBad = unzCloseCurrentFile(zip_) == UNZ_CRCERROR;
        if (failed || got != size || crcBad) {
            why = "is damaged in the zip";
            return std::nullopt;
        }
        bytes.resize(got);
        return bytes;
    }

    bool holds(std::string_view path) const override { return entries_.count(std::string(path)) != 0; }

    std::vector<std::string> files() const override {
        std::vector<std::string> out;
        for (const auto& [name, entry] : entries_) out.push_back(name);
        return out;
    }

private:
    unzFile zip_;
    std::map<std::string, Entry> entries_;
};

// A zip's entries by kit path, every one checked; null with why set when one
// is refused (the whole kit is: a hostile entry says the zip is not a kit).
std::unique_ptr<KitSource> openZip(const std::string& path, std::string& why) {
    unzFile zip = unzOpen64(path.c_str());
    if (!zip) {
        why = "is neither a folder nor a zip";
        return nullptr;
    }
    std::map<std::string, ZipSource::Entry> entries;
    uint64_t total = 0;
    int count = 0;
    auto refuse = [&](std::string text) -> std::unique_ptr<KitSource> {
        unzClose(zip);
        why = std::move(text);
        return nullptr;
    };
    for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
        if (++count > limits::maxKitFiles)
            return refuse("holds more than " + std::to_string(limits::maxKitFiles) + " files");
        unz_file_info64 info{};
        char name[1024];
        if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            info.size_filename >= sizeof name)
            return refuse("has an entry whose name cannot be read");
        const std::string entry(name, info.size_filename);
        // A folder entry carries nothing; its files are entries of their own.
        if (!entry.empty() && entry.back() == '/' && info.uncompressed_size == 0) continue;
        std::string unsafe;
        if (!isSafeKitPath(entry, unsafe)) return refuse("entry \"" + entry + "\" " + unsafe);
        // Made on a Unix system, the upper half of the attributes is the mode.
        constexpr uLong unixHost = 3;
        const uLong mode = info.external_fa >> 16;
        if ((info.version >> 8) == unixHost && (mode & 0170000) == 0120000)
            return refuse("entry \"" + entry + "\" is a symbolic link");
        if (info.uncompressed_size > static_cast<uint64_t>(limits::maxFileBytes))
            return refuse("entry \"" + entry + "\" unpacks to more than " +
                          std::to_string(limits::maxFileBytes / (1024 * 1024)) + " MiB");
        total += info.uncompressed_size;
        if (total > static_cast<uint64_t>(limits::maxKitBytes))
            return refuse("unpacks to more than " + std::to_string(limits::maxKitBytes / (1024 * 1024)) + " MiB");
        ZipSource::Entry e;
        e.size = info.uncompressed_size;
        if (unzGetFilePos64(zip, &e.position) != UNZ_OK) return refuse("has an entry that cannot be found again");
        if (!entries.emplace(entry, e).second) return refuse("holds \"" + entry + "\" twice");
    }
    // The usual slip: the folder zipped rather than its contents.
    if (!entries.count("gallery.toml") && !entries.empty()) {
        const std::string& first = entries.begin()->first;
        const size_t slash = first.find('/');
        const std::string top = slash == std::string::npos ? std::string() : first.substr(0, slash + 1);
        bool allInside = !top.empty();
        for (const auto& [name, e] : entries) allInside = allInside && name.starts_with(top);
        if (allInside && entries.count(top + "gallery.toml")) {
            std::map<std::string, ZipSource::Entry> inner;
            for (const auto& [name, e] : entries) inner.emplace(name.substr(top.size()), e);
            entries = std::move(inner);
        }
    }
    return std::make_unique<ZipSource>(zip, std::move(entries));
}

} // namespace

bool isSafeKitPath(std::string_view path, std::string& why) {
    if (path.empty()) {
        why = "is an empty path";
        return false;
    }
    if (path.size() > 512) {
        why = "is a path longer than 512 bytes";
        return false;
    }
    for (size_t i = 0; i < path.size();) {
        const size_t n = utf8Length(path, i);
        if (n == 0) {
            why = "is a name that is not UTF-8";
            return false;
        }
        if (n == 1 && (static_cast<uint8_t>(path[i]) < 0x20 || path[i] == 0x7F)) {
            why = "is a name with a control character";
            return false;
        }
        i += n;
    }
    if (path.find('\\') != std::string_view::npos) {
        why = "is a path with a backslash; kit paths use '/'";
        return false;
    }
    if (path.front() == '/' || (path.size() >= 2 && path[1] == ':')) {
        why = "is an absolute path; kit paths are relative to gallery.toml";
        return false;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            why = "is a path that climbs out of the kit";
            return false;
        }
        if (part.empty() || part == ".") {
            why = "is a path with an empty or '.' part";
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::unique_ptr<KitSource> KitSource::open(const std::string& path, std::string& why) {
    std::error_code ec;
    const fs::path place = fs::u8path(path);
    if (fs::is_directory(place, ec)) {
        const fs::path root = fs::canonical(place, ec);
        if (ec) {
            why = "cannot be read";
            return nullptr;
        }
        return std::make_unique<FolderSource>(root);
    }
    if (!fs::exists(place, ec)) {
        why = "does not exist";
        return nullptr;
    }
    if (place.extension() == ".toml") {
        why = "is a manifest alone; name the kit's folder (or its zip) instead";
        return nullptr;
    }
    return openZip(path, why);
}

} // namespace vandrel::kit
