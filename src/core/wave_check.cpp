#include "core/wave_check.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/audio_format.h"

namespace orvik {

namespace {

constexpr auto HeaderBytes = static_cast<std::size_t>(WaveHeaderBytes);
constexpr auto FrameBytes = static_cast<std::size_t>(BytesPerFrame);

uint32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Read16(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool HasId(std::span<const uint8_t> bytes, std::size_t at, const char (&id)[5]) {
    return std::memcmp(bytes.data() + at, id, 4) == 0;
}

}  // namespace

std::optional<std::span<const uint8_t>> WaveFrameData(std::span<const uint8_t> image) {
    if (image.size() < HeaderBytes) return std::nullopt;
    const std::size_t dataBytes = image.size() - HeaderBytes;
    // The size fields are 32 bits and held signed by the writer.
    if (image.size() - 8 > 0x7FFFFFFFu) return std::nullopt;
    if (dataBytes % FrameBytes != 0) return std::nullopt;
    const bool ok = HasId(image, 0, "RIFF") && Read32(image, 4) == image.size() - 8 && HasId(image, 8, "WAVE") &&
                    HasId(image, 12, "fmt ") && Read32(image, 16) == 16 && Read16(image, 20) == 1 &&
                    Read16(image, 22) == ChannelCount && Read32(image, 24) == SampleRate &&
                    Read32(image, 28) == ByteRate && Read16(image, 32) == BytesPerFrame &&
                    Read16(image, 34) == BitsPerSample && HasId(image, 36, "data") &&
                    Read32(image, 40) == dataBytes;
    if (!ok) return std::nullopt;
    return image.subspan(HeaderBytes);
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
