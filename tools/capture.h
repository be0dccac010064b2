#pragma once
// Reading what a pipe sink captured and finding a tone in it, sample for
// sample, for the measuring tools. The level rule is written out here
// independently of the sound output's own code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orvik::probe {

struct Frame {
    int16_t l, r;
    bool operator==(const Frame&) const = default;
    bool silent() const { return l == 0 && r == 0; }
};

// Little-endian 16-bit stereo frames; a trailing partial frame is dropped.
std::vector<Frame> Frames(std::span<const uint8_t> bytes);

// The frames of the capture file from byte `from` on.
std::vector<Frame> ReadCapture(const std::string& path, long long from = 0);

// The frames a tone image should arrive as at the given levels.
std::vector<Frame> ExpectedFrames(std::span<const uint8_t> image, uint16_t left, uint16_t right);

// Where a tone was found in `capture` at or after `cursor`: where it arrived
// whole, or else aligned on its first audible frame, with the number of
// frames that differ. Not found when nothing audible follows the cursor.
struct ToneMatch {
    bool found = false;
    std::size_t start = 0;
    std::size_t differing = 0;
};
ToneMatch FindTone(const std::vector<Frame>& capture, std::size_t cursor, const std::vector<Frame>& expected);

// What happened to a tone that arrived aligned but not whole, when it is one
// thing: from image frame `at` on, either `frames` of the image are missing
// and the rest follows at once (dropped), or `frames` other frames stand
// before the rest (inserted; `silent` when they are all silence, as when a
// stream runs dry). Everything else, the rest of the image included, arrived
// unchanged. Unexplained: two faults, or a changed sample, or a shift beyond
// `maxShift`.
struct Damage {
    enum Kind { None, Dropped, Inserted, Unexplained } kind = None;
    std::size_t at = 0;
    std::size_t frames = 0;
    bool silent = false;
};
Damage DescribeDamage(const std::vector<Frame>& capture, std::size_t start, const std::vector<Frame>& expected,
                      std::size_t maxShift);

// Non-silent frames in [from, to).
std::size_t AudibleFrames(const std::vector<Frame>& capture, std::size_t from, std::size_t to);

}  // namespace orvik::probe
