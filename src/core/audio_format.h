#pragma once
// The one sound format Orvik makes and plays: 44 100 frames per second, two
// channels (left, then right), 16-bit signed little-endian samples, held in
// a WAVE image behind a 44-byte header.
#include <cstdint>

namespace orvik {

constexpr int32_t SampleRate = 44100;
constexpr int32_t ChannelCount = 2;
constexpr int32_t BitsPerSample = 16;
constexpr int32_t BytesPerFrame = ChannelCount * BitsPerSample / 8;  // 4
constexpr int32_t ByteRate = SampleRate * BytesPerFrame;             // 176 400
constexpr int32_t WaveHeaderBytes = 44;

// Tone lengths count in units of 10 ms: 441 frames each.
constexpr int32_t FramesPerUnit = SampleRate / 100;

// From this frequency up a tone is beyond hearing and beyond what the format
// can carry: the table leaves such cells empty, and a typed frequency above
// it is refused.
constexpr double FrequencyLimit = 22001.0;

}  // namespace orvik
