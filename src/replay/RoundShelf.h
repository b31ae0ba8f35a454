// The rounds kept to watch again: every finished round's recording as a file
// of its own in a folder (`rounds/` beside vandrel.ini), the newest so many;
// a full folder drops the oldest. File names carry the local date and time
// the round ended, so their order is the rounds' order.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// What a kept round's recording says about the round it ends with.
struct KeptRound {
    std::filesystem::path file;
    std::string date;    // "2024-05-01 20:15", from the file's name
    std::string gallery; // the high-score table's name the round was played for
    int32_t score = 0;
    uint32_t seconds = 0; // from the round's first frame to its end
    bool readable = false;
};

class RoundShelf {
public:
    static constexpr std::size_t defaultLimit = 20;
    static constexpr const char* folderName = "rounds";
    // Where a game whose settings live in settingsFile keeps its rounds.
    static std::filesystem::path folderBeside(const std::filesystem::path& settingsFile);

    explicit RoundShelf(std::filesystem::path folder, std::size_t limit = defaultLimit)
        : folder_(std::move(folder)), limit_(limit == 0 ? 1 : limit) {}

    // Writes one round's recording as the newest file (whole or not at all:
    // through a temporary file renamed), then drops the oldest beyond the
    // limit. The file's path, or empty when the folder cannot be written.
    std::filesystem::path keep(std::string_view recording, std::time_t endedAt) const;
    // The kept recordings, oldest first.
    std::vector<std::filesystem::path> files() const;
    // The kept rounds, oldest first, each read for the list.
    std::vector<KeptRound> list() const;

    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::size_t limit_;
};

// The comment line a kept recording names its gallery with.
std::string galleryComment(std::string_view gallery);
// Reads what the list shows from a kept round's recording: the last round it
// holds, its score and length.
// False when it is no recording or holds no finished round.
bool describeKeptRound(std::istream& in, KeptRound& round);

// `vandrel --rounds`: the kept rounds, oldest first, one to a line (date,
// gallery, score, seconds, file). Returns the exit code.
int listRounds(const RoundShelf& shelf, std::ostream& out);
// `vandrel --share-link FILE`: the link that replays the kept round in FILE
// for the page at base to out; with no base, the fragment alone, and err says
// what to put in front of it. Returns the exit code (1: FILE is no round).
int printShareLink(const std::filesystem::path& file, std::string_view base, std::ostream& out, std::ostream& err);

} // namespace vandrel
