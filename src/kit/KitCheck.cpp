// The kit checker: gallery.toml read with toml++ (which keeps every value's
// line and column), then every key, every named file and the references
// between entries checked against the key table.
#include "kit/KitCheck.h"

#include "kit/KitChecker.h"
#include "kit/KitText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <tuple>

namespace vandrel::kit {
namespace {

std::string_view typeName(const toml::node& node) {
    switch (node.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "a list";
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a fractional number";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::date:
    case toml::node_type::time:
    case toml::node_type::date_time: return "a date or time";
    default: return "nothing";
    }
}

std::string count(int32_t n, std::string_view thing) {
    return std::to_string(n) + " " + std::string(thing) + (n == 1 ? "" : "s");
}

// toml++ 3.3 tells horizontal whitespace from other characters with a
// generated table that has gaps: for these code points it reaches a spot its
// compiler was promised is never reached, and what it then does is undefined.
// It asks only where whitespace may stand: between keys and values, and after
// a backslash in a """ string; in valid TOML none of them stands there.
bool tomlCannotClassify(char32_t c) {
    if (c <= 0xA0 || c > 0xFEFF || c == 0x3000 || c == 0xFEFF) return false;
    const uint64_t group = (static_cast<uint64_t>(c) - 0xA0) / 0x3FA;
    return !((uint64_t{1} << group) & 0x7FFFFFFFFFFFF75Eull) && group != 5 && group != 7;
}

// The first such code point where toml++ would ask about it, with its line and
// column as toml++ counts them (code points from 1); a code point that is not
// valid UTF-8 counts as one, since toml++ stops at it anyway.
struct Unreadable {
    char32_t character = 0;
    toml::source_position at;
};
std::optional<Unreadable> unreadableForToml(std::string_view text) {
    enum class In { Toml, Comment, Basic, Literal, BasicLines, LiteralLines };
    In in = In::Toml;
    bool afterBackslash = false;
    toml::source_position at{1, 1};
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t k) { return k < text.size() ? static_cast<uint8_t>(text[k]) : 0; };
        const uint8_t lead = byte(i);
        if ((lead >= 0x80 && lead < 0xC0) || lead >= 0xF8) return std::nullopt;
        size_t n = 1;
        char32_t c = lead;
        if (lead >= 0xC0) {
            n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            c = lead & (0x3F >> (n - 1));
            for (size_t k = 1; k < n; ++k) {
                if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
                c = (c << 6) | (byte(i + k) & 0x3F);
            }
        }
        const std::string_view rest = text.substr(i);
        const bool asked = in == In::Toml || (in == In::BasicLines && afterBackslash);
        if (asked && tomlCannotClassify(c)) return Unreadable{c, at};
        size_t take = n;
        switch (in) {
        case In::Toml:
            if (c == '#') in = In::Comment;
            if (rest.starts_with("\"\"\""))
                in = In::BasicLines, take = 3;
            else if (rest.starts_with("'''"))
                in = In::LiteralLines, take = 3;
            else if (c == '"')
                in = In::Basic;
            else if (c == '\'')
                in = In::Literal;
            break;
        case In::Comment:
            if (c == '\n') in = In::Toml;
            break;
        case In::Basic:
            if (c == '\\')
                take += byte(i + 1) == '\n' ? 0 : 1;
            else if (c == '"' || c == '\n')
                in = In::Toml;
            break;
        case In::Literal:
            if (c == '\'' || c == '\n') in = In::Toml;
            break;
        case In::BasicLines:
            // A backslash, then any whitespace and line breaks, then the character asked about.
            if (afterBackslash)
                afterBackslash = c == ' ' || c == '\t' || c == '\r' || c == '\n';
            else if (c == '\\')
                afterBackslash = true;
            else if (rest.starts_with("\"\"\""))
                in = In::Toml, take = 3;
            break;
        case In::LiteralLines:
            if (rest.starts_with("'''")) in = In::Toml, take = 3;
            break;
        }
        for (size_t k = i; k < i + take && k < text.size(); ++k) {
            if (text[k] == '\n') {
                ++at.line;
                at.column = 1;
            } else if ((static_cast<uint8_t>(text[k]) & 0xC0) != 0x80) {
                ++at.column;
            }
        }
        i += take;
    }
    return std::nullopt;
}
} // namespace

