#include "core/levels.h"

#include <algorithm>
#include <array>

#include "core/checked_math.h"

namespace orvik {

uint16_t VolumeLevel(int32_t position) {
    if (position == 100) return 65535;
    const long double level = position * 1.0L * 65536 / 100;
    return CheckedNarrow<uint16_t>(RoundHalfEven(level));
}

ChannelChoice KeepOneChannelOn(ChannelChoice choice, Channel unticked) {
    if (!choice.left && !choice.right) (unticked == Channel::Left ? choice.right : choice.left) = true;
    return choice;
}

ChannelLevels LevelsFor(int32_t position, ChannelChoice channels) {
    const uint16_t level = VolumeLevel(position);
    return {channels.left ? level : uint16_t{0}, channels.right ? level : uint16_t{0}};
}

int16_t ScaleSample(int16_t sample, uint16_t level) {
    // |sample| × level < 2^31, and twice that plus 65535 still fits 64 bits
    // with room to spare. floor((2x + d) / 2d) is x / d rounded to nearest.
    const int64_t magnitude = sample < 0 ? -static_cast<int64_t>(sample) : sample;
    const int64_t scaled = (2 * magnitude * level + 65535) / (2 * 65535);
    return static_cast<int16_t>(sample < 0 ? -scaled : scaled);
}

void ScaleFrames(std::span<const uint8_t> frames, uint16_t left, uint16_t right, uint8_t* out) {
    if (left == 65535 && right == 65535) {
        std::copy(frames.begin(), frames.end(), out);
        return;
    }
    const std::array<uint16_t, 2> levels{left, right};
    const std::size_t samples = frames.size() / 2;
    for (std::size_t i = 0; i < samples; ++i) {
        const uint8_t* in = frames.data() + 2 * i;
        const auto sample = static_cast<int16_t>(static_cast<uint16_t>(in[0] | in[1] << 8));
        const auto value = static_cast<uint16_t>(ScaleSample(sample, levels[i % 2]));
        out[2 * i] = static_cast<uint8_t>(value & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
}

}  // namespace orvik
