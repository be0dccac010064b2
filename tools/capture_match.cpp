// Checks what a pipe sink captured against the tones that should have been
// played, in order: each tone is found at the next frame that is not silent
// and compared sample for sample with its image at the given levels.
//
//   capture_match CAPTURE --tone MS HZ LEFT RIGHT [--tone ...]
//
// Prints one line per tone ("tone 1 start_frame=… frames=44100 frames_lost=0
// gap_ms=…", the gap being the silence since the previous tone ended)
// and "extra_frames=N" for sound after the last tone; exits 0 only when every
// tone arrived whole and nothing else was heard.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/synth.h"

namespace {

struct Tone {
    uint32_t ms;
    double hz;
    long left, right;
};

// The level rule written out independently of the output's own code:
// sample × level / 65535 to the nearest integer.
int16_t levelled(int16_t sample, long level) {
    return static_cast<int16_t>(std::lround(static_cast<double>(sample) * level / 65535.0));
}

[[noreturn]] void usage() {
    std::fputs("usage: capture_match CAPTURE --tone MS HZ LEFT RIGHT [--tone ...]\n", stderr);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) usage();
    std::vector<Tone> tones;
    for (int i = 2; i < argc; i += 5) {
        if (std::strcmp(argv[i], "--tone") != 0 || i + 4 >= argc) usage();
        tones.push_back({static_cast<uint32_t>(std::atol(argv[i + 1])), std::atof(argv[i + 2]), std::atol(argv[i + 3]),
                         std::atol(argv[i + 4])});
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t frameCount = bytes.size() / 4;
    const auto sample = [&](std::size_t frame, int channel) {
        const std::size_t at = frame * 4 + static_cast<std::size_t>(channel) * 2;
        return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
    };
    const auto silent = [&](std::size_t frame) { return sample(frame, 0) == 0 && sample(frame, 1) == 0; };

    bool ok = true;
    std::size_t at = 0;
    for (std::size_t t = 0; t < tones.size(); ++t) {
        const Tone& tone = tones[t];
        orvik::Partials f;
        f.fill(tone.hz);
        const orvik::WaveImage image = orvik::MakeToneImage(tone.ms / 10, f);
        const std::size_t frames = (image.size() - 44) / 4;
        // Frame 0 of every tone is silent, so the tone starts one frame
        // before the first sound.
        const std::size_t previousEnd = at;
        while (at < frameCount && silent(at)) ++at;
        if (at == frameCount) {
            std::printf("tone %zu missing\n", t + 1);
            return 1;
        }
        const std::size_t start = at - (at > 0 ? 1 : 0);
        std::size_t lost = 0;
        for (std::size_t i = 0; i < frames; ++i) {
            const int16_t v = static_cast<int16_t>(image[44 + i * 4] | image[45 + i * 4] << 8);
            if (start + i >= frameCount || sample(start + i, 0) != levelled(v, tone.left) ||
                sample(start + i, 1) != levelled(v, tone.right))
                ++lost;
        }
        // Silence since the previous tone ended (none before the first).
        const double gapMs = t == 0 ? 0.0 : static_cast<double>(start - previousEnd) * 1000.0 / 44100.0;
        std::printf("tone %zu start_frame=%zu frames=%zu frames_lost=%zu gap_ms=%.2f\n", t + 1, start, frames, lost,
                    gapMs);
        if (lost) ok = false;
        at = start + frames;
    }
    std::size_t extra = 0;
    for (; at < frameCount; ++at)
        if (!silent(at)) ++extra;
    std::printf("extra_frames=%zu\n", extra);
    return ok && extra == 0 ? 0 : 1;
}
