// The registry store as the game uses it: a table saved through it must be
// found in the registry with exactly the bytes its check value covers, and
// load back. The values are read here with the registry's own functions, not
// through the store, so a fault on either side shows.
#include "system/win32/RegistryStore.h"
#include "data/Credits.h"
#include "scores/HighscoreTable.h"

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <md5.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vandrel {
namespace {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};

// The machine-wide tree's views on 64-bit Windows: the game's tables live in
// the 32-bit one; earlier builds of the game wrote into the 64-bit one.
constexpr REGSAM view32 = KEY_WOW64_32KEY;
constexpr REGSAM view64 = KEY_WOW64_64KEY;

REGSAM viewFor(HKEY root) { return root == HKEY_LOCAL_MACHINE ? view32 : 0; }

// A value as the narrow (byte) or wide registry functions return it; type
// REG_NONE when there is none.
RawValue rawValue(HKEY root, const std::string& keyPath, const char* name, bool wide, REGSAM view) {
    RawValue v;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return v;
    const std::wstring wideName(name, name + std::strlen(name));
    DWORD size = 0;
    LSTATUS status = wide ? RegQueryValueExW(key, wideName.c_str(), nullptr, &v.type, nullptr, &size)
                          : RegQueryValueExA(key, name, nullptr, &v.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        v.bytes.resize(size);
        status = wide ? RegQueryValueExW(key, wideName.c_str(), nullptr, &v.type, v.bytes.data(), &size)
                      : RegQueryValueExA(key, name, nullptr, &v.type, v.bytes.data(), &size);
        v.bytes.resize(size);
    }
    if (status != ERROR_SUCCESS) v = RawValue{};
    RegCloseKey(key);
    return v;
}

RawValue rawValue(HKEY root, const std::string& keyPath, const char* name, bool wide) {
    return rawValue(root, keyPath, name, wide, viewFor(root));
}

bool keyExists(HKEY root, const char* keyPath, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool keyExists(HKEY root, const char* keyPath) { return keyExists(root, keyPath, viewFor(root)); }

std::vector<uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

std::string rows(const HighscoreTable& t) {
    std::string s;
    for (int32_t i = 0; i < t.rows().count(); ++i)
        s += std::string(t.rows().name(i)) + "=" + std::to_string(t.rows().score(i)) + ";";
    return s;
}

// A key of this test's own under both trees, gone before and after each test,
// with the shared parent removed again when the test made it.
class RegistryStoreTest : public ::testing::Test {
protected:
    static constexpr char parent[] = "Software\\Orvandel";
    const std::string table = "Vandrel Registry Test " + std::to_string(GetCurrentProcessId());
    const std::string keyPath = HighscoreStorage::keyPath(table);

    void SetUp() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) parentExisted.push_back(keyExists(root, parent));
        parentExisted.push_back(keyExists(HKEY_LOCAL_MACHINE, parent, view64));
        removeKeys();
    }
    void TearDown() override {
        removeKeys();
        const HKEY roots[] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
        for (int i = 0; i < 2; ++i) // each fails, as it should, when the parent is not empty
            if (!parentExisted[i]) RegDeleteKeyExA(roots[i], parent, viewFor(roots[i]), 0);
        if (!parentExisted[2]) RegDeleteKeyExA(HKEY_LOCAL_MACHINE, parent, view64, 0);
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str()));
        EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str(), view64));
        EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, keyPath.c_str()));
    }
    void removeKeys() {
        RegistryStore store;
        EXPECT_TRUE(store.remove(RegistryRoot::LocalMachine, keyPath));
        EXPECT_TRUE(store.remove(RegistryRoot::CurrentUser, keyPath));
    }

    // The first three default rows, saved as an earlier build did: in the
    // machine-wide tree's 64-bit view only.
    void saveEarlierBuildsTable() {
        {
            RegistryStore user(RegistryRoot::CurrentUser);
            HighscoreTable t(user);
            const HighscoreRows defaults = t.rows();
            t.rows().clear();
            for (int32_t i = 0; i < 3; ++i) t.rows().append(defaults.name(i), defaults.score(i));
            ASSERT_TRUE(t.saveToRegistry(table));
        }
        HKEY from = nullptr;
        HKEY to = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &from), ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | view64, nullptr, &to, nullptr),
                  ERROR_SUCCESS)
            << "this test needs the rights of the machine's administrator";
        EXPECT_EQ(RegCopyTreeA(from, nullptr, to), ERROR_SUCCESS);
        RegCloseKey(from);
        RegCloseKey(to);
        RegistryStore().remove(RegistryRoot::CurrentUser, keyPath);
    }

    std::vector<bool> parentExisted;
};

