// The tagged block walk: headers, skipping what a consumer leaves unread,
// bounded reads, and every way a damaged entry ends the walk.
#include "data/BlockReader.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::block;
using test::blockWithLength;
using test::Bytes;
using test::concat;
using test::TestArchive;

Bytes filled(size_t n, uint8_t first = 1) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(first + i);
    return out;
}

Bytes u32(uint32_t v) {
    Bytes out;
    test::putU32(out, v);
    return out;
}

TEST(BlockReader, TagsCompareAsLittleEndianPairs) {
    EXPECT_EQ(makeTag('J', 'P'), 0x504A);
    TestArchive t({{"e", concat({block("JP"), block("sS")})}});
    BlockReader& r = t.entry("e");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, 0x504A);
    ASSERT_TRUE(r.nextBlock());
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('s', 'S'));
    EXPECT_NE(tag, makeTag('S', 'S'));
}

TEST(BlockReader, EmptyEntryHasNoFirstHeader) {
    TestArchive t({{"e", Bytes{}}});
    BlockReader& r = t.entry("e");
    uint16_t tag = 0x1234;
    EXPECT_FALSE(r.readHeader(tag));
    EXPECT_EQ(tag, 0x1234);
    EXPECT_EQ(r.blockLength(), -1);
    EXPECT_FALSE(r.nextBlock());
}

TEST(BlockReader, FullyReadPayloadIsNotSkippedAgain) {
    TestArchive t({{"figur.xx", concat({block("F1", u32(12)), block("SD", filled(20))})}});
    BlockReader& r = t.entry("figur.xx");
    uint16_t tag = 0;
    uint32_t count = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(r.blockLength(), 4);
    ASSERT_TRUE(r.readU32(&count));
    EXPECT_EQ(count, 12u);
    ASSERT_TRUE(r.nextBlock());
    EXPECT_EQ(r.tell(), 10);
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'D'));
    EXPECT_EQ(r.blockLength(), 20);
}

TEST(BlockReader, PartlyReadPayloadIsSkippedToTheNextHeader) {
    const Bytes sound = filled(4950);
    TestArchive t({{"figur.xx", concat({block("SD", sound), block("EX", filled(5))})}});
    BlockReader& r = t.entry("figur.xx");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    Bytes head(10);
    ASSERT_TRUE(r.read(head.data(), 10));
    EXPECT_EQ(head, Bytes(sound.begin(), sound.begin() + 10));
    ASSERT_TRUE(r.nextBlock());
    EXPECT_EQ(r.tell(), 6 + 4950);
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('E', 'X'));
    uint8_t flag = 0;
    uint32_t value = 0;
    ASSERT_TRUE(r.readU32(&value));
    ASSERT_TRUE(r.readU8(&flag));
    EXPECT_EQ(value, 0x04030201u);
    EXPECT_EQ(flag, 5);
}

TEST(BlockReader, EmptyMarkerBlockReportsTheWholeEntryAsItsSize) {
    const Bytes entry = concat({block("SS", filled(55)), block("ST"), block("JP", filled(3))});
    TestArchive t({{"stuff.x", entry}});
    BlockReader& r = t.entry("stuff.x");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(r.size(), 55);
    ASSERT_TRUE(r.nextBlock());
    // No block current: the entry's size.
    EXPECT_EQ(r.size(), static_cast<int32_t>(entry.size()));
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('S', 'T'));
    EXPECT_EQ(r.blockLength(), 0);
    EXPECT_EQ(r.size(), static_cast<int32_t>(entry.size()));
    uint8_t buf[8];
    EXPECT_EQ(r.readSome(buf, sizeof buf), 0);
    const int32_t before = r.tell();
    ASSERT_TRUE(r.nextBlock());
    EXPECT_EQ(r.tell(), before);
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('J', 'P'));
}

TEST(BlockReader, FirstBlockReportsItsOwnLength) {
    // Even the first block's length field lies past byte 0 of the entry, so a
    // nonzero length is always the block's own.
    const Bytes entry = concat({block("JP", filled(933)), block("PG")});
    TestArchive t({{"cur.nl", entry}});
    BlockReader& r = t.entry("cur.nl");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(r.size(), 933);
}

TEST(BlockReader, ReadSomeStopsExactlyAtThePayloadsEnd) {
    const Bytes jpeg = filled(933, 7);
    TestArchive t({{"cur.nl", concat({block("JP", jpeg), block("PG", filled(4))})}});
    BlockReader& r = t.entry("cur.nl");
    uint16_t tag = 0;
    Bytes buf(4096);
    EXPECT_EQ(r.readSome(buf.data(), 4096), 0); // no block yet
    ASSERT_TRUE(r.readHeader(tag));
    ASSERT_EQ(r.readSome(buf.data(), 100), 100);
    ASSERT_EQ(r.readSome(buf.data() + 100, 4096), 833);
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + 933), jpeg);
    EXPECT_EQ(r.readSome(buf.data(), 4096), 0);
    EXPECT_EQ(r.readSome(nullptr, 4096), 0);
    ASSERT_TRUE(r.nextBlock());
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag('P', 'G'));
}

