#pragma once
// The in-memory RIFF/WAVE image every tone is played from: a 44-byte PCM
// header of Orvik's one sound format followed by the sample frames.
#include <cstddef>
#include <cstdint>

#include "core/audio_format.h"

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
static_assert(sizeof(TWaveHeader) == WaveHeaderBytes, "the header is written as one 44-byte block");

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

// The playing time of an image of `bytes` bytes, rounded up to whole
// milliseconds.
long long ImageMilliseconds(std::size_t bytes);

// Writes the record as the 44 header bytes, every field little-endian
// whatever the host's byte order.
void WriteWaveHeader(const TWaveHeader& header, uint8_t* out44);

}  // namespace orvik
