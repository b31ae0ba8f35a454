// The generator's own tools: plucked strings that stay in tune, pictures that
// never put an opaque pixel on the transparent key grey, masks that keep white
// for transparent, and sounds that decode to exactly the samples encoded.
#include "DatasetFiles.h"

#include "Canvas.h"
#include "Encoders.h"
#include "Synth.h"
#include "VorbisEncoder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandrel::test {
namespace {

using namespace vandrel::assetgen;

// The strongest period of a signal by autocorrelation, refined between lags.
double measuredHz(const Samples& s, double expectHz) {
    size_t from = 2000; // past the attack
    size_t n = 8192;
    double bestLag = 0, best = -1e30;
    int lo = int(44100.0 / expectHz * 0.9), hi = int(44100.0 / expectHz * 1.1) + 1;
    std::vector<double> corr(size_t(hi) + 2, 0.0);
    for (int lag = lo - 1; lag <= hi + 1; ++lag) {
        double acc = 0;
        for (size_t i = from; i < from + n; ++i) acc += double(s[i]) * s[i + size_t(lag)];
        corr[size_t(lag)] = acc;
    }
    for (int lag = lo; lag <= hi; ++lag) {
        if (corr[size_t(lag)] > best) {
            best = corr[size_t(lag)];
            bestLag = lag;
        }
    }
    // Parabolic refinement.
    int l = int(bestLag);
    double a = corr[size_t(l) - 1], b = corr[size_t(l)], c = corr[size_t(l) + 1];
    double shift = 0.5 * (a - c) / (a - 2 * b + c);
    return 44100.0 / (bestLag + shift);
}

TEST(AssetgenSynth, PluckedStringsAreInTuneHighAndLow) {
    for (float note : {40.0f, 57.0f, 69.0f, 81.0f, 86.0f}) {
        float hz = midiToHz(note);
        Samples s = pluck(hz, 0.6f, 0.5f, 0.996f, 7);
        double cents = 1200.0 * std::log2(measuredHz(s, hz) / hz);
        EXPECT_LT(std::fabs(cents), 5.0) << "note " << note;
    }
}

TEST(AssetgenSynth, WrappingMixCarriesTailsRoundToTheStart) {
    Samples loop(100, 0.0f);
    mixInto(loop, Samples(30, 1.0f), 90, 0.5f, true);
    EXPECT_FLOAT_EQ(loop[95], 0.5f);
    EXPECT_FLOAT_EQ(loop[0], 0.5f);
    EXPECT_FLOAT_EQ(loop[19], 0.5f);
    EXPECT_FLOAT_EQ(loop[20], 0.0f);
    EXPECT_EQ(loop.size(), 100u);
    Samples grow(10, 0.0f);
    mixInto(grow, Samples(5, 1.0f), 8, 1.0f, false);
    EXPECT_EQ(grow.size(), 13u);
}

TEST(AssetgenPictures, OpaqueKeyGreyIsNudgedAndMasksAreWhiteWhereTransparent) {
    Canvas c(4, 2);
    c.set(0, 0, rgb(180, 180, 180));       // opaque, on the key grey
    c.set(1, 0, rgb(10, 200, 30));         // opaque
    c.set(2, 0, rgb(180, 180, 180), 0.2f); // transparent
    Bytes rgbRows = c.rgb8();
    EXPECT_FALSE(rgbRows[0] == 180 && rgbRows[1] == 180 && rgbRows[2] == 180);
    // Transparent pixels borrow a neighbour's colour for the JPEG.
    EXPECT_EQ(rgbRows[3 * 3 + 1], 200);

    PicturePair pair = encodePicture(c, true, 90);
    MaskInfo mask = decodeMask(pair.mask);
    ASSERT_TRUE(mask.ok);
    EXPECT_EQ(mask.bitDepth, 1);
    EXPECT_FALSE(mask.at(0, 0));
    EXPECT_FALSE(mask.at(1, 0));
    EXPECT_TRUE(mask.at(2, 0));
    EXPECT_TRUE(mask.at(3, 1));
    JpegInfo colour = decodeJpeg(pair.jpeg);
    ASSERT_TRUE(colour.ok);
    EXPECT_EQ(colour.width, 4);
    EXPECT_FALSE(colour.progressive);
    EXPECT_TRUE(encodePicture(c, false, 90).mask.empty());
}

TEST(AssetgenPictures, ReductionAveragesCoverageAndMirroringFlipsRows) {
    Canvas big(4, 4);
    big.fillRect(0, 0, 2, 4, rgb(255, 0, 0));
    Canvas small = big.downsample(2);
    ASSERT_EQ(small.width(), 2);
    EXPECT_FLOAT_EQ(small.alpha(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(small.alpha(1, 0), 0.0f);
    EXPECT_FLOAT_EQ(small.colour(0, 1).r, 1.0f);
    Canvas flipped = small.mirrored();
    EXPECT_FLOAT_EQ(flipped.alpha(1, 0), 1.0f);
    EXPECT_FLOAT_EQ(flipped.alpha(0, 0), 0.0f);
}

TEST(AssetgenSounds, EncodedStreamsDecodeToExactlyTheirSamplesAndDeclareThem) {
    for (size_t n : {size_t(441), size_t(4410), size_t(44100 + 17)}) {
        Samples s(n);
        for (size_t i = 0; i < n; ++i) s[i] = 0.5f * std::sin(float(i) * 0.05f);
        OggInfo ogg = decodeOgg(encodeVorbis(s, 42, 0.4f));
        ASSERT_TRUE(ogg.ok);
        EXPECT_EQ(ogg.pcm.size(), n);
        EXPECT_TRUE(ogg.singleStreamEndingWithEos);
        ASSERT_EQ(ogg.comments.size(), 2u);
        EXPECT_EQ(ogg.comments[1], "Length: " + std::to_string(lengthMs(n)) + "\n");
    }
    EXPECT_EQ(lengthMs(44100), 1000);
    EXPECT_EQ(lengthMs(22), 0);
    EXPECT_EQ(lengthMs(23), 1);
}

} // namespace
} // namespace vandrel::test
