// The seven entries as the build wrote them: block order, records, picture
// sizes and masks, sounds and their declared lengths, read with plain decoders.
#include "DatasetFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace vandrel::test {
namespace {

std::vector<Block> blocksOf(const char* name) {
    std::vector<Block> blocks;
    EXPECT_TRUE(splitBlocks(builtEntry(name), blocks)) << name << ": block lengths do not add up";
    return blocks;
}

// A picture pair's colour and mask, checked for agreement.
struct Picture {
    JpegInfo colour;
    MaskInfo mask; // ok == false when the PG block is empty
};
Picture picture(const Block& jp, const Block& pg) {
    EXPECT_EQ(jp.tag, "JP");
    EXPECT_EQ(pg.tag, "PG");
    Picture p;
    p.colour = decodeJpeg(jp.payload);
    EXPECT_TRUE(p.colour.ok);
    EXPECT_EQ(p.colour.components, 3);
    EXPECT_FALSE(p.colour.progressive) << "the game's decoder expects baseline JPEG";
    if (!pg.payload.empty()) {
        p.mask = decodeMask(pg.payload);
        EXPECT_TRUE(p.mask.ok);
        EXPECT_EQ(p.mask.bitDepth, 1);
        EXPECT_EQ(p.mask.colourType, 0) << "greyscale";
        EXPECT_EQ(p.mask.width, p.colour.width);
        EXPECT_EQ(p.mask.height, p.colour.height);
    }
    return p;
}

size_t transparentCount(const MaskInfo& m) { return size_t(std::count(m.transparent.begin(), m.transparent.end(), 1)); }

TEST(Dataset, AllSevenEntriesExistAndStayUnderFourMegabytes) {
    size_t total = 0;
    for (const char* name : entryNames) {
        EXPECT_FALSE(builtEntry(name).empty()) << name;
        total += builtEntry(name).size();
    }
    EXPECT_LT(total, size_t(4) * 1024 * 1024);
}

TEST(Dataset, BackdropHasFourLayersBackToFrontWithMasksOnAllButTheSky) {
    auto b = blocksOf("back.nb");
    ASSERT_EQ(tagSequence(b), "PI JP PG JP PG JP PG JP PG");
    EXPECT_EQ(b[0].payload.size(), 4u);
    EXPECT_EQ(i32At(b[0].payload, 0), 4);
    const int widths[4] = {1280, 1600, 2240, 3520};
    for (int layer = 0; layer < 4; ++layer) {
        Picture p = picture(b[1 + 2 * size_t(layer)], b[2 + 2 * size_t(layer)]);
        EXPECT_EQ(p.colour.width, widths[layer]);
        EXPECT_EQ(p.colour.height, 480);
        if (layer == 0) {
            EXPECT_TRUE(b[2].payload.empty()) << "the sky is opaque and has no mask";
            continue;
        }
        ASSERT_TRUE(p.mask.ok) << "layer " << layer;
        // Sky shows through at the top, ground is solid at the bottom.
        for (int x = 0; x < p.mask.width; ++x) {
            ASSERT_TRUE(p.mask.at(x, 0)) << "layer " << layer << " x " << x;
            ASSERT_FALSE(p.mask.at(x, 479)) << "layer " << layer << " x " << x;
        }
    }
}

TEST(Dataset, ForegroundSceneryReachesHighEnoughToHideFlyers) {
    auto b = blocksOf("back.nb");
    ASSERT_EQ(b.size(), 9u);
    MaskInfo front = decodeMask(b[8].payload);
    ASSERT_TRUE(front.ok);
    // Count separate stretches of columns with scenery above y = 200, where
    // the flyers pass: the player should meet several across the scroll.
    int stretches = 0;
    bool inside = false;
    for (int x = 0; x < front.width; ++x) {
        bool tall = false;
        for (int y = 0; y < 200 && !tall; ++y) tall = !front.at(x, y);
        if (tall && !inside) ++stretches;
        inside = tall;
    }
    EXPECT_GE(stretches, 4);
    // But most of the sky stays open.
    size_t open = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < front.width; ++x) open += front.at(x, y) ? 1 : 0;
    }
    EXPECT_GT(open, size_t(front.width) * 300 * 8 / 10);
}

