// First-in first-out message queue of the window thread.
#include "input/MessageQueue.h"

namespace vandrel {

bool MessageQueue::peek(Message& out) const {
    if (queue_.empty()) return false;
    out = queue_.front();
    return true;
}

bool MessageQueue::take(Message& out) {
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

} // namespace vandrel
