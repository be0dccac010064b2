#include "capture.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "core/audio_format.h"
#include "core/wave_check.h"

namespace orvik::probe {

namespace {

// sample × level / 65535: the double quotient is far closer than its
// distance to any halfway point (at least 1/131070, since 65535 is odd), so
// rounding it is exact.
int16_t Levelled(int16_t sample, uint16_t level) {
    return static_cast<int16_t>(std::lround(static_cast<double>(sample) * level / 65535.0));
}

}  // namespace

std::vector<Frame> Frames(std::span<const uint8_t> bytes) {
    constexpr auto frameBytes = static_cast<std::size_t>(BytesPerFrame);
    std::vector<Frame> out(bytes.size() / frameBytes);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const uint8_t* p = bytes.data() + frameBytes * i;
        out[i] = {static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8)),
                  static_cast<int16_t>(static_cast<uint16_t>(p[2] | p[3] << 8))};
    }
    return out;
}

std::vector<Frame> ReadCapture(const std::string& path, long long from) {
    std::ifstream in(path, std::ios::binary);
    in.seekg(from);
    const std::vector<uint8_t> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Frames(raw);
}

std::vector<Frame> ExpectedFrames(std::span<const uint8_t> image, uint16_t left, uint16_t right) {
    const auto data = WaveFrameData(image);
    if (!data) return {};
    std::vector<Frame> expected = Frames(*data);
    for (Frame& f : expected) f = {Levelled(f.l, left), Levelled(f.r, right)};
    return expected;
}

ToneMatch FindTone(const std::vector<Frame>& capture, std::size_t cursor, const std::vector<Frame>& expected) {
    const std::size_t n = expected.size();
    const std::size_t lead = static_cast<std::size_t>(
        std::find_if(expected.begin(), expected.end(), [](const Frame& f) { return !f.silent(); }) - expected.begin());
    const auto matchesAt = [&](std::size_t p) {
        return p + n <= capture.size() && std::equal(expected.begin(), expected.end(), capture.begin() + p);
    };
    // The tone where it arrived whole; the tail of a cancelled play before it
    // (the sink cannot take back what it has rendered) is passed over.
    if (lead < n) {
        for (std::size_t p = cursor; p + n <= capture.size(); ++p)
            if (capture[p + lead] == expected[lead] && matchesAt(p)) return {true, p, 0};
    }
    // Failing that, aligned on its first audible frame, counting what differs.
    const auto audible = std::find_if(capture.begin() + static_cast<std::ptrdiff_t>(std::min(cursor, capture.size())),
                                      capture.end(), [](const Frame& f) { return !f.silent(); });
    const std::size_t pos = static_cast<std::size_t>(audible - capture.begin());
    if (lead == n || pos == capture.size() || pos < lead || pos - lead < cursor) return {false, pos, n};
    ToneMatch match{true, pos - lead, 0};
    for (std::size_t i = 0; i < n; ++i)
        if (match.start + i >= capture.size() || !(capture[match.start + i] == expected[i])) ++match.differing;
    return match;
}

Damage DescribeDamage(const std::vector<Frame>& capture, std::size_t start, const std::vector<Frame>& expected,
                      std::size_t maxShift) {
    const std::size_t n = expected.size();
    const auto at = [&](std::size_t p) { return p < capture.size() ? capture[p] : Frame{0, 0}; };
    std::size_t first = 0;
    while (first < n && at(start + first) == expected[first]) ++first;
    if (first == n) return {};
    // Both readings are tried for each shift, smallest first. A periodic tone
    // matches itself shifted by whole periods, but only the true reading also
    // matches where the tone ends and silence follows.
    const auto restAt = [&](std::size_t capturePos, std::size_t imagePos) {
        for (std::size_t j = 0; imagePos + j < n; ++j)
            if (!(at(capturePos + j) == expected[imagePos + j])) return false;
        return true;
    };
    for (std::size_t d = 1; d <= maxShift && first + d <= n; ++d) {
        // A tail cut off is not a drop: nothing of the image follows it.
        if (first + d < n && restAt(start + first, first + d)) return {Damage::Dropped, first, d, false};
        if (restAt(start + first + d, first))
            return {Damage::Inserted, first, d, AudibleFrames(capture, start + first, start + first + d) == 0};
    }
    return {Damage::Unexplained, first, 0, false};
}

std::size_t AudibleFrames(const std::vector<Frame>& capture, std::size_t from, std::size_t to) {
    to = std::min(to, capture.size());
    std::size_t count = 0;
    for (std::size_t i = from; i < to; ++i)
        if (!capture[i].silent()) ++count;
    return count;
}

}  // namespace orvik::probe
