#include "core/wave.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>

#include "core/errors.h"
#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

namespace {

std::array<uint8_t, 44> bytesOf(const TWaveHeader& header) {
    std::array<uint8_t, 44> out{};
    WriteWaveHeader(header, out.data());
    return out;
}

}  // namespace

TEST(MakeWaveHeader, FillsTheFixedFieldsAndZeroSizes) {
    TWaveHeader header;
    std::memset(&header, 0xAB, sizeof header);  // every field must be written
    MakeWaveHeader(header);
    const std::array<uint8_t, 44> expected{'R',  'I',  'F',  'F', 0,   0,   0,   0,    // RiffSize 0
                                           'W',  'A',  'V',  'E', 'f', 'm', 't', ' ',  //
                                           16,   0,    0,    0,                        // FmtSize
                                           1,    0,    2,    0,                        // PCM, two channels
                                           0x44, 0xAC, 0,    0,                        // 44100
                                           0x10, 0xB1, 0x02, 0,                        // 176400
                                           4,    0,    16,   0,                        // BlockAlign, BitsPerSample
                                           'd',  'a',  't',  'a', 0,   0,   0,   0};   // DataSize 0
    EXPECT_EQ(bytesOf(header), expected);
    // On this (little-endian) host the packed record is itself the header.
    EXPECT_EQ(std::memcmp(&header, expected.data(), 44), 0);
}

TEST(WriteWaveHeader, WritesEveryFieldLittleEndian) {
    TWaveHeader header;
    MakeWaveHeader(header);
    header.RiffSize = 0x04030201;
    header.DataSize = 1764;
    header.Channels = 0x0102;
    const auto bytes = bytesOf(header);
    EXPECT_EQ(bytes[4], 0x01);
    EXPECT_EQ(bytes[5], 0x02);
    EXPECT_EQ(bytes[6], 0x03);
    EXPECT_EQ(bytes[7], 0x04);
    EXPECT_EQ(bytes[22], 0x02);
    EXPECT_EQ(bytes[23], 0x01);
    // 1764 = 0x000006E4
    EXPECT_EQ((std::array<uint8_t, 4>{bytes[40], bytes[41], bytes[42], bytes[43]}),
              (std::array<uint8_t, 4>{0xE4, 0x06, 0x00, 0x00}));
}

TEST(ComputeImageSize, WorkedSizes) {
    struct Case {
        uint32_t units;
        int32_t frames, dataSize, riffSize;
    };
    for (const auto& c : {Case{0, 0, 0, 36}, Case{1, 441, 1764, 1800}, Case{100, 44100, 176400, 176436},
                          Case{150, 66150, 264600, 264636}, Case{1217394, 536870754, 2147483016, 2147483052}}) {
        const ImageSize size = ComputeImageSize(c.units);
        EXPECT_EQ(size.frames, c.frames) << c.units;
        EXPECT_EQ(size.dataSize, c.dataSize) << c.units;
        EXPECT_EQ(size.riffSize, c.riffSize) << c.units;
        EXPECT_EQ(size.dataSize, size.frames * BytesPerFrame) << c.units;
    }
}

TEST(ComputeImageSize, TooLongADurationOverflows) {
    for (uint32_t units :
         {1217395u, 1217396u, 4869580u, 0x7FFFFFFFu, 0x80000000u, std::numeric_limits<uint32_t>::max()}) {
        EXPECT_EQ(messageOf([&] { ComputeImageSize(units); }), "Integerüberlauf") << units;
    }
}
