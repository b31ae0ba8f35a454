// Writes a zip archive the way the game's data is shipped: every entry deflated
// at level 9, in the order given, with no extra fields, comments or dates, so
// the same entries always give the same bytes (`pack build`, the kit compiler,
// the tests' archives).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel {

class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Creates (or truncates) path; false if it cannot be written.
    bool open(const std::string& path);
    bool add(const std::string& name, const uint8_t* data, size_t size);
    bool add(const std::string& name, const std::vector<uint8_t>& data) { return add(name, data.data(), data.size()); }
    // Writes the central directory; false if anything went wrong on the way.
    bool close();

private:
    void* handle_ = nullptr; // minizip's zipFile
    bool failed_ = false;
};

} // namespace vandrel
