// The four pack commands. Reading goes through the game's own locator, archive
// and block reader, so `pack list` shows exactly what the game will see.
#include "PackTool.h"

#include "base/LoadError.h"
#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "data/BlockReader.h"
#include "data/ZipWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <ostream>
#include <sys/stat.h>

namespace vandrel::pack {
namespace {

constexpr const char* usage =
    "usage: pack build OUT.zip FILE... | append EXE ZIP OUT | list FILE [--blocks] | extract FILE DIR";

int usageError(std::ostream& err) {
    err << usage << "\n";
    return 2;
}

std::string reason() { return errno ? std::strerror(errno) : "read error"; }

bool readWhole(const std::string& path, std::vector<uint8_t>& data, std::ostream& err) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "pack: cannot read " << path << ": " << reason() << "\n";
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err << "pack: cannot read " << path << ": " << reason() << "\n";
        return false;
    }
    return true;
}

std::string baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int build(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() < 3) return usageError(err);
    const std::string& out = args[1];
    std::vector<std::pair<std::string, std::vector<uint8_t>>> entries;
    for (size_t i = 2; i < args.size(); ++i) {
        std::vector<uint8_t> data;
        if (!readWhole(args[i], data, err)) return 1;
        entries.emplace_back(baseName(args[i]), std::move(data));
    }
    ZipWriter writer;
    if (!writer.open(out)) {
        err << "pack: cannot write " << out << "\n";
        return 1;
    }
    for (const auto& [name, data] : entries) {
        if (!writer.add(name, data)) {
            err << "pack: cannot write entry " << name << " to " << out << "\n";
            writer.close();
            std::remove(out.c_str());
            return 1;
        }
    }
    if (!writer.close()) {
        err << "pack: cannot finish " << out << "\n";
        std::remove(out.c_str());
        return 1;
    }
    return 0;
}

int append(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() != 4) return usageError(err);
    std::vector<uint8_t> exe, zip;
    if (!readWhole(args[1], exe, err) || !readWhole(args[2], zip, err)) return 1;
    const std::string& out = args[3];
    {
        std::ofstream o(out, std::ios::binary | std::ios::trunc);
        o.write(reinterpret_cast<const char*>(exe.data()), static_cast<std::streamsize>(exe.size()));
        o.write(reinterpret_cast<const char*>(zip.data()), static_cast<std::streamsize>(zip.size()));
        o.close();
        if (!o) {
            err << "pack: cannot write " << out << "\n";
            std::remove(out.c_str());
            return 1;
        }
    }
    if (::chmod(out.c_str(), 0755) != 0) {
        err << "pack: cannot make " << out << " executable: " << std::strerror(errno) << "\n";
        return 1;
    }
    return 0;
}

// Opens FILE as an executable with an appended archive, or else as a plain zip.
class OpenArchive {
public:
    bool open(const std::string& path, std::ostream& err) {
        std::FILE* stream = nullptr;
        try {
            stream = locator_.open(path.c_str());
        } catch (const LoadError&) {
            locator_.close();
            plain_ = std::fopen(path.c_str(), "rb");
            if (!plain_) {
                err << "pack: cannot open " << path << ": " << std::strerror(errno) << "\n";
                return false;
            }
            stream = plain_;
        }
        reader = archive.open(stream);
        if (!reader) {
            err << "pack: " << path << " holds no readable zip archive\n";
            return false;
        }
        return true;
    }

    ~OpenArchive() {
        archive.closeReader(reader);
        locator_.close();
        if (plain_) std::fclose(plain_);
    }

    Archive archive;
    BlockReader* reader = nullptr;

private:
    ArchiveLocator locator_;
    std::FILE* plain_ = nullptr;
};