struct AnimationRow {
    int32_t id, frames, width, height, duration, hotX, hotY;
};
const AnimationRow animations[8] = {{4, 11, 36, 33, 50, 18, 16},   {5, 11, 36, 33, 50, 18, 16},
                                    {6, 11, 17, 16, 50, 8, 8},     {7, 11, 17, 16, 50, 8, 8},
                                    {29, 8, 93, 113, 350, 46, 56}, {31, 5, 91, 94, 80, 45, 47},
                                    {32, 5, 45, 46, 80, 22, 23},   {33, 5, 22, 22, 80, 11, 11}};

const int32_t types[12][12] = {
    {32, 240, 400, 3, 45, 15, 15, 10, 1, 3, 2, 0}, {32, 240, 400, 3, 45, 15, 15, 10, 1, 3, 3, 1},
    {33, 240, 400, 2, 30, 20, 25, 15, 1, 4, 2, 0}, {33, 240, 400, 2, 30, 20, 25, 15, 1, 4, 3, 1},
    {4, 240, 400, 3, 35, 10, 25, 8, 1, 6, 2, 0},   {5, 240, 400, 3, 35, 10, 25, 8, 1, 6, 3, 0},
    {6, 240, 400, 2, 30, 10, 50, 12, 1, 4, 2, 0},  {7, 240, 400, 2, 30, 10, 50, 12, 1, 4, 3, 0},
    {29, 240, 200, 2, 30, 20, 5, 8, 1, 2, 2, 0},   {29, 240, 200, 2, 30, 20, 5, 8, 1, 2, 3, 0},
    {31, 240, 220, 2, 100, 30, 10, 8, 1, 2, 2, 0}, {31, 240, 220, 2, 100, 30, 10, 8, 1, 2, 3, 1}};

uint32_t info(int32_t duration, int32_t hx, int32_t hy) {
    return uint32_t(duration) | uint32_t(hy) << 12 | uint32_t(hx) << 22;
}

// Reads a frame set at blocks[pos]: FC, TI, then count pictures.
std::vector<Picture> frameSet(const std::vector<Block>& b, size_t& pos, int32_t count, uint32_t word) {
    std::vector<Picture> frames;
    EXPECT_EQ(b[pos].tag, "FC");
    EXPECT_EQ(i32At(b[pos].payload, 0), count);
    EXPECT_EQ(b[pos + 1].tag, "TI");
    EXPECT_EQ(b[pos + 1].payload.size(), size_t(count) * 4);
    for (int32_t i = 0; i < count; ++i)
        EXPECT_EQ(uint32_t(i32At(b[pos + 1].payload, size_t(i) * 4)), word) << "frame " << i;
    pos += 2;
    for (int32_t i = 0; i < count; ++i, pos += 2) frames.push_back(picture(b[pos], b[pos + 1]));
    return frames;
}

