// First-in first-out list of decoded PCM blocks with a count of unread bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace vandrel {

class PcmQueue {
public:
    void append(std::vector<uint8_t> block);
    void append(const void* bytes, uint32_t n);
    // Copies up to n bytes from the front; frees each block once it is read.
    uint32_t read(void* destination, uint32_t n);
    void clear();

    uint32_t available() const { return available_; }
    size_t blockCount() const { return blocks_.size(); }

private:
    std::deque<std::vector<uint8_t>> blocks_;
    size_t frontOffset_ = 0; // bytes of the front block already read
    uint32_t available_ = 0;
};

} // namespace vandrel