KitReport KitChecker::run() {
    std::string why;
    source_ = KitSource::open(kitPath_, why);
    if (!source_) {
        fileProblem(kitPath_, true, why);
        return std::move(report_);
    }
    std::optional<std::vector<uint8_t>> manifest;
    if (!source_->holds(manifestName)) {
        fileProblem(kitPath_, true, "holds no gallery.toml at its top");
    } else if (manifest = source_->read(manifestName, why); !manifest) {
        fileProblem(manifestName, true, why);
    } else if (manifest->size() > static_cast<size_t>(limits::maxManifestBytes)) {
        fileProblem(manifestName, true, "is larger than 1 MiB");
    } else {
        checkManifest(*manifest);
    }
    return std::move(report_);
}

void KitChecker::checkManifest(const std::vector<uint8_t>& bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const std::optional<Unreadable> odd = unreadableForToml(text)) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(odd->character));
        add(manifestName, odd->at, true,
            std::string("not TOML: ") + code +
                " may stand only inside quotes or a comment (after a backslash in a \"\"\" string, write it "
                "as \\u or \\U and its number)");
        return;
    }
    toml::parse_result parsed = toml::parse(text, std::string_view(manifestName));
    if (!parsed) {
        const toml::parse_error& e = parsed.error();
        std::string why(e.description());
        if (why.find("nested value depth") != std::string::npos) {
            why = "lists or tables nested more than " + std::to_string(limits::maxNesting) + " deep";
        } else if (!why.empty()) {
            why[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(why[0])));
        }
        add(manifestName, e.source().begin, true, "not TOML: " + why);
        return;
    }
    const toml::table& root = parsed.table();
    checkFormat(root);
    std::vector<std::string> rootWords;
    for (const Section& s : sections())
        if (!s.name.empty()) rootWords.emplace_back(s.name);
    for (const Key& k : keys())
        if (k.section.empty()) rootWords.emplace_back(k.name);

    for (auto&& [key, node] : root) {
        const std::string name(key.str());
        if (findKey("", name)) continue; // format, checked first
        const Section* section = findSection(name);
        if (!section || section->name.empty()) {
            std::string hint = didYouMean(name, rootWords);
            if (hint.empty())
                for (const Key& k : keys())
                    if (k.name == name && !k.section.empty()) {
                        hint = "; it belongs in [" + std::string(k.section) + "]";
                        break;
                    }
            at(key, true, "unknown table or key " + inQuotes(name) + hint);
            continue;
        }
        checkSection(*section, key, node);
    }
    for (const Section& s : sections()) {
        if (s.name.empty() || s.lowest == 0 || root.contains(s.name)) continue;
        fileProblem(manifestName, true, "[" + std::string(s.name) + "] is missing (" + std::string(s.meaning) + ")");
    }
    checkReferences();
    // The manifest's problems in the order of its lines, then the files'.
    std::stable_sort(report_.problems.begin(), report_.problems.end(), [](const Problem& a, const Problem& b) {
        const bool aManifest = a.file == manifestName;
        const bool bManifest = b.file == manifestName;
        if (aManifest != bManifest) return aManifest;
        return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
    });
}

