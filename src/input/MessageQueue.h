// The window thread's message queue: system events and messages the game
// posts to itself wait here, first in, first out.
#pragma once
#include "input/Messages.h"

#include <cstddef>
#include <deque>

namespace vandrel {

class MessageQueue {
public:
    void post(const Message& m) { queue_.push_back(m); }
    void post(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0) {
        queue_.push_back(Message{message, wParam, lParam});
    }
    // Quit is posted like any message; the loop ends when it reaches the front.
    void postQuit(int exitCode) { post(msg::Quit, static_cast<uint64_t>(exitCode)); }

    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }
    // The front message without taking it; false when the queue is empty.
    bool peek(Message& out) const;
    // Takes the front message; false when the queue is empty.
    bool take(Message& out);
    void clear() { queue_.clear(); }

private:
    std::deque<Message> queue_;
};

} // namespace vandrel
