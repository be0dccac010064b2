// Checks what a pipe sink captured against the tones that should have been
// played, in order: each tone is looked for from where the previous one
// ended and compared sample for sample with its image at the given levels.
//
//   capture_match CAPTURE --tone MS HZ LEFT RIGHT [--tone ...]
//
// Prints one line per tone ("tone 1 start_frame=… frames=44100 frames_lost=0
// gap_ms=…", the gap being the silence since the previous tone ended)
// and "extra_frames=N" for sound after the last tone; exits 0 only when every
// tone arrived whole and nothing else was heard.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture.h"
#include "core/audio_format.h"
#include "core/synth.h"

namespace {

struct Tone {
    uint32_t ms;
    double hz;
    uint16_t left, right;
};

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
        tones.push_back({static_cast<uint32_t>(std::atol(argv[i + 1])), std::atof(argv[i + 2]),
                         static_cast<uint16_t>(std::atol(argv[i + 3])), static_cast<uint16_t>(std::atol(argv[i + 4]))});
    }
    const std::vector<orvik::probe::Frame> capture = orvik::probe::ReadCapture(argv[1]);

    bool ok = true;
    std::size_t at = 0;
    for (std::size_t t = 0; t < tones.size(); ++t) {
        const Tone& tone = tones[t];
        orvik::Partials f;
        f.fill(tone.hz);
        const auto expected =
            orvik::probe::ExpectedFrames(orvik::MakeToneImage(tone.ms / 10, f), tone.left, tone.right);
        const orvik::probe::ToneMatch match = orvik::probe::FindTone(capture, at, expected);
        if (!match.found) {
            std::printf("tone %zu missing\n", t + 1);
            return 1;
        }
        // Silence since the previous tone ended (none before the first).
        const double gapMs = t == 0 ? 0.0 : static_cast<double>(match.start - at) * 1000.0 / orvik::SampleRate;
        std::printf("tone %zu start_frame=%zu frames=%zu frames_lost=%zu gap_ms=%.2f\n", t + 1, match.start,
                    expected.size(), match.differing, gapMs);
        if (match.differing) ok = false;
        at = match.start + expected.size();
    }
    const std::size_t extra = orvik::probe::AudibleFrames(capture, at, capture.size());
    std::printf("extra_frames=%zu\n", extra);
    return ok && extra == 0 ? 0 : 1;
}
