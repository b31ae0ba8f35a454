// The settings file: where it is looked for, what a damaged one gives, that a
// write keeps the lines it does not know, and an unwritable place.
#include "config/Settings.h"
#include "config/SettingsLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vandrel {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("vandrel-settings-" + std::to_string(std::random_device()()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

void writeText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        set(value);
    }
    ~ScopedEnv() { set(old_.value_or("")); }

private:
    void set(const std::string& value) {
#ifdef _WIN32
        // The wide environment is the one the game reads there.
        const std::wstring name(name_, name_ + std::strlen(name_));
        _wputenv_s(name.c_str(), pathFromUtf8(value).wstring().c_str());
#else
        if (value.empty())
            ::unsetenv(name_);
        else
            ::setenv(name_, value.c_str(), 1);
#endif
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SettingsLocation, CommandLineThenPortableFileThenTheSystemsPlace) {
    TempFolder temp;
    const fs::path exe = temp.path / "game" / "vandrel.exe";
    writeText(exe, "");
#ifdef _WIN32
    ScopedEnv place("APPDATA", pathToUtf8(temp.path / "Roaming"));
    const fs::path user = temp.path / "Roaming" / "Vandrel" / "vandrel.ini";
#else
    ScopedEnv place("XDG_CONFIG_HOME", pathToUtf8(temp.path / "config"));
    const fs::path user = temp.path / "config" / "vandrel" / "vandrel.ini";
#endif
    const std::string exePath = pathToUtf8(exe);

    SettingsLocation where = SettingsLocation::find("", exePath);
    EXPECT_EQ(where.file(), user);
    EXPECT_EQ(where.source(), SettingsLocation::Source::User);

    // A file beside the executable makes the copy portable.
    writeText(exe.parent_path() / "vandrel.ini", "mute = yes\n");
    where = SettingsLocation::find("", exePath);
    EXPECT_EQ(where.file(), exe.parent_path() / "vandrel.ini");
    EXPECT_EQ(where.source(), SettingsLocation::Source::Portable);

    // The command line wins over both; a name outside ASCII comes through whole.
    const std::string named = pathToUtf8(temp.path / "Sch\xc3\xbctze" / "mine.ini");
    where = SettingsLocation::find(named, exePath);
    EXPECT_EQ(where.describe(), named);
    EXPECT_EQ(where.source(), SettingsLocation::Source::CommandLine);
}

#ifndef _WIN32
TEST(SettingsLocation, FallsBackToTheHomeFolder) {
    TempFolder temp;
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/is/ignored");
    ScopedEnv home("HOME", temp.path.string());
    EXPECT_EQ(SettingsLocation::find("", "/nowhere/vandrel").file(), temp.path / ".config/vandrel/vandrel.ini");
}
#endif

TEST(Settings, AFirstStartHasDefaultsAndWritesTheCommentedList) {
    TempFolder temp;
    const fs::path file = temp.path / "new" / "folder" / "vandrel.ini";
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    EXPECT_TRUE(s.firstStart());
    EXPECT_FALSE(s.fullScreen());
    EXPECT_EQ(s.sound(), SoundLevels{});
    s.keep();
    EXPECT_TRUE(s.kept());
    EXPECT_EQ(readText(file), Settings::commentedTemplate());

    Settings again;
    again.load(file, report);
    EXPECT_FALSE(again.firstStart());
    EXPECT_FALSE(again.fullScreen()); // every line of the list is a comment
    EXPECT_EQ(report.str(), "");
}

TEST(Settings, ChangesAreWrittenAtOnceAndUnknownLinesKept) {
    TempFolder temp;
    const fs::path file = temp.path / "vandrel.ini";
    const std::string before = "# mine\n"
                               "gamepad_deadzone = 12\n"
                               "master_volume = 80\n"
                               "\n"
                               "[a newer section]\n"
                               "fullscreen = yes\n";
    writeText(file, before);
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    EXPECT_EQ(s.fullScreen(), true);
    EXPECT_EQ(s.sound().master, 80);

    s.setFullScreen(false);
    SoundLevels levels = s.sound();
    levels.master = 70;
    levels.mute = true;
    s.setSound(levels);
    EXPECT_TRUE(s.kept());
    EXPECT_EQ(readText(file), "# mine\n"
                              "gamepad_deadzone = 12\n"
                              "master_volume = 70\n"
                              "\n"
                              "[a newer section]\n"
                              "fullscreen = no\n"
                              "mute = yes\n");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path), fs::directory_iterator()), 1);

    Settings again;
    again.load(file, report);
    EXPECT_EQ(again.fullScreen(), false);
    EXPECT_EQ(again.sound(), levels);
    EXPECT_NE(report.str().find("vandrel.ini:5: no '='"), std::string::npos) << report.str();
}

