// The recording's text: what is written reads back the same, equal turns fold
// into one line, damaged files are refused with their line, and frame hashes
// depend on the picture only.
#include "replay/ReplayLog.h"
#include "backends/null/NullWindow.h"
#include "replay/FrameHash.h"
#include "replay/MessageNames.h"
#include "replay/ReplayWriter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vandrel {
namespace {

ReplayLog readBack(const std::string& text) {
    std::istringstream in(text);
    ReplayLog log;
    std::string error;
    EXPECT_TRUE(log.read(in, error)) << error;
    return log;
}

std::string refusal(const std::string& text) {
    std::istringstream in(text);
    ReplayLog log;
    std::string error;
    EXPECT_FALSE(log.read(in, error)) << text;
    return error;
}

const char* const head = "vandrel-replay 1\ndata 00000000000000ab\nrand 7\nstart 5000\n";

TEST(ReplayLogTest, WhatIsWrittenReadsBackWithEqualTurnsFolded) {
    std::ostringstream out;
    {
        ReplayWriter w(out);
        w.header(0x1234abcd5678ef00ull, 99, 4294967000u);
        w.store({"highscore", false, std::vector<uint8_t>{'A', ',', ' ', '5', '\n', 0}});
        w.store({"check", true, std::nullopt});
        w.size(800, 600, 2);
        w.message({msg::MouseMove, 1, makePointParam(-3, 479)});
        w.message({msg::KeyDown, vk::Left, 0});
        w.message({0x0401, 7, -9});
        // Three turns 16 ms apart across the clock's wrap, then one of 0 ms.
        w.step(4294967016u);
        w.step(4294967032u);
        w.step(4294967048u);
        w.step(4294967048u);
        w.check({4294967048u, 3, 120, 0, 0xfedcba9876543210ull});
        w.step(200);
        w.end({0, {200, 5, 0, 120, 1}});
        w.finalStore({"check", true, std::vector<uint8_t>{0, 255}});
    }
    const std::string text = out.str();
    EXPECT_NE(text.find("\ns 16x3\ns 0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("m mousemove 1 -3,479\n"), std::string::npos) << text;

    const ReplayLog log = readBack(text);
    EXPECT_EQ(log.dataHash, 0x1234abcd5678ef00ull);
    EXPECT_EQ(log.randState, 99u);
    EXPECT_EQ(log.startTick, 4294967000u);
    ASSERT_EQ(log.storeBefore.size(), 2u);
    EXPECT_EQ(log.storeBefore[0].bytes->size(), 6u);
    EXPECT_FALSE(log.storeBefore[1].bytes.has_value());
    EXPECT_TRUE(log.storeBefore[1].binary);

    ASSERT_EQ(log.events.size(), 8u);
    EXPECT_EQ(log.events[0].kind, ReplayEvent::Kind::Size);
    EXPECT_EQ(log.events[0].width, 800);
    EXPECT_EQ(log.events[0].query, 2u);
    EXPECT_EQ(log.events[1].message.message, msg::MouseMove);
    EXPECT_EQ(pointParamX(log.events[1].message.lParam), -3);
    EXPECT_EQ(pointParamY(log.events[1].message.lParam), 479);
    EXPECT_EQ(log.events[3].message.message, 0x0401u);
    EXPECT_EQ(log.events[3].message.lParam, -9);
    EXPECT_EQ(log.events[4].delta, 16u);
    EXPECT_EQ(log.events[4].count, 3u);
    EXPECT_EQ(log.events[5].delta, 0u);
    EXPECT_EQ(log.events[6].check.frameHash, 0xfedcba9876543210ull);
    EXPECT_EQ(log.events[7].delta, 200u - 4294967048u); // wraps like the clock
    ASSERT_TRUE(log.end.has_value());
    EXPECT_EQ(log.end->check.pending, 120);
    ASSERT_EQ(log.storeAfter.size(), 1u);
    EXPECT_EQ(*log.storeAfter[0].bytes, (std::vector<uint8_t>{0, 255}));
}

TEST(ReplayLogTest, TheScreenModeAskedForIsKeptAndOtherwiseLeftOut) {
    for (bool full : {false, true}) {
        std::ostringstream out;
        {
            ReplayWriter w(out);
            w.header(1, 1, 100);
            w.startMode(full);
            w.step(116);
        }
        EXPECT_EQ(readBack(out.str()).startFullScreen, full) << out.str();
    }
    EXPECT_FALSE(readBack(std::string(head) + "s 16\n").startFullScreen.has_value()) << "the set-up record decides";
    EXPECT_NE(refusal(std::string(head) + "mode maximised\n").find("bad mode line"), std::string::npos);
}

TEST(ReplayLogTest, RoundOptionsAreWrittenWhereTheyDifferAndReadBack) {
    const auto written = [](const PlayOptions& play) {
        std::ostringstream out;
        {
            ReplayWriter w(out);
            w.header(1, 1, 100);
            w.play(play);
            w.store({"highscore", false, std::nullopt});
            w.step(116);
        }
        return out.str();
    };
    // The defaults write nothing: such a recording is as one made before the options.
    EXPECT_EQ(written({}).find("\nplay "), std::string::npos) << written({});
    EXPECT_TRUE(readBack(written({})).play.isDefault());
    for (const PlayOptions& play :
         {PlayOptions{70, 0, false, false}, PlayOptions{100, 300, true, false}, PlayOptions{50, 180, true, true},
          PlayOptions{100, 0, false, false, CursorStyle{200, true, 2}}}) {
        const std::string text = written(play);
        EXPECT_EQ(readBack(text).play, play) << text;
    }
    for (const char* bad :
         {"play speed 0\n", "play speed 101\n", "play length 0\n", "play practice 2\n", "play slowly 1\n",
          "play speed\n", "play crosshair_size 120\n", "play crosshair_colour 4\n"})
        EXPECT_NE(refusal(std::string(head) + bad).find("bad play line"), std::string::npos) << bad;
    // The options decide the table the recording holds: they come before it.
    EXPECT_NE(refusal(std::string(head) + "store check bin -\nplay speed 70\n").find("after the table"),
              std::string::npos);
}

TEST(ReplayLogTest, DamagedRecordingsAreRefusedWithTheirLine) {
    EXPECT_EQ(refusal(""), "line 1: not a recorded game");
    EXPECT_EQ(refusal("PK\x03\x04 zip\n"), "line 1: not a recorded game");
    EXPECT_EQ(refusal("vandrel-replay 2\n"), "line 1: unknown format version");
    EXPECT_EQ(refusal("vandrel-replay 1\nrand 1\nstart 5\n"), "line 3: data, rand or start missing");
    EXPECT_EQ(refusal(std::string(head) + "s 16x0\n"), "line 5: bad step line");
    EXPECT_EQ(refusal(std::string(head) + "s -4\n"), "line 5: bad step line");
    EXPECT_EQ(refusal(std::string(head) + "m flyaway 0 0\n"), "line 5: bad message line");
    EXPECT_EQ(refusal(std::string(head) + "m mousemove 0 3,\n"), "line 5: bad message line");
    EXPECT_EQ(refusal(std::string(head) + "c 1 2 3 4 123\n"), "line 5: bad checkpoint line");
    EXPECT_EQ(refusal(std::string(head) + "store highscore sz 4g\n"), "line 5: bad store line");
    EXPECT_EQ(refusal(std::string(head) + "store highscore sz 414\n"), "line 5: bad store line");
    EXPECT_EQ(refusal(std::string(head) + "size 640 480 0\n"), "line 5: bad size line");
    EXPECT_EQ(refusal(std::string(head) + "size -1 480 1\n"), "line 5: bad size line");
    EXPECT_EQ(refusal(std::string(head) + "s 1\nstore check bin 00\n"), "line 6: stored values after the first turn");
    EXPECT_EQ(refusal(std::string(head) + "end 0 1 2 3 4 0000000000000000\ns 1\n"), "line 6: 's' after the end");
    EXPECT_EQ(refusal(std::string(head) + "teleport 3\n"), "line 5: unknown record 'teleport'");
    // Comments and blank lines are not records.
    const ReplayLog log = readBack(std::string("# made by hand\n\n") + head + "  # note\ns 3x2\n");
    ASSERT_EQ(log.events.size(), 1u);
    EXPECT_EQ(log.events[0].count, 2u);
}

ShownFrame frame(PixelFormat format, int32_t width, int32_t height, const std::vector<uint32_t>& rgb) {
    ShownFrame f;
    f.width = width;
    f.height = height;
    f.format = format;
    const int32_t bpp = format.bytesPerPixel();
    f.pitch = width * bpp + 4; // padding that must not count
    f.bytes.assign(static_cast<size_t>(f.pitch) * height, 0xEE);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = rgb[static_cast<size_t>(y) * width + x];
            uint8_t* p = f.bytes.data() + y * f.pitch + x * bpp;
            if (bpp == 2) {
                const uint32_t v = ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x1F);
                p[0] = static_cast<uint8_t>(v);
                p[1] = static_cast<uint8_t>(v >> 8);
            } else {
                p[0] = static_cast<uint8_t>(c);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c >> 16);
                if (bpp == 4) p[3] = 0x5A; // the unused byte must not count either
            }
        }
    }
    return f;
}

