// Writes the tagged block stream of an archive entry: a two-letter tag, the
// payload length as unsigned 32-bit little-endian, the payload.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::assetgen {

using Bytes = std::vector<uint8_t>;

void appendU32(Bytes& out, uint32_t v);
void appendI32(Bytes& out, int32_t v);

class BlockStream {
public:
    void add(const char* tag, const Bytes& payload = {});
    void addI32(const char* tag, int32_t value);
    const Bytes& bytes() const { return data_; }

private:
    Bytes data_;
};

} // namespace vandrel::assetgen
