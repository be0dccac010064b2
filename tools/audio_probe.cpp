// Measures the sound output against the current default server: plays a
// tone one or more times through PulseOutput, prints how long each play
// took, and, given the file that a pipe sink's reader fills, finds the tones
// in it and compares them sample for sample with the levelled image.
//
//   audio_probe [--ms 1000] [--freq 440] [--plays 1] [--pause-ms 0]
//               [--level LEFT RIGHT] [--capture FILE] [--check-last N]
//               [--cancel-after MS] [--spoil] [--lead-ms N] [--hold-ms N]
//               [--loose]
//
// --check-last N compares only the last N plays with the capture;
// --cancel-after MS cancels the first play that long after its call;
// --spoil plays the image with its header claiming one channel (which the
// output must refuse), but compares the capture with the real tone;
// --lead-ms N waits N ms with the output open before the first play, and
// --hold-ms N keeps it open N ms after the report (a test looks at the
// server's side meanwhile);
// --loose finds each tone by where sound begins and ends instead of sample
// for sample, for a server that resamples: it reports each tone's length
// (length_error_frames, against the image) and the gaps, not frames_lost.
//
// Output, one figure per line, "key=value" pairs for grep:
//   play 1 return_ms=1012.4
//   tone 1 start_latency_ms=9.8 after_last_frame_ms=3.1 frames=44100 frames_lost=0
//   gap 1-2 silent_frames=551 gap_ms=12.49
//   summary plays=3 min_return_ms=… max_return_ms=… max_gap_ms=… frames_lost=0 extra_frames=0
//
// start_latency_ms: from the call of play until the tone's first frame was
// in the capture file; after_last_frame_ms: from the tone's last frame being
// in the capture file until play returned (negative: returned too early).
// frames_lost counts the image frames not found unchanged in place (when the
// whole tone is nowhere in the capture, it is aligned on its first non-silent
// frame); extra_frames counts non-silent frames between the checked tones
// and after the last one.
// A tone with frames lost says what happened to it, when it was one thing:
//   damage=dropped at_ms=433.0 damage_frames=256 (frames missing mid-tone,
//   the rest intact), damage=inserted … silent=1 (frames put in, silence when
//   the stream ran dry), or damage=unexplained at_ms=….
#include <sys/stat.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "capture.h"
#include "core/audio_format.h"
#include "core/synth.h"
#include "platform/playback_wait.h"
#include "platform/pulse_output.h"

namespace {

using orvik::probe::Frame;
constexpr long long FrameBytes = orvik::BytesPerFrame;

// The capture file's byte offset of a frame, counted from byte `from`.
long long ByteOf(long long from, std::size_t frame) { return from + static_cast<long long>(frame) * FrameBytes; }

double FramesToMs(std::size_t frames) { return static_cast<double>(frames) * 1000.0 / orvik::SampleRate; }
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Far beyond any server's period (PipeWire's largest quantum is 8192).
constexpr std::size_t MaxDamageShift = 16384;

void PrintDamage(const orvik::probe::Damage& damage) {
    using orvik::probe::Damage;
    switch (damage.kind) {
        case Damage::None:
            return;
        case Damage::Dropped:
            std::printf(" damage=dropped at_ms=%.1f damage_frames=%zu", FramesToMs(damage.at), damage.frames);
            return;
        case Damage::Inserted:
            std::printf(" damage=inserted at_ms=%.1f damage_frames=%zu silent=%d", FramesToMs(damage.at), damage.frames,
                        damage.silent ? 1 : 0);
            return;
        case Damage::Unexplained:
            std::printf(" damage=unexplained at_ms=%.1f", FramesToMs(damage.at));
            return;
    }
}

struct Options {
    uint32_t ms = 1000;
    double freq = 440;
    int plays = 1;
    int pauseMs = 0;
    uint16_t left = 65535, right = 65535;
    std::string capture;
    int checkLast = -1;
    int cancelAfterMs = -1;
    bool spoil = false;
    int leadMs = 0;
    int holdMs = 0;
    bool loose = false;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr,
                 "usage: audio_probe [--ms N] [--freq F] [--plays N] [--pause-ms N] [--level L R]\n"
                 "                   [--capture FILE] [--check-last N] [--cancel-after MS] [--spoil]\n"
                 "                   [--lead-ms N] [--hold-ms N] [--loose]\n");
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) Usage();
            return argv[++i];
        };
        if (a == "--ms")
            o.ms = static_cast<uint32_t>(std::strtoul(next(), nullptr, 10));
        else if (a == "--freq")
            o.freq = std::strtod(next(), nullptr);
        else if (a == "--plays")
            o.plays = std::atoi(next());
        else if (a == "--pause-ms")
            o.pauseMs = std::atoi(next());
        else if (a == "--level") {
            o.left = static_cast<uint16_t>(std::strtoul(next(), nullptr, 10));
            o.right = static_cast<uint16_t>(std::strtoul(next(), nullptr, 10));
        } else if (a == "--capture")
            o.capture = next();
        else if (a == "--check-last")
            o.checkLast = std::atoi(next());
        else if (a == "--cancel-after")
            o.cancelAfterMs = std::atoi(next());
        else if (a == "--spoil")
            o.spoil = true;
        else if (a == "--lead-ms")
            o.leadMs = std::atoi(next());
        else if (a == "--hold-ms")
            o.holdMs = std::atoi(next());
        else if (a == "--loose")
            o.loose = true;
        else
            Usage();
    }
    if (o.ms % 10 != 0 || o.plays < 1 || o.checkLast == 0) Usage();
    if (o.checkLast < 0 || o.checkLast > o.plays) o.checkLast = o.plays;
    return o;
}

