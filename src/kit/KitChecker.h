// The kit checker while it walks one kit: what it has found so far, the
// files it has read and the names the entries give each other. The manifest
// walk (KitCheck.cpp), the file and picture checks (KitCheckFiles.cpp) and the
// checks of single entries and the names between them (KitCheckEntries.cpp)
// share it; only the kit library sees it.
#pragma once
#include "kit/FileSniff.h"
#include "kit/KitCheck.h"
#include "kit/KitKeys.h"
#include "kit/KitSource.h"
#include "kit/KitToml.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::kit {

inline constexpr char manifestName[] = "gallery.toml";

class KitChecker {
public:
    explicit KitChecker(const std::string& path) : kitPath_(path) {}

    KitReport run();

private:
    void add(std::string file, const toml::source_position& at, bool error, std::string message) {
        report_.problems.push_back({std::move(file), static_cast<int32_t>(at.line), static_cast<int32_t>(at.column),
                                    error, std::move(message)});
    }
    void at(const toml::node& node, bool error, std::string message) {
        add(manifestName, node.source().begin, error, std::move(message));
    }
    void at(const toml::key& key, bool error, std::string message) {
        add(manifestName, key.source().begin, error, std::move(message));
    }
    void fileProblem(std::string file, bool error, std::string message) {
        report_.problems.push_back({std::move(file), 0, 0, error, std::move(message)});
    }

    // The manifest walk: its tables, keys and values against the key table.
    void checkManifest(const std::vector<uint8_t>& bytes);
    void checkFormat(const toml::table& root);
    void checkSection(const Section& section, const toml::key& key, const toml::node& node);
    void checkTable(const Section& section, const toml::table& table);
    bool checkValue(const Key& k, const toml::node& node);

    // Files and pictures.
    std::optional<PictureHeader> checkFile(const Key& k, const toml::value<std::string>& node);
    bool fitsKey(const Key& k, const std::string& path, Sniffed kind);

    static std::string size(const PictureHeader& h) {
        return std::to_string(h.width) + " x " + std::to_string(h.height) + " pixels";
    }

    // A file key's picture header when the key is there and its file passed.
    std::optional<PictureHeader> picture(const toml::table& table, std::string_view key) const {
        const toml::node* node = table.get(key);
        if (!node || !node->is_string()) return std::nullopt;
        const auto it = files_.find(node->as_string()->get());
        return it == files_.end() ? std::nullopt : std::optional<PictureHeader>(it->second.header);
    }

    static std::optional<int64_t> number(const toml::table& table, std::string_view key) {
        const toml::node* node = table.get(key);
        return node && node->is_integer() ? std::optional<int64_t>(node->as_integer()->get()) : std::nullopt;
    }

    // A whole number of the table only when its key's range holds it.
    static std::optional<int64_t> numberInRange(const toml::table& table, std::string_view section,
                                                std::string_view key) {
        const std::optional<int64_t> value = number(table, key);
        const Key* k = findKey(section, key);
        return value && *value >= k->lowest && *value <= k->highest ? value : std::nullopt;
    }

    static std::optional<std::string> text(const toml::table& table, std::string_view key) {
        const toml::node* node = table.get(key);
        return node && node->is_string() ? std::optional<std::string>(node->as_string()->get()) : std::nullopt;
    }

    void checkLayer(const toml::table& table);
    bool sniffedJpeg(const std::string& path) const;
    void checkAnimation(const toml::table& table);
    int64_t stripFrames(const toml::table& table, const toml::node& strip);

    // Single entries, and the names that point from one entry at another.
    void checkGallery(const toml::table& table);
    void checkFigure(const toml::table& table);
    void checkFont(const Section& section, const toml::table& table);
    void checkReferences();

    std::string kitPath_;
    std::unique_ptr<KitSource> source_;
    KitReport report_;
    struct KnownFile {
        PictureHeader header;
        Sniffed kind = Sniffed::Unknown;
    };
    std::map<std::string, KnownFile> files_; // the files read and recognised, by path
    std::optional<std::vector<std::string>> kitFiles_;
    std::set<std::string> animations_;
    std::set<std::string> figures_;
    std::vector<const toml::table*> figureTables_;
    bool tooManyFrames_ = false;
};

} // namespace vandrel::kit
