// Finding the galleries in their folders, refusing what cannot be played, and
// compiling a chosen kit.
#include "app/GalleryList.h"

#include "config/SettingsFile.h"
#include "data/DataSet.h"
#include "data/SetupRecord.h"
#include "kit/KitCheck.h"
#include "kit/KitCompile.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <random>
#include <system_error>

namespace vandrel {

namespace fs = std::filesystem;

namespace {

// The first error of a kit's check, as --check prints it.
std::optional<std::string> firstError(const kit::KitReport& report) {
    for (const kit::Problem& p : report.problems)
        if (p.error) return p.text();
    return std::nullopt;
}

bool isZip(const fs::path& entry) {
    std::string ext = pathToUtf8(entry.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".zip";
}

Gallery checkedKit(const std::string& path, const std::string& origin) {
    Gallery g;
    g.path = path;
    g.origin = origin;
    g.kind = Gallery::Kind::Kit;
    const kit::KitReport report = kit::checkKit(path);
    g.name = report.found.name;
    g.tableName = report.found.tableName;
    if (const auto error = firstError(report)) g.refusal = *error;
    if (g.name.empty()) g.name = pathToUtf8(pathFromUtf8(path).filename());
    return g;
}

// A data set carries no name of its own but its table's.
Gallery dataSetGallery(const std::string& path, const std::string& origin, const std::string& fallbackName) {
    Gallery g;
    g.path = path;
    g.origin = origin;
    std::string why;
    if (!DataSet::holdsGame(path, why)) {
        g.name = fallbackName;
        g.refusal = "is not a data set: " + why;
        return g;
    }
    g.tableName = readTableName(path).value_or("");
    g.name = g.tableName.empty() ? fallbackName : g.tableName;
    return g;
}

} // namespace

void GalleryList::addBuiltIn(const std::string& dataPath) {
    Gallery g;
    g.path = dataPath;
    g.origin = "built in";
    g.tableName = readTableName(dataPath).value_or("");
    g.name = g.tableName.empty() ? "Vandrel" : g.tableName;
    add(std::move(g));
}

void GalleryList::addFolder(const GalleryFolder& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder.path, ec)) return;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder.path, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    // The same order on every system and every start.
    std::sort(entries.begin(), entries.end());
    for (const fs::path& entry : entries) addEntry(entry, folder.origin);
}

void GalleryList::addEntry(const fs::path& entry, const std::string& origin) {
    const std::string path = pathToUtf8(entry);
    const std::string where = origin + ": " + path;
    std::error_code ec;
    if (fs::is_directory(entry, ec)) {
        // The checker names what is wrong with a folder that holds no kit.
        add(checkedKit(path, where));
    } else if (isZip(entry)) {
        if (kit::looksLikeKit(path))
            add(checkedKit(path, where));
        else
            add(dataSetGallery(path, where, pathToUtf8(entry.stem())));
    }
}

void GalleryList::add(Gallery g) {
    if (g.offered()) {
        for (const Gallery& before : galleries_)
            if (before.offered() && before.tableName == g.tableName) {
                g.refusal = "its high-score table \"" + g.tableName + "\" is that of \"" + before.name + "\" (" +
                            before.origin + "); give it a table-name of its own";
                break;
            }
    }
    galleries_.push_back(std::move(g));
}

std::vector<Gallery> GalleryList::offered() const {
    std::vector<Gallery> out;
    for (const Gallery& g : galleries_)
        if (g.offered()) out.push_back(g);
    return out;
}

int GalleryList::find(std::string_view name) const {
    int place = 0;
    for (const Gallery& g : galleries_) {
        if (!g.offered()) continue;
        if (g.name == name) return place;
        ++place;
    }
    return -1;
}

std::string GalleryList::describe() const {
    std::string out;
    for (const Gallery& g : galleries_) {
        out += g.name + "\t" + g.origin;
        if (!g.tableName.empty()) out += "\ttable \"" + g.tableName + "\"";
        out += g.offered() ? "\n" : "\tnot offered:\n    " + g.refusal + "\n";
    }
    return out;
}

std::vector<GalleryFolder> galleryFolders(const std::string& exePath, const fs::path& settingsFile) {
    std::vector<GalleryFolder> out;
    // A folder named twice (a portable copy keeps its settings beside the
    // executable) is looked in once, or each of its galleries would refuse itself.
    const auto addOnce = [&out](const fs::path& folder, const char* origin) {
        std::error_code ec;
        fs::path plain = fs::weakly_canonical(folder, ec);
        if (ec) plain = folder.lexically_normal();
        for (const GalleryFolder& f : out)
            if (f.path == plain) return;
        out.push_back({plain, origin});
    };
    const fs::path exeDir = pathFromUtf8(exePath).parent_path();
    addOnce(exeDir / "galleries", "installed");
#ifndef _WIN32
    // The package puts the game into <prefix>/games (or bin) and the shared
    // files into <prefix>/share/vandrel.
    addOnce(exeDir / ".." / "share" / "vandrel" / "galleries", "installed");
#endif
    if (!settingsFile.empty()) addOnce(settingsFile.parent_path() / "galleries", "yours");
    return out;
}

GalleryList findGalleries(const std::string& exePath, const fs::path& settingsFile) {
    GalleryList list;
    list.addBuiltIn(exePath);
    for (const GalleryFolder& folder : galleryFolders(exePath, settingsFile)) list.addFolder(folder);
    return list;
}

// A kit's compiled data set in a file of its own, removed with it.
struct GalleryData::Compiled {
    std::string path;
    ~Compiled() {
        std::error_code ec;
        fs::remove(pathFromUtf8(path), ec);
    }
};

GalleryData::GalleryData() = default;
GalleryData::~GalleryData() = default;

std::string GalleryData::playable(const Gallery& g, std::string& why) {
    if (g.kind == Gallery::Kind::DataSet) return g.path;
    if (const auto it = compiled_.find(g.path); it != compiled_.end()) return it->second->path;
    const kit::CompiledKit compiled = kit::compileKit(g.path);
    if (!compiled.ok()) {
        why = "does not compile";
        for (const kit::Problem& p : compiled.problems)
            if (p.error) {
                why = p.text();
                break;
            }
        return {};
    }
    std::error_code ec;
    const fs::path dir = fs::temp_directory_path(ec);
    auto file = std::make_unique<Compiled>();
    file->path =
        pathToUtf8((ec ? fs::path(".") : dir) / ("vandrel-gallery-" + std::to_string(std::random_device()()) + ".zip"));
    if (!kit::writeDataSet(file->path, compiled.entries, why)) {
        why = "its compiled data set " + file->path + " " + why;
        return {};
    }
    const std::string path = file->path;
    compiled_[g.path] = std::move(file);
    return path;
}

} // namespace vandrel