long long FileSize(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// Notes when the capture file grew, so that the moment a byte arrived can be
// looked up afterwards.
class GrowthLog {
public:
    explicit GrowthLog(std::string path) : path_(std::move(path)), thread_([this] { run(); }) {}
    ~GrowthLog() {
        stop_ = true;
        thread_.join();
    }
    // When the file first held more than `offset` bytes, if seen.
    std::optional<Clock::time_point> reached(long long offset) {
        std::lock_guard lock(mutex_);
        for (const auto& [t, size] : samples_)
            if (size > offset) return t;
        return std::nullopt;
    }

private:
    void run() {
        long long last = -2;
        while (!stop_) {
            const long long size = FileSize(path_);
            if (size != last) {
                std::lock_guard lock(mutex_);
                samples_.emplace_back(Clock::now(), size);
                last = size;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }
    std::string path_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, long long>> samples_;
    std::thread thread_;
};

// A resampling server smears each tone's edges over a few dozen frames and
// changes every sample a little, so in loose mode a tone is a stretch of
// frames louder than this, and two tones are apart where at least
// LooseSilenceFrames quiet frames lie between them (a sine passes near zero
// for one frame at a time only).
constexpr int LooseThreshold = 100;
constexpr std::size_t LooseSilenceFrames = 44;

void LooseReport(const std::vector<Frame>& capture, std::size_t n, long long from, int first, int plays,
                 const std::vector<Clock::time_point>& calls, const std::vector<Clock::time_point>& returns,
                 GrowthLog& growth, double minReturn, double maxReturn) {
    const auto loud = [&](std::size_t i) {
        return std::abs(capture[i].l) > LooseThreshold || std::abs(capture[i].r) > LooseThreshold;
    };
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // [start, end)
    for (std::size_t i = 0; i < capture.size(); ++i) {
        if (!loud(i)) continue;
        if (!runs.empty() && i - runs.back().second < LooseSilenceFrames)
            runs.back().second = i + 1;
        else
            runs.emplace_back(i, i + 1);
    }
    long long maxError = 0;
    double maxGap = 0;
    const int expectedTones = plays - first;
    for (int t = 0; t < expectedTones && t < static_cast<int>(runs.size()); ++t) {
        const auto [start, end] = runs[static_cast<std::size_t>(t)];
        const int k = first + t;
        const long long error = static_cast<long long>(end - start) - static_cast<long long>(n);
        maxError = std::max(maxError, std::abs(error));
        std::printf("tone %d", k + 1);
        const long long firstByte = ByteOf(from, start);
        const long long lastByte = ByteOf(from, end) - 1;
        if (const auto seen = growth.reached(firstByte)) std::printf(" start_latency_ms=%.1f", Ms(*seen - calls[k]));
        if (const auto seen = growth.reached(lastByte))
            std::printf(" after_last_frame_ms=%.1f", Ms(returns[k] - *seen));
        std::printf(" frames=%zu length_error_frames=%lld\n", end - start, error);
        if (t > 0) {
            const double gap = FramesToMs(start - runs[static_cast<std::size_t>(t) - 1].second);
            maxGap = std::max(maxGap, gap);
            std::printf("gap %d-%d gap_ms=%.2f\n", k, k + 1, gap);
        }
    }
    std::printf(
        "summary plays=%d min_return_ms=%.1f max_return_ms=%.1f max_gap_ms=%.2f tones_found=%zu "
        "max_length_error_frames=%lld\n",
        plays, minReturn, maxReturn, maxGap, runs.size(), maxError);
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    orvik::Partials f;
    f.fill(o.freq);
    const auto buildStart = Clock::now();
    const orvik::WaveImage image = orvik::MakeToneImage(o.ms / 10, f);
    std::printf("image bytes=%zu build_ms=%.1f\n", image.size(), Ms(Clock::now() - buildStart));
    // The spoiled copy only when asked for: the longest tone is 2 GB.
    orvik::WaveImage spoiled;
    if (o.spoil) {
        spoiled = image;
        spoiled[22] = 1;  // Channels
    }
    const orvik::WaveImage& played = o.spoil ? spoiled : image;

    std::optional<GrowthLog> growth;
    if (!o.capture.empty()) growth.emplace(o.capture);

    orvik::PulseOutput output("Orvik audio probe");
    output.setLevels(o.left, o.right);
    // Destroyed before the output: the report is out, the output still open.
    struct Hold {
        int ms;
        ~Hold() {
            std::fflush(stdout);
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
    } hold{o.holdMs};
    std::this_thread::sleep_for(std::chrono::milliseconds(o.leadMs));

    std::vector<Clock::time_point> calls, returns;
    // A play spends its time asleep, as the window's thread does between
    // events; a cancel comes from another thread, as the window's close
    // comes while a tone sounds.
    orvik::SleepingWait wait;
    std::jthread canceller;
    std::vector<long long> sizeBefore;
    double minReturn = 1e9, maxReturn = 0;
    for (int k = 0; k < o.plays; ++k) {
        if (k > 0 && o.pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(o.pauseMs));
        sizeBefore.push_back(o.capture.empty() ? 0 : FileSize(o.capture));
        calls.push_back(Clock::now());
        if (k == 0 && o.cancelAfterMs >= 0)
            canceller = std::jthread([&output, ms = o.cancelAfterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                output.cancel();
            });
        output.play(played, wait);
        returns.push_back(Clock::now());
        if (canceller.joinable()) canceller.join();
        const double took = Ms(returns.back() - calls.back());
        minReturn = std::min(minReturn, took);
        maxReturn = std::max(maxReturn, took);
        std::printf("play %d return_ms=%.1f\n", k + 1, took);
        std::fflush(stdout);  // a test may be waiting for this line
    }

    if (o.capture.empty()) {
        std::printf("summary plays=%d min_return_ms=%.1f max_return_ms=%.1f\n", o.plays, minReturn, maxReturn);
        return 0;
    }

    // Let the sink push out what follows the last tone, so trailing frames
    // (and anything extra) are in the file.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const int first = o.plays - o.checkLast;
    const long long from =
        sizeBefore[first] < 0 ? 0 : sizeBefore[first] / FrameBytes * FrameBytes;  // frames start at 0
    const std::vector<Frame> capture = orvik::probe::ReadCapture(o.capture, from);
    const std::vector<Frame> expected = orvik::probe::ExpectedFrames(image, o.left, o.right);
    const std::size_t n = expected.size();

    if (o.loose) {
        LooseReport(capture, n, from, first, o.plays, calls, returns, *growth, minReturn, maxReturn);
        return 0;
    }

    long long lost = 0;
    double maxGap = 0;
    std::size_t cursor = 0, previousEnd = 0;
    long long extra = 0;
    for (int k = first; k < o.plays; ++k) {
        const orvik::probe::ToneMatch match = orvik::probe::FindTone(capture, cursor, expected);
        if (!match.found) {
            std::printf("tone %d found=no frames_lost=%zu\n", k + 1, n);
            lost += static_cast<long long>(n);
            cursor = std::min(match.start + 1, capture.size());
            continue;
        }
        const std::size_t start = match.start, differing = match.differing;
        lost += static_cast<long long>(differing);
        // Between two checked tones there must be nothing but silence.
        if (k > first) extra += static_cast<long long>(orvik::probe::AudibleFrames(capture, previousEnd, start));

        const long long firstByte = ByteOf(from, start);
        const long long lastByte = ByteOf(from, start + n) - 1;
        const auto firstSeen = growth->reached(firstByte), lastSeen = growth->reached(lastByte);
        std::printf("tone %d", k + 1);
        if (firstSeen) std::printf(" start_latency_ms=%.1f", Ms(*firstSeen - calls[k]));
        if (lastSeen) std::printf(" after_last_frame_ms=%.1f", Ms(returns[k] - *lastSeen));
        std::printf(" frames=%zu frames_lost=%zu", n, differing);
        PrintDamage(orvik::probe::DescribeDamage(capture, start, expected, MaxDamageShift));
        std::printf("\n");

        if (k > first) {
            const std::size_t silent = start >= previousEnd ? start - previousEnd : 0;
            const double gap = FramesToMs(silent);
            maxGap = std::max(maxGap, gap);
            std::printf("gap %d-%d silent_frames=%zu gap_ms=%.2f\n", k, k + 1, silent, gap);
        }
        previousEnd = start + n;
        cursor = std::min(previousEnd, capture.size());
    }
    extra += static_cast<long long>(orvik::probe::AudibleFrames(capture, cursor, capture.size()));

    std::printf(
        "summary plays=%d min_return_ms=%.1f max_return_ms=%.1f max_gap_ms=%.2f frames_lost=%lld extra_frames=%lld\n",
        o.plays, minReturn, maxReturn, maxGap, lost, extra);
    return 0;
}
