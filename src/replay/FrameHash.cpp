// The fingerprints recordings are checked with: of each shown frame, and of the
// data set appended to the game.
#include "replay/FrameHash.h"

#include "data/DataSet.h"
#include "base/Fnv1a.h"
#include "base/LoadError.h"
#include "backends/null/NullWindow.h"

#include <array>
#include <cstdio>

namespace vandrel {

uint64_t frameHash(const ShownFrame& frame) {
    if (frame.empty()) return 0;
    Fnv1a h;
    h.addLittle32(static_cast<uint32_t>(frame.width));
    h.addLittle32(static_cast<uint32_t>(frame.height));
    for (int32_t y = 0; y < frame.height; ++y) {
        for (int32_t x = 0; x < frame.width; ++x) {
            const uint32_t rgb = frame.rgbAt(x, y);
            h.add(static_cast<uint8_t>(rgb >> 16));
            h.add(static_cast<uint8_t>(rgb >> 8));
            h.add(static_cast<uint8_t>(rgb));
        }
    }
    return h.value();
}

uint64_t archiveHash(const std::string& exePath) try {
    DataSet data(exePath);
    std::FILE* f = data.file();
    if (std::fseek(f, data.archiveStart(), SEEK_SET) != 0) return 0;
    // From the zip's first entry on: whatever the linker left between the
    // program's image and the archive differs from build to build.
    static constexpr uint8_t entryMark[4] = {'P', 'K', 3, 4};
    Fnv1a h;
    std::array<uint8_t, 65536> buf;
    size_t n = 0, matched = 0;
    bool inZip = false;
    while (f && (n = std::fread(buf.data(), 1, buf.size(), f)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            if (!inZip) {
                matched = buf[i] == entryMark[matched] ? matched + 1 : (buf[i] == entryMark[0] ? 1 : 0);
                if (matched < 4) continue;
                inZip = true;
                h.add(entryMark, sizeof entryMark);
                continue;
            }
            h.add(buf[i]);
        }
    }
    return inZip ? h.value() : 0;
} catch (const LoadError&) {
    return 0;
}

} // namespace vandrel