TEST(Dataset, FigureEntryCarriesTwelveTypesAndEightAnimations) {
    auto b = blocksOf("figur.xx");
    size_t pos = 0;
    ASSERT_EQ(b[pos].tag, "F1");
    EXPECT_EQ(i32At(b[pos].payload, 0), 12);
    ++pos;
    for (int t = 0; t < 12; ++t) {
        ASSERT_EQ(b[pos].tag, "SD") << "type " << t;
        EXPECT_GT(b[pos].payload.size(), 0u);
        ++pos;
        ASSERT_EQ(b[pos].tag, "EX") << "type " << t;
        ASSERT_EQ(b[pos].payload.size(), 5u);
        EXPECT_EQ(i32At(b[pos].payload, 0), 0);
        EXPECT_EQ(b[pos].payload[4], t == 0 ? 1 : 0);
        ++pos;
        if (t == 0) {
            auto burst = frameSet(b, pos, 4, info(80, 50, 50));
            for (const Picture& p : burst) {
                EXPECT_EQ(p.colour.width, 100);
                EXPECT_EQ(p.colour.height, 100);
                EXPECT_TRUE(p.mask.ok);
            }
        }
        ASSERT_EQ(b[pos].tag, "F3") << "type " << t;
        ASSERT_EQ(b[pos].payload.size(), 45u);
        for (int w = 0; w < 11; ++w)
            EXPECT_EQ(i32At(b[pos].payload, size_t(w) * 4), types[t][w]) << "type " << t << " word " << w;
        EXPECT_EQ(b[pos].payload[44], types[t][11]) << "type " << t;
        ++pos;
    }
    ASSERT_EQ(b[pos].tag, "F4");
    EXPECT_EQ(i32At(b[pos].payload, 0), 8);
    ++pos;
    for (const AnimationRow& a : animations) {
        auto frames = frameSet(b, pos, a.frames, info(a.duration, a.hotX, a.hotY));
        for (const Picture& p : frames) {
            EXPECT_EQ(p.colour.width, a.width) << "animation " << a.id;
            EXPECT_EQ(p.colour.height, a.height) << "animation " << a.id;
            ASSERT_TRUE(p.mask.ok);
            EXPECT_GT(transparentCount(p.mask), 0u);
            EXPECT_LT(transparentCount(p.mask), p.mask.transparent.size()) << "animation " << a.id << " is invisible";
        }
        ASSERT_EQ(b[pos].tag, "F6");
        EXPECT_EQ(i32At(b[pos].payload, 0), a.id);
        ++pos;
    }
    EXPECT_EQ(pos, b.size()) << "nothing after the last animation";
}

// All masks of an animation, in frame order.
std::vector<MaskInfo> animationMasks(int32_t id) {
    auto b = blocksOf("figur.xx");
    std::vector<MaskInfo> out;
    for (size_t i = 0; i + 1 < b.size(); ++i) {
        if (b[i + 1].tag == "F6" && i32At(b[i + 1].payload, 0) == id) {
            // Walk back to this animation's FC block.
            size_t fc = i;
            while (b[fc].tag != "FC") --fc;
            int32_t n = i32At(b[fc].payload, 0);
            for (int32_t k = 0; k < n; ++k) out.push_back(decodeMask(b[fc + 3 + 2 * size_t(k)].payload));
        }
    }
    return out;
}

bool mirrorOf(const MaskInfo& a, const MaskInfo& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) != b.at(a.width - 1 - x, y)) return false;
        }
    }
    return true;
}

TEST(Dataset, LeftwardFlyersAreMirrorImagesOfTheRightwardOnes) {
    for (auto [right, left] : {std::pair{4, 5}, std::pair{6, 7}}) {
        auto r = animationMasks(right), l = animationMasks(left);
        ASSERT_EQ(r.size(), 11u);
        ASSERT_EQ(l.size(), 11u);
        for (size_t i = 0; i < r.size(); ++i)
            EXPECT_TRUE(mirrorOf(r[i], l[i])) << right << "/" << left << " frame " << i;
    }
}

TEST(Dataset, TheBalloonIsSymmetric) {
    for (const MaskInfo& m : animationMasks(29)) {
        size_t differ = 0;
        for (int y = 0; y < m.height; ++y) {
            for (int x = 0; x < m.width; ++x) differ += m.at(x, y) != m.at(m.width - 1 - x, y);
        }
        EXPECT_LT(differ, size_t(m.width * m.height) / 100);
    }
}

TEST(Dataset, EveryAnimationMovesFromFrameToFrame) {
    for (const AnimationRow& a : animations) {
        auto masks = animationMasks(a.id);
        std::set<std::vector<uint8_t>> distinct;
        for (const MaskInfo& m : masks) distinct.insert(m.transparent);
        EXPECT_GE(distinct.size(), size_t(a.id == 29 ? 3 : a.frames / 2 + 1)) << "animation " << a.id;
    }
}

