// Reading the command line.
#include "app/CommandLine.h"

#include <filesystem>
#include <system_error>

namespace vandrel {
namespace {

// A second command after a first one is a mistake, not a choice.
bool setAction(CommandLine& c, CommandLine::Action a, std::string_view option) {
    if (c.action != CommandLine::Action::Play && c.action != a) {
        c.error = std::string(option) + " cannot be combined with the command given before it";
        return false;
    }
    c.action = a;
    return true;
}

// The setting option names on the command line, and whether it sets the
// switch's no; nothing when it names none.
std::optional<OptionId> settingOption(std::string_view option, bool& off) {
    for (std::size_t i = 0; i < settingsCount; ++i) {
        const Option& o = settingsTable[i];
        off = !o.commandLineOff.empty() && option == o.commandLineOff;
        if ((!o.commandLine.empty() && option == o.commandLine) || off) return OptionId{i};
    }
    return std::nullopt;
}

} // namespace

CommandLine CommandLine::parse(int argc, char** argv) {
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return parse(args);
}

CommandLine CommandLine::parse(const std::vector<std::string_view>& args) {
    CommandLine c;
    auto wrong = [&](std::string text) {
        c.action = Action::Wrong;
        c.error = std::move(text);
        return c;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view option = args[i];
        // --name=value and --name value mean the same.
        std::optional<std::string_view> attached;
        if (option.starts_with("--")) {
            if (const size_t eq = option.find('='); eq != std::string_view::npos) {
                attached = option.substr(eq + 1);
                option = option.substr(0, eq);
            }
        }
        bool off = false;
        const std::optional<OptionId> setting = settingOption(option, off);
        const bool takesValue = (setting && setting->option().kind != OptionKind::Switch) || option == "--data" ||
                                option == "--record" || option == "--replay" || option == "--watch" ||
                                option == "--share-link" || option == "--config" || option == "--check" ||
                                option == "--make-data" || option == "--export-kit";
        if (attached && !takesValue) return wrong(std::string(option) + " takes no value");
        std::string_view value;
        if (takesValue) {
            if (attached) {
                value = *attached;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return wrong(std::string(option) + " needs a value");
            }
            if (value.empty()) return wrong(std::string(option) + " needs a value");
        }

        if (option == "--help" || option == "-h") {
            if (!setAction(c, Action::Help, option)) return wrong(c.error);
        } else if (option == "--version") {
            if (!setAction(c, Action::Version, option)) return wrong(c.error);
        } else if (option == "--where-scores") {
            if (!setAction(c, Action::WhereScores, option)) return wrong(c.error);
        } else if (option == "--where-settings") {
            if (!setAction(c, Action::WhereSettings, option)) return wrong(c.error);
        } else if (option == "--config") {
            c.configFile = std::string(value);
        } else if (option == "--rounds") {
            if (!setAction(c, Action::Rounds, option)) return wrong(c.error);
        } else if (option == "--watch") {
            if (c.action == Action::Watch) return wrong("--watch is given twice");
            if (!setAction(c, Action::Watch, option)) return wrong(c.error);
            c.file = std::string(value);
        } else if (option == "--share-link") {
            if (c.action == Action::ShareLink) return wrong("--share-link is given twice");
            if (!setAction(c, Action::ShareLink, option)) return wrong(c.error);
            c.file = std::string(value);
        } else if (option == "--record" || option == "--replay") {
            const Action a = option == "--record" ? Action::Record : Action::Replay;
            if (c.action == a) return wrong(std::string(option) + " is given twice");
            if (!setAction(c, a, option)) return wrong(c.error);
            c.file = std::string(value);
        } else if (option == "--check") {
            if (c.action == Action::Check) return wrong("--check is given twice");
            if (!setAction(c, Action::Check, option)) return wrong(c.error);
            c.file = std::string(value);
        } else if (option == "--make-data") {
            if (c.action == Action::MakeData) return wrong("--make-data is given twice");
            if (!setAction(c, Action::MakeData, option)) return wrong(c.error);
            if (i + 1 >= args.size() || args[i + 1].empty())
                return wrong("--make-data needs a kit and a file to write");
            c.file = std::string(value);
            c.output = std::string(args[++i]);
        } else if (option == "--export-kit") {
            if (c.action == Action::ExportKit) return wrong("--export-kit is given twice");
            if (!setAction(c, Action::ExportKit, option)) return wrong(c.error);
            c.output = std::string(value);
        } else if (option == "--strict") {
            c.strict = true;
        } else if (option == "--list-galleries") {
            if (!setAction(c, Action::ListGalleries, option)) return wrong(c.error);
        } else if (setting && setting->option().kind == OptionKind::Text) {
            const Option& o = setting->option();
            if (!usableText(value)) return wrong(std::string(option) + " takes " + optionWants(o));
            c.settings.setText(*setting, std::string(value));
        } else if (setting) {
            const Option& o = setting->option();
            const std::optional<int32_t> read = o.kind == OptionKind::Switch ? (off ? 0 : 1) : readOption(o, value);
            if (!read) return wrong(std::string(option) + " takes " + optionWants(o) + ", not " + std::string(value));
            // Saying it twice is no contradiction; saying both is.
            if (const auto before = c.settings.get(*setting); before && *before != *read && !o.commandLineOff.empty())
                return wrong(std::string(o.commandLineOff) + " and " + std::string(o.commandLine) +
                             " contradict each other");
            c.settings.set(*setting, *read);
        } else if (option == "--data") {
            c.dataPath = std::string(value);
        } else if (option.starts_with("-")) {
            return wrong("unknown option " + std::string(option));
        } else {
            return wrong("unexpected argument " + std::string(option));
        }
    }
    if (c.strict && c.action != Action::Check) return wrong("--strict goes with --check");
    // --data plays the one data set it names; the galleries are another choice.
    if (!c.dataPath.empty() && c.settings.text(option("gallery")))
        return wrong("--gallery and --data cannot be combined");
    return c;
}

std::string CommandLine::dataSet(const std::string& exePath) const {
    if (dataPath.empty()) return exePath;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(dataPath, ec);
    return ec ? dataPath : full.string();
}

std::string CommandLine::usage() {
    return "usage: vandrel [options]\n"
           "\n"
           "  --window             start in a window, whatever the data set says\n"
           "  --fullscreen         start full screen, whatever the data set says\n"
           "                       (Alt+Enter switches between the two while playing)\n"
           "  --scale N            the window at N times the game's size\n"
           "                       (default: the largest that fits the desktop)\n"
           "  --integer-scale      full screen: whole multiples only, sharper pixels, wider bars\n"
           "  --filter nearest|linear\n"
           "                       full screen: smoothing between whole multiples (default linear)\n"
           "  --game-speed 100|85|70|50\n"
           "                       figures at that per cent of their pace; the clock keeps its own\n"
           "  --round-length standard|3|5\n"
           "                       rounds as long as the data set says, or 3 or 5 minutes\n"
           "  --auto-reload        an empty magazine refills by itself\n"
           "  --practice           rounds without a clock, until Escape; no score is kept\n"
           "                       (a slower game, a longer round or auto-reload keep their\n"
           "                       scores in a table of their own; --record writes these four)\n"
           "  --data FILE          play the data set in FILE, a plain zip or an executable\n"
           "                       with the data set appended, or a gallery kit (a folder\n"
           "                       or a zip with gallery.toml), instead of this game's own\n"
           "  --record FILE        play and write every input to FILE\n"
           "  --replay FILE        play FILE back without a window; exit 1 if anything differs\n"
           "  --watch FILE         play FILE back in the window at its own pace, marked as a replay\n"
           "                       (Escape stops it); exit 1 if anything differs\n"
           "  --rounds             list the rounds kept in the rounds folder beside the settings\n"
           "  --share-link FILE    print the link that replays the kept round FILE in a browser\n"
           "  --no-record-rounds   keep no finished round this time (record_rounds = no)\n"
           "  --record-rounds      keep them though the settings file says no\n"
           "  --check KIT          check the gallery kit KIT (a folder or a zip) and print\n"
           "                       every problem; exit 1 if there are errors\n"
           "  --strict             with --check: warnings fail too\n"
           "  --make-data KIT OUT  compile the gallery kit KIT into the data set file OUT\n"
           "                       (a zip that --data plays and pack append takes)\n"
           "  --export-kit DIR     write the data set in use (this game's own, or --data's)\n"
           "                       as a gallery kit into the folder DIR\n"
           "  --gallery NAME       play the gallery of that name (as --list-galleries prints\n"
           "                       it); on the title the wheel, the left and right arrows and\n"
           "                       a pad's shoulders switch galleries, kept for the next start\n"
           "  --list-galleries     print every gallery found: its name, where it comes from,\n"
           "                       its high-score table, and why one is left out. Your own\n"
           "                       (kit folders, kit zips, data set zips) go into the folder\n"
           "                       galleries beside the file --where-settings prints\n"
           "  --where-scores       print the folder that keeps the high-score table\n"
           "  --config FILE        keep the settings in FILE instead of the usual place\n"
           "  --where-settings     print the settings file in use\n"
           "  --version            print the version and the build it comes from\n"
           "  --help               print this text\n"
           "\n"
           "keys and mouse:\n"
           "  mouse                aim; more than 99 pixels left or right of the middle:\n"
           "                       scroll, the further out the faster\n"
           "  left button          start a round on the title; shoot\n"
           "  right button         reload an empty magazine\n"
           "  left, right arrows   scroll the landscape; on the title, with more than one\n"
           "                       gallery: the gallery before or after (so does the wheel)\n"
           "  M                    sound off and on\n"
           "  - and +              all sound 10 % quieter or louder\n"
           "  Alt+Enter            window or full screen (kept for the next start)\n"
           "  Escape               back: to the high scores, the credits, out\n"
           "\n"
           "game pad:\n"
           "  left stick           aim (left shoulder held: slower)\n"
           "  shoulder buttons     on the title: the gallery before or after\n"
           "  right trigger, A     shoot; start a round\n"
           "  left trigger, X, B   reload (B outside a round: back)\n"
           "  D-pad, right stick   scroll; in a name: up and down turn the letter,\n"
           "                       right takes it, left deletes, Start ends the name\n"
           "  Back                 back, as Escape\n"
           "\n"
           "settings (in the file --where-settings prints; an option above wins over it):\n" +
           listSettings("  ");
}

} // namespace vandrel