std::string tagText(uint16_t tag) {
    std::string text;
    for (int i = 0; i < 2; ++i) {
        const unsigned char c = static_cast<unsigned char>(tag >> (8 * i));
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    return text;
}

// Walks one entry's blocks; false if they stop short of the entry's end.
bool listBlocks(OpenArchive& a, const ArchiveEntry& entry, std::ostream& out, std::ostream& err) {
    BlockReader& r = *a.reader;
    if (!r.openEntry(entry.name.c_str())) {
        err << "pack: cannot open entry " << entry.name << "\n";
        return false;
    }
    uint16_t tag = 0;
    while (r.readHeader(tag)) {
        out << "    " << std::left << std::setw(4) << tagText(tag) << std::right << std::setw(10) << r.blockLength()
            << "  at " << (r.tell() - 6) << "\n";
        if (!r.nextBlock()) {
            err << "pack: " << entry.name << ": block " << tagText(tag) << " runs past the end of the entry\n";
            r.closeEntry();
            return false;
        }
    }
    const int32_t end = r.tell();
    const int32_t size = a.archive.currentSize();
    r.closeEntry();
    if (end != size) {
        err << "pack: " << entry.name << ": blocks stop at byte " << end << " of " << size << "\n";
        return false;
    }
    return true;
}

int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool blocks = false;
    std::string path;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--blocks")
            blocks = true;
        else if (path.empty())
            path = args[i];
        else
            return usageError(err);
    }
    if (path.empty()) return usageError(err);
    OpenArchive a;
    if (!a.open(path, err)) return 1;
    bool ok = true;
    out << std::setw(10) << "size" << std::setw(10) << "stored"
        << "  name\n";
    for (const ArchiveEntry& entry : a.archive.entries()) {
        out << std::setw(10) << entry.size << std::setw(10) << entry.storedSize << "  " << entry.name << "\n";
        if (blocks) ok = listBlocks(a, entry, out, err) && ok;
    }
    return ok ? 0 : 1;
}

// Entry names come from the file: only plain names are written, never paths.
bool safeName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == '/' || c == '\\' || c == 0x7F) return false;
    }
    return true;
}

int extract(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() != 3) return usageError(err);
    const std::string& dir = args[2];
    OpenArchive a;
    if (!a.open(args[1], err)) return 1;
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
        err << "pack: cannot create " << dir << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    bool ok = true;
    for (const ArchiveEntry& entry : a.archive.entries()) {
        if (!safeName(entry.name)) {
            err << "pack: skipping entry with unsafe name \"" << entry.name << "\"\n";
            ok = false;
            continue;
        }
        if (!a.archive.openEntry(entry.name.c_str())) {
            err << "pack: cannot open entry " << entry.name << "\n";
            ok = false;
            continue;
        }
        const std::string target = dir + "/" + entry.name;
        std::ofstream o(target, std::ios::binary | std::ios::trunc);
        if (!o) {
            err << "pack: cannot write " << target << "\n";
            return 1;
        }
        // Read in chunks up to the recorded size, then make sure nothing more follows.
        const int32_t size = a.archive.currentSize();
        char buffer[16384];
        int32_t left = size;
        bool entryOk = true;
        while (left > 0) {
            const uint32_t n = left > static_cast<int32_t>(sizeof buffer) ? sizeof buffer : static_cast<uint32_t>(left);
            if (!a.archive.read(buffer, n)) {
                entryOk = false;
                break;
            }
            o.write(buffer, n);
            left -= static_cast<int32_t>(n);
        }
        if (entryOk && a.archive.read(buffer, 1)) entryOk = false;
        a.archive.closeEntry();
        o.close();
        if (!entryOk || !o) {
            err << "pack: entry " << entry.name << " is damaged or could not be written\n";
            ok = false;
        }
    }
    return ok ? 0 : 1;
}

} // namespace

int runPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError(err);
    const std::string& command = args[0];
    if (command == "build") return build(args, err);
    if (command == "append") return append(args, err);
    if (command == "list") return list(args, out, err);
    if (command == "extract") return extract(args, err);
    return usageError(err);
}

} // namespace vandrel::pack
