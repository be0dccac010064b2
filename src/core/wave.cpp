#include "core/wave.h"

#include <cstring>
#include <limits>

#include "core/checked_math.h"

namespace orvik {

void MakeWaveHeader(TWaveHeader& header) {
    std::memcpy(header.RiffId, "RIFF", 4);
    header.RiffSize = 0;
    std::memcpy(header.WaveId, "WAVE", 4);
    std::memcpy(header.FmtId, "fmt ", 4);
    header.FmtSize = 16;
    header.FormatTag = 1;  // PCM
    header.Channels = ChannelCount;
    header.SampleRate = SampleRate;
    header.BlockAlign = BytesPerFrame;
    header.ByteRate = ByteRate;
    header.BitsPerSample = BitsPerSample;
    std::memcpy(header.DataId, "data", 4);
    header.DataSize = 0;
}

ImageSize ComputeImageSize(uint32_t duration) {
    // The sizes are worked out in signed 32-bit arithmetic; a duration beyond
    // that range overflows it just as a too-large product does.
    if (duration > static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) throw Error::intOverflow();
    ImageSize size{};
    size.frames = CheckedMul(static_cast<int32_t>(duration), FramesPerUnit);
    size.dataSize = CheckedMul(CheckedMul(size.frames, 2), 2);
    size.riffSize = CheckedAdd(size.dataSize, 36);
    return size;
}

namespace {

uint8_t* put(uint8_t* out, const char (&id)[4]) {
    std::memcpy(out, id, 4);
    return out + 4;
}

uint8_t* put(uint8_t* out, int16_t value) {
    const auto u = static_cast<uint16_t>(value);
    out[0] = static_cast<uint8_t>(u);
    out[1] = static_cast<uint8_t>(u >> 8);
    return out + 2;
}

uint8_t* put(uint8_t* out, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    for (int b = 0; b < 4; ++b) out[b] = static_cast<uint8_t>(u >> (8 * b));
    return out + 4;
}

}  // namespace

long long ImageMilliseconds(std::size_t bytes) {
    constexpr auto header = static_cast<std::size_t>(WaveHeaderBytes);
    constexpr auto bytesPerSecond = static_cast<std::size_t>(ByteRate);
    if (bytes <= header) return 0;
    return static_cast<long long>(((bytes - header) * 1000 + bytesPerSecond - 1) / bytesPerSecond);
}

void WriteWaveHeader(const TWaveHeader& header, uint8_t* out44) {
    uint8_t* p = out44;
    p = put(p, header.RiffId);
    p = put(p, header.RiffSize);
    p = put(p, header.WaveId);
    p = put(p, header.FmtId);
    p = put(p, header.FmtSize);
    p = put(p, header.FormatTag);
    p = put(p, header.Channels);
    p = put(p, header.SampleRate);
    p = put(p, header.ByteRate);
    p = put(p, header.BlockAlign);
    p = put(p, header.BitsPerSample);
    p = put(p, header.DataId);
    put(p, header.DataSize);
}

}  // namespace orvik
