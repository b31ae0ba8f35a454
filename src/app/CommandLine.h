// What the player asked for on the command line: which screen mode to start
// in, how to scale the picture, which data set to play, or one of the
// commands that do something else (help, version, recording, replaying,
// checking, compiling or exporting a gallery kit).
// Read completely before anything starts, so a wrong option starts nothing.
#pragma once
#include "config/SettingValues.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

struct CommandLine {
    enum class Action {
        Play,          // start the game
        Help,          // print the usage to stdout
        Version,       // print the version
        WhereScores,   // print the folder of the high-score table
        WhereSettings, // print the settings file in use
        Record,        // play while writing a recording to file
        Replay,        // play a recording back headless
        Watch,         // play a recording back in the window at its pace
        Rounds,        // list the kept rounds
        ShareLink,     // print a kept round's link
        Check,         // check a gallery kit and print its problems
        MakeData,      // compile a gallery kit into a data set file
        ExportKit,     // write the data set in use as a gallery kit
        ListGalleries, // print every gallery found and whether it can be played
        Wrong,         // an option that is not understood: error says which
    };

    Action action = Action::Play;
    // The settings the command line gives (--window, --scale, ...: the
    // table's command-line options): they win over the settings file; what
    // is open here is the file's to set.
    SettingValues settings;
    // --config: the settings file to use instead of the usual one.
    std::string configFile;
    // --data: the executable or plain zip that holds the data set to play.
    std::string dataPath;
    // The recording written (Record) or read (Replay, Watch, ShareLink), the kit checked (Check)
    // or compiled (MakeData).
    std::string file;
    // --make-data's data set file, --export-kit's folder.
    std::string output;
    // --strict: a kit's warnings fail the check too.
    bool strict = false;
    std::string error;

    // The data set to play: our own, behind the executable at exePath
    // (wherever the system says that is), or --data's file, made absolute
    // now since every loading pass opens it again.
    std::string dataSet(const std::string& exePath) const;

    // Reads the arguments after the program's name.
    static CommandLine parse(const std::vector<std::string_view>& args);
    static CommandLine parse(int argc, char** argv);

    // The options, one to a line, as --help prints them.
    static std::string usage();
};

} // namespace vandrel
