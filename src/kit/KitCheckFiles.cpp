// The kit checker's look at the files the manifest names: each read once,
// recognised by its bytes and held to the key that names it; pictures to the
// decoder's limits, layers to their masks, strips to their frame sizes.
#include "kit/KitChecker.h"
#include "kit/KitText.h"

namespace vandrel::kit {

// The named file, read and recognised; a picture's header is checked
// against the decoder's limits. Nothing when it cannot be used.
std::optional<PictureHeader> KitChecker::checkFile(const Key& k, const toml::value<std::string>& node) {
    const std::string& path = node.get();
    // A file named twice is read once, but checked against each key's wants.
    if (const auto known = files_.find(path); known != files_.end())
        return fitsKey(k, path, known->second.kind) ? std::optional<PictureHeader>(known->second.header) : std::nullopt;
    std::string why;
    if (!isSafeKitPath(path, why)) {
        at(node, true, inQuotes(path) + " " + why);
        return std::nullopt;
    }
    const std::optional<std::vector<uint8_t>> bytes = source_->read(path, why);
    if (!bytes) {
        std::string hint;
        if (why == "is missing") {
            if (!kitFiles_) kitFiles_ = source_->files();
            hint = didYouMean(path, *kitFiles_);
        }
        at(node, true, "file " + inQuotes(path) + " " + why + hint);
        return std::nullopt;
    }
    const Sniffed kind = sniff(*bytes);
    if (!fitsKey(k, path, kind)) return std::nullopt;
    PictureHeader header;
    if (kind == Sniffed::Png || kind == Sniffed::Jpeg) {
        if (!readPictureHeader(*bytes, header)) {
            fileProblem(path, true, "has a damaged picture header");
            return std::nullopt;
        }
        if (header.width > limits::maxPictureSide || header.height > limits::maxPictureSide ||
            header.width * header.height > limits::maxPicturePixels) {
            fileProblem(path, true,
                        size(header) + "; a picture has at most " + std::to_string(limits::maxPictureSide) +
                            " pixels a side and " + std::to_string(limits::maxPicturePixels / (1024 * 1024)) +
                            " million in all");
            return std::nullopt;
        }
    }
    files_.emplace(path, KnownFile{header, kind});
    return header;
}

// Whether a file of this kind is what the key wants; says so when not.
bool KitChecker::fitsKey(const Key& k, const std::string& path, Sniffed kind) {
    const bool fits = (k.wants == FileKind::Png && kind == Sniffed::Png) ||
                      (k.wants == FileKind::PngOrJpeg && (kind == Sniffed::Png || kind == Sniffed::Jpeg)) ||
                      (k.wants == FileKind::Ogg && kind == Sniffed::OggVorbis) ||
                      (k.wants == FileKind::Font && kind == Sniffed::Font);
    if (!fits)
        fileProblem(path, true,
                    "is " + std::string(describe(kind)) + ", but " + inQuotes(k.name) + " wants " +
                        std::string(describe(k.wants)));
    return fits;
}

void KitChecker::checkLayer(const toml::table& table) {
    ++report_.found.layers;
    const toml::node* pictureNode = table.get("picture");
    const std::optional<PictureHeader> layer = picture(table, "picture");
    if (!layer) return;
    const std::string path = pictureNode->as_string()->get();
    if (layer->width < limits::minLayerWidth)
        fileProblem(path, true,
                    size(*layer) + "; a layer is at least " + std::to_string(limits::minLayerWidth) + " pixels wide");
    const bool jpeg = sniffedJpeg(path);
    const toml::node* maskNode = table.get("mask");
    // The farthest layer hides nothing behind it: it may be opaque.
    if (jpeg && !maskNode && report_.found.layers > 1)
        at(table, true, "the JPEG layer " + inQuotes(path) + " needs a \"mask\" PNG");
    if (!jpeg && maskNode) at(*maskNode, false, "a PNG layer's alpha is its mask; \"mask\" is used only with a JPEG");
    if (!jpeg && !layer->alpha) fileProblem(path, false, "has no alpha channel: the whole layer is opaque");
    if (const auto mask = picture(table, "mask");
        mask && jpeg && (mask->width != layer->width || mask->height != layer->height))
        fileProblem(maskNode->as_string()->get(), true,
                    size(*mask) + "; its layer " + inQuotes(path) + " has " + size(*layer));
}

bool KitChecker::sniffedJpeg(const std::string& path) const {
    std::string why;
    const auto bytes = source_->read(path, why);
    return bytes && sniff(*bytes) == Sniffed::Jpeg;
}

void KitChecker::checkAnimation(const toml::table& table) {
    ++report_.found.animations;
    const std::optional<std::string> name = text(table, "name");
    if (name && !animations_.emplace(*name).second)
        at(*table.get("name"), true, "a second animation named " + inQuotes(*name));
    const toml::node* frames = table.get("frames");
    const toml::node* strip = table.get("strip");
    int64_t count = 0;
    if (frames && strip) {
        at(table, true, "an animation takes \"frames\" or \"strip\", not both");
    } else if (!frames && !strip) {
        at(table, true, "an animation needs \"frames\" (separate files) or \"strip\" (one picture)");
    } else if (frames && frames->is_array()) {
        count = static_cast<int64_t>(frames->as_array()->size());
        for (const char* key : {"frame-width", "frame-height", "count"})
            if (const toml::node* n = table.get(key))
                at(*n, false, inQuotes(key) + std::string(" is used only with \"strip\""));
    } else if (strip) {
        count = stripFrames(table, *strip);
    }
    // Lists with one value per frame.
    for (const char* key : {"durations", "masks", "hotspots-x", "hotspots-y"}) {
        const toml::node* list = table.get(key);
        if (!list || !list->is_array() || count <= 0 || static_cast<int64_t>(list->as_array()->size()) == count)
            continue;
        const char* what = std::string_view(key) == "durations" ? " times for " : " values for ";
        at(*list, true,
           inQuotes(key) + " lists " + std::to_string(list->as_array()->size()) + what + std::to_string(count) +
               " frames");
    }
    if (table.contains("masks") && strip) at(*table.get("masks"), true, "\"masks\" goes with \"frames\"");
    report_.found.frames += static_cast<int32_t>(count);
    if (report_.found.frames > limits::maxFrames && !tooManyFrames_) {
        tooManyFrames_ = true;
        at(table, true, "more than " + std::to_string(limits::maxFrames) + " frames in the kit");
    }
}

// The frames a strip gives, its sizes checked. A size or count out of its
// key's range has been reported already and gives no frames (a frame
// width of 0 would divide by nothing, a count below 1 take frames away).
int64_t KitChecker::stripFrames(const toml::table& table, const toml::node& strip) {
    const std::optional<PictureHeader> sheet = picture(table, "strip");
    const std::optional<int64_t> width = numberInRange(table, "animation", "frame-width");
    if (!table.contains("frame-width")) at(table, true, "a \"strip\" needs \"frame-width\"");
    if (!sheet || !width) return 0;
    const std::optional<int64_t> givenHeight = numberInRange(table, "animation", "frame-height");
    if (table.contains("frame-height") && !givenHeight) return 0;
    const int64_t height = givenHeight.value_or(sheet->height);
    const std::string path = strip.as_string()->get();
    if (sheet->width % *width != 0) {
        fileProblem(path, true,
                    size(*sheet) + ": the width is not a multiple of the frame width " + std::to_string(*width));
        return 0;
    }
    if (sheet->height % height != 0) {
        fileProblem(path, true,
                    size(*sheet) + ": the height is not a multiple of the frame height " + std::to_string(height));
        return 0;
    }
    const int64_t available = (sheet->width / *width) * (sheet->height / height);
    const std::optional<int64_t> count = numberInRange(table, "animation", "count");
    if (table.contains("count") && !count) return 0;
    if (count && *count > available) {
        at(*table.get("count"), true,
           "\"count\" is " + std::to_string(*count) + ", but the strip holds " + std::to_string(available) + " frames");
        return 0;
    }
    const int64_t frames = count.value_or(available);
    if (frames > limits::maxFramesPerAnimation) {
        fileProblem(path, true,
                    "holds " + std::to_string(frames) + " frames; an animation has at most " +
                        std::to_string(limits::maxFramesPerAnimation));
        return 0;
    }
    return frames;
}

} // namespace vandrel::kit
