// Reading recorded games: every line is checked, and a recording that is not
// whole and well formed is refused with its line and the reason.
#include "replay/ReplayLog.h"

#include "replay/MessageNames.h"

#include <charconv>
#include <cstdio>

namespace vandrel {
namespace {

template <typename T>
bool parseNumber(std::string_view text, T& out, int base = 10) {
    if (text.empty()) return false;
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
        if (j > i) words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

bool parseHexBytes(std::string_view text, std::optional<std::vector<uint8_t>>& out) {
    if (text == "-") {
        out.reset();
        return true;
    }
    if (text.size() % 2 != 0) return false;
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t b = 0;
        if (!parseNumber(text.substr(i, 2), b, 16)) return false;
        bytes.push_back(b);
    }
    out = std::move(bytes);
    return true;
}

bool parseStoreValue(const std::vector<std::string_view>& w, ReplayStoreValue& v) {
    if (w.size() != 4 || (w[2] != "sz" && w[2] != "bin")) return false;
    v.name = std::string(w[1]);
    v.binary = w[2] == "bin";
    return parseHexBytes(w[3], v.bytes);
}

bool parseCheck(const std::vector<std::string_view>& w, size_t first, ReplayCheck& c) {
    if (w.size() != first + 5) return false;
    return parseNumber(w[first], c.tick) && parseNumber(w[first + 1], c.state) && parseNumber(w[first + 2], c.score) &&
           parseNumber(w[first + 3], c.pending) && w[first + 4].size() == 16 &&
           parseNumber(w[first + 4], c.frameHash, 16);
}

bool parseMessage(const std::vector<std::string_view>& w, Message& m) {
    if (w.size() != 4) return false;
    std::optional<uint32_t> id = messageFromName(w[1]);
    if (!id) return false;
    m.message = *id;
    if (!parseNumber(w[2], m.wParam)) return false;
    const size_t comma = w[3].find(',');
    if (comma != std::string_view::npos) {
        int32_t x = 0, y = 0;
        if (!parseNumber(w[3].substr(0, comma), x) || !parseNumber(w[3].substr(comma + 1), y)) return false;
        m.lParam = makePointParam(x, y);
        return true;
    }
    return parseNumber(w[3], m.lParam);
}

// One "play" line's option into play; false for a name or value the game
// does not know.
bool parsePlay(const std::vector<std::string_view>& w, PlayOptions& play) {
    int32_t value = 0;
    if (w.size() != 3 || !parseNumber(w[2], value)) return false;
    if (w[1] == "speed" && value >= 1 && value <= PlayOptions::fullSpeed) {
        play.speedPercent = value;
    } else if (w[1] == "length" && value >= 1 && value <= 86400) {
        play.roundSeconds = value;
    } else if (w[1] == "auto_reload" && (value == 0 || value == 1)) {
        play.autoReload = value == 1;
    } else if (w[1] == "practice" && (value == 0 || value == 1)) {
        play.practice = value == 1;
    } else if (w[1] == "crosshair_size" && (value == 100 || value == 150 || value == 200)) {
        play.cursor.percent = value;
    } else if (w[1] == "crosshair_outline" && (value == 0 || value == 1)) {
        play.cursor.outline = value == 1;
    } else if (w[1] == "crosshair_colour" && value >= 0 && value < static_cast<int32_t>(cursorColours.size())) {
        play.cursor.colour = value;
    } else {
        return false;
    }
    return true;
}

bool parseSteps(std::string_view text, uint32_t& delta, uint32_t& count) {
    const size_t x = text.find('x');
    count = 1;
    if (x != std::string_view::npos) {
        if (!parseNumber(text.substr(x + 1), count) || count == 0) return false;
        text = text.substr(0, x);
    }
    return parseNumber(text, delta);
}

} // namespace

std::string hexText(uint64_t value) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(value));
    return buf;
}

bool ReplayLog::read(std::istream& in, std::string& error) {
    *this = ReplayLog{};
    std::string line;
    int lineNo = 0;
    bool sawHeader = false, sawData = false, sawRand = false, sawStart = false;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        const std::vector<std::string_view> w = splitWords(line);
        if (w.empty() || w[0][0] == '#') continue;
        const std::string_view key = w[0];
        if (!sawHeader) {
            if (key != "vandrel-replay") return fail("not a recorded game");
            if (w.size() != 2 || w[1] != "1") return fail("unknown format version");
            sawHeader = true;
            continue;
        }
        if (end && key != "final") return fail("'" + std::string(key) + "' after the end");
        if (key == "data") {
            if (w.size() != 2 || !parseNumber(w[1], dataHash, 16)) return fail("bad data line");
            sawData = true;
        } else if (key == "rand") {
            if (w.size() != 2 || !parseNumber(w[1], randState)) return fail("bad rand line");
            sawRand = true;
        } else if (key == "start") {
            if (w.size() != 2 || !parseNumber(w[1], startTick)) return fail("bad start line");
            sawStart = true;
        } else if (key == "mode") {
            if (w.size() != 2 || (w[1] != "window" && w[1] != "fullscreen")) return fail("bad mode line");
            startFullScreen = w[1] == "fullscreen";
        } else if (key == "play") {
            if (!parsePlay(w, play)) return fail("bad play line");
            if (!storeBefore.empty() || !events.empty()) return fail("a play line after the table or the first turn");
        } else if (key == "store" || key == "final") {
            ReplayStoreValue v;
            if (!parseStoreValue(w, v)) return fail("bad " + std::string(key) + " line");
            if (key == "store" && !events.empty()) return fail("stored values after the first turn");
            (key == "store" ? storeBefore : storeAfter).push_back(std::move(v));
        } else if (key == "size") {
            ReplayEvent e;
            e.kind = ReplayEvent::Kind::Size;
            if (w.size() != 4 || !parseNumber(w[1], e.width) || !parseNumber(w[2], e.height) ||
                !parseNumber(w[3], e.query) || e.width < 0 || e.height < 0 || e.query == 0)
                return fail("bad size line");
            events.push_back(e);
        } else if (key == "m") {
            ReplayEvent e;
            e.kind = ReplayEvent::Kind::Message;
            if (!parseMessage(w, e.message)) return fail("bad message line");
            events.push_back(e);
        } else if (key == "s") {
            ReplayEvent e;
            e.kind = ReplayEvent::Kind::Steps;
            if (w.size() != 2 || !parseSteps(w[1], e.delta, e.count)) return fail("bad step line");
            events.push_back(e);
        } else if (key == "c") {
            ReplayEvent e;
            e.kind = ReplayEvent::Kind::Check;
            if (!parseCheck(w, 1, e.check)) return fail("bad checkpoint line");
            events.push_back(e);
        } else if (key == "end") {
            ReplayEnd e;
            if (w.size() != 7 || !parseNumber(w[1], e.exitCode) || !parseCheck(w, 2, e.check))
                return fail("bad end line");
            end = e;
        } else {
            return fail("unknown record '" + std::string(key) + "'");
        }
    }
    if (!sawHeader) {
        lineNo = 1;
        return fail("not a recorded game");
    }
    if (!sawData || !sawRand || !sawStart) return fail("data, rand or start missing");
    return true;
}

} // namespace vandrel