TEST(Settings, AChoiceFromAnOptionsPanelIsWrittenEvenWhereTheGameWritesNothingBack) {
    TempFolder temp;
    const fs::path file = temp.path / "vandrel.ini";
    writeText(file, "# mine\ncrosshair_size = 150\n");
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    ASSERT_FALSE(option("crosshair_size").option().writtenBack);
    // change() keeps such a setting for the session only; choose() writes it.
    s.change(option("crosshair_size"), 2);
    EXPECT_EQ(readText(file), "# mine\ncrosshair_size = 150\n");
    EXPECT_TRUE(s.choose(option("crosshair_size"), 2));
    EXPECT_TRUE(s.choose(option("touch_layout"), 1));
    EXPECT_TRUE(s.choose(option("haptics"), 0));
    EXPECT_EQ(readText(file), "# mine\ncrosshair_size = 200\ntouch_layout = left\nhaptics = no\n");

    Settings again;
    again.load(file, report);
    EXPECT_EQ(again.values().get(option("crosshair_size")), 2);
    EXPECT_EQ(again.values().get(option("touch_layout")), 1);
    EXPECT_EQ(again.values().get(option("haptics")), 0);
    EXPECT_EQ(report.str(), "");
}

TEST(Settings, DamagedLinesAreNamedWithTheirLineAndTakeTheDefault) {
    TempFolder temp;
    const fs::path file = temp.path / "vandrel.ini";
    writeText(file, "master_volume = 101\r\n"
                    "music_volume = 40\r\n"
                    "effects_volume = -5\n"
                    "mute = maybe\n"
                    "what is this\n"
                    "window_scale = 3x\n"
                    "filter = nearest\n"
                    "integer_scale = on\n"
                    "fullscreen =\n"
                    "b\xc3\xa4r = 1\n"
                    "mute_in_background = yes");
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    EXPECT_EQ(s.sound().master, 100);
    EXPECT_EQ(s.sound().music, 40);
    EXPECT_EQ(s.sound().effects, 100);
    EXPECT_FALSE(s.sound().mute);
    EXPECT_TRUE(s.sound().muteInBackground);
    EXPECT_FALSE(s.windowScale());
    EXPECT_EQ(s.linearFilter(), false);
    EXPECT_EQ(s.integerScale(), true);
    EXPECT_FALSE(s.fullScreen());
    const std::string r = report.str();
    for (const char* line : {":1: master_volume", ":3: effects_volume", ":4: mute", ":5: no '='", ":6: window_scale",
                             ":9: fullscreen", ":10: 'b\xc3\xa4r'"})
        EXPECT_NE(r.find(line), std::string::npos) << line << " in\n" << r;
    EXPECT_EQ(r.find(":2:"), std::string::npos) << r;
    EXPECT_EQ(r.find(":7:"), std::string::npos) << r;

    // A change keeps the damaged lines it does not touch, and the last line
    // without its line break.
    SoundLevels levels = s.sound();
    levels.master = 90;
    s.setSound(levels);
    const std::string after = readText(file);
    EXPECT_EQ(after.substr(0, 19), "master_volume = 90\n");
    EXPECT_NE(after.find("what is this\nwindow_scale = 3x\n"), std::string::npos);
}

TEST(Settings, TheGalleryIsANameKeptAsWrittenAndWrittenBackWhenSwitched) {
    TempFolder temp;
    const fs::path file = temp.path / "vandrel.ini";
    writeText(file, "gallery = Night harbour\n");
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    EXPECT_EQ(s.gallery(), "Night harbour");
    s.changeText(option("gallery"), "Vandrel");
    EXPECT_EQ(readText(file), "gallery = Vandrel\n");
    s.changeText(option("gallery"), std::string(81, 'x'));
    EXPECT_EQ(s.gallery(), "Vandrel") << "a name too long to be one is not kept";
    EXPECT_EQ(report.str(), "");

    writeText(file, "gallery = " + std::string(81, 'x') + "\n");
    Settings tooLong;
    tooLong.load(file, report);
    EXPECT_FALSE(tooLong.gallery().has_value());
    EXPECT_NE(report.str().find("vandrel.ini:1: gallery takes a name"), std::string::npos) << report.str();
}