TEST(ReplayLogTest, FrameHashFollowsThePictureNotItsFormat) {
    // Colours a 5-6-5 pixel holds exactly.
    const std::vector<uint32_t> picture{0xF800F8, 0x00FC00, 0x081C20, 0xF8FCF8, 0x000000, 0x802008};
    const uint64_t h32 = frameHash(frame(PixelFormat::xrgb32(), 3, 2, picture));
    EXPECT_EQ(frameHash(frame(PixelFormat::rgb565(), 3, 2, picture)), h32);
    std::vector<uint32_t> changed = picture;
    changed[4] = 0x000008;
    EXPECT_NE(frameHash(frame(PixelFormat::xrgb32(), 3, 2, changed)), h32);
    EXPECT_NE(frameHash(frame(PixelFormat::xrgb32(), 2, 3, picture)), h32) << "the shape counts";
    EXPECT_EQ(frameHash(ShownFrame{}), 0u);
}

TEST(ReplayLogTest, MessageNamesAndNumbersGoBothWays) {
    for (uint32_t m : {msg::MouseMove, msg::LButtonDown, msg::RButtonDown, msg::KeyDown, msg::KeyUp, msg::Char,
                       msg::SysChar, msg::SysKeyDown, msg::Activate, msg::Close, msg::NcMouseMove})
        EXPECT_EQ(messageFromName(messageName(m)), m) << messageName(m);
    EXPECT_EQ(messageName(0x0401), "0x0401");
    EXPECT_EQ(messageFromName("0x0401"), 0x0401u);
    EXPECT_FALSE(messageFromName("0x").has_value());
    EXPECT_FALSE(messageFromName("MouseMove").has_value()) << "names are written in lower case";
}

} // namespace
} // namespace vandrel
