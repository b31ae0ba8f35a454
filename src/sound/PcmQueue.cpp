// Decoded PCM waiting to be handed out.
#include "sound/PcmQueue.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

void PcmQueue::append(std::vector<uint8_t> block) {
    if (block.empty()) return;
    available_ += static_cast<uint32_t>(block.size());
    blocks.push_back(std::move(block));
}

void PcmQueue::append(const void* bytes, uint32_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    append(std::vector<uint8_t>(p, p + n));
}

uint32_t PcmQueue::read(void* destination, uint32_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t copied = 0;
    while (copied < n && !blocks.empty()) {
        std::vector<uint8_t>& front = blocks.front();
        const size_t take = std::min<size_t>(n - copied, front.size() - frontOffset);
        std::memcpy(out + copied, front.data() + frontOffset, take);
        copied += static_cast<uint32_t>(take);
        frontOffset += take;
        if (frontOffset == front.size()) {
            blocks.pop_front();
            frontOffset = 0;
        }
    }
    available_ -= copied;
    return copied;
}

void PcmQueue::clear() {
    blocks.clear();
    frontOffset = 0;
    available_ = 0;
}

} // namespace vandrel
