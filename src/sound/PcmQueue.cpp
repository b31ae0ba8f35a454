// Decoded PCM waiting to be handed out.
#include "sound/PcmQueue.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

void PcmQueue::append(std::vector<uint8_t> block) {
    if (block.empty()) return;
    available_ += static_cast<uint32_t>(block.size());
    blocks_.push_back(std::move(block));
}

void PcmQueue::append(const void* bytes, uint32_t n) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    append(std::vector<uint8_t>(p, p + n));
}

uint32_t PcmQueue::read(void* destination, uint32_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t copied = 0;
    while (copied < n && !blocks_.empty()) {
        std::vector<uint8_t>& front = blocks_.front();
        const size_t take = std::min<size_t>(n - copied, front.size() - frontOffset_);
        std::memcpy(out + copied, front.data() + frontOffset_, take);
        copied += static_cast<uint32_t>(take);
        frontOffset_ += take;
        if (frontOffset_ == front.size()) {
            blocks_.pop_front();
            frontOffset_ = 0;
        }
    }
    available_ -= copied;
    return copied;
}

void PcmQueue::clear() {
    blocks_.clear();
    frontOffset_ = 0;
    available_ = 0;
}

} // namespace vandrel
