// Finding the archive behind an executable image: PE images with and without a
// CodeView record, ELF images of both classes, and files that are neither.
#include "data/ArchiveLocator.h"
#include "data/Archive.h"
#include "data/BlockReader.h"
#include "base/LoadError.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <unistd.h>

namespace vandrel {
namespace {

using test::Bytes;

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

struct Section {
    uint32_t pointer;
    uint32_t size;
};

// A PE image: DOS header, NT headers at lfanew, the section table, and the
// section bytes; the file is as long as the furthest section reaches. A 64-bit
// image (PE32+) has a 240-byte optional header, so its table starts 16 bytes
// further back.
Bytes peImage(const std::vector<Section>& sections, uint32_t lfanew = 0x80, bool pe32Plus = false) {
    const size_t tableStart = lfanew + (pe32Plus ? 264 : 248);
    const size_t tableEnd = tableStart + 40 * sections.size();
    size_t length = tableEnd;
    for (const Section& s : sections) length = std::max<size_t>(length, s.pointer + s.size);
    Bytes b(length, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, lfanew);
    std::memcpy(&b[lfanew], "PE\0\0", 4);
    put16(b, lfanew + 6, static_cast<uint16_t>(sections.size()));
    put16(b, lfanew + 20, pe32Plus ? 240 : 224);
    put16(b, lfanew + 24, pe32Plus ? 0x20B : 0x10B);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t at = tableStart + 40 * i;
        std::memcpy(&b[at], ".sec", 4);
        put32(b, at + 16, sections[i].size);
        put32(b, at + 20, sections[i].pointer);
        for (uint32_t k = 0; k < sections[i].size && sections[i].pointer + k >= tableEnd; ++k)
            b[sections[i].pointer + k] = static_cast<uint8_t>(0x90 + i);
    }
    return b;
}

// A CodeView record: "NB10", a zero offset field, time stamp, age, then the
// program database path and its terminating zero.
Bytes codeView(const std::string& pdb, uint8_t offsetByte = 0) {
    const uint8_t head[16] = {'N', 'B', '1', '0', offsetByte, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 1, 0, 0, 0};
    Bytes r(sizeof head + pdb.size() + 1, 0);
    std::memcpy(r.data(), head, sizeof head);
    std::memcpy(r.data() + sizeof head, pdb.data(), pdb.size());
    return r;
}

Bytes smallZip() {
    test::TestArchive t({{"cur.nl", test::block("JP", Bytes{1, 2, 3})}});
    return test::readFile(t.path());
}

class TempFile {
public:
    explicit TempFile(const Bytes& contents) {
        char name[] = "/tmp/vandrel-image-XXXXXX";
        const int fd = mkstemp(name);
        path_ = name;
        if (fd >= 0) {
            if (!contents.empty()) {
                EXPECT_EQ(::write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
            }
            ::close(fd);
        }
    }
    ~TempFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

// Where open() leaves the stream, or -1 if it throws.
long locate(const Bytes& file) {
    TempFile f(file);
    ArchiveLocator locator;
    long position = -1;
    try {
        std::FILE* s = locator.open(f.path());
        position = std::ftell(s);
    } catch (const LoadError&) {
        position = -1;
    }
    locator.close();
    return position;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ArchiveLocatorPe, StopsRightBehindTheLastSectionOfTheBuiltImage) {
    const Bytes image = peImage({{0x400, 0x30000}, {0x30400, 0x5000}, {0x35400, 0x4600}, {0x39A00, 0x1400}});
    ASSERT_EQ(image.size(), 241152u);
    const Bytes file = image + smallZip();
    EXPECT_EQ(locate(file), 241152);

    TempFile f(file);
    ArchiveLocator locator;
    std::FILE* s = locator.open(f.path());
    uint8_t pk[4] = {};
    ASSERT_EQ(std::fread(pk, 1, 4, s), 4u);
    EXPECT_EQ(0, std::memcmp(pk, "PK\x03\x04", 4));
    Archive archive;
    BlockReader* r = archive.open(s);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(archive.entrySize("CUR.NL"), 9);
    archive.closeReader(r);
    locator.close();
}

TEST(ArchiveLocatorPe, TheLastTableEntryDecidesEvenIfAnotherEndsFurther) {
    const Bytes image = peImage({{0x400, 0x200}, {0x1000, 0x800}, {0x600, 0x100}});
    EXPECT_EQ(locate(image + smallZip()), 0x700);
}

TEST(ArchiveLocatorPe, StepsOverACodeViewRecordEndingInPdb) {
    const Bytes image = peImage({{0x400, 0x200}});
    const Bytes record = codeView("C:\\b\\game.pdb"); // 13 characters
    EXPECT_EQ(locate(image + record + smallZip()), 0x600 + 16 + 13 + 1);
}

TEST(ArchiveLocatorPe, UnrecognisedRecordsLeaveTheStartAtTheImageEnd) {
    const Bytes image = peImage({{0x400, 0x200}});
    // Name not ending in ".pdb", in the wrong case, a nonzero offset field, and a
    // name whose zero lies beyond the 255-byte look-ahead.
    EXPECT_EQ(locate(image + codeView("C:\\b\\game.dbg") + smallZip()), 0x600);
    EXPECT_EQ(locate(image + codeView("C:\\b\\game.PDB") + smallZip()), 0x600);
    EXPECT_EQ(locate(image + codeView("C:\\b\\game.pdb", 1) + smallZip()), 0x600);
    EXPECT_EQ(locate(image + codeView(std::string(235, 'x') + ".pdb") + smallZip()), 0x600);
    // The last position that still counts: the zero at byte 254.
    EXPECT_EQ(locate(image + codeView(std::string(234, 'x') + ".pdb") + smallZip()), 0x600 + 255);
}

TEST(ArchiveLocatorPe, SixtyFourBitImagesAreWalkedPastTheirLongerOptionalHeader) {
    // Read with the 32-bit header's length, the last section header would be
    // taken 16 bytes early and the image would end somewhere inside it.
    const Bytes image = peImage({{0x400, 0x200}, {0x600, 0x1000}}, 0x80, true);
    EXPECT_EQ(locate(image + smallZip()), 0x1600);
    EXPECT_EQ(locate(image + codeView("C:\\b\\game.pdb") + smallZip()), 0x1600 + 16 + 13 + 1);
    // A table cut short behind the longer header still fails.
    Bytes cut(image.begin(), image.begin() + 0x80 + 264 + 60);
    EXPECT_EQ(locate(cut), -1);
}

TEST(ArchiveLocatorPe, ImageEndingAtItsLastSectionLeavesTheStreamThere) {
    const Bytes image = peImage({{0x400, 0x200}});
    EXPECT_EQ(locate(image), 0x600);
    // The archive then finds nothing.
    TempFile f(image);
    ArchiveLocator locator;
    Archive archive;
    EXPECT_EQ(archive.open(locator.open(f.path())), nullptr);
    locator.close();
}

TEST(ArchiveLocatorPe, DamagedHeadersFail) {
    const Bytes good = peImage({{0x400, 0x200}, {0x600, 0x200}});
    EXPECT_EQ(locate(Bytes(good.begin(), good.begin() + 63)), -1); // shorter than the DOS header
    Bytes notMz = good;
    notMz[1] = 'Y';
    EXPECT_EQ(locate(notMz), -1);
    Bytes notPe = good;
    notPe[0x81] = 'X';
    EXPECT_EQ(locate(notPe), -1);
    Bytes negative = good;
    put32(negative, 0x3C, 0x80000000u);
    EXPECT_EQ(locate(negative), -1);
    Bytes beyond = good;
    put32(beyond, 0x3C, 0x7FFFFF00u);
    EXPECT_EQ(locate(beyond), -1);
    // The section table says three sections, the file holds two and then ends.
    Bytes shortTable(good.begin(), good.begin() + 0x80 + 248 + 80);
    put16(shortTable, 0x80 + 6, 3);
    EXPECT_EQ(locate(shortTable), -1);
    // No sections: no last section to end the image.
    EXPECT_EQ(locate(peImage({}) + smallZip()), -1);
}

TEST(ArchiveLocator, APlainZipIsItsOwnArchiveFromItsFirstByte) {
    const Bytes zip = smallZip();
    ASSERT_EQ(zip[0], 'P');
    TempFile f(zip);
    ArchiveLocator locator;
    std::FILE* s = locator.open(f.path());
    EXPECT_EQ(std::ftell(s), 0);
    Archive archive;
    BlockReader* reader = archive.open(s);
    ASSERT_NE(reader, nullptr) << "the zip reads through the located stream";
    EXPECT_EQ(archive.entrySize("cur.nl"), archive.entrySize("CUR.NL"));
    EXPECT_GT(archive.entrySize("cur.nl"), 0);
    archive.closeReader(reader);
    locator.close();
    // An empty zip is only its end record.
    const Bytes empty{'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(locate(empty), 0);
    // Other files that begin with "PK" are not zips.
    EXPECT_EQ(locate(Bytes{'P', 'K', 'G', '!', 0, 0, 0, 0}), -1);
}

TEST(ArchiveLocator, FailureKeepsTheOpenedStreamUntilClose) {
    TempFile f(Bytes(10, 'x'));
    ArchiveLocator locator;
    EXPECT_THROW(locator.open(f.path()), LoadError);
    EXPECT_NE(locator.stream(), nullptr);
    locator.close();
    EXPECT_EQ(locator.stream(), nullptr);
    locator.close();
    EXPECT_THROW(locator.open(nullptr), LoadError);
    EXPECT_THROW(locator.open("/nonexistent/vandrel"), LoadError);
    EXPECT_EQ(locator.stream(), nullptr);
}

struct ElfSection {
    uint32_t type;
    uint64_t offset;
    uint64_t size;
};

// An ELF image: header, section bytes, and the section header table at shoff.
Bytes elfImage(bool is64, bool bigEndian, uint64_t shoff, const std::vector<ElfSection>& sections, size_t length) {
    Bytes b(length, 0);
    auto put = [&](size_t at, uint64_t v, int width) {
        for (int i = 0; i < width; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * (bigEndian ? width - 1 - i : i)));
    };
    std::memcpy(b.data(),
                "\x7F"
                "ELF",
                4);
    b[4] = is64 ? 2 : 1;
    b[5] = bigEndian ? 2 : 1;
    b[6] = 1;
    const int word = is64 ? 8 : 4;
    const size_t entry = is64 ? 64 : 40;
    put(is64 ? 0x28 : 0x20, shoff, word);
    put(is64 ? 0x3A : 0x2E, entry, 2);
    put(is64 ? 0x3C : 0x30, sections.size(), 2);
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t at = shoff + entry * i;
        if (shoff >= length || at + entry > length) break;
        put(at + 4, sections[i].type, 4);
        put(at + (is64 ? 0x18 : 0x10), sections[i].offset, word);
        put(at + (is64 ? 0x20 : 0x14), sections[i].size, word);
    }
    return b;
}

constexpr uint32_t progbits = 1, noBits = 8;

TEST(ArchiveLocatorElf, StartsBehindTheSectionHeaderTable) {
    // The usual layout: sections first, the table last.
    const Bytes image =
        elfImage(true, false, 0x1000, {{0, 0, 0}, {progbits, 0x40, 0x900}, {noBits, 0x940, 0x100000}}, 0x1000 + 3 * 64);
    EXPECT_EQ(locate(image + smallZip()), 0x1000 + 3 * 64);
}

TEST(ArchiveLocatorElf, StartsBehindASectionLyingPastTheTable) {
    const Bytes image = elfImage(true, false, 0x100, {{0, 0, 0}, {progbits, 0x200, 0x333}}, 0x533);
    EXPECT_EQ(locate(image + smallZip()), 0x533);
}

TEST(ArchiveLocatorElf, ReadsBothClassesAndByteOrders) {
    const Bytes be32 = elfImage(false, true, 0x80, {{0, 0, 0}, {progbits, 0x34, 0x40}, {progbits, 0x100, 0x21}}, 0x121);
    EXPECT_EQ(locate(be32 + smallZip()), 0x121);
    const Bytes le32 = elfImage(false, false, 0x80, {{progbits, 0x34, 0x10}}, 0x80 + 40);
    EXPECT_EQ(locate(le32 + smallZip()), 0x80 + 40);
}

TEST(ArchiveLocatorElf, DamagedImagesFail) {
    EXPECT_EQ(locate(elfImage(true, false, 0x40, {}, 0x40) + smallZip()), -1); // no sections
    // A table that points past the end of the file.
    EXPECT_EQ(locate(elfImage(true, false, 0x100000, {{progbits, 0x40, 1}}, 0x80)), -1);
    EXPECT_EQ(locate(elfImage(true, false, UINT64_MAX - 10, {{progbits, 0x40, 1}}, 0x80)), -1);
    // Sizes that overflow when added.
    EXPECT_EQ(locate(elfImage(true, false, 0x40, {{progbits, UINT64_MAX - 4, 100}}, 0x80)), -1);
    Bytes badClass = elfImage(true, false, 0x40, {{progbits, 0x40, 1}}, 0x80);
    badClass[4] = 3;
    EXPECT_EQ(locate(badClass), -1);
    EXPECT_EQ(locate(Bytes{0x7F, 'E', 'L', 'F', 2, 1, 1}), -1); // header cut short
}

// The game as the build finishes it (on Windows a stripped 64-bit PE image, on
// Linux an ELF image) with its data set behind it: the walk ends exactly where
// the archive's first local header is, and the archive holds the seven entries.
TEST(ArchiveLocator, FindsTheDataSetBehindTheBuiltGame) {
    const Bytes game = test::readFile(VANDREL_GAME_FILE);
    if (game.empty()) GTEST_SKIP() << "the game with its data set is not built";
    ArchiveLocator locator;
    std::FILE* s = locator.open(VANDREL_GAME_FILE);
    const long at = std::ftell(s);
    ASSERT_GT(at, 1000);
    ASSERT_LT(static_cast<size_t>(at) + 4, game.size());
    EXPECT_EQ(std::memcmp(&game[static_cast<size_t>(at)], "PK\x03\x04", 4), 0);
    Archive archive;
    BlockReader* reader = archive.open(s);
    ASSERT_NE(reader, nullptr);
    for (const char* entry : {"back.nb", "figur.xx", "cur.nl", "font.nl", "fonts.nl", "muni.nl", "stuff.x"})
        EXPECT_GT(archive.entrySize(entry), 0) << entry;
    archive.closeReader(reader);
    archive.close();
    locator.close();
}

#ifndef _WIN32
TEST(ArchiveLocatorElf, FindsAnArchiveAppendedToARealExecutable) {
    const Bytes self = test::readFile("/proc/self/exe");
    ASSERT_GT(self.size(), 1000u);
    EXPECT_EQ(locate(self + smallZip()), static_cast<long>(self.size()));
}
#endif

} // namespace
} // namespace vandrel