// Cell k of a font sheet: its rectangle must hold ink and nothing may lie
// outside the cells.
void checkSheet(const MaskInfo& m, int originX, int originY, int cellW, int cellH, int gap, int cells, bool topMargin) {
    std::vector<uint8_t> inCell(m.transparent.size(), 0);
    for (int k = 0; k < cells; ++k) {
        int x0 = originX + (k % 13) * (cellW + gap), y0 = originY + (k / 13) * (cellH + gap);
        size_t ink = 0;
        for (int y = y0; y < y0 + cellH; ++y) {
            for (int x = x0; x < x0 + cellW; ++x) {
                inCell[size_t(y) * size_t(m.width) + size_t(x)] = 1;
                ink += m.at(x, y) ? 0 : 1;
            }
        }
        EXPECT_GT(ink, 4u) << "cell " << k << " is empty";
        // The margins of every cell are transparent (the top row, or the
        // bottom row of a sheet whose glyphs keep to the top of their cells),
        // so overlapping glyphs never paint boxes over each other.
        const int margin = topMargin ? y0 : y0 + cellH - 1;
        for (int x = x0; x < x0 + cellW; ++x) {
            EXPECT_TRUE(m.at(x, margin)) << "cell " << k << (topMargin ? " top edge" : " bottom edge");
        }
        for (int y = y0; y < y0 + cellH; ++y) {
            EXPECT_TRUE(m.at(x0, y) && m.at(x0 + cellW - 1, y)) << "cell " << k << " side edges";
        }
    }
    for (size_t i = 0; i < m.transparent.size(); ++i) {
        if (!inCell[i]) {
            ASSERT_TRUE(m.transparent[i]) << "ink outside the cells at pixel " << i;
        }
    }
}

// The lowest row with ink in a cell.
int lowestInk(const MaskInfo& m, int x0, int y0, int cellW, int cellH) {
    for (int y = y0 + cellH - 1; y >= y0; --y) {
        for (int x = x0; x < x0 + cellW; ++x) {
            if (!m.at(x, y)) return y - y0;
        }
    }
    return -1;
}

TEST(Dataset, FontSheetsHaveTheirSizesCellsAndACommonBaseline) {
    auto large = blocksOf("font.nl");
    ASSERT_EQ(tagSequence(large), "JP PG");
    Picture l = picture(large[0], large[1]);
    EXPECT_EQ(l.colour.width, 327);
    EXPECT_EQ(l.colour.height, 236);
    ASSERT_TRUE(l.mask.ok);
    checkSheet(l.mask, 2, 2, 23, 37, 2, 67, true);

    auto small = blocksOf("fonts.nl");
    ASSERT_EQ(tagSequence(small), "JP PG");
    Picture s = picture(small[0], small[1]);
    EXPECT_EQ(s.colour.width, 208);
    EXPECT_EQ(s.colour.height, 130);
    ASSERT_TRUE(s.mask.ok);
    checkSheet(s.mask, 0, 0, 16, 26, 0, 65, false);
    // The closing screen's wave carries the small glyphs down to 20 rows
    // below their line, which starts 30 rows above the screen's foot: only
    // the cells' top ten rows stay on the screen.
    for (int k = 0; k < 65; ++k) {
        EXPECT_LE(lowestInk(s.mask, (k % 13) * 16, (k / 13) * 26, 16, 26), 9) << "small cell " << k;
    }

    // Capitals without descenders (all but J and Q) and the digits stand on one line.
    auto baselines = [](const MaskInfo& m, int ox, int oy, int cw, int ch, int gap) {
        std::set<int> rows;
        for (int k : {0, 1, 4, 7, 12, 13, 17, 19, 25, 52, 53, 56, 60}) {
            rows.insert(lowestInk(m, ox + (k % 13) * (cw + gap), oy + (k / 13) * (ch + gap), cw, ch));
        }
        return rows;
    };
    auto largeRows = baselines(l.mask, 2, 2, 23, 37, 2);
    EXPECT_LE(*largeRows.rbegin() - *largeRows.begin(), 1);
    auto smallRows = baselines(s.mask, 0, 0, 16, 26, 0);
    EXPECT_LE(*smallRows.rbegin() - *smallRows.begin(), 1);
}

