// The player's settings file as text: "key = value" lines, comments and blank
// lines, kept line for line so that writing it back changes only the values
// that changed and keeps every key this version does not know (a newer
// version's settings, the player's own notes).
#pragma once
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

class SettingsFile {
public:
    // Larger files are not settings files; they are neither read nor written over.
    static constexpr std::size_t maxBytes = 64 * 1024;

    // A line that could not be read, with its 1-based number.
    struct Problem {
        std::size_t line = 0;
        std::string text;
    };

    // Reads text: '#' or ';' start a comment line, "key = value" sets a key
    // (the last one of a name counts). Lines of any other shape are kept as
    // they are and reported in problems().
    void parse(std::string_view text);
    std::string text() const;

    // The value of key, trimmed; and the line it stands on (0 when unset).
    std::optional<std::string> get(std::string_view key) const;
    std::size_t lineOf(std::string_view key) const;
    // Changes the key's value on its own line, or appends a new line for it.
    void set(std::string_view key, std::string_view value);
    const std::vector<Problem>& problems() const { return problems_; }
    bool empty() const { return lines_.empty(); }

    enum class ReadResult {
        Read,     // the file was read (its lines may still have problems)
        Missing,  // there is no file yet
        Unusable, // something that is not a settings file: why() says what
    };
    // Reads a file without ever blocking: a folder, a pipe or a device, a file
    // over maxBytes, one holding zero bytes (binary) or one that cannot be
    // opened is Unusable and leaves the text empty.
    ReadResult read(const std::filesystem::path& file, std::string& why);

    // Writes the text to a temporary file beside file, flushes it to disk and
    // renames it over file, so an interrupted write leaves the old file whole.
    // A missing folder is made first. False with why on failure.
    bool write(const std::filesystem::path& file, std::string& why) const;

private:
    struct Line {
        std::string text;
        std::string key; // empty for comments, blank lines and damaged lines
    };
    std::vector<Line> lines_;
    std::vector<Problem> problems_;
    // The file ended with a line break (kept when it is written back).
    bool finalNewline_ = true;
};

// A path in UTF-8 (as the game keeps the executable's path and the command
// line) as the file system's path, on every system; and back.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

} // namespace vandrel