TEST(BlockReader, SteppingPastTheLastBlockSucceedsThenHeadersEnd) {
    TestArchive t({{"cur.nl", concat({block("JP", filled(30)), block("PG", filled(9))})}});
    BlockReader& r = t.entry("cur.nl");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    ASSERT_TRUE(r.nextBlock());
    ASSERT_TRUE(r.readHeader(tag));
    ASSERT_TRUE(r.nextBlock());
    EXPECT_FALSE(r.readHeader(tag));
    EXPECT_FALSE(r.nextBlock()); // no block current
}

TEST(BlockReader, ReadingPastABlocksEndIsNotUndone) {
    TestArchive t({{"e", concat({block("AA", filled(2)), block("BB", filled(3)), block("CC")})}});
    BlockReader& r = t.entry("e");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    uint8_t buf[10];
    ASSERT_TRUE(r.read(buf, 10)); // AA payload, BB header, 2 bytes of BB payload
    ASSERT_TRUE(r.nextBlock());
    EXPECT_EQ(r.tell(), 16);
    // The next header is read from where the entry stands: BB's last byte and CC.
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(tag, makeTag(3, 'C'));
}

TEST(BlockReader, TruncatedEntriesEndTheWalkWithFalse) {
    // Cut inside the tag, inside the length field, and inside the payload.
    const Bytes whole = block("JP", filled(50));
    for (size_t cut : {1u, 4u, 30u}) {
        TestArchive t({{"e", Bytes(whole.begin(), whole.begin() + static_cast<long>(cut))}});
        BlockReader& r = t.entry("e");
        uint16_t tag = 0;
        if (cut < 6) {
            EXPECT_FALSE(r.readHeader(tag)) << cut;
            continue;
        }
        ASSERT_TRUE(r.readHeader(tag));
        Bytes buf(50);
        EXPECT_EQ(r.readSome(buf.data(), 50), 0); // fewer than asked: nothing counted
        EXPECT_EQ(r.tell(), static_cast<int32_t>(cut));
        EXPECT_FALSE(r.nextBlock());
        EXPECT_FALSE(r.readHeader(tag));
    }
}

TEST(BlockReader, LengthsOfTwoToThe31AndMoreAreRefused) {
    for (uint32_t length : {0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        TestArchive t({{"e", concat({blockWithLength("SD", length, filled(100)), block("EX", filled(5))})}});
        BlockReader& r = t.entry("e");
        uint16_t tag = 0;
        EXPECT_FALSE(r.readHeader(tag)) << length;
        EXPECT_EQ(r.blockLength(), -1);
        EXPECT_FALSE(r.nextBlock());
        uint8_t buf[16];
        EXPECT_EQ(r.readSome(buf, 16), 0);
    }
}

TEST(BlockReader, LengthBeyondTheEntryFailsTheStepWithoutHanging) {
    TestArchive t({{"e", blockWithLength("S4", 0x7FFFFFF0u, filled(1000))}});
    BlockReader& r = t.entry("e");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    EXPECT_EQ(r.blockLength(), 0x7FFFFFF0);
    EXPECT_FALSE(r.nextBlock());
    EXPECT_EQ(r.tell(), 1006);
    EXPECT_FALSE(r.readHeader(tag));
}

TEST(BlockReader, NullAndEmptyReadsFail) {
    TestArchive t({{"e", block("XX", filled(8))}});
    BlockReader& r = t.entry("e");
    uint16_t tag = 0;
    ASSERT_TRUE(r.readHeader(tag));
    uint8_t b = 0;
    EXPECT_FALSE(r.read(nullptr, 4));
    EXPECT_FALSE(r.read(&b, 0));
    EXPECT_FALSE(r.readU8(nullptr));
    EXPECT_FALSE(r.readU16(nullptr));
    EXPECT_FALSE(r.readU32(nullptr));
    EXPECT_EQ(r.tell(), 6);
    uint16_t half = 0;
    ASSERT_TRUE(r.readU16(&half));
    EXPECT_EQ(half, 0x0201);
}

TEST(BlockReader, WorksAcrossEntriesOneAfterAnother) {
    TestArchive t({{"a", block("JP", filled(3))}, {"b", concat({block("PI", u32(4)), block("JP")})}});
    BlockReader* r = t.reader();
    ASSERT_NE(r, nullptr);
    uint16_t tag = 0;
    ASSERT_TRUE(r->openEntry("A"));
    ASSERT_TRUE(r->readHeader(tag));
    ASSERT_TRUE(r->nextBlock());
    r->closeEntry();
    EXPECT_EQ(r->tell(), 0);
    EXPECT_FALSE(r->readHeader(tag)); // nothing open
    ASSERT_TRUE(r->openEntry("b"));
    ASSERT_TRUE(r->readHeader(tag));
    EXPECT_EQ(tag, makeTag('P', 'I'));
    EXPECT_FALSE(r->openEntry("c"));
    EXPECT_FALSE(r->openEntry(nullptr));
}

} // namespace
} // namespace vandrel