TEST(Dataset, CrossHairAndCartridgeHaveTheirSizesAndMasks) {
    auto cur = blocksOf("cur.nl");
    ASSERT_EQ(tagSequence(cur), "JP PG");
    Picture c = picture(cur[0], cur[1]);
    EXPECT_EQ(c.colour.width, 30);
    EXPECT_EQ(c.colour.height, 30);
    ASSERT_TRUE(c.mask.ok);
    EXPECT_FALSE(c.mask.at(15, 15)) << "the centre dot is visible";
    EXPECT_TRUE(c.mask.at(0, 0));
    EXPECT_TRUE(c.mask.at(29, 29));

    auto muni = blocksOf("muni.nl");
    ASSERT_EQ(tagSequence(muni), "JP PG");
    Picture m = picture(muni[0], muni[1]);
    EXPECT_LE(m.colour.width, 24) << "cartridges stand 25 pixels apart";
    EXPECT_LE(m.colour.height, 56);
    ASSERT_TRUE(m.mask.ok);
    EXPECT_GT(transparentCount(m.mask), 0u);
}

TEST(Dataset, StuffHoldsSoundsSetUpAndThreeScreens) {
    auto b = blocksOf("stuff.x");
    ASSERT_EQ(tagSequence(b), "S1 S2 S3 S4 SS ST JP PG SH JP PG SE JP PG");
    const Bytes& ss = b[4].payload;
    ASSERT_EQ(ss.size(), 55u);
    const int32_t words[5] = {640, 480, 2, 0, 10};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(i32At(ss, size_t(i) * 4), words[i]);
    EXPECT_EQ(ss[20], 1);
    EXPECT_EQ(ss[21], 1);
    EXPECT_EQ(ss[22], 1);
    EXPECT_EQ(ss[23], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&ss[24])), "Vandrel");
    for (size_t i = 24 + 7; i < 55; ++i) EXPECT_EQ(ss[i], 0);
    for (size_t marker : {5u, 8u, 11u}) {
        EXPECT_TRUE(b[marker].payload.empty());
        Picture p = picture(b[marker + 1], b[marker + 2]);
        EXPECT_EQ(p.colour.width, 1280);
        EXPECT_EQ(p.colour.height, 480);
        EXPECT_TRUE(b[marker + 2].payload.empty());
    }
}

TEST(Dataset, ClosingScreenKeepsItsBottomCalmForTheCredits) {
    auto b = blocksOf("stuff.x");
    ASSERT_EQ(b.size(), 14u);
    JpegInfo end = decodeJpeg(b[12].payload);
    ASSERT_TRUE(end.ok);
    double sum = 0, sumSq = 0, n = 0;
    for (int y = 440; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint8_t* p = &end.rgb[(size_t(y) * 1280 + size_t(x)) * 3];
            double lum = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2];
            sum += lum;
            sumSq += lum * lum;
            ++n;
        }
    }
    double mean = sum / n, sd = std::sqrt(std::max(0.0, sumSq / n - mean * mean));
    EXPECT_LT(mean, 60.0) << "the light credits line needs a dark ground";
    EXPECT_LT(sd, 8.0) << "and a quiet one";
}

// Every sound block in the data set, with a name for messages.
std::vector<std::pair<std::string, Bytes>> allSounds() {
    std::vector<std::pair<std::string, Bytes>> out;
    auto stuff = blocksOf("stuff.x");
    for (size_t i = 0; i < 4 && i < stuff.size(); ++i) out.push_back({stuff[i].tag, stuff[i].payload});
    int type = 0;
    for (const Block& blk : blocksOf("figur.xx")) {
        if (blk.tag == "SD") out.push_back({"SD of type " + std::to_string(type++), blk.payload});
    }
    return out;
}

int32_t declaredLength(const OggInfo& ogg) {
    int32_t found = -1;
    for (const std::string& c : ogg.comments) {
        if (c.rfind("Length: ", 0) == 0) {
            EXPECT_EQ(c.back(), '\n') << "the length ends with a line feed";
            found = std::atoi(c.c_str() + 8);
        }
    }
    return found;
}

