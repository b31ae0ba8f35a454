// The settings store: unsafe key names reach nothing, and the machine-wide root is
// used only when it can be. Saving and loading are covered through the table.
#include "system/FileStore.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using test::TempStore;

StoreValue value(std::string name, StoreType type, std::vector<uint8_t> bytes) {
    StoreValue v;
    v.name = std::move(name);
    v.type = type;
    v.bytes = std::move(bytes);
    return v;
}

TEST(Store, KeyNamesThatCouldLeaveTheStoreAreRefused) {
    using namespace std::literals;
    for (std::string_view bad : {""sv, "."sv, "..."sv, "a..b"sv, "a/b"sv, "a\\b"sv, "tab\tname"sv, "new\nline"sv,
                                 "nul\0x"sv, "del\x7f"sv, ".."sv}) {
        EXPECT_FALSE(Store::isSafeName(bad)) << bad;
    }
    for (std::string_view good : {"Tafel", "my table 2", "v1.0", ".hidden", "Sch\xc3\xbctze"})
        EXPECT_TRUE(Store::isSafeName(good)) << good;

    TempStore temp;
    Store& store = temp.store();
    EXPECT_FALSE(store.create("Software\\Orvandel\\..\\..\\..\\escape"));
    EXPECT_FALSE(store.create("Software\\Orvandel\\a/../../escape"));
    EXPECT_FALSE(store.create("Software\\Orvandel\\"));
    EXPECT_FALSE(store.open("Software\\..\\Software\\Orvandel"));
    EXPECT_FALSE(fs::exists(temp.base() / "escape"));
    EXPECT_FALSE(fs::exists(temp.base() / "data" / "escape"));

    auto key = store.create("Software\\Orvandel\\Tafel");
    ASSERT_TRUE(key);
    StoreValue bad[] = {value("../x", StoreType::Binary, {1})};
    EXPECT_FALSE(key->write(bad));
    StoreValue got;
    EXPECT_FALSE(key->read("../Tafel", got, 10));
}

TEST(Store, MachineRootIsUsedOnlyWhenItExistsAndCanBeWritten) {
    TempStore temp;
    const FileStore& store = temp.store();
    const char* path = "Software\\Orvandel\\Tafel";

    // Missing: the per-user root.
    EXPECT_EQ(store.create(path)->describe(), temp.userKey("Tafel").string());

    // Present and writable: the machine-wide root, for saving and loading alike.
    fs::create_directories(temp.machineRoot());
    auto machineKey = store.create(path);
    ASSERT_TRUE(machineKey);
    EXPECT_EQ(machineKey->describe(), (temp.machineRoot() / "Software" / "Orvandel" / "Tafel").string());
    EXPECT_EQ(store.open(path)->describe(), machineKey->describe());
    EXPECT_EQ(store.locate(path), machineKey->describe());

    // Read-only: neither loads nor saves go there (root ignores the mode bits).
    fs::remove_all(temp.machineRoot() / "Software");
    fs::permissions(temp.machineRoot(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() != 0) {
        EXPECT_FALSE(store.machineRootUsable());
        EXPECT_EQ(store.create(path)->describe(), temp.userKey("Tafel").string());
        EXPECT_EQ(store.locate(path), temp.userKey("Tafel").string());
    }
    fs::permissions(temp.machineRoot(), fs::perms::owner_all);

    // A file where the root should be: the per-user root.
    fs::remove_all(temp.machineRoot());
    TempStore::writeFile(temp.machineRoot(), {1});
    EXPECT_FALSE(store.machineRootUsable());
    EXPECT_EQ(store.create(path)->describe(), temp.userKey("Tafel").string());
}

TEST(Store, MachineRootWhereNoFolderCanBeMadeFallsBackPerKey) {
    // Folders cannot be made inside /proc, whoever we are.
    if (!fs::is_directory("/proc/self/fdinfo")) GTEST_SKIP() << "no /proc";
    TempStore temp;
    FileStore store("/proc/self/fdinfo", temp.userRoot());
    auto key = store.create("Software\\Orvandel\\Tafel");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->describe(), temp.userKey("Tafel").string());
    StoreValue v[] = {value("x", StoreType::Binary, {7})};
    ASSERT_TRUE(key->write(v));
    auto opened = store.open("Software\\Orvandel\\Tafel");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->describe(), temp.userKey("Tafel").string());
}

} // namespace
} // namespace vandrel
