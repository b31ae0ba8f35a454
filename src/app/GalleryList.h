// The galleries a player has: the one built into the game, then those in the
// installation's galleries folders and in the player's own, each a data set
// zip (what --make-data writes), a kit zip or a kit folder. A kit is checked
// when it is listed and compiled only when it is played. A kit that fails its
// check, a file that is no gallery and a gallery whose table name an earlier
// one already has are listed with the reason and never offered, so a player's
// kit can never write into a shipped gallery's high-score table.
#pragma once
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

struct Gallery {
    enum class Kind { DataSet, Kit };
    std::string name;
    std::string tableName;
    // The data set (an executable with one appended, or a zip), or the kit's
    // folder or zip; UTF-8.
    std::string path;
    // Where it comes from, as --list-galleries prints it.
    std::string origin;
    Kind kind = Kind::DataSet;
    // Why it is not offered (a kit's first error, a taken table name); empty
    // when it is.
    std::string refusal;

    bool offered() const { return refusal.empty(); }
};

// A folder galleries are looked for in, and how --list-galleries names it.
struct GalleryFolder {
    std::filesystem::path path;
    std::string origin;
};

class GalleryList {
public:
    // The gallery of the data set at dataPath, always offered first: one
    // whose set-up record cannot be read still plays with the defaults.
    void addBuiltIn(const std::string& dataPath);
    // Every gallery in folder, by their names' order: kit folders, and zips
    // that are kits or data sets. A missing folder adds nothing; a folder
    // without gallery.toml or a zip that is neither is listed as refused;
    // other files are not looked at.
    void addFolder(const GalleryFolder& folder);
    // g as it is, or refused when an offered gallery already has its table name.
    void add(Gallery g);

    const std::vector<Gallery>& all() const { return galleries_; }
    // The offered galleries, in order; the built-in one first.
    std::vector<Gallery> offered() const;
    // The place among offered() of the gallery named name; -1 when none is.
    int find(std::string_view name) const;
    // --list-galleries: one line a gallery (name, origin, table), and an
    // indented line with the reason under each refused one.
    std::string describe() const;

private:
    void addEntry(const std::filesystem::path& entry, const std::string& origin);
    std::vector<Gallery> galleries_;
};

// Where a native build looks, in order: galleries/ beside the executable,
// the installation's share/vandrel/galleries (found from the executable's
// folder, as the package lays it out), then the player's own galleries/
// beside the settings file.
std::vector<GalleryFolder> galleryFolders(const std::string& exePath, const std::filesystem::path& settingsFile);

// Every gallery a native build has: the one behind the executable at exePath,
// then those of galleryFolders(), in order.
GalleryList findGalleries(const std::string& exePath, const std::filesystem::path& settingsFile);

// The data sets the galleries play from: a data set as it is, a kit compiled
// once into a file that is removed when this goes.
class GalleryData {
public:
    GalleryData();
    ~GalleryData();
    GalleryData(const GalleryData&) = delete;
    GalleryData& operator=(const GalleryData&) = delete;

    // The data set to play g from; empty with why set when its kit does not
    // compile or the compiled set cannot be written.
    std::string playable(const Gallery& g, std::string& why);

private:
    struct Compiled;
    std::map<std::string, std::unique_ptr<Compiled>> compiled_; // by the kit's path
};

} // namespace vandrel
