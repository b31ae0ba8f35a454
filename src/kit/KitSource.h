// A gallery kit's files, from a folder or a zip of its contents, by their
// kit-relative paths. Every kit is untrusted: a path that climbs out of the
// kit, a link that leads out of its folder, a name that is not UTF-8 and
// sizes beyond the limits (a zip bomb) are refused before any byte is read.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel::kit {

class KitSource {
public:
    virtual ~KitSource() = default;

    // Opens the folder or zip at path. Null with why set when it is neither,
    // cannot be read or is refused as a whole (a hostile entry in a zip, a
    // kit beyond the size limits). A zip whose entries all lie in one top
    // folder that holds gallery.toml is read from inside that folder.
    static std::unique_ptr<KitSource> open(const std::string& path, std::string& why);

    // The bytes of the file at a kit-relative path ("layers/sky.png"); nothing
    // with why set when the path is refused, the file is missing or it is
    // larger than limits::maxFileBytes.
    virtual std::optional<std::vector<uint8_t>> read(std::string_view path, std::string& why) const = 0;
    // Whether a file is at the path (without reading it).
    virtual bool holds(std::string_view path) const = 0;
    // Every file of the kit, kit-relative with '/' between folders (for hints).
    virtual std::vector<std::string> files() const = 0;
};

// Whether a kit-relative path may be used at all: not empty, relative, no
// "." or ".." part, no backslash or drive letter, valid UTF-8 without control
// characters. False with why set otherwise.
bool isSafeKitPath(std::string_view path, std::string& why);

} // namespace vandrel::kit
