// Block framing for the generated entries.
#include "BlockStream.h"

#include <stdexcept>

namespace vandrel::assetgen {

void appendU32(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void appendI32(Bytes& out, int32_t v) { appendU32(out, uint32_t(v)); }

void BlockStream::add(const char* tag, const Bytes& payload) {
    if (!tag || !tag[0] || !tag[1] || tag[2]) throw std::invalid_argument("block tags have two characters");
    data_.push_back(uint8_t(tag[0]));
    data_.push_back(uint8_t(tag[1]));
    appendU32(data_, uint32_t(payload.size()));
    data_.insert(data_.end(), payload.begin(), payload.end());
}

void BlockStream::addI32(const char* tag, int32_t value) {
    Bytes payload;
    appendI32(payload, value);
    add(tag, payload);
}

} // namespace vandrel::assetgen
