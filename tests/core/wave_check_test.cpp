#include "core/wave_check.h"

#include "core/synth.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orvik {
namespace {

void Put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
void Put16(std::vector<uint8_t>& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A canonical image of `frames` frames whose frame i holds i in both channels.
std::vector<uint8_t> Image(std::size_t frames) {
    std::vector<uint8_t> b(44 + 4 * frames);
    const std::string ids = "RIFF....WAVEfmt ";
    std::copy(ids.begin(), ids.end(), b.begin());
    Put32(b, 4, static_cast<uint32_t>(b.size() - 8));
    Put32(b, 16, 16);
    Put16(b, 20, 1);
    Put16(b, 22, 2);
    Put32(b, 24, 44100);
    Put32(b, 28, 176400);
    Put16(b, 32, 4);
    Put16(b, 34, 16);
    std::copy_n("data", 4, b.begin() + 36);
    Put32(b, 40, static_cast<uint32_t>(4 * frames));
    for (std::size_t i = 0; i < frames; ++i) {
        Put16(b, 44 + 4 * i, static_cast<uint16_t>(i));
        Put16(b, 46 + 4 * i, static_cast<uint16_t>(i));
    }
    return b;
}

TEST(WaveFrameData, AcceptsOrviksImagesAndReturnsTheirFrames) {
    for (std::size_t frames : {0u, 1u, 441u, 44100u}) {
        const auto image = Image(frames);
        const auto data = WaveFrameData(image);
        ASSERT_TRUE(data.has_value()) << frames;
        EXPECT_EQ(data->data(), image.data() + 44);
        EXPECT_EQ(data->size(), 4 * frames);
    }
}

// Every tone the synthesiser builds must pass, or the output would drop it
// silently.
TEST(WaveFrameData, AcceptsEveryToneImage) {
    Partials f;
    f.fill(440);
    for (uint32_t units : {0u, 1u, 100u}) {
        const auto image = MakeToneImage(units, f);
        const auto data = WaveFrameData(image);
        ASSERT_TRUE(data.has_value()) << units;
        EXPECT_EQ(data->size(), units * 1764u);
    }
}

TEST(WaveFrameData, RejectsEveryOtherFormatAndInconsistentSizes) {
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
    };
    const std::vector<Case> cases{
        {"RIFF id", [](auto& b) { b[0] = 'X'; }},
        {"RiffSize one short", [](auto& b) { Put32(b, 4, static_cast<uint32_t>(b.size() - 9)); }},
        {"WAVE id", [](auto& b) { b[11] = 'e'; }},
        {"fmt id without blank", [](auto& b) { b[15] = 0; }},
        {"FmtSize 18", [](auto& b) { Put32(b, 16, 18); }},
        {"FormatTag 3 (float)", [](auto& b) { Put16(b, 20, 3); }},
        {"one channel", [](auto& b) { Put16(b, 22, 1); }},
        {"48000 Hz", [](auto& b) { Put32(b, 24, 48000); }},
        {"ByteRate", [](auto& b) { Put32(b, 28, 176401); }},
        {"BlockAlign", [](auto& b) { Put16(b, 32, 2); }},
        {"8 bits", [](auto& b) { Put16(b, 34, 8); }},
        {"data id", [](auto& b) { b[36] = 'D'; }},
        {"DataSize one frame more than present", [](auto& b) { Put32(b, 40, static_cast<uint32_t>(b.size() - 40)); }},
        {"truncated by one frame, header unchanged", [](auto& b) { b.resize(b.size() - 4); }},
        {"extra frame after the data", [](auto& b) { b.insert(b.end(), 4, 0); }},
        {"half a frame, sizes consistent",
         [](auto& b) {
             b.resize(b.size() + 2);
             Put32(b, 4, static_cast<uint32_t>(b.size() - 8));
             Put32(b, 40, static_cast<uint32_t>(b.size() - 44));
         }},
        {"header cut short", [](auto& b) { b.resize(43); }},
        {"empty", [](auto& b) { b.clear(); }},
    };
    for (const auto& c : cases) {
        auto image = Image(441);
        c.spoil(image);
        EXPECT_FALSE(WaveFrameData(image).has_value()) << c.what;
    }
}

// The nearest integer to sample × level / 65535 by exact integer comparison,
// failing the test if the quotient were ever exactly halfway.
int64_t Nearest(int64_t sample, int64_t level) {
    const int64_t product = sample * level;
    int64_t lower = product / 65535;
    if (lower * 65535 > product) --lower;  // floor for negative products
    const int64_t below = product - lower * 65535, above = (lower + 1) * 65535 - product;
    EXPECT_NE(below, above) << sample << " x " << level;
    return below < above ? lower : lower + 1;
}

TEST(ScaleSample, IsTheNearestIntegerForEverySampleAtTypicalLevels) {
    for (int64_t level : {0, 1, 2, 655, 6554, 21627, 32767, 32768, 32769, 49152, 64881, 65534, 65535}) {
        int mismatches = 0;
        for (int64_t s = -32768; s <= 32767; ++s) {
            if (ScaleSample(static_cast<int16_t>(s), static_cast<uint16_t>(level)) != Nearest(s, level)) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0) << "level " << level;
    }
}

TEST(ScaleSample, KnownValuesAndBounds) {
    EXPECT_EQ(ScaleSample(-32768, 65535), -32768);
    EXPECT_EQ(ScaleSample(32767, 65535), 32767);
    EXPECT_EQ(ScaleSample(-32768, 0), 0);
    EXPECT_EQ(ScaleSample(32000, 32768), 16000);   // 16000.24
    EXPECT_EQ(ScaleSample(-32768, 32768), -16384);  // -16384.25
    EXPECT_EQ(ScaleSample(1, 32768), 1);            // 0.500008, just above half
    EXPECT_EQ(ScaleSample(-1, 32768), -1);
    EXPECT_EQ(ScaleSample(1, 32767), 0);  // 0.499992, just below half
    EXPECT_EQ(ScaleSample(-1, 32767), 0);
}

TEST(ScaleFrames, ScalesEachChannelByItsOwnLevel) {
    std::vector<uint8_t> frames(8);
    Put16(frames, 0, static_cast<uint16_t>(int16_t{32000}));
    Put16(frames, 2, static_cast<uint16_t>(int16_t{32000}));
    Put16(frames, 4, static_cast<uint16_t>(int16_t{-32768}));
    Put16(frames, 6, static_cast<uint16_t>(int16_t{-32768}));
    auto read = [](const std::vector<uint8_t>& b, std::size_t sample) {
        return static_cast<int16_t>(static_cast<uint16_t>(b[2 * sample] | b[2 * sample + 1] << 8));
    };
    const auto scaled = [&](uint16_t left, uint16_t right) {
        std::vector<uint8_t> out(frames.size(), 0xAA);
        ScaleFrames(frames, left, right, out.data());
        return out;
    };

    const auto leftOff = scaled(0, 65535);
    EXPECT_EQ(read(leftOff, 0), 0);
    EXPECT_EQ(read(leftOff, 1), 32000);
    EXPECT_EQ(read(leftOff, 2), 0);
    EXPECT_EQ(read(leftOff, 3), -32768);

    const auto half = scaled(32768, 16384);
    EXPECT_EQ(read(half, 0), 16000);
    EXPECT_EQ(read(half, 1), 8000);  // 8000.12
    EXPECT_EQ(read(half, 2), -16384);
    EXPECT_EQ(read(half, 3), -8192);  // -8192.13

    EXPECT_EQ(scaled(65535, 65535), frames);
    EXPECT_EQ(read(frames, 0), 32000);  // the source stays unscaled
}

}  // namespace
}  // namespace orvik
