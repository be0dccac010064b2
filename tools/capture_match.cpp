// Checks what a pipe sink captured against the tones that should have been
// played, in order: each tone is looked for from where the previous one
// ended and compared sample for sample with its image at the given levels.
//
//   capture_match CAPTURE [--underruns-ok] --tone MS HZ LEFT RIGHT [--tone ...]
//
// --underruns-ok accepts a tone that arrived whole but for one stretch of
// silence put into it where the stream ran dry, or one stretch of it the
// server skipped (a stall of the machine, not of the program), reported as
// underrun_frames=N or skipped_frames=N: for tests of which tones play, in
// what order, rather than of the sound's continuity.
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
    std::fputs("usage: capture_match CAPTURE [--underruns-ok] --tone MS HZ LEFT RIGHT [--tone ...]\n", stderr);
    std::exit(2);
}

// The longest stall --underruns-ok accepts: about a third of a second.
constexpr std::size_t MaxUnderrunFrames = 16384;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) usage();
    int first = 2;
    const bool underrunsOk = std::strcmp(argv[2], "--underruns-ok") == 0;
    if (underrunsOk) ++first;
    std::vector<Tone> tones;
    for (int i = first; i < argc; i += 5) {
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
        std::size_t underrun = 0, dropped = 0;
        if (match.differing && underrunsOk) {
            const auto damage = orvik::probe::DescribeDamage(capture, match.start, expected, MaxUnderrunFrames);
            if (damage.kind == orvik::probe::Damage::Inserted && damage.silent) underrun = damage.frames;
            // Frames the server skipped after a stall of its own.
            if (damage.kind == orvik::probe::Damage::Dropped) dropped = damage.frames;
        }
        std::printf("tone %zu start_frame=%zu frames=%zu frames_lost=%zu gap_ms=%.2f", t + 1, match.start,
                    expected.size(), underrun || dropped ? 0 : match.differing, gapMs);
        if (underrun) std::printf(" underrun_frames=%zu", underrun);
        if (dropped) std::printf(" skipped_frames=%zu", dropped);
        std::printf("\n");
        if (match.differing && !underrun && !dropped) ok = false;
        at = match.start + expected.size() + underrun - dropped;
    }
    const std::size_t extra = orvik::probe::AudibleFrames(capture, at, capture.size());
    std::printf("extra_frames=%zu\n", extra);
    return ok && extra == 0 ? 0 : 1;
}
