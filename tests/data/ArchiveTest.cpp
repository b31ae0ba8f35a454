// The archive on a borrowed stream: lookup, sizes, reading, skipping, closing.
#include "data/Archive.h"
#include "AllocationProbe.h"
#include "data/BlockReader.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace vandrel {
namespace {

using test::Bytes;
using test::TestArchive;

Bytes counting(size_t n) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return out;
}

TEST(Archive, ReportsUncompressedSizesAndZeroForUnknownNames) {
    TestArchive t({{"stuff.x", counting(690233)}, {"muni.nl", counting(1286)}});
    ASSERT_NE(t.reader(), nullptr);
    EXPECT_EQ(t.archive().entrySize("stuff.x"), 690233);
    EXPECT_EQ(t.archive().entrySize("MUNI.NL"), 1286);
    EXPECT_EQ(t.archive().entrySize("missing.x"), 0);
    EXPECT_EQ(t.archive().entrySize(nullptr), 0);
}

TEST(Archive, LookupFoldsAsciiLettersOnly) {
    TestArchive t({{"muni.nl", counting(300)}, {"\xE4.x", counting(5)}});
    Archive& a = t.archive();
    Bytes lower(300), mixed(300);
    ASSERT_TRUE(a.openEntry("muni.nl"));
    ASSERT_TRUE(a.read(lower.data(), 300));
    ASSERT_TRUE(a.openEntry("Muni.nl"));
    EXPECT_EQ(a.tell(), 0);
    ASSERT_TRUE(a.read(mixed.data(), 300));
    EXPECT_EQ(lower, mixed);
    EXPECT_EQ(lower, counting(300));
    // A byte outside a-z is compared as it stands.
    EXPECT_TRUE(a.openEntry("\xE4.X"));
    EXPECT_FALSE(a.openEntry("\xC4.x"));
    EXPECT_FALSE(a.openEntry(std::string(256, 'a').c_str()));
}

TEST(Archive, OpeningAnotherEntryClosesTheFirstAndRestartsTell) {
    TestArchive t({{"a", counting(100)}, {"b", counting(50)}});
    Archive& a = t.archive();
    uint8_t buf[40];
    ASSERT_TRUE(a.openEntry("a"));
    ASSERT_TRUE(a.read(buf, 40));
    EXPECT_EQ(a.tell(), 40);
    EXPECT_EQ(a.currentSize(), 100);
    ASSERT_TRUE(a.openEntry("b"));
    EXPECT_EQ(a.tell(), 0);
    EXPECT_EQ(a.currentSize(), 50);
    // A failed open leaves no entry open.
    EXPECT_FALSE(a.openEntry("c"));
    EXPECT_EQ(a.currentSize(), 0);
    EXPECT_FALSE(a.read(buf, 1));
}

TEST(Archive, ShortReadFailsButDeliversWhatArrived) {
    TestArchive t({{"e", counting(14)}});
    Archive& a = t.archive();
    uint8_t buf[10] = {};
    ASSERT_TRUE(a.openEntry("e"));
    ASSERT_TRUE(a.read(buf, 10));
    EXPECT_FALSE(a.read(buf, 10));
    EXPECT_EQ(a.tell(), 14);
    EXPECT_EQ(buf[3], counting(14)[13]);
    EXPECT_FALSE(a.read(nullptr, 1));
    EXPECT_FALSE(a.read(buf, 0));
}

TEST(Archive, SkipToNeverGoesBackAndSkipsLargeGapsInPieces) {
    const Bytes data = counting(200000);
    TestArchive t({{"big", data}});
    Archive& a = t.archive();
    ASSERT_TRUE(a.openEntry("big"));
    uint8_t b = 0;
    EXPECT_TRUE(a.skipTo(0));
    EXPECT_EQ(a.tell(), 0);
    ASSERT_TRUE(a.skipTo(123457));
    EXPECT_EQ(a.tell(), 123457);
    ASSERT_TRUE(a.read(&b, 1));
    EXPECT_EQ(b, data[123457]);
    EXPECT_TRUE(a.skipTo(5));
    EXPECT_EQ(a.tell(), 123458);
    // Past the end: false, and the position stands at the entry's end.
    EXPECT_FALSE(a.skipTo(300000));
    EXPECT_EQ(a.tell(), 200000);
    // A gap of nearly 2^31 costs no allocation of that size, just a false result.
    ASSERT_TRUE(a.openEntry("big"));
    test::resetLargestAllocation();
    EXPECT_FALSE(a.skipTo(INT32_MAX));
    EXPECT_EQ(a.tell(), 200000);
    EXPECT_LT(test::largestAllocation(), 65536u);
}

TEST(Archive, ClosingTwiceAndClosingNothingAreHarmless) {
    TestArchive t({{"a", counting(10)}});
    Archive& a = t.archive();
    a.closeEntry();
    a.close();
    a.close();
    EXPECT_FALSE(a.isOpen());
    EXPECT_FALSE(a.openEntry("a"));
    EXPECT_EQ(a.tell(), 0);
    EXPECT_EQ(a.entrySize("a"), 0);
}