TEST(Dataset, EverySoundIsOneMonoStreamWhoseLengthMatchesItsComment) {
    auto sounds = allSounds();
    ASSERT_EQ(sounds.size(), 16u);
    for (const auto& [name, payload] : sounds) {
        SCOPED_TRACE(name);
        ASSERT_GE(payload.size(), 5u);
        EXPECT_EQ(std::string(payload.begin(), payload.begin() + 4), "OggS");
        EXPECT_EQ(payload[4], 0);
        OggInfo ogg = decodeOgg(payload);
        ASSERT_TRUE(ogg.ok);
        EXPECT_TRUE(ogg.singleStreamEndingWithEos);
        EXPECT_EQ(ogg.channels, 1);
        EXPECT_EQ(ogg.rate, 44100);
        ASSERT_EQ(ogg.comments.size(), 2u);
        EXPECT_NE(ogg.comments[0].find("Vandrel"), std::string::npos) << "the owner line names us";
        int32_t declared = declaredLength(ogg);
        ASSERT_GT(declared, 0);
        double decodedMs = double(ogg.pcm.size()) * 1000.0 / 44100.0;
        EXPECT_NEAR(decodedMs, declared, 1.0);
        if (name == "S4") {
            EXPECT_GE(declared, 120000) << "the music runs at least as long as the shipped round";
        } else {
            EXPECT_LE(declared, 1200) << "effects stay short";
            // Punchy: the loudest moment comes early.
            size_t peak = size_t(std::max_element(ogg.pcm.begin(), ogg.pcm.end(),
                                                  [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); }) -
                                 ogg.pcm.begin());
            EXPECT_LT(peak, size_t(44100 * 0.15));
        }
    }
}

TEST(Dataset, EveryFigureTypeSoundsDifferent) {
    std::set<Bytes> distinct;
    for (const Block& blk : blocksOf("figur.xx")) {
        if (blk.tag == "SD") distinct.insert(blk.payload);
    }
    EXPECT_EQ(distinct.size(), 12u);
}

TEST(Dataset, MusicRunsFromItsLastSampleIntoItsFirstWithoutAJump) {
    auto stuff = blocksOf("stuff.x");
    OggInfo music = decodeOgg(stuff[3].payload);
    ASSERT_TRUE(music.ok);
    const std::vector<int16_t>& s = music.pcm;
    ASSERT_GT(s.size(), 44100u);
    std::vector<int> steps;
    for (size_t i = 1; i < s.size(); ++i) steps.push_back(std::abs(int(s[i]) - int(s[i - 1])));
    std::sort(steps.begin(), steps.end());
    int usual = steps[steps.size() * 999 / 1000];
    EXPECT_LE(std::abs(int(s.back()) - int(s.front())), usual);
    // Equally loud on both sides of the loop point: no fade-out, no silent start.
    auto rms = [&](size_t from, size_t n) {
        double acc = 0;
        for (size_t i = from; i < from + n; ++i) acc += double(s[i]) * s[i];
        return std::sqrt(acc / double(n));
    };
    double head = rms(0, 4410), tail = rms(s.size() - 4410, 4410);
    EXPECT_GT(head, 500.0);
    EXPECT_GT(tail, 500.0);
    EXPECT_LT(std::max(head, tail) / std::min(head, tail), 3.0);
}

TEST(Dataset, MusicHasAFormTheEarCanFollow) {
    auto stuff = blocksOf("stuff.x");
    OggInfo music = decodeOgg(stuff[3].payload);
    ASSERT_TRUE(music.ok);
    const std::vector<int16_t>& s = music.pcm;
    ASSERT_GE(s.size(), size_t(44100 * 128));
    auto rms = [&](double fromS, double toS) {
        double acc = 0;
        for (size_t i = size_t(fromS * 44100); i < size_t(toS * 44100); ++i) acc += double(s[i]) * s[i];
        return std::sqrt(acc / ((toS - fromS) * 44100));
    };
    // Two seconds a bar: intro 0-8 s, theme 8-40, song 40-72, bridge 72-88,
    // theme again 88-120, outro 120-128. The band comes in after the intro,
    // thins out for the bridge and is back in full for the theme's return.
    const double intro = rms(0, 8), theme = rms(8, 40), song = rms(40, 72), bridge = rms(72, 88), again = rms(88, 120),
                 outro = rms(120, 128);
    EXPECT_GT(theme, intro * 1.3);
    EXPECT_GT(song, bridge * 1.15);
    EXPECT_GT(again, bridge * 1.3);
    EXPECT_GT(again, outro * 1.3);
    EXPECT_GT(bridge, 500.0) << "the bridge is quieter, not silent";
}

} // namespace
} // namespace vandrel::test
