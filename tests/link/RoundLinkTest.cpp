// A round written into a link reads back byte for byte, through the whole link,
// its fragment or the bare payload; every kind of damaged link is refused with
// its own message and nothing is handed on.
#include "link/RoundLink.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

namespace vandrel {
namespace {

std::string recordedRound() {
    std::ifstream in(VANDREL_SOURCE_DIR "/tests/replay/round.vrec", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A zlib stream of bytes, as a link of someone else's making would carry.
std::string deflated(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                        static_cast<uLong>(bytes.size()), 9),
              Z_OK);
    out.resize(size);
    return out;
}

// Refused, with a message holding what, and nothing handed on.
void expectRefused(std::string_view text, std::string_view what) {
    std::string recording = "left over", error;
    EXPECT_FALSE(roundLink::decode(text, recording, error)) << what;
    EXPECT_TRUE(recording.empty());
    EXPECT_NE(error.find(what), std::string::npos) << error;
}

TEST(RoundLink, ARoundComesBackByteForByteInEveryForm) {
    const std::string round = recordedRound();
    ASSERT_GT(round.size(), 10000u);
    const std::string link = roundLink::link("https://example.org/play/#old", round);
    ASSERT_EQ(link.rfind("https://example.org/play/#round=", 0), 0u) << "an old fragment gives way";
    const std::string payload = roundLink::encode(round);
    EXPECT_EQ(link.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_", 32),
              std::string::npos);
    // A two-minute round (20 KiB of recording) packs to a few kilobytes.
    EXPECT_LT(payload.size(), 8000u);
    for (const std::string& text : {link, "#round=" + payload, "round=" + payload, payload, link + "\r\n"}) {
        std::string back, error;
        ASSERT_TRUE(roundLink::decode(text, back, error)) << error;
        EXPECT_EQ(back, round);
    }
}

TEST(RoundLink, Base64UrlRoundTripsEveryLengthAndRefusesStrayBits) {
    std::string bytes;
    for (int n = 0; n < 70; ++n) {
        std::string back;
        ASSERT_TRUE(roundLink::fromBase64Url(roundLink::toBase64Url(bytes), back));
        EXPECT_EQ(back, bytes);
        bytes += static_cast<char>(n * 37 + 250);
    }
    std::string out;
    EXPECT_TRUE(roundLink::fromBase64Url("QQ", out));
    EXPECT_EQ(out, "A");
    EXPECT_FALSE(roundLink::fromBase64Url("QR", out)) << "bits past the last byte";
    EXPECT_FALSE(roundLink::fromBase64Url("QUJDR", out)) << "a length no encoding has";
    EXPECT_FALSE(roundLink::fromBase64Url("QU+D", out)) << "the other base64's alphabet";
}

TEST(RoundLink, DamagedLinksAreRefusedEachWithItsReason) {
    const std::string payload = roundLink::encode(recordedRound());
    expectRefused("https://example.org/#round=", "no round");
    expectRefused(payload.substr(0, payload.size() / 2), "cut short");
    expectRefused(payload.substr(0, payload.size() - 1), "");
    // One character changed in the middle: deflate or its check sum notices.
    std::string edited = payload;
    edited[edited.size() / 2] = edited[edited.size() / 2] == 'A' ? 'B' : 'A';
    expectRefused(edited, "changed");
    expectRefused(payload.substr(0, 40) + "!" + payload.substr(41), "characters");
    expectRefused(payload + roundLink::toBase64Url("more"), "");
    expectRefused(std::string(roundLink::maxPayloadChars + 1, 'A'), "too long");
}

TEST(RoundLink, RefusesWhatIsNoRoundOfThisVersionAndWhatInflatesTooFar) {
    expectRefused(roundLink::toBase64Url(deflated("<html>hello</html>\n")), "does not hold a recorded round");
    expectRefused(roundLink::toBase64Url(deflated("vandrel-replay 2\ndata 0\n")), "another version");
    expectRefused(roundLink::toBase64Url(deflated("vandrel-replay 10\n")), "another version");
    // A few kilobytes that unpack to more than a round may be: stopped at the limit.
    std::string bomb = "vandrel-replay 1\n";
    bomb.resize(roundLink::maxRecordingBytes + 1, '#');
    const std::string payload = roundLink::toBase64Url(deflated(bomb));
    EXPECT_LT(payload.size(), 8000u);
    expectRefused(payload, "larger than 1 MiB");
    // Exactly at the limit is still a round.
    bomb.resize(roundLink::maxRecordingBytes);
    std::string back, error;
    EXPECT_TRUE(roundLink::decode(roundLink::encode(bomb), back, error)) << error;
    EXPECT_EQ(back.size(), roundLink::maxRecordingBytes);
}

} // namespace
} // namespace vandrel
