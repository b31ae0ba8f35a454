// Pictures for people: transparency is shown as a checkerboard, small things
// are enlarged, and the mock-up draws in the game's order (a layer, then the
// figures that live on it) with the HUD at the game's positions.
#include "Preview.h"

#include "Encoders.h"
#include "Glyphs.h"
#include "Screens.h"
#include "gfx/FontCells.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace vandrel::assetgen {

namespace {
// The picture as the game sees it: 1-bit transparency over a checkerboard.
Canvas flatten(const Canvas& c, int zoom, Rgb a = rgb(60, 60, 70), Rgb b = rgb(90, 90, 100)) {
    Canvas out(c.width() * zoom, c.height() * zoom, a);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            int sx = x / zoom, sy = y / zoom;
            bool opaque = c.alpha(sx, sy) >= 0.5f;
            Rgb bg = (((x / 8) + (y / 8)) % 2) ? a : b;
            out.set(x, y, opaque ? c.colour(sx, sy) : bg);
        }
    }
    return out;
}

Canvas shrink(const Canvas& c, int factor) {
    Canvas flat = flatten(c, 1);
    return flat.downsample(factor);
}

bool savePng(const Canvas& c, const std::string& path) {
    Canvas flat = flatten(c, 1);
    Bytes rgb = flat.rgb8(0.0f);
    return writeFile(path, encodePngRgb(rgb.data(), c.width(), c.height()));
}

// Lays tiles out in rows no wider than maxWidth, with a margin.
Canvas sheet(const std::vector<Canvas>& tiles, int maxWidth) {
    const int margin = 6;
    int x = margin, y = margin, rowH = 0, width = 0;
    std::vector<std::pair<int, int>> pos;
    for (const Canvas& t : tiles) {
        if (x + t.width() + margin > maxWidth && x > margin) {
            x = margin;
            y += rowH + margin;
            rowH = 0;
        }
        pos.push_back({x, y});
        x += t.width() + margin;
        rowH = std::max(rowH, t.height());
        width = std::max(width, x);
    }
    Canvas out(width, y + rowH + margin, rgb(24, 24, 30));
    for (size_t i = 0; i < tiles.size(); ++i) out.draw(tiles[i], pos[i].first, pos[i].second);
    return out;
}

struct FontLayout {
    const Canvas* sheet;
    int originX, originY, cellW, cellH, gap, advance, spaceAdvance;
};

void blitKeyed(Canvas& dst, const Canvas& src, int sx, int sy, int w, int h, int dx, int dy) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int px = sx + x, py = sy + y;
            if (px >= src.width() || py >= src.height()) continue;
            if (src.alpha(px, py) >= 0.5f) dst.set(dx + x, dy + y, src.colour(px, py));
        }
    }
}

void text(Canvas& dst, const FontLayout& f, int x, int y, const std::string& s) {
    for (char ch : s) {
        int k = fontCells::cellOf(ch);
        if (k < 0) {
            x += f.spaceAdvance;
            continue;
        }
        int cx = f.originX + (k % fontCells::perRow) * (f.cellW + f.gap);
        int cy = f.originY + (k / fontCells::perRow) * (f.cellH + f.gap);
        blitKeyed(dst, *f.sheet, cx, cy, f.cellW, f.cellH, x, y);
        x += f.advance;
    }
}

void sprite(Canvas& dst, const Canvas& frame, int cx, int cy) {
    blitKeyed(dst, frame, 0, 0, frame.width(), frame.height(), cx - frame.width() / 2, cy - frame.height() / 2);
}

const Animation& anim(const Art& art, int32_t id) {
    for (const Animation& a : art.animations) {
        if (a.id == id) return a;
    }
    return art.animations.front();
}
} // namespace

Canvas mockupFrame(const Art& art, int scroll) {
    Canvas frame(640, 480, rgb(0, 0, 0));
    int widest = 0;
    for (const Canvas& l : art.layers) widest = std::max(widest, l.width());
    constexpr fontCells::CellLayout lc = fontCells::largeFont;
    constexpr fontCells::CellLayout sc = fontCells::smallFont;
    FontLayout large{&art.largeFont, lc.origin, lc.origin, lc.cellWidth, lc.cellHeight, lc.gap, 18, 10};
    FontLayout small{&art.smallFont, sc.origin, sc.origin, sc.cellWidth, sc.cellHeight, sc.gap, 12, 5};
    for (size_t i = 0; i < art.layers.size(); ++i) {
        const Canvas& l = art.layers[i];
        float f = float(l.width() - 640) / float(widest - 640);
        int offset = int(float(scroll) * f);
        blitKeyed(frame, l, offset, 0, 640, 480, 0, 0);
        if (i == 2) {
            sprite(frame, anim(art, 29).frames[1], 120, 190);
            sprite(frame, anim(art, 31).frames[2], 470, 150);
            sprite(frame, anim(art, 6).frames[4], 300, 120);
            sprite(frame, anim(art, 7).frames[8], 560, 260);
            sprite(frame, anim(art, 33).frames[1], 380, 330);
        }
        if (i == 3) {
            sprite(frame, anim(art, 4).frames[2], 250, 250);
            sprite(frame, anim(art, 5).frames[7], 520, 330);
            sprite(frame, anim(art, 32).frames[0], 400, 90);
            sprite(frame, art.starBurst.frames[1], 180, 360);
            text(frame, large, 170, 330, "25");
        }
    }
    text(frame, small, 3, 6, "TIME:");
    text(frame, large, 65, 2, "1:37");
    text(frame, small, 640 - 200, 6, "SCORE:");
    text(frame, large, 640 - 120, 2, "000175");
    for (int i = 0; i < 7; ++i)
        blitKeyed(frame, art.cartridge, 0, 0, art.cartridge.width(), art.cartridge.height(), 640 - 25 * i - 45,
                  480 - 60);
    sprite(frame, art.cursor, 260, 250);
    return frame;
}

