// What a window's message queue holds, taken out for a test to look at.
#pragma once
#include "input/MessageQueue.h"

#include <cstdint>
#include <vector>

namespace vandrel {

// Takes every waiting message, oldest first.
inline std::vector<Message> takeAll(MessageQueue& queue) {
    std::vector<Message> out;
    Message m;
    while (queue.take(m)) out.push_back(m);
    return out;
}

// The messages' numbers in their order.
inline std::vector<uint32_t> kinds(const std::vector<Message>& messages) {
    std::vector<uint32_t> out;
    for (const Message& m : messages) out.push_back(m.message);
    return out;
}

// How many of the messages are of this kind (with this wParam, when one is given).
inline int count(const std::vector<Message>& messages, uint32_t kind, uint64_t wParam = ~0ull) {
    int n = 0;
    for (const Message& m : messages) n += m.message == kind && (wParam == ~0ull || m.wParam == wParam);
    return n;
}

} // namespace vandrel
