#pragma once
// Checks that a finished image is exactly the WAVE format Orvik writes
// before it is played.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orvik {

// The frame data of `image` when it is a canonical 44-byte-header PCM WAVE
// image of 44100 Hz, two channels, 16 bits ("RIFF", RiffSize = length - 8,
// "WAVE", "fmt ", 16, 1, 2, 44100, 176400, 4, 16, "data", DataSize = length
// - 44, a whole number of 4-byte frames, each two 16-bit little-endian
// samples, left then right). Nothing for anything else, including a header
// whose sizes disagree with the bytes present.
std::optional<std::span<const uint8_t>> WaveFrameData(std::span<const uint8_t> image);

}  // namespace orvik
