// The stored table against whatever can go wrong under a save or a load: the
// power going at any step of a save, a full disk, a folder that cannot be
// written, and value files that are huge, pipes, devices or links. Whatever
// happens, the table loaded afterwards is a whole table the player had.
#include "system/FileStore.h"
#include "scores/HighscoreTable.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vandrel {
namespace {

namespace fs = std::filesystem;
using test::TempStore;

// The store of the running test, made by its TempStore.
Store* testStore = nullptr;

std::string rows(const HighscoreTable& t) {
    std::string s;
    for (int32_t i = 0; i < t.rows().count(); ++i)
        s += std::string(t.rows().name(i)) + "=" + std::to_string(t.rows().score(i)) + ";";
    return s;
}

// A table of the given rows, saved under "Tafel".
void saveRows(const std::vector<std::pair<const char*, int32_t>>& rowsToSave) {
    HighscoreTable table(*testStore);
    table.rows().clear();
    for (auto [name, score] : rowsToSave) table.rows().append(name, score);
    ASSERT_TRUE(table.saveToRegistry("Tafel"));
}

std::string loadedRows() {
    HighscoreTable table(*testStore);
    // What a failed load leaves (the defaults) is what the player would see.
    static_cast<void>(table.loadFromRegistry("Tafel"));
    return rows(table);
}

// The power goes before the save's step number `stopAt` (counted from 1 over
// every save of the child): the child ends on the spot, as if the machine did.
int stepsLeft = 0;
int cutPower(StoreStep) {
    if (--stepsLeft == 0) ::_exit(42);
    return 0;
}

// Runs saves in a child whose power goes before step stopAt; true when the
// child finished every save (stopAt lay beyond its last step).
template <typename Saves>
bool savesCutAt(int stopAt, Saves saves) {
    pid_t pid = ::fork();
    if (pid == 0) {
        stepsLeft = stopAt;
        setStoreStepHook(cutPower);
        saves();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status) == 0;
}

const std::vector<std::pair<const char*, int32_t>> oldRows = {{"Ana", 500}, {"Bo", 400}};
const std::vector<std::pair<const char*, int32_t>> newRows = {{"Ana", 500}, {"Cy", 450}, {"Bo", 400}};
const std::vector<std::pair<const char*, int32_t>> newerRows = {{"Di", 700}, {"Ana", 500}, {"Cy", 450}};
const std::string oldText = "Ana=500;Bo=400;";
const std::string newText = "Ana=500;Cy=450;Bo=400;";
const std::string newerText = "Di=700;Ana=500;Cy=450;";

TEST(SaveFaults, PowerCutAtAnyStepOfASaveLeavesTheWholeOldOrTheWholeNewTable) {
    TempStore temp;
    testStore = &temp.store();
    int stop = 1;
    for (;; ++stop) {
        fs::remove_all(temp.userRoot());
        saveRows(oldRows);
        bool finished = savesCutAt(stop, [] { saveRows(newRows); });
        std::string loaded = loadedRows();
        EXPECT_TRUE(loaded == oldText || loaded == newText) << "cut before step " << stop << ": " << loaded;
        if (finished) {
            EXPECT_EQ(loaded, newText);
            break;
        }
    }
    // Both pairs: write, flush, write, flush, rename, rename, folder flush each.
    EXPECT_EQ(stop, 15);
}

TEST(SaveFaults, PowerCutInASecondSaveOnTopNeverGoesBackOrMixes) {
    TempStore temp;
    testStore = &temp.store();
    const std::vector<std::string> order = {oldText, newText, newerText};
    size_t reached = 0;
    for (int stop = 1;; ++stop) {
        fs::remove_all(temp.userRoot());
        saveRows(oldRows);
        bool finished = savesCutAt(stop, [] {
            saveRows(newRows);
            saveRows(newerRows);
        });
        std::string loaded = loadedRows();
        auto at = std::find(order.begin(), order.end(), loaded);
        ASSERT_NE(at, order.end()) << "cut before step " << stop << ": " << loaded;
        size_t index = static_cast<size_t>(at - order.begin());
        EXPECT_GE(index, reached) << "cut before step " << stop << " went back to an older table";
        reached = index;
        if (finished) break;
    }
    EXPECT_EQ(reached, 2u);
}

TEST(SaveFaults, TableOfAnOlderBuildWithoutBackupSurvivesACutFirstSave) {
    TempStore temp;
    testStore = &temp.store();
    for (int stop = 1; stop <= 15; ++stop) {
        fs::remove_all(temp.userRoot());
        saveRows(oldRows);
        for (auto f : {"highscore.previous.REG_SZ", "check.previous.REG_BINARY"}) fs::remove(temp.userKey("Tafel") / f);
        savesCutAt(stop, [] { saveRows(newRows); });
        std::string loaded = loadedRows();
        EXPECT_TRUE(loaded == oldText || loaded == newText) << "cut before step " << stop << ": " << loaded;
    }
}

// A step that fails with the given error number, every time.
int failingError = 0;
StoreStep failingStep = StoreStep::Write;
int failStep(StoreStep step) { return step == failingStep ? failingError : 0; }

struct FailingSteps {
    FailingSteps(StoreStep step, int error) {
        failingStep = step;
        failingError = error;
        setStoreStepHook(failStep);
    }
    ~FailingSteps() { setStoreStepHook(nullptr); }
};

TEST(SaveFaults, FullDiskFailsTheSaveKeepsTheOldTableAndSaysSoOnce) {
    TempStore temp;
    testStore = &temp.store();
    saveRows(oldRows);
    for (StoreStep step : {StoreStep::Write, StoreStep::Flush, StoreStep::Rename}) {
        HighscoreTable table(*testStore);
        ASSERT_TRUE(table.loadFromRegistry("Tafel"));
        table.rows().setScore(0, 9999);
        FailingSteps full(step, ENOSPC);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(table.save());
        EXPECT_FALSE(table.save());
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("could not be saved in " + temp.userKey("Tafel").string()), std::string::npos) << said;
        EXPECT_NE(said.find(std::strerror(ENOSPC)), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "said once: " << said;
        EXPECT_EQ(loadedRows(), oldText);
        static_cast<void>(table.loadFromRegistry("Tafel")); // nothing unsaved left for the table's end
    }
    // No temporary file is left to fill the disk further.
    for (const auto& entry : fs::directory_iterator(temp.userKey("Tafel")))
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();

    // Space again: the next save goes through, and a later failure is said again.
    HighscoreTable table(*testStore);
    EXPECT_TRUE(table.loadFromRegistry("Tafel"));
    table.rows().setScore(1, 450);
    EXPECT_TRUE(table.save());
    EXPECT_EQ(loadedRows(), "Ana=500;Bo=450;");
}

TEST(SaveFaults, FolderThatCannotBeWrittenOrIsNoFolderFailsTheSaveAndKeepsTheOldTable) {
    TempStore temp;
    testStore = &temp.store();
    saveRows(oldRows);
    {
        // Read-only (through the seam when running as root, who may write anyway).
        HighscoreTable table(*testStore);
        ASSERT_TRUE(table.loadFromRegistry("Tafel"));
        table.rows().setScore(0, 9999);
        fs::permissions(temp.userKey("Tafel"), fs::perms::owner_read | fs::perms::owner_exec);
        FailingSteps readOnly(StoreStep::Write, ::geteuid() == 0 ? EROFS : 0);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(table.save());
        std::string said = testing::internal::GetCapturedStderr();
        fs::permissions(temp.userKey("Tafel"), fs::perms::owner_all);
        EXPECT_NE(said.find(temp.userKey("Tafel").string()), std::string::npos) << said;
        EXPECT_EQ(loadedRows(), oldText);
        static_cast<void>(table.loadFromRegistry("Tafel")); // nothing unsaved left for the table's end
    }
    // A file where the table's folder belongs: nothing is written, the file stays.
    fs::remove_all(temp.userRoot());
    TempStore::writeFile(temp.userKey("Tafel"), {'x'});
    HighscoreTable table(*testStore);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(table.saveToRegistry("Tafel"));
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(temp.userKey("Tafel").string()), std::string::npos) << said;
    EXPECT_EQ(TempStore::readFile(temp.userKey("Tafel")), std::vector<uint8_t>{'x'});
}