void KitChecker::checkFormat(const toml::table& root) {
    const toml::node* format = root.get("format");
    if (!format) {
        add(manifestName, {1, 1}, true, "format = 1 is missing; it is the manifest's first line");
        return;
    }
    checkValue(*findKey("", "format"), *format);
    // toml++ keeps keys sorted; their places say what came first.
    const toml::key* formatKey = nullptr;
    for (auto&& [key, node] : root)
        if (key.str() == "format") formatKey = &key;
    const toml::source_position formatAt = formatKey->source().begin;
    for (auto&& [key, node] : root) {
        const toml::source_position p = key.source().begin;
        if (key.str() != "format" &&
            (p.line < formatAt.line || (p.line == formatAt.line && p.column < formatAt.column))) {
            at(*formatKey, true, "format = 1 must come first, before " + inQuotes(key.str()));
            break;
        }
    }
}

void KitChecker::checkSection(const Section& section, const toml::key& key, const toml::node& node) {
    const std::string name(section.name);
    if (section.form == SectionForm::Table) {
        if (!node.is_table()) {
            at(key, true, inQuotes(name) + " is a table: write [" + name + "] above its keys");
            return;
        }
        checkTable(section, *node.as_table());
        return;
    }
    if (!node.is_array_of_tables()) {
        at(key, true, inQuotes(name) + " is a list of tables: write [[" + name + "]] above each entry's keys");
        return;
    }
    const toml::array& entries = *node.as_array();
    if (entries.size() < static_cast<size_t>(section.lowest) || entries.size() > static_cast<size_t>(section.highest))
        at(key, true,
           std::to_string(entries.size()) + " [[" + name + "]] entries; a kit has " + std::to_string(section.lowest) +
               " to " + std::to_string(section.highest));
    size_t taken = 0;
    for (const toml::node& entry : entries) {
        if (++taken > static_cast<size_t>(section.highest)) break;
        checkTable(section, *entry.as_table());
    }
}

void KitChecker::checkTable(const Section& section, const toml::table& table) {
    std::vector<std::string> words;
    for (const Key& k : keys())
        if (k.section == section.name) words.emplace_back(k.name);
    for (auto&& [key, node] : table) {
        const Key* k = findKey(section.name, key.str());
        if (!k) {
            std::string hint = didYouMean(key.str(), words);
            if (hint.empty())
                for (const Key& other : keys())
                    if (other.name == key.str() && !other.section.empty()) {
                        hint = "; it belongs in [" + std::string(other.section) + "]";
                        break;
                    }
            at(key, true, "unknown key " + inQuotes(key.str()) + " in " + sectionLabel(section.name) + hint);
            continue;
        }
        checkValue(*k, node);
    }
    for (const Key& k : keys())
        if (k.section == section.name && k.required && !table.contains(k.name))
            at(table, true,
               sectionLabel(section.name) + " needs " + inQuotes(k.name) + " (" + std::string(k.meaning) + ")");

    if (section.name == "gallery") checkGallery(table);
    if (section.name == "layer") checkLayer(table);
    if (section.name == "animation") checkAnimation(table);
    if (section.name == "figure") checkFigure(table);
    if (section.name == "large-font" || section.name == "small-font") checkFont(section, table);
    if (section.name == "sounds")
        for (auto&& [key, node] : table)
            if (const auto it = node.is_string() ? files_.find(node.as_string()->get()) : files_.end();
                it != files_.end() && it->second.kind == Sniffed::OggVorbis)
                ++report_.found.sounds;
}

