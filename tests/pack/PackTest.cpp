// The pack tool as a data maker uses it: build, append, list, extract, and the
// exit codes scripts rely on. Every case runs the real binary.
#include "data/Archive.h"
#include "data/ArchiveLocator.h"
#include "data/BlockReader.h"
#include "data/ZipWriter.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/vandrel-pack-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }

    std::string at(const std::string& name) const { return dir + "/" + name; }

    void write(const std::string& name, const Bytes& data) const {
        std::ofstream o(at(name), std::ios::binary);
        o.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }

    static std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    Result pack(const std::string& args) const {
        const std::string cmd =
            std::string("'") + PACK_BINARY + "' " + args + " >'" + at("stdout") + "' 2>'" + at("stderr") + "'";
        Result r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(at("stdout"));
        r.err = slurp(at("stderr"));
        return r;
    }

    std::string dir;
};

Bytes payload(size_t n, uint8_t seed) {
    Bytes out(n);
    uint32_t s = seed;
    for (auto& b : out) {
        s = s * 1103515245u + 12345u;
        b = static_cast<uint8_t>((s >> 16) & (seed & 1 ? 0xFF : 0x0F));
    }
    return out;
}

uint16_t le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | (static_cast<uint8_t>(s[at + 1]) << 8));
}

TEST_F(PackTool, BuildAppendListAndReadBackThroughTheLocator) {
    const Bytes cur = concat({block("JP", payload(933, 3)), block("PG", payload(120, 4))});
    const Bytes stuff = concat({block("S1", payload(5000, 5)), block("SS", payload(55, 6)), block("ST")});
    const Bytes empty;
    write("cur.nl", cur);
    write("stuff.x", stuff);
    write("muni.nl", empty);
    ASSERT_EQ(
        pack("build '" + at("data.zip") + "' '" + at("stuff.x") + "' '" + at("cur.nl") + "' '" + at("muni.nl") + "'")
            .status,
        0);
    const Result appended =
        pack("append '" + std::string(PACK_BINARY) + "' '" + at("data.zip") + "' '" + at("game") + "'");
    ASSERT_EQ(appended.status, 0) << appended.err;
    struct stat st {};
    ASSERT_EQ(stat(at("game").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);

    // The listing names the entries in build order with their sizes.
    const Result listed = pack("list '" + at("game") + "'");
    ASSERT_EQ(listed.status, 0) << listed.err;
    const size_t s = listed.out.find("stuff.x"), c = listed.out.find("cur.nl"), m = listed.out.find("muni.nl");
    ASSERT_NE(s, std::string::npos);
    ASSERT_NE(c, std::string::npos);
    ASSERT_NE(m, std::string::npos);
    EXPECT_LT(s, c);
    EXPECT_LT(c, m);
    EXPECT_NE(listed.out.find(std::to_string(stuff.size()) + " "), std::string::npos) << listed.out;

    // The appended executable reads back byte for byte through the game's own path.
    ArchiveLocator locator;
    std::FILE* stream = locator.open(at("game").c_str());
    EXPECT_EQ(std::ftell(stream), static_cast<long>(slurp(PACK_BINARY).size()));
    Archive archive;
    BlockReader* reader = archive.open(stream);
    ASSERT_NE(reader, nullptr);
    for (const auto& [name, data] : {std::pair{"CUR.NL", cur}, std::pair{"Stuff.X", stuff}}) {
        ASSERT_TRUE(archive.openEntry(name));
        EXPECT_EQ(archive.currentSize(), static_cast<int32_t>(data.size()));
        Bytes got(data.size());
        ASSERT_TRUE(archive.read(got.data(), static_cast<uint32_t>(got.size())));
        EXPECT_EQ(got, data);
        uint8_t extra = 0;
        EXPECT_FALSE(archive.read(&extra, 1));
    }
    EXPECT_EQ(archive.entrySize("muni.nl"), 0);
    archive.closeReader(reader);
    locator.close();
}

TEST_F(PackTool, BuiltArchivesAreDeflatedUndatedAndWithoutExtras) {
    write("a.nb", payload(3000, 7));
    write("b.x", payload(10, 9));
    ASSERT_EQ(pack("build '" + at("out.zip") + "' '" + at("a.nb") + "' '" + at("b.x") + "'").status, 0);
    const std::string zip = slurp(at("out.zip"));
    size_t pos = 0;
    std::vector<std::string> names;
    while (zip.compare(pos, 4, "PK\x03\x04") == 0) {
        EXPECT_EQ(le16(zip, pos + 6), 0x0002); // general-purpose flag: maximum compression
        EXPECT_EQ(le16(zip, pos + 8), 8);      // deflate
        EXPECT_EQ(le16(zip, pos + 10), 0);     // time
        EXPECT_EQ(le16(zip, pos + 12), 0);     // date
        const uint16_t nameLength = le16(zip, pos + 26), extra = le16(zip, pos + 28);
        EXPECT_EQ(extra, 0);
        names.push_back(zip.substr(pos + 30, nameLength));
        const uint32_t stored = static_cast<uint32_t>(le16(zip, pos + 18)) | (le16(zip, pos + 20) << 16);
        pos += 30 + nameLength + extra + stored;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.nb", "b.x"}));
    ASSERT_GE(zip.size(), 22u);
    EXPECT_EQ(zip.compare(zip.size() - 22, 4, "PK\x05\x06"), 0);
    EXPECT_EQ(le16(zip, zip.size() - 2), 0); // no archive comment
}

TEST_F(PackTool, ListBlocksWalksEveryEntryAndFlagsDamagedOnes) {
    write("ok.nl", concat({block("JP", payload(40, 1)), block("PG")}));
    write("bad.nl", concat({block("F1", payload(4, 2)), test::blockWithLength("SD", 500, payload(20, 3))}));
    ASSERT_EQ(pack("build '" + at("d.zip") + "' '" + at("ok.nl") + "'").status, 0);
    const Result good = pack("list '" + at("d.zip") + "' --blocks");
    ASSERT_EQ(good.status, 0) << good.err;
    EXPECT_NE(good.out.find("JP"), std::string::npos);
    EXPECT_NE(good.out.find("40"), std::string::npos);
    EXPECT_NE(good.out.find("PG"), std::string::npos);

    ASSERT_EQ(pack("build '" + at("e.zip") + "' '" + at("ok.nl") + "' '" + at("bad.nl") + "'").status, 0);
    const Result bad = pack("list --blocks '" + at("e.zip") + "'");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("F1"), std::string::npos);
    EXPECT_NE(bad.err.find("bad.nl"), std::string::npos);
}

TEST_F(PackTool, ExtractWritesEntriesButNeverOutsideTheFolder) {
    const Bytes a = payload(7000, 11), b = payload(1, 12);
    ZipWriter writer;
    ASSERT_TRUE(writer.open(at("x.zip")));
    ASSERT_TRUE(writer.add("a.nb", a));
    ASSERT_TRUE(writer.add("../escape", b));
    ASSERT_TRUE(writer.add("b.x", b));
    ASSERT_TRUE(writer.close());
    const Result r = pack("extract '" + at("x.zip") + "' '" + at("out") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("../escape"), std::string::npos);
    EXPECT_EQ(test::readFile(at("out/a.nb")), a);
    EXPECT_EQ(test::readFile(at("out/b.x")), b);
    EXPECT_NE(access(at("escape").c_str(), F_OK), 0);
}

TEST_F(PackTool, UsageErrorsExitTwoAndUnreadableInputExitsOne) {
    for (const char* args :
         {"", "frobnicate", "build", "build out.zip", "append a b", "list", "list a b", "extract onlyone"}) {
        const Result r = pack(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.err.rfind("usage: pack", 0), 0u) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args;
    }
    const Result missing = pack("list '" + at("nothing-here") + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("No such file"), std::string::npos) << missing.err;
    write("junk", payload(5000, 13));
    const Result junk = pack("list '" + at("junk") + "'");
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("no readable zip"), std::string::npos) << junk.err;
    EXPECT_EQ(pack("build '" + at("o.zip") + "' '" + at("nothing-here") + "'").status, 1);
    EXPECT_EQ(pack("append '" + at("junk") + "' '" + at("nothing-here") + "' '" + at("o") + "'").status, 1);
}

} // namespace
} // namespace vandrel