TEST(Settings, ThePadsCanBeSwitchedOffAndTheirStickTuned) {
    TempFolder temp;
    const fs::path file = temp.path / "vandrel.ini";
    std::ostringstream report;
    Settings s;
    writeText(file, "gamepad = no\ngamepad_dead_zone = 25\ngamepad_speed = 50\n");
    s.load(file, report);
    EXPECT_FALSE(s.pads().enabled);
    EXPECT_DOUBLE_EQ(s.pads().deadZone, 0.25);
    EXPECT_DOUBLE_EQ(s.pads().fullSpeed, PadTuning{}.fullSpeed / 2);
    EXPECT_EQ(report.str(), "");

    // Out of range, the game's own tuning: no dead zone of the whole travel,
    // no stick that cannot move the cross-hair.
    writeText(file, "gamepad = maybe\ngamepad_dead_zone = 100\ngamepad_speed = 0\n");
    s.load(file, report);
    EXPECT_TRUE(s.pads().enabled);
    EXPECT_DOUBLE_EQ(s.pads().deadZone, PadTuning{}.deadZone);
    EXPECT_DOUBLE_EQ(s.pads().fullSpeed, PadTuning{}.fullSpeed);
    for (const char* line : {":1: gamepad takes", ":2: gamepad_dead_zone takes a whole number from 0 to 50",
                             ":3: gamepad_speed takes a whole number from 10 to 400"})
        EXPECT_NE(report.str().find(line), std::string::npos) << line << " in\n" << report.str();
}

TEST(Settings, AFileThatIsNoSettingsFileIsNeitherUsedNorWrittenOver) {
    TempFolder temp;
    std::vector<std::pair<std::string, fs::path>> cases;
    const fs::path binary = temp.path / "binary.ini";
    writeText(binary, std::string("mute = yes\n\0\x01\x02", 14));
    cases.emplace_back("is not text", binary);
    const fs::path folder = temp.path / "folder.ini";
    fs::create_directories(folder);
    cases.emplace_back("is a folder", folder);
    // 100 MB, most of it a hole in the file.
    const fs::path huge = temp.path / "huge.ini";
    writeText(huge, "mute = yes\n");
    fs::resize_file(huge, 100u << 20);
    cases.emplace_back("larger", huge);
#ifndef _WIN32
    // A pipe with no writer: opening it would wait for ever.
    const fs::path pipe = temp.path / "pipe.ini";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    cases.emplace_back("not a plain file", pipe);
    if (::geteuid() != 0) {
        const fs::path locked = temp.path / "locked.ini";
        writeText(locked, "mute = yes\n");
        fs::permissions(locked, fs::perms::none);
        cases.emplace_back("cannot be read", locked);
    }
#endif
    for (const auto& [why, file] : cases) {
        const auto sizeBefore = fs::is_regular_file(file) ? fs::file_size(file) : 0;
        std::ostringstream report;
        Settings s;
        s.load(file, report);
        EXPECT_FALSE(s.firstStart()) << why;
        EXPECT_FALSE(s.sound().mute) << why;
        SoundLevels levels;
        levels.master = 30;
        s.setSound(levels);
        s.setFullScreen(true);
        EXPECT_FALSE(s.kept()) << why;
        // Held for the session all the same.
        EXPECT_EQ(s.sound().master, 30) << why;
        const std::string r = report.str();
        EXPECT_NE(r.find(why), std::string::npos) << r;
        EXPECT_NE(r.find(file.filename().string()), std::string::npos) << r;
        // Said once at the start and once at the first change, not at every change.
        EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 2) << r;
        if (fs::is_regular_file(file)) {
            EXPECT_EQ(fs::file_size(file), sizeBefore) << why;
        }
    }
}

TEST(Settings, AnUnwritablePlaceKeepsTheSettingsForTheSessionAndSaysSoOnce) {
    TempFolder temp;
    // The folder cannot be made: a plain file stands where it would be.
    writeText(temp.path / "blocked", "");
    const fs::path file = temp.path / "blocked" / "vandrel" / "vandrel.ini";
    std::ostringstream report;
    Settings s;
    s.load(file, report);
    EXPECT_TRUE(s.firstStart());
    EXPECT_EQ(report.str(), "");
    SoundLevels levels;
    for (int32_t level : {90, 80, 70}) {
        levels.master = level;
        s.setSound(levels);
        EXPECT_FALSE(s.kept());
    }
    EXPECT_EQ(s.sound().master, 70);
    const std::string r = report.str();
    EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 1) << r;
    EXPECT_NE(r.find("blocked"), std::string::npos) << r;
}

} // namespace
} // namespace vandrel