TEST_F(RegistryStoreTest, SavedTableHoldsTheCheckedBytesAndLoadsBack) {
    RegistryStore store; // the game's: the machine-wide tree when it can be opened
    const std::string where = HighscoreStorage::storeLocation(store, table);
    const bool machine = where.rfind("HKEY_LOCAL_MACHINE\\", 0) == 0;
    ASSERT_TRUE(machine || where.rfind("HKEY_CURRENT_USER\\", 0) == 0) << where;
    EXPECT_EQ(where.substr(where.find('\\') + 1), keyPath);
    const HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;

    std::string text;
    {
        HighscoreTable t(store);
        // The defaults with Gurim's row renamed and scored.
        HighscoreRows defaults = t.rows();
        t.rows().clear();
        for (int32_t i = 0; i < defaults.count(); ++i)
            t.rows().append(i == 3 ? "Mira" : defaults.name(i), i == 3 ? 650 : defaults.score(i));
        text = t.rows().text();
        ASSERT_TRUE(t.saveToRegistry(table));
    }
    ASSERT_EQ(text.substr(0, 36), "Jorvane, 900\nIstro, 800\nHalvo, 700\nM");
    EXPECT_FALSE(keyExists(machine ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, keyPath.c_str()));
    // Machine-wide, the table is in the 32-bit view only.
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str(), view64));

    // The text: REG_SZ, the table's bytes and the terminating zero, nothing more;
    // as UTF-16, two bytes for each of them.
    const RawValue narrowText = rawValue(root, keyPath, "highscore", false);
    EXPECT_EQ(narrowText.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(narrowText.bytes, bytesOf(std::string(text) + '\0'));
    const RawValue wideText = rawValue(root, keyPath, "highscore", true);
    EXPECT_EQ(wideText.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(wideText.bytes.size(), 2 * (text.size() + 1));
    for (std::size_t i = 0; i <= text.size(); ++i) {
        EXPECT_EQ(wideText.bytes[2 * i], i < text.size() ? static_cast<uint8_t>(text[i]) : 0) << i;
        EXPECT_EQ(wideText.bytes[2 * i + 1], 0) << i;
    }

    // The check: REG_BINARY, 16 bytes, the MD5 of salt, text, credits line and
    // table name with every byte XOR 0xA7, computed here over the bytes just read.
    const RawValue check = rawValue(root, keyPath, "check", false);
    EXPECT_EQ(check.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(check.bytes.size(), 16u);
    MD5_CTX ctx;
    MD5Init(&ctx);
    const std::string salt = "silent harbor(s)";
    MD5Update(&ctx, reinterpret_cast<const uint8_t*>(salt.data()), salt.size());
    MD5Update(&ctx, narrowText.bytes.data(), narrowText.bytes.size() - 1);
    MD5Update(&ctx, reinterpret_cast<const uint8_t*>(creditsLine), creditsLineLength);
    MD5Update(&ctx, reinterpret_cast<const uint8_t*>(table.data()), table.size());
    uint8_t digest[16];
    MD5Final(digest, &ctx);
    for (uint8_t& b : digest) b ^= 0xA7;
    EXPECT_EQ(check.bytes, std::vector<uint8_t>(digest, digest + 16));

    HighscoreTable again(store);
    again.rows().clear();
    EXPECT_TRUE(again.loadFromRegistry(table));
    EXPECT_EQ(rows(again), "Jorvane=900;Istro=800;Halvo=700;Mira=650;Fenoli=500;"
                           "Elvarn=400;Danto=300;Corvi=200;Ardel=100;");
}

TEST_F(RegistryStoreTest, TextWithoutItsZeroOrInThePlayersTreeStillLoads) {
    // A store that starts in the player's own tree writes there.
    RegistryStore user(RegistryRoot::CurrentUser);
    {
        HighscoreTable t(user);
        t.rows().clear();
        ASSERT_TRUE(t.rows().append("Jorvane", 900) && t.rows().append("Istro", 800));
        ASSERT_TRUE(t.saveToRegistry(table));
    }
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str()));
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, keyPath, "highscore", false).bytes,
              bytesOf(std::string("Jorvane, 900\nIstro, 800\n") + '\0'));

    // The same text set by hand without its terminating zero checks the same. The
    // registry adds a zero the caller did not count when one follows the text in
    // memory, so none does here.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const std::wstring text = L"Jorvane, 900\nIstro, 800\nX";
    const DWORD bytes = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key, L"highscore", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(rawValue(HKEY_CURRENT_USER, keyPath, "highscore", true).bytes.size(), bytes);
    HighscoreTable again(user);
    EXPECT_TRUE(again.loadFromRegistry(table));
    EXPECT_EQ(rows(again), "Jorvane=900;Istro=800;");

    // The game's own store finds the player's key when the machine-wide one is missing.
    RegistryStore game;
    HighscoreTable viaGame(game);
    EXPECT_TRUE(viaGame.loadFromRegistry(table));
    EXPECT_EQ(rows(viaGame), "Jorvane=900;Istro=800;");
}

