// The message queue keeps order; mouse positions survive the trip through lParam.
#include "input/MessageQueue.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(MessageQueue, DeliversInPostingOrderAndPeekDoesNotTake) {
    MessageQueue q;
    Message m;
    EXPECT_FALSE(q.peek(m));
    EXPECT_FALSE(q.take(m));
    q.post(msg::KeyDown, vk::Escape);
    q.post(msg::Close);
    q.postQuit(3);
    ASSERT_TRUE(q.peek(m));
    EXPECT_EQ(m.message, msg::KeyDown);
    EXPECT_EQ(q.size(), 3u);
    ASSERT_TRUE(q.take(m));
    EXPECT_EQ(m.wParam, vk::Escape);
    ASSERT_TRUE(q.take(m));
    EXPECT_EQ(m.message, msg::Close);
    ASSERT_TRUE(q.take(m));
    EXPECT_EQ(m.message, msg::Quit);
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_TRUE(q.empty());
}

TEST(MessageQueue, PointParametersAreSignExtended) {
    for (auto [x, y] : {std::pair{0, 0}, {639, 479}, {-1, -5}, {-32768, 32767}}) {
        int64_t p = makePointParam(x, y);
        EXPECT_EQ(pointParamX(p), x);
        EXPECT_EQ(pointParamY(p), y);
    }
}

} // namespace
} // namespace vandrel
