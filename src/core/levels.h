#pragma once
// Output levels: the volume slider's position and the two channel boxes
// give a level per channel, and the samples are scaled by it on their way
// to the sound server. The tone images themselves are never changed.
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvik {

// Output level for a volume position 0..100: 100 gives 65535, every other
// position p × 65536 / 100 to the nearest integer.
uint16_t VolumeLevel(int32_t position);

// Which channels the two boxes, "links" and "rechts", have ticked.
struct ChannelChoice {
    bool left;
    bool right;
    bool operator==(const ChannelChoice&) const = default;
};

// One channel always stays on: when the box just unticked was the last one
// ticked, the other box comes back on.
enum class Channel { Left, Right };
ChannelChoice KeepOneChannelOn(ChannelChoice choice, Channel unticked);

struct ChannelLevels {
    uint16_t left;
    uint16_t right;
};
// VolumeLevel(position) on each ticked channel, 0 on the other.
ChannelLevels LevelsFor(int32_t position, ChannelChoice channels);

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
