// icongen's command line and the review sheet.
#include "IconGen.h"

#include "Encoders.h"
#include "IcoFile.h"
#include "gfx/GameIcon.h"

#include <algorithm>
#include <filesystem>

namespace vandrel::icongen {
namespace {

constexpr const char* usage = "usage: icongen OUTDIR [--name NAME] [--sheet FILE]\n";

// Every PNG size in a row, once on a light and once on a dark ground, so edges
// that only look right against one of them show up.
Bytes reviewSheet() {
    const int pad = 8;
    int width = pad;
    for (int s : pngIconSizes) width += s + pad;
    const int band = 256 + 2 * pad;
    const int height = 2 * band;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        uint8_t ground = y < band ? 235 : 40;
        std::fill_n(rgb.begin() + static_cast<ptrdiff_t>(y) * width * 3, width * 3, ground);
    }
    int left = pad;
    for (int s : pngIconSizes) {
        std::vector<uint8_t> icon = drawGameIcon(s);
        for (int b = 0; b < 2; ++b) {
            int top = b * band + pad;
            for (int y = 0; y < s; ++y) {
                for (int x = 0; x < s; ++x) {
                    const uint8_t* p = &icon[(static_cast<size_t>(y) * s + x) * 4];
                    uint8_t* q = &rgb[(static_cast<size_t>(top + y) * width + left + x) * 3];
                    for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>((p[c] * p[3] + q[c] * (255 - p[3])) / 255);
                }
            }
        }
        left += s + pad;
    }
    return assetgen::encodePngRgb(rgb.data(), width, height);
}

bool write(const std::filesystem::path& path, const Bytes& bytes, std::ostream& err) {
    if (assetgen::writeFile(path.string(), bytes)) return true;
    err << "icongen: cannot write " << path.string() << "\n";
    return false;
}

} // namespace

int runIcongen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string outDir, name = "vandrel", sheet;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--name" || a == "--sheet") && i + 1 < args.size()) {
            (a == "--name" ? name : sheet) = args[++i];
        } else if (!a.empty() && a[0] != '-' && outDir.empty()) {
            outDir = a;
        } else {
            err << usage;
            return 2;
        }
    }
    if (outDir.empty() || name.empty() || name.find('/') != std::string::npos) {
        err << usage;
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    const std::filesystem::path dir(outDir);

    std::vector<int> pngSizes = pngIconSizes;
    pngSizes.insert(pngSizes.end(), webAppSizes.begin(), webAppSizes.end());
    for (int s : pngSizes) {
        std::vector<uint8_t> rgba = drawGameIcon(s);
        if (!write(dir / (name + "-" + std::to_string(s) + ".png"), assetgen::encodePngRgba(rgba.data(), s, s), err))
            return 1;
    }
    std::vector<IcoImage> images;
    for (int s : icoSizes) images.push_back({s, drawGameIcon(s)});
    if (!write(dir / (name + ".ico"), encodeIco(images), err)) return 1;
    if (!sheet.empty() && !write(sheet, reviewSheet(), err)) return 1;
    out << "icongen: " << pngSizes.size() << " PNG files and " << name << ".ico in " << outDir << "\n";
    return 0;
}

} // namespace vandrel::icongen
