// FNV-1a, 64 bits: the fingerprint of recorded frames, of the data set a game was
// recorded with, and of what the loading pass made. Not for anything secret.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vandrel {

class Fnv1a {
public:
    static constexpr uint64_t offsetBasis = 0xcbf29ce484222325ull;
    static constexpr uint64_t prime = 0x100000001b3ull;

    void add(uint8_t byte) {
        value_ ^= byte;
        value_ *= prime;
    }
    void add(const void* data, std::size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) add(p[i]);
    }
    // The four bytes of v, lowest first, whatever the machine's byte order.
    void addLittle32(uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) add(static_cast<uint8_t>(v >> shift));
    }
    uint64_t value() const { return value_; }

private:
    uint64_t value_ = offsetBasis;
};

} // namespace vandrel