bool writePreview(const Art& art, const std::string& dir) {
    bool ok = true;
    auto save = [&](const Canvas& c, const std::string& name) { ok = savePng(c, dir + "/" + name) && ok; };
    char name[64];

    std::vector<Canvas> backTiles;
    for (size_t i = 0; i < art.layers.size(); ++i) {
        std::snprintf(name, sizeof name, "back_layer%zu.png", i);
        save(art.layers[i], name);
        backTiles.push_back(shrink(art.layers[i], 2));
    }
    save(sheet(backTiles, 1800), "sheet_back.nb.png");

    std::vector<Canvas> figureTiles;
    auto addSet = [&](const Animation& a, const char* label) {
        for (size_t i = 0; i < a.frames.size(); ++i) {
            std::snprintf(name, sizeof name, "figur_%s_%02zu.png", label, i);
            save(a.frames[i], name);
            int zoom = a.frames[i].width() < 40 ? 4 : 2;
            figureTiles.push_back(flatten(a.frames[i], zoom));
        }
    };
    addSet(art.starBurst, "effect");
    for (const Animation& a : art.animations) addSet(a, ("anim" + std::to_string(a.id)).c_str());
    save(sheet(figureTiles, 1400), "sheet_figur.xx.png");

    save(art.cursor, "cur.png");
    save(flatten(art.cursor, 6), "sheet_cur.nl.png");
    save(art.cartridge, "muni.png");
    save(flatten(art.cartridge, 6), "sheet_muni.nl.png");
    save(art.largeFont, "font.png");
    save(flatten(art.largeFont, 3), "sheet_font.nl.png");
    save(art.smallFont, "fonts.png");
    save(flatten(art.smallFont, 4), "sheet_fonts.nl.png");

    save(art.title, "stuff_title.png");
    save(art.highscores, "stuff_highscores.png");
    save(art.closing, "stuff_closing.png");
    save(sheet({shrink(art.title, 2), shrink(art.highscores, 2), shrink(art.closing, 2)}, 700), "sheet_stuff.x.png");

    save(mockupFrame(art, 900), "mockup.png");
    save(mockupFrame(art, 2400), "mockup_scrolled.png");
    return ok;
}

namespace {
Bytes wav(const Samples& s) {
    Bytes out;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    auto u16 = [&](uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    uint32_t data = uint32_t(s.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    u32(36 + data);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    u32(16);
    u16(1);
    u16(1);
    u32(44100);
    u32(88200);
    u16(2);
    u16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    u32(data);
    for (float v : s) u16(uint16_t(int16_t(std::clamp(v, -1.0f, 1.0f) * 32767.0f)));
    return out;
}
} // namespace

bool writeSoundPreview(const SoundSet& sounds, const std::string& dir) {
    bool ok = true;
    auto save = [&](const Samples& s, const std::string& name) { ok = writeFile(dir + "/" + name, wav(s)) && ok; };
    save(sounds.miss, "sound_S1_miss.wav");
    save(sounds.empty, "sound_S2_empty.wav");
    save(sounds.reload, "sound_S3_reload.wav");
    save(sounds.music, "sound_S4_music.wav");
    for (size_t i = 0; i < sounds.hits.size(); ++i) save(sounds.hits[i], "sound_SD_type" + std::to_string(i) + ".wav");
    // Loop point: the end of the music, a marker, then its beginning.
    const Samples& m = sounds.music;
    const size_t half = 22050;
    Canvas plot(1000, 200, rgb(20, 20, 28));
    for (int x = 0; x < 1000; ++x) {
        size_t from = size_t(x) * 2 * half / 1000, to = size_t(x + 1) * 2 * half / 1000;
        float lo = 0, hi = 0;
        for (size_t i = from; i < to; ++i) {
            float v = i < half ? m[m.size() - half + i] : m[i - half];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        plot.fillRect(float(x), 100 - hi * 95, float(x + 1), 101 - lo * 95,
                      x < 500 ? rgb(120, 200, 255) : rgb(255, 190, 110));
    }
    plot.fillRect(499.5f, 0, 500.5f, 200, rgb(255, 255, 255), 0.6f);
    ok = savePng(plot, dir + "/sound_S4_loop_point.png") && ok;
    return ok;
}

} // namespace vandrel::assetgen