// A table an earlier build saved in the machine-wide tree's 64-bit view is
// read while the 32-bit view has none, then saved in the 32-bit view: the
// earlier key is left as it was and no longer read.
TEST_F(RegistryStoreTest, EarlierBuildsTableIn64BitViewLoadsAndIsSavedIn32BitView) {
    ASSERT_NO_FATAL_FAILURE(saveEarlierBuildsTable());
    const RawValue earlierText = rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view64);
    ASSERT_EQ(earlierText.type, static_cast<DWORD>(REG_SZ));
    ASSERT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str(), view32)) << "the registry has one view only";

    RegistryStore game;
    EXPECT_EQ(HighscoreStorage::storeLocation(game, table), "HKEY_LOCAL_MACHINE\\" + keyPath);
    HighscoreTable loaded(game);
    loaded.rows().clear();
    ASSERT_TRUE(loaded.loadFromRegistry(table));
    EXPECT_EQ(rows(loaded), "Jorvane=900;Istro=800;Halvo=700;");
    EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, keyPath.c_str(), view32)) << "reading wrote a key";

    const HighscoreRows read = loaded.rows();
    loaded.rows().clear();
    for (int32_t i = 0; i < 2; ++i) loaded.rows().append(read.name(i), read.score(i));
    loaded.rows().append("Mira", 750);
    ASSERT_TRUE(loaded.saveToRegistry(table));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view32).bytes,
              bytesOf(std::string("Jorvane, 900\nIstro, 800\nMira, 750\n") + '\0'));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view64).bytes, earlierText.bytes);
    EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, keyPath.c_str()));

    HighscoreTable again(game);
    again.rows().clear();
    ASSERT_TRUE(again.loadFromRegistry(table));
    EXPECT_EQ(rows(again), "Jorvane=900;Istro=800;Mira=750;");
}

// A 32-bit key that a save cut short left without its values, or with values
// that do not check, does not hide the earlier build's table: that one is
// shown, and saved into the 32-bit view.
TEST_F(RegistryStoreTest, A32BitKeyWithoutAWholeTableFallsBackToThe64BitView) {
    ASSERT_NO_FATAL_FAILURE(saveEarlierBuildsTable());
    const RawValue earlierText = rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view64);
    HKEY cut = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS | view32, nullptr, &cut, nullptr),
              ERROR_SUCCESS);
    RegistryStore game;
    HighscoreTable loaded(game);
    loaded.rows().clear();
    ASSERT_TRUE(loaded.loadFromRegistry(table));
    EXPECT_EQ(rows(loaded), "Jorvane=900;Istro=800;Halvo=700;");

    const char edited[] = "Eve, 9\n";
    ASSERT_EQ(RegSetValueExA(cut, "highscore", 0, REG_SZ, reinterpret_cast<const BYTE*>(edited), sizeof edited),
              ERROR_SUCCESS);
    const BYTE wrong[16] = {};
    ASSERT_EQ(RegSetValueExA(cut, "check", 0, REG_BINARY, wrong, sizeof wrong), ERROR_SUCCESS);
    RegCloseKey(cut);
    loaded.rows().clear();
    ASSERT_TRUE(loaded.loadFromRegistry(table));
    EXPECT_EQ(rows(loaded), "Jorvane=900;Istro=800;Halvo=700;");

    loaded.rows().append("Mira", 50);
    ASSERT_TRUE(loaded.saveToRegistry(table));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view32).bytes,
              bytesOf(std::string("Jorvane, 900\nIstro, 800\nHalvo, 700\nMira, 50\n") + '\0'));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, keyPath, "highscore", false, view64).bytes, earlierText.bytes);
    HighscoreTable again(game);
    again.rows().clear();
    ASSERT_TRUE(again.loadFromRegistry(table));
    EXPECT_EQ(rows(again), "Jorvane=900;Istro=800;Halvo=700;Mira=50;");
}

} // namespace
} // namespace vandrel