// The value's type and range; a file is looked at too. False when the
// value cannot be used.
bool KitChecker::checkValue(const Key& k, const toml::node& node) {
    const std::string name(k.name);
    auto wrongType = [&] {
        at(node, true,
           inQuotes(name) + " wants " + std::string(describe(k.type)) + ", not " + std::string(typeName(node)));
        return false;
    };
    switch (k.type) {
    case KeyType::Whole: {
        if (!node.is_integer()) return wrongType();
        const int64_t v = node.as_integer()->get();
        if (v < k.lowest || v > k.highest) {
            at(node, true,
               inQuotes(name) + " is " + std::to_string(v) + "; it counts " + std::to_string(k.lowest) + " to " +
                   std::to_string(k.highest));
            return false;
        }
        return true;
    }
    case KeyType::Switch:
        if (!node.is_boolean()) return wrongType();
        return true;
    case KeyType::Text:
    case KeyType::Name: {
        if (!node.is_string()) return wrongType();
        const std::string& v = node.as_string()->get();
        if (k.type == KeyType::Text &&
            (static_cast<int64_t>(v.size()) < k.lowest || static_cast<int64_t>(v.size()) > k.highest)) {
            at(node, true,
               inQuotes(name) + " has " + std::to_string(v.size()) + " bytes; it takes " + std::to_string(k.lowest) +
                   " to " + std::to_string(k.highest));
            return false;
        }
        return true;
    }
    case KeyType::Choice: {
        if (!node.is_string()) return wrongType();
        const std::string& v = node.as_string()->get();
        std::vector<std::string> words(k.choices.begin(), k.choices.end());
        if (std::find(words.begin(), words.end(), v) != words.end()) return true;
        std::string all;
        for (const std::string& w : words) all += (all.empty() ? "" : ", ") + inQuotes(w);
        std::string hint = didYouMean(v, words);
        at(node, true, name + " " + inQuotes(v) + (hint.empty() ? " is none of " + all : hint));
        return false;
    }
    case KeyType::File:
        if (!node.is_string()) return wrongType();
        return checkFile(k, *node.as_string()).has_value();
    case KeyType::Files:
    case KeyType::Numbers: {
        if (!node.is_array()) return wrongType();
        const toml::array& list = *node.as_array();
        bool fine = true;
        if (k.type == KeyType::Files &&
            (static_cast<int64_t>(list.size()) < k.lowest || static_cast<int64_t>(list.size()) > k.highest)) {
            at(node, true,
               inQuotes(name) + " lists " + std::to_string(list.size()) + " files; it takes " +
                   std::to_string(k.lowest) + " to " + std::to_string(k.highest));
            return false;
        }
        for (const toml::node& item : list) {
            if (k.type == KeyType::Files) {
                if (!item.is_string()) {
                    at(item, true, inQuotes(name) + " lists file names, not " + std::string(typeName(item)));
                    fine = false;
                } else {
                    fine = checkFile(k, *item.as_string()).has_value() && fine;
                }
            } else if (!item.is_integer()) {
                at(item, true, inQuotes(name) + " lists whole numbers, not " + std::string(typeName(item)));
                fine = false;
            } else if (const int64_t v = item.as_integer()->get(); v < k.lowest || v > k.highest) {
                at(item, true,
                   inQuotes(name) + " holds " + std::to_string(v) + "; each counts " + std::to_string(k.lowest) +
                       " to " + std::to_string(k.highest));
                fine = false;
            }
        }
        return fine;
    }
    }
    return false;
}

std::string Problem::text() const {
    std::string out = file;
    if (line > 0) out += ":" + std::to_string(line) + ":" + std::to_string(column);
    return out + (error ? ": error: " : ": warning: ") + message;
}

int32_t KitReport::errors() const {
    return static_cast<int32_t>(
        std::count_if(problems.begin(), problems.end(), [](const Problem& p) { return p.error; }));
}

int32_t KitReport::warnings() const { return static_cast<int32_t>(problems.size()) - errors(); }

KitReport checkKit(const std::string& path) { return KitChecker(path).run(); }

int runKitCheck(const std::string& path, bool strict, std::ostream& out) {
    const KitReport report = checkKit(path);
    for (const Problem& p : report.problems) out << p.text() << '\n';
    const KitSummary& f = report.found;
    out << path << ": " << count(f.layers, "layer") << ", " << count(f.animations, "animation") << " with "
        << count(f.frames, "frame") << ", " << count(f.figureTypes, "figure type") << ", " << count(f.sounds, "sound")
        << "; " << count(report.errors(), "error") << ", " << count(report.warnings(), "warning") << "\n";
    return report.errors() > 0 || (strict && report.warnings() > 0) ? 1 : 0;
}

} // namespace vandrel::kit