TEST(Archive, NeverClosesTheBorrowedStream) {
    TestArchive t({{"a", counting(10)}});
    std::FILE* f = std::fopen(t.path().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    {
        Archive a;
        BlockReader* r = a.open(f);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(a.entrySize("a"), 10);
        a.closeReader(r);
        ASSERT_NE(a.open(f), nullptr);
    } // destroyed while open
    // The stream is still ours: it seeks and reads.
    EXPECT_EQ(std::fseek(f, 0, SEEK_SET), 0);
    EXPECT_EQ(std::fgetc(f), 'P');
    EXPECT_EQ(std::fclose(f), 0);
}

TEST(Archive, OpensWhereverTheStreamStandsAndWithBytesInFront) {
    TestArchive t({{"a", counting(1000)}});
    Bytes image(777, 0xCC);
    const Bytes zip = test::readFile(t.path());
    image.insert(image.end(), zip.begin(), zip.end());
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(image.data(), 1, image.size(), f), image.size());
    for (long start : {0L, 500L, 777L, static_cast<long>(image.size())}) {
        ASSERT_EQ(std::fseek(f, start, SEEK_SET), 0);
        Archive a;
        ASSERT_NE(a.open(f), nullptr) << start;
        ASSERT_TRUE(a.openEntry("a"));
        Bytes got(1000);
        ASSERT_TRUE(a.read(got.data(), 1000));
        EXPECT_EQ(got, counting(1000));
    }
    std::fclose(f);
}

TEST(Archive, RefusesStreamsThatHoldNoArchive) {
    Archive a;
    EXPECT_EQ(a.open(nullptr), nullptr);
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(a.open(f), nullptr); // empty
    const Bytes junk = counting(70000);
    std::fwrite(junk.data(), 1, junk.size(), f);
    EXPECT_EQ(a.open(f), nullptr); // no end record
    EXPECT_FALSE(a.isOpen());
    std::fclose(f);
}

// Sets the compression method of every local and central record of a zip.
void setMethod(Bytes& zip, uint16_t method) {
    for (size_t i = 0; i + 4 <= zip.size(); ++i) {
        if (zip[i] != 'P' || zip[i + 1] != 'K') continue;
        const size_t at = zip[i + 2] == 3 && zip[i + 3] == 4 ? i + 8 : zip[i + 2] == 1 && zip[i + 3] == 2 ? i + 10 : 0;
        if (at) {
            zip[at] = static_cast<uint8_t>(method);
            zip[at + 1] = static_cast<uint8_t>(method >> 8);
        }
    }
}

TEST(Archive, OnlyStoredAndDeflatedEntriesOpen) {
    Bytes zip;
    {
        TestArchive t({{"a", counting(40)}});
        zip = test::readFile(t.path());
    }
    for (uint16_t method : {uint16_t{12}, uint16_t{14}, uint16_t{99}}) {
        Bytes changed = zip;
        setMethod(changed, method);
        std::FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        std::fwrite(changed.data(), 1, changed.size(), f);
        Archive a;
        ASSERT_NE(a.open(f), nullptr);
        EXPECT_FALSE(a.openEntry("a")) << method;
        EXPECT_EQ(a.entrySize("a"), 0);
        a.close();
        std::fclose(f);
    }
}

TEST(Archive, DamagedLocalHeaderFailsTheOpen) {
    TestArchive t({{"a", counting(40)}});
    Bytes zip = test::readFile(t.path());
    zip[1] = 'X'; // local header signature
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(zip.data(), 1, zip.size(), f);
    Archive a;
    ASSERT_NE(a.open(f), nullptr); // the central directory is intact
    EXPECT_FALSE(a.openEntry("a"));
    a.close();
    std::fclose(f);
}

TEST(Archive, EndRecordMustBeConsistent) {
    TestArchive t({{"a", counting(40)}, {"b", counting(3)}});
    const Bytes zip = test::readFile(t.path());
    const size_t end = zip.size() - 22;
    auto opens = [](const Bytes& bytes) {
        std::FILE* f = std::tmpfile();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        Archive a;
        const bool ok = a.open(f) != nullptr;
        a.close();
        std::fclose(f);
        return ok;
    };
    EXPECT_TRUE(opens(zip));
    Bytes counts = zip;
    counts[end + 8] = 3; // entries on this disk differ from the total
    EXPECT_FALSE(opens(counts));
    Bytes disk = zip;
    disk[end + 4] = 1;
    EXPECT_FALSE(opens(disk));
    Bytes offset = zip;
    offset[end + 19] = 0x7F; // directory offset beyond the end record
    EXPECT_FALSE(opens(offset));
    EXPECT_FALSE(opens(Bytes(zip.begin(), zip.begin() + static_cast<long>(end) + 10))); // cut end record
}

} // namespace
} // namespace vandrel
