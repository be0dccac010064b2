#include "core/levels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace orvik;

namespace {

void Put16(std::vector<uint8_t>& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
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

}  // namespace

TEST(VolumeLevel, FollowsThePositionToTheNearestLevel) {
    struct Case {
        int32_t position;
        uint16_t level;
    };
    for (auto c : {Case{0, 0}, Case{1, 655}, Case{10, 6554}, Case{25, 16384}, Case{33, 21627}, Case{50, 32768},
                   Case{75, 49152}, Case{99, 64881}, Case{100, 65535}}) {
        EXPECT_EQ(VolumeLevel(c.position), c.level) << c.position;
    }
}

TEST(VolumeLevel, GrowsWithThePosition) {
    for (int32_t p = 1; p <= 100; ++p) EXPECT_GT(VolumeLevel(p), VolumeLevel(p - 1)) << p;
}

TEST(Channels, OneAlwaysStaysOn) {
    struct Case {
        ChannelChoice before;
        Channel unticked;
        ChannelChoice after;
    };
    for (auto c :
         {Case{{false, false}, Channel::Left, {false, true}}, Case{{false, false}, Channel::Right, {true, false}},
          Case{{false, true}, Channel::Left, {false, true}}, Case{{true, false}, Channel::Right, {true, false}},
          Case{{true, true}, Channel::Left, {true, true}}}) {
        EXPECT_EQ(KeepOneChannelOn(c.before, c.unticked), c.after);
    }
    const ChannelLevels both = LevelsFor(50, {true, true}), left = LevelsFor(50, {true, false});
    EXPECT_EQ(both.left, 32768);
    EXPECT_EQ(both.right, 32768);
    EXPECT_EQ(left.left, 32768);
    EXPECT_EQ(left.right, 0);
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
    EXPECT_EQ(ScaleSample(32000, 32768), 16000);    // 16000.24
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
