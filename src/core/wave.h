#pragma once
// The in-memory RIFF/WAVE image every tone is played from: a 44-byte PCM
// header (44 100 frames per second, two channels, 16-bit signed) followed by
// the sample frames.
#include <cstdint>

namespace orvik {

#pragma pack(push, 1)
struct TWaveHeader {
    char RiffId[4];
    int32_t RiffSize;
    char WaveId[4];
    char FmtId[4];
    int32_t FmtSize;
    int16_t FormatTag;
    int16_t Channels;
    int32_t SampleRate;
    int32_t ByteRate;
    int16_t BlockAlign;
    int16_t BitsPerSample;
    char DataId[4];
    int32_t DataSize;
};
#pragma pack(pop)
static_assert(sizeof(TWaveHeader) == 44, "the header is written as one 44-byte block");

// Frames per duration unit of 10 ms at 44 100 frames per second.
constexpr int32_t FramesPerUnit = 441;
constexpr int32_t WaveHeaderBytes = 44;
constexpr int32_t BytesPerFrame = 4;  // two channels of two bytes

// Fills the fixed fields; RiffSize and DataSize become 0.
void MakeWaveHeader(TWaveHeader& header);

struct ImageSize {
    int32_t frames;    // u × 441
    int32_t dataSize;  // frames × 4
    int32_t riffSize;  // dataSize + 36, the image length less 8
};

// The sizes of an image of `duration` units of 10 ms, in signed 32-bit
// arithmetic: a duration whose sizes do not fit (more than 1 217 394 units)
// raises "Integerüberlauf".
ImageSize ComputeImageSize(uint32_t duration);

// Writes the record as the 44 header bytes, every field little-endian
// whatever the host's byte order.
void WriteWaveHeader(const TWaveHeader& header, uint8_t* out44);

}  // namespace orvik
