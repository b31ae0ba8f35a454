// Keeping rounds in their folder, dropping the oldest, and reading them for the list.
#include "replay/RoundShelf.h"

#include "link/RoundLink.h"
#include "replay/ReplayLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace vandrel {
namespace {

constexpr std::string_view filePrefix = "round-";
constexpr std::string_view fileSuffix = ".vrec";
constexpr std::string_view galleryKey = "# gallery ";
// The screens a checkpoint names (the game's GameState numbers).
constexpr int32_t stateInPlay = 3;
constexpr int32_t stateHighScores = 4;

bool isKeptName(const std::string& name) {
    return name.size() > filePrefix.size() + fileSuffix.size() && name.rfind(filePrefix, 0) == 0 &&
           name.compare(name.size() - fileSuffix.size(), fileSuffix.size(), fileSuffix) == 0;
}

// "round-20240501-201503-0000.vrec" gives "2024-05-01 20:15:03".
std::string dateOf(const std::string& name) {
    const std::string d = name.substr(filePrefix.size());
    if (d.size() < 15 || d[8] != '-') return "?";
    return d.substr(0, 4) + '-' + d.substr(4, 2) + '-' + d.substr(6, 2) + ' ' + d.substr(9, 2) + ':' + d.substr(11, 2) +
           ':' + d.substr(13, 2);
}

} // namespace

std::filesystem::path RoundShelf::folderBeside(const std::filesystem::path& settingsFile) {
    return settingsFile.parent_path() / folderName;
}

std::vector<std::filesystem::path> RoundShelf::files() const {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && isKeptName(it->path().filename().string())) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::filesystem::path RoundShelf::keep(std::string_view recording, std::time_t endedAt) const {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &endedAt);
#else
    localtime_r(&endedAt, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    // Rounds ended in the same second are told apart by a number after it, one
    // past the highest there: a dropped round's number is not taken again,
    // which would sort the newer round before older ones.
    const std::string sameSecond = std::string(filePrefix) + stamp + '-';
    int next = 0;
    for (const std::filesystem::path& file : files()) {
        const std::string name = file.filename().string();
        if (name.rfind(sameSecond, 0) == 0) next = std::max(next, std::atoi(name.c_str() + sameSecond.size()) + 1);
    }
    char number[16];
    std::snprintf(number, sizeof number, "%04d", next);
    const std::filesystem::path target = folder_ / (sameSecond + number + std::string(fileSuffix));
    std::filesystem::path temporary = target;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(recording.data(), static_cast<std::streamsize>(recording.size()));
        out.flush();
        if (!out) {
            out.close();
            std::filesystem::remove(temporary, ec);
            return {};
        }
    }
    std::filesystem::rename(temporary, target, ec);
    if (ec) {
        std::filesystem::remove(temporary, ec);
        return {};
    }
    std::vector<std::filesystem::path> kept = files();
    for (size_t i = 0; i + limit_ < kept.size(); ++i) std::filesystem::remove(kept[i], ec);
    return target;
}

std::vector<KeptRound> RoundShelf::list() const {
    std::vector<KeptRound> out;
    for (const std::filesystem::path& file : files()) {
        KeptRound round;
        std::ifstream in(file, std::ios::binary);
        round.readable = in && describeKeptRound(in, round);
        round.file = file;
        round.date = dateOf(file.filename().string());
        out.push_back(std::move(round));
    }
    return out;
}

std::string galleryComment(std::string_view gallery) { return std::string(galleryKey) + std::string(gallery); }

bool describeKeptRound(std::istream& in, KeptRound& round) {
    std::ostringstream whole;
    whole << in.rdbuf();
    const std::string text = whole.str();
    std::istringstream lines(text);
    ReplayLog log;
    std::string error;
    if (!log.read(lines, error)) return false;
    std::istringstream comments(text);
    for (std::string line; std::getline(comments, line);) {
        if (line.rfind(galleryKey, 0) == 0) round.gallery = line.substr(galleryKey.size());
    }
    // The last round in the recording: from the first checkpoint in play to
    // the one on the high-score screen after it, which holds the round's score.
    bool finished = false;
    int32_t lastState = -1;
    uint32_t startTick = 0;
    for (const ReplayEvent& e : log.events) {
        if (e.kind != ReplayEvent::Kind::Check) continue;
        if (e.check.state == stateInPlay && lastState != stateInPlay) startTick = e.check.tick;
        if (e.check.state == stateHighScores && lastState == stateInPlay) {
            finished = true;
            // A round played out hands its score to the screen; one left with
            // Escape keeps it as the running score.
            round.score = e.check.pending != 0 ? e.check.pending : e.check.score;
            round.seconds = (e.check.tick - startTick + 500) / 1000;
        }
        lastState = e.check.state;
    }
    return finished;
}

int listRounds(const RoundShelf& shelf, std::ostream& out) {
    const std::vector<KeptRound> rounds = shelf.list();
    if (rounds.empty()) {
        out << "no rounds kept in " << shelf.folder().string() << '\n';
        return 0;
    }
    for (const KeptRound& r : rounds) {
        out << r.date << "  ";
        if (r.readable)
            out << (r.gallery.empty() ? "?" : r.gallery) << "  " << r.score << " points  " << r.seconds << " s  ";
        else
            out << "(not readable)  ";
        out << r.file.string() << '\n';
    }
    return 0;
}

int printShareLink(const std::filesystem::path& file, std::string_view base, std::ostream& out, std::ostream& err) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream whole;
    if (in) whole << in.rdbuf();
    std::istringstream check(whole.str());
    KeptRound round;
    if (!in || !describeKeptRound(check, round)) {
        err << "vandrel: " << file.string() << " is no kept round (a recording that ends after a round)\n";
        return 1;
    }
    if (whole.str().size() > roundLink::maxRecordingBytes) {
        err << "vandrel: " << file.string() << " is too long for a link (more than "
            << (roundLink::maxRecordingBytes >> 20) << " MiB)\n";
        return 1;
    }
    out << roundLink::link(base, whole.str()) << '\n';
    if (base.empty())
        err << "vandrel: this is the link's part after the address; put the address of the game's page in front of "
               "it, or set share_base in vandrel.ini\n";
    return 0;
}

} // namespace vandrel
