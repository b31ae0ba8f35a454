// Test archives: entries deflated into a temporary zip file, opened through
// the game's own Archive exactly as a loading pass opens the real one.
#include "support/TestArchive.h"

#include "data/ZipWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace vandrel::test {

void putU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void putU16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

Bytes blockWithLength(const char* tag, uint32_t length, const Bytes& payload) {
    Bytes out;
    out.push_back(static_cast<uint8_t>(tag[0]));
    out.push_back(static_cast<uint8_t>(tag[1]));
    putU32(out, length);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes block(const char* tag, const Bytes& payload) {
    return blockWithLength(tag, static_cast<uint32_t>(payload.size()), payload);
}

Bytes setupBlock(const SetupValues& v) {
    Bytes p;
    for (int32_t n : {v.width, v.height, v.minutes, v.seconds, v.magazine}) putU32(p, static_cast<uint32_t>(n));
    for (uint8_t flag : {v.title, v.highscore, v.end, v.fullScreen}) p.push_back(flag);
    Bytes name(31, 0);
    std::memcpy(name.data(), v.name.data(), std::min<size_t>(v.name.size(), name.size()));
    p.insert(p.end(), name.begin(), name.end());
    return block("SS", p);
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

std::string temporaryPath() {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/vandrel-test-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error("cannot create a temporary file");
    ::close(fd);
    return pattern;
}

} // namespace

TestArchive::TestArchive(const std::vector<std::pair<std::string, Bytes>>& entries) : path_(temporaryPath()) {
    ZipWriter writer;
    bool ok = writer.open(path_);
    for (const auto& [name, data] : entries) ok = ok && writer.add(name, data);
    ok = writer.close() && ok;
    if (!ok) {
        std::remove(path_.c_str());
        throw std::runtime_error("cannot write test archive " + path_);
    }
    file_ = std::fopen(path_.c_str(), "rb");
    if (file_) reader_ = archive_.open(file_);
}

TestArchive::~TestArchive() {
    if (reader_) archive_.closeReader(reader_);
    archive_.close();
    if (file_) std::fclose(file_);
    std::remove(path_.c_str());
}

BlockReader& TestArchive::entry(const char* name) {
    if (!reader_) throw std::runtime_error("test archive is not open");
    if (!reader_->openEntry(name)) throw std::runtime_error(std::string("no entry ") + name);
    return *reader_;
}

} // namespace vandrel::test
