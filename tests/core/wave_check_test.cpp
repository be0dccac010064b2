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

}  // namespace
}  // namespace orvik
