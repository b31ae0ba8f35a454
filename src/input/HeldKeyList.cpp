// Held-key records: press and release times, consumed one record per frame.
#include "input/HeldKeyList.h"

#include "base/Clock.h"
#include "input/Messages.h"

#include <algorithm>

namespace vandrel {

void HeldKeyList::keyDown(int32_t key) {
    // One arrow cancels whatever the other has not scrolled yet.
    if (key == static_cast<int32_t>(vk::Left)) removeKey(vk::Right);
    if (key == static_cast<int32_t>(vk::Right)) removeKey(vk::Left);
    for (const auto& r : records_)
        if (r->key == key && r->held) return; // auto-repeat adds nothing
    auto r = std::make_unique<KeyHold>();
    r->held = true;
    r->pressTick = tickCount();
    r->key = key;
    records_.push_back(std::move(r));
}

void HeldKeyList::keyUp(int32_t key) {
    for (const auto& r : records_) {
        if (r->key == key && r->held) {
            r->held = false;
            r->releaseTick = tickCount();
            return;
        }
    }
}

KeyHold* HeldKeyList::next() {
    std::erase_if(records_, [](const std::unique_ptr<KeyHold>& r) { return r->spent; });
    uint32_t limit = tickCount() + 10000u;
    KeyHold* candidate = nullptr;
    for (const auto& r : records_) {
        if (r->consumedTick < limit) {
            candidate = r.get();
            limit = r->consumedTick;
        }
    }
    return candidate;
}

uint32_t HeldKeyList::consume(KeyHold& r, uint32_t now) {
    uint32_t start = std::max(r.pressTick, r.consumedTick);
    uint32_t amount;
    if (r.held) {
        amount = now - start;
    } else if (r.consumedTick >= r.releaseTick) {
        amount = 0;
        r.spent = true;
    } else {
        amount = r.releaseTick - start;
    }
    r.consumedTick = now;
    return amount;
}

void HeldKeyList::removeKey(int32_t key) {
    std::erase_if(records_, [key](const std::unique_ptr<KeyHold>& r) { return r->key == key; });
}

} // namespace vandrel
