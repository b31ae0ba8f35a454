// Any bytes as a gallery kit's zip: the kit reader opens it, every file it
// lists is read, and the checker goes through the whole kit. No crash, hang,
// leak or oversized allocation, and every problem is whole: a message, a file
// to name, a place only with a line.
// A changed byte inside a zip entry fails its CRC, so mutating the zip alone
// would hardly ever reach the manifest's reader: most mutations unpack the
// zip, change one entry (gallery.toml half the time) and pack it again.
// fuzz-libs: vandrel_kit PkgConfig::MINIZIP
#include "StoreSandbox.h"
#include "kit/KitCheck.h"
#include "kit/KitKeys.h"
#include "kit/KitSource.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

using Bytes = std::vector<uint8_t>;
using Entries = std::vector<std::pair<std::string, Bytes>>;

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) std::abort();
}

// The entries of a zip, their bytes as inflated whatever their CRC says;
// false when it is no zip minizip can walk or an entry is large.
bool unpack(const std::string& path, Entries& out) {
    unzFile zip = unzOpen64(path.c_str());
    if (!zip) return false;
    bool fine = true;
    for (int status = unzGoToFirstFile(zip); fine && status == UNZ_OK; status = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[512];
        fine = out.size() < 64 &&
               unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
               info.size_filename < sizeof name && info.uncompressed_size <= (1u << 20) &&
               unzOpenCurrentFile(zip) == UNZ_OK;
        if (!fine) break;
        Bytes bytes(static_cast<size_t>(info.uncompressed_size));
        const int got = bytes.empty() ? 0 : unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(zip);
        fine = got >= 0;
        bytes.resize(static_cast<size_t>(std::max(got, 0)));
        out.emplace_back(std::string(name, info.size_filename), std::move(bytes));
    }
    unzClose(zip);
    return fine && !out.empty();
}

// The entries packed again, each with the CRC of its new bytes.
bool pack(const std::string& path, const Entries& entries) {
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zip) return false;
    bool fine = true;
    for (const auto& [name, bytes] : entries) {
        zip_fileinfo info{};
        fine = fine &&
               zipOpenNewFileInZip64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9, 0) ==
                   ZIP_OK &&
               zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK &&
               zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && fine;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed) {
    // One mutation in eight is of the zip's own bytes, for the zip reader.
    if (seed % 8 == 0) return LLVMFuzzerMutate(data, size, maxSize);
    static const std::string scratch = (vandrel::fuzz::storeSandbox() / "mutate.zip").string();
    writeFile(scratch, data, size);
    Entries entries;
    if (!unpack(scratch, entries)) return LLVMFuzzerMutate(data, size, maxSize);
    size_t pick = (seed / 8) % entries.size();
    if ((seed / 8) % 2 == 0)
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].first == "gallery.toml") pick = i;
    Bytes& bytes = entries[pick].second;
    const size_t before = bytes.size();
    bytes.resize(before + 64 + before / 8);
    bytes.resize(LLVMFuzzerMutate(bytes.data(), before, bytes.size()));
    if (!pack(scratch, entries)) return LLVMFuzzerMutate(data, size, maxSize);
    std::ifstream in(scratch, std::ios::binary);
    const Bytes packed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (packed.size() > maxSize) return LLVMFuzzerMutate(data, size, maxSize);
    std::memcpy(data, packed.data(), packed.size());
    return packed.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reader takes a path, as the game's --check does: the bytes become a
    // zip file of the run's own folder.
    static const std::string kit = (vandrel::fuzz::storeSandbox() / "kit.zip").string();
    {
        std::ofstream out(kit, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) std::abort();
    }

    std::string why;
    if (const auto source = vandrel::kit::KitSource::open(kit, why)) {
        const auto files = source->files();
        if (files.size() > static_cast<size_t>(vandrel::kit::limits::maxKitFiles)) std::abort();
        for (const std::string& path : files) {
            if (!source->holds(path)) std::abort(); // a listed file is there
            const auto bytes = source->read(path, why);
            if (bytes && bytes->size() > static_cast<size_t>(vandrel::kit::limits::maxFileBytes)) std::abort();
        }
    } else if (why.empty()) {
        std::abort(); // a refused kit says why
    }

    const vandrel::kit::KitReport report = vandrel::kit::checkKit(kit);
    for (const vandrel::kit::Problem& p : report.problems) {
        if (p.message.empty() || p.file.empty()) std::abort();
        if (p.line < 0 || p.column < 0 || (p.line == 0 && p.column != 0)) std::abort();
    }
    if (report.errors() + report.warnings() != static_cast<int32_t>(report.problems.size())) std::abort();
    return 0;
}
