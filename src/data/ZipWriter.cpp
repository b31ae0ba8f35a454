// The archive writer behind `pack build`, `--make-data` and the test archives.
#include "data/ZipWriter.h"

#include <minizip/zip.h>

namespace vandrel {

ZipWriter::~ZipWriter() {
    if (handle_) zipClose(static_cast<zipFile>(handle_), nullptr);
}

bool ZipWriter::open(const std::string& path) {
    if (handle_) close();
    failed_ = false;
    handle_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    return handle_ != nullptr;
}

bool ZipWriter::add(const std::string& name, const uint8_t* data, size_t size) {
    if (!handle_ || failed_) return false;
    auto zip = static_cast<zipFile>(handle_);
    // No file info at all: a zero-filled one would still give a nonzero DOS date.
    // Level 9 makes minizip set general-purpose flag 0x0002.
    if (zipOpenNewFileInZip(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9) != ZIP_OK) {
        failed_ = true;
        return false;
    }
    const unsigned char empty = 0;
    const unsigned char* p = size ? data : &empty;
    size_t left = size;
    do {
        const unsigned chunk = left > (1u << 20) ? (1u << 20) : static_cast<unsigned>(left);
        if (zipWriteInFileInZip(zip, p, chunk) != ZIP_OK) {
            failed_ = true;
            break;
        }
        p += chunk;
        left -= chunk;
    } while (left > 0);
    if (zipCloseFileInZip(zip) != ZIP_OK) failed_ = true;
    return !failed_;
}

bool ZipWriter::close() {
    if (!handle_) return false;
    const bool ok = zipClose(static_cast<zipFile>(handle_), nullptr) == ZIP_OK && !failed_;
    handle_ = nullptr;
    return ok;
}

} // namespace vandrel
