#include "core/wave_check.h"

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
                    Read16(image, 34) == BitsPerSample && HasId(image, 36, "data") && Read32(image, 40) == dataBytes;
    if (!ok) return std::nullopt;
    return image.subspan(HeaderBytes);
}

}  // namespace orvik
