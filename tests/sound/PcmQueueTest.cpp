// The PCM queue hands bytes out in order across its blocks and counts them.
#include "sound/PcmQueue.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(PcmQueue, ReadsAcrossBlocksInOrderAndFreesReadBlocks) {
    PcmQueue q;
    q.append(std::vector<uint8_t>{1, 2, 3});
    q.append(std::vector<uint8_t>{}); // nothing to queue
    const uint8_t more[] = {4, 5, 6, 7};
    q.append(more, 4);
    EXPECT_EQ(q.available(), 7u);
    EXPECT_EQ(q.blockCount(), 2u);

    uint8_t out[8] = {};
    EXPECT_EQ(q.read(out, 2), 2u);
    EXPECT_EQ(q.available(), 5u);
    EXPECT_EQ(q.read(out + 2, 2), 2u); // the rest of the first block and one more
    EXPECT_EQ(q.blockCount(), 1u);
    EXPECT_EQ(q.read(out + 4, 100), 3u);
    EXPECT_EQ(q.available(), 0u);
    EXPECT_EQ(q.blockCount(), 0u);
    const uint8_t expected[] = {1, 2, 3, 4, 5, 6, 7, 0};
    EXPECT_EQ(0, memcmp(out, expected, 8));
    EXPECT_EQ(q.read(out, 4), 0u);
}

TEST(PcmQueue, ClearDropsEverything) {
    PcmQueue q;
    q.append(std::vector<uint8_t>(100, 9));
    uint8_t b;
    q.read(&b, 1);
    q.clear();
    EXPECT_EQ(q.available(), 0u);
    q.append(std::vector<uint8_t>{42});
    EXPECT_EQ(q.read(&b, 1), 1u);
    EXPECT_EQ(b, 42); // no stale offset from the cleared block
}

} // namespace
} // namespace vandrel