// Loads in a child with an alarm, so a read that blocks fails the test instead
// of hanging it; returns the rows loaded, or "blocked".
std::string loadedWithin(unsigned seconds) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        std::string got = loadedRows();
        (void)!::write(fds[1], got.data(), got.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string got;
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) got.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) ? "blocked" : got;
}

const std::string defaults =
    "Jorvane=900;Istro=800;Halvo=700;Gurim=600;Fenoli=500;Elvarn=400;Danto=300;Corvi=200;Ardel=100;";

TEST(SaveFaults, HugePipeDeviceOrLinkedValuesAreRefusedWithoutBlockingOrReadingThem) {
    TempStore temp;
    testStore = &temp.store();
    saveRows(oldRows);
    const fs::path key = temp.userKey("Tafel");
    // Each stands in both pairs' text, so no backup hides the refusal.
    auto replaceTexts = [&](auto make) {
        for (auto f : {"highscore.REG_SZ", "highscore.previous.REG_SZ"}) {
            fs::remove(key / f);
            make(key / f);
        }
    };
    replaceTexts([](const fs::path& f) {
        int fd = ::open(f.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::ftruncate(fd, off_t{1} << 40), 0); // a terabyte, sparse
        ::close(fd);
    });
    EXPECT_EQ(loadedWithin(10), defaults) << "huge file";

    replaceTexts([](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0644), 0); });
    EXPECT_EQ(loadedWithin(10), defaults) << "pipe";

    replaceTexts([](const fs::path& f) { fs::create_symlink("/dev/zero", f); });
    EXPECT_EQ(loadedWithin(10), defaults) << "link to a device";

    if (::geteuid() == 0) {
        replaceTexts([](const fs::path& f) { ASSERT_EQ(::mknod(f.c_str(), S_IFCHR | 0644, makedev(1, 5)), 0); });
        EXPECT_EQ(loadedWithin(10), defaults) << "device";
    }

    // A link to a valid table elsewhere is not followed either.
    fs::remove_all(temp.userRoot());
    saveRows(newRows);
    fs::rename(key, temp.base() / "elsewhere");
    fs::create_directories(key);
    for (auto f : {"highscore.REG_SZ", "check.REG_BINARY", "highscore.previous.REG_SZ", "check.previous.REG_BINARY"})
        fs::create_symlink(temp.base() / "elsewhere" / f, key / f);
    EXPECT_EQ(loadedWithin(10), defaults) << "links to a table";
}

TEST(SaveFaults, LinkedValueIsReplacedNeverWrittenThrough) {
    TempStore temp;
    testStore = &temp.store();
    saveRows(oldRows);
    const fs::path victim = temp.base() / "victim";
    TempStore::writeFile(victim, {'k', 'e', 'e', 'p'});
    const fs::path text = temp.userKey("Tafel") / "highscore.REG_SZ";
    fs::remove(text);
    fs::create_symlink(victim, text);
    saveRows(newRows);
    EXPECT_EQ(TempStore::readFile(victim), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_FALSE(fs::is_symlink(text));
    EXPECT_EQ(loadedRows(), newText);
}

} // namespace
} // namespace vandrel
