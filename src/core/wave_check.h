#pragma once
// Checks that a finished image is exactly the WAVE format Orvik writes, and
// scales its frames by the per-channel output levels on their way to the
// device. The image itself is never changed.
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

// sample × level / 65535 to the nearest integer. 65535 is odd, so the exact
// quotient is never halfway between two integers and no tie rule is needed;
// level 65535 returns the sample unchanged, level 0 gives 0.
int16_t ScaleSample(int16_t sample, uint16_t level);

// Writes `frames` (whole frames, little-endian) to `out`, which holds as
// many bytes, with every left sample scaled by `left` and every right sample
// by `right`. The sound output scales each piece straight into the server's
// buffer, so even the longest tone is never held twice.
void ScaleFrames(std::span<const uint8_t> frames, uint16_t left, uint16_t right, uint8_t* out);

}  // namespace orvik
