// Keys held down, one record per press, turned into exact milliseconds so the
// arrow keys scroll one pixel per millisecond whatever the frame rate and
// however often the keyboard repeats.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace vandrel {

struct KeyHold {
    bool held = false;
    uint32_t pressTick = 0;
    uint32_t releaseTick = 0;  // 0 while held
    uint32_t consumedTick = 0; // 0 until first consumed
    int32_t key = -1;
    bool spent = false; // consumed to its end; removed by the next next()
};

class HeldKeyList {
public:
    void keyDown(int32_t key);
    void keyUp(int32_t key);
    // The record consumed longest ago (never-consumed ones first), or null.
    KeyHold* next();
    // Milliseconds the record accounts for since its last consumption.
    static uint32_t consume(KeyHold& record, uint32_t now);
    void removeKey(int32_t key);
    void clear() { records_.clear(); }

    std::size_t size() const { return records_.size(); }

private:
    std::vector<std::unique_ptr<KeyHold>> records_;
};

} // namespace vandrel
