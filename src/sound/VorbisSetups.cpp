// The kept set-ups, looked up by the bytes of their header packets.
#include "sound/VorbisSetups.h"

#include "sound/VorbisSetup.h"

#include <algorithm>
#include <cstring>

namespace vandrel {

namespace {
bool same(const std::vector<uint8_t>& kept, const uint8_t* bytes, size_t n) {
    return kept.size() == n && (n == 0 || std::memcmp(kept.data(), bytes, n) == 0);
}
} // namespace

std::shared_ptr<VorbisSetup> VorbisSetups::find(const uint8_t* id, size_t idBytes, const uint8_t* setup,
                                                size_t setupBytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = kept_.begin(); it != kept_.end(); ++it) {
        if (!same((*it)->idPacket, id, idBytes) || !same((*it)->setupPacket, setup, setupBytes)) continue;
        std::shared_ptr<VorbisSetup> found = *it;
        std::rotate(it, it + 1, kept_.end());
        return found;
    }
    return nullptr;
}

void VorbisSetups::keep(std::shared_ptr<VorbisSetup> setup) {
    if (!setup) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (kept_.size() >= maxKept) kept_.erase(kept_.begin());
    kept_.push_back(std::move(setup));
}

size_t VorbisSetups::kept() {
    std::lock_guard<std::mutex> lock(mutex_);
    return kept_.size();
}

} // namespace vandrel
