// The kit checker's checks of single entries (the gallery, figure types and
// fonts) and of the names that point from one entry at another.
#include "kit/KitChecker.h"
#include "kit/KitText.h"

#include <algorithm>
#include <cctype>

namespace vandrel::kit {

void KitChecker::checkGallery(const toml::table& table) {
    if (const auto name = text(table, "name")) report_.found.name = *name;
    if (const auto name = text(table, "table-name")) {
        report_.found.tableName = *name;
        for (const char c : *name)
            if (static_cast<uint8_t>(c) < 32 || c == '/' || c == '\\' || c == 127) {
                at(*table.get("table-name"), true, "\"table-name\" may not hold path separators or control characters");
                break;
            }
    }
    const auto minutes = number(table, "round-minutes");
    const auto seconds = number(table, "round-seconds");
    const Key* m = findKey("gallery", "round-minutes");
    const Key* s = findKey("gallery", "round-seconds");
    if (minutes.value_or(m->number) == 0 && seconds.value_or(s->number) == 0)
        at(table, true, "a round of 0 minutes and 0 seconds cannot be played");
}

void KitChecker::checkFigure(const toml::table& table) {
    ++report_.found.figureTypes;
    if (const auto name = text(table, "name"); name && !figures_.emplace(*name).second)
        at(*table.get("name"), true, "a second figure type named " + inQuotes(*name));
    if (table.contains("hit-effect") && table.contains("hit-effect-of"))
        at(table, true, "a figure type takes \"hit-effect\" or \"hit-effect-of\", not both");
    figureTables_.push_back(&table);
}

void KitChecker::checkFont(const Section& section, const toml::table& table) {
    const bool sheet = table.contains("sheet");
    const bool font = table.contains("font");
    if (sheet == font)
        at(table, true,
           sectionLabel(section.name) + " takes either \"sheet\" or \"font\"" + (sheet ? ", not both" : ""));
    if (sheet && !table.contains("characters"))
        at(table, true, "a glyph \"sheet\" needs \"characters\", the characters in its order");
    if (!font)
        for (const char* key : {"size", "colour"})
            if (const toml::node* n = table.get(key))
                at(*n, false, inQuotes(key) + std::string(" is used only with \"font\""));
    if (const auto colour = text(table, "colour")) {
        const bool hex = colour->size() == 7 && (*colour)[0] == '#' &&
                         std::all_of(colour->begin() + 1, colour->end(),
                                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (!hex) at(*table.get("colour"), true, "\"colour\" " + inQuotes(*colour) + " is not of the form #rrggbb");
    }
}

// Names that point at other entries, once every entry has been read.
void KitChecker::checkReferences() {
    const std::vector<std::string> animations(animations_.begin(), animations_.end());
    const std::vector<std::string> figures(figures_.begin(), figures_.end());
    for (const toml::table* figure : figureTables_) {
        for (const char* key : {"animation", "hit-effect"}) {
            const toml::node* node = figure->get(key);
            if (!node || !node->is_string()) continue;
            const std::string& name = node->as_string()->get();
            if (!animations_.count(name))
                at(*node, true, "no animation is named " + inQuotes(name) + didYouMean(name, animations));
        }
        if (const toml::node* node = figure->get("hit-effect-of"); node && node->is_string()) {
            const std::string& name = node->as_string()->get();
            if (!figures_.count(name))
                at(*node, true, "no figure type is named " + inQuotes(name) + didYouMean(name, figures));
        }
    }
}

} // namespace vandrel::kit
