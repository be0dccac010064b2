#include "core/synth.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "core/errors.h"
#include "core/wave.h"
#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

// The replacement below pairs malloc with free on purpose; GCC's inlining
// under the sanitizers mistakes that for a new/free mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Allocation failure on demand: while gFailFrom is set, every request of at
// least that many bytes fails as if memory were exhausted. Fresh memory is
// never zero here, so an image that relies on it shows.
namespace {
std::atomic<std::size_t> gFailFrom{0};
}  // namespace

void* operator new(std::size_t size) {
    const std::size_t limit = gFailFrom.load();
    if (limit != 0 && size >= limit) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return std::memset(p, 0xA5, size);
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

constexpr double QuietNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

Partials allOf(double f) {
    Partials p;
    p.fill(f);
    return p;
}

int16_t sampleAt(const WaveImage& image, size_t frame, int channel) {
    const size_t at = WaveHeaderBytes + frame * BytesPerFrame + static_cast<size_t>(channel) * 2;
    return static_cast<int16_t>(static_cast<uint16_t>(image[at] | image[at + 1] << 8));
}

size_t framesOf(const WaveImage& image) { return (image.size() - WaveHeaderBytes) / BytesPerFrame; }

// The phase arguments of frame i exactly as the tone is defined, and the
// frame's value from the reference partials.
int16_t referenceFrame(int32_t i, const Partials& f) {
    Partials a;
    for (size_t k = 0; k < a.size(); ++k)
        a[k] = static_cast<double>(static_cast<long double>(i) * static_cast<long double>(f[k]));
    return ChordSample(a);
}

// Index of the first frame that differs from the reference or has unequal
// channels; -1 when there is none.
long firstFrameOffReference(const WaveImage& image, const Partials& f) {
    for (size_t i = 0; i < framesOf(image); ++i) {
        const int16_t left = sampleAt(image, i, 0);
        if (left != sampleAt(image, i, 1) || left != referenceFrame(static_cast<int32_t>(i), f))
            return static_cast<long>(i);
    }
    return -1;
}

// The window side of the playback loop: records what is played and what is
// asked, and lets a test act when messages are processed.
struct FakeWindow {
    std::vector<WaveImage> played;
    std::string log;
    bool sustain = false;
    int messageRounds = 0;
    std::function<void(int round)> onMessages;

    PlaybackOps ops() {
        return PlaybackOps{[this](const WaveImage& image) {
                               played.push_back(image);
                               log += "P";
                           },
                           [this] {
                               log += "M";
                               ++messageRounds;
                               if (onMessages) onMessages(messageRounds);
                           },
                           [this] {
                               log += sustain ? "s" : "c";
                               return sustain;
                           }};
    }
};

}  // namespace

// --- Partials -------------------------------------------------------------

TEST(SineSample, KnownValues) {
    struct Case {
        double a;
        int16_t expected;
    };
    for (const auto& c :
         {Case{0, 0}, Case{-0.0, 0}, Case{440, 251}, Case{1000, 568}, Case{11000, 4000}, Case{25000, -1632},
          Case{11025, 4000}, Case{-11025, -4000}, Case{5512.5, 2828}, Case{22050, 0}, Case{33075, -4000}}) {
        EXPECT_EQ(SineSample(c.a), c.expected) << c.a;
    }
}

TEST(SineSample, NonFiniteArgumentsRaise) {
    EXPECT_EQ(messageOf([] { SineSample(Infinity); }), "Gleitkommaüberlauf");
    EXPECT_EQ(messageOf([] { SineSample(-Infinity); }), "Gleitkommaüberlauf");
    EXPECT_EQ(messageOf([] { SineSample(QuietNaN); }), "Ungültige Gleitkommaoperation");
}

TEST(ChordSample, ZeroEndsTheListAndEqualNeighboursCount) {
    struct Case {
        double x, y, z;
    };
    for (const auto& c :
         {Case{440, 660, 880}, Case{1000, -1000.5, 3}, Case{1e9, 12345.678, QuietNaN}, Case{7, 7.0000001, Infinity}}) {
        const int expected = 2 * SineSample(c.x) + 2 * SineSample(c.y);
        // The arguments behind the zero are never looked at, not even a NaN.
        EXPECT_EQ(ChordSample(c.x, c.x, c.y, c.y, 0, c.z, c.z, c.z), expected) << c.x << " " << c.y;
        EXPECT_EQ(ChordSample(Partials{c.x, c.x, c.y, c.y, 0, c.z, c.z, c.z}), expected);
    }
    EXPECT_EQ(ChordSample(0, QuietNaN, QuietNaN, QuietNaN, QuietNaN, QuietNaN, QuietNaN, QuietNaN), 0);
    EXPECT_EQ(ChordSample(-0.0, 440, 440, 440, 440, 440, 440, 440), 0);
    EXPECT_EQ(ChordSample(allOf(440)), 8 * 251);
    EXPECT_EQ(ChordSample(440, 0, 660, 660, 660, 660, 660, 660), 251);
}

TEST(ChordSample, SumsIndividuallyConvertedPartials) {
    // Each partial is rounded on its own: 5512.5 alone gives 2828 (2828.43),
    // eight of them 22624, not the 22627 of rounding the sum.
    EXPECT_EQ(ChordSample(allOf(5512.5)), 22624);
    const Partials a{100, 200, 300, 400, 500, 600, 700, 800};
    int expected = 0;
    for (double ak : a) expected += SineSample(ak);
    EXPECT_EQ(ChordSample(a), expected);
    EXPECT_EQ(messageOf([] { ChordSample(440, 440, QuietNaN, 0, 0, 0, 0, 0); }), "Ungültige Gleitkommaoperation");
}

// --- Images ---------------------------------------------------------------

TEST(ToneImage, SampleValuesOfSingleTones) {
    struct Case {
        double f;
        std::array<int16_t, 5> expected;
    };
    const std::array<size_t, 5> frames{0, 1, 2, 3, 25};
    for (const auto& c : {Case{440, {0, 2008, 4000, 5984, 32000}}, Case{1000, {0, 4544, 8992, 13264, -13056}}}) {
        FakeWindow window;
        PlayFrequency(window.ops(), 100, c.f);
        ASSERT_EQ(window.played.size(), 1u);
        const auto& image = window.played[0];
        for (size_t j = 0; j < frames.size(); ++j) {
            EXPECT_EQ(sampleAt(image, frames[j], 0), c.expected[j]) << c.f << " Hz, frame " << frames[j];
            EXPECT_EQ(sampleAt(image, frames[j], 1), c.expected[j]) << c.f << " Hz, frame " << frames[j];
        }
    }
}

TEST(ToneImage, OneSecondAt440Hz) {
    const auto image = MakeToneImage(100, allOf(440));
    ASSERT_EQ(image.size(), 176444u);
    TWaveHeader header;
    MakeWaveHeader(header);
    header.DataSize = 176400;
    header.RiffSize = 176436;
    std::array<uint8_t, 44> expectedHeader{};
    WriteWaveHeader(header, expectedHeader.data());
    EXPECT_TRUE(std::equal(expectedHeader.begin(), expectedHeader.end(), image.begin()));

    EXPECT_EQ(framesOf(image), 44100u);
    int peak = 0;
    for (size_t i = 0; i < framesOf(image); ++i) {
        const int16_t s = sampleAt(image, i, 0);
        ASSERT_EQ(sampleAt(image, i, 1), s) << "frame " << i;
        ASSERT_EQ(s % 8, 0) << "frame " << i;
        peak = std::max(peak, std::abs(int{s}));
    }
    EXPECT_EQ(sampleAt(image, 0, 0), 0);
    EXPECT_EQ(peak, 32000);
}

TEST(ToneImage, ZeroEndsTheChord) {
    // Only the 440 Hz partial sounds.
    const Partials f{440, 0, 660, 660, 660, 660, 660, 660};
    const auto image = MakeToneImage(100, f);
    int peak = 0;
    for (size_t i = 0; i < framesOf(image); ++i) {
        const auto a = static_cast<double>(static_cast<long double>(i) * 440.0L);
        ASSERT_EQ(sampleAt(image, i, 0), SineSample(a)) << "frame " << i;
        ASSERT_EQ(sampleAt(image, i, 1), SineSample(a)) << "frame " << i;
        peak = std::max(peak, std::abs(int{sampleAt(image, i, 0)}));
    }
    EXPECT_EQ(peak, 4000);

    // A first frequency of zero gives a silent image of full length, short
    // or long enough to be shared out among threads.
    const auto silent = MakeToneImage(1, Partials{0, 440, 440, 440, 440, 440, 440, 440});
    ASSERT_EQ(silent.size(), 1808u);
    EXPECT_TRUE(std::all_of(silent.begin() + WaveHeaderBytes, silent.end(), [](uint8_t b) { return b == 0; }));
    const auto longSilence = MakeToneImage(100, Partials{0, 440, 440, 440, 440, 440, 440, 440});
    ASSERT_EQ(longSilence.size(), 176444u);
    EXPECT_TRUE(
        std::all_of(longSilence.begin() + WaveHeaderBytes, longSilence.end(), [](uint8_t b) { return b == 0; }));
}

TEST(ToneImage, EightDistinctPartials) {
    const Partials f{261.63, 329.63, 392.0, 523.25, 659.26, 784.0, 1046.5, 1318.5};
    const auto image = MakeToneImage(100, f);
    EXPECT_EQ(firstFrameOffReference(image, f), -1);
    int peak = 0;
    for (size_t i = 0; i < framesOf(image); ++i) peak = std::max(peak, std::abs(int{sampleAt(image, i, 0)}));
    EXPECT_LE(peak, 32000);
    EXPECT_GT(peak, 16000);  // the partials really add up
}

TEST(ToneImage, ZeroAndOneUnit) {
    const auto empty = MakeToneImage(0, allOf(440));
    ASSERT_EQ(empty.size(), 44u);
    TWaveHeader header;
    MakeWaveHeader(header);
    header.RiffSize = 36;
    std::array<uint8_t, 44> expected{};
    WriteWaveHeader(header, expected.data());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), empty.begin()));

    const auto one = MakeToneImage(1, allOf(1000));
    ASSERT_EQ(one.size(), 1808u);
    EXPECT_EQ(framesOf(one), 441u);
    EXPECT_EQ(firstFrameOffReference(one, allOf(1000)), -1);
}

// The image is built by a faster route than the reference partials; its bytes
// must be the reference's exactly, also for long tones (large phases),
// high, fractional, negative and absurd frequencies.
TEST(ToneImage, EqualsTheReferenceOverAMinuteOfTone) {
    for (double f : {440.0, 22001.0, 1234.5678, -261.6255653005986, 0.1, 123456789.123}) {
        const auto image = MakeToneImage(6000, allOf(f));
        EXPECT_EQ(firstFrameOffReference(image, allOf(f)), -1) << f << " Hz";
    }
    for (const Partials& f : {Partials{22001, -440, 1234.5678, 0.1, 19999.99, 3, 7040.000001, 55},
                              Partials{440, 440, 660, 660, 660, 0, 880, 880}}) {
        const auto image = MakeToneImage(1000, f);
        EXPECT_EQ(firstFrameOffReference(image, f), -1) << f[0] << " Hz ...";
    }
}

namespace {

constexpr long double PiL = 3.14159265358979323846264338327950288L;

// 4000 × sin(pi × a / 22050) before rounding, close enough to pick cases.
long double exactSample(double a) { return std::sin(PiL * a / 22050.0L) * 4000.0L; }

// A phase argument near `a` where the sample's value before rounding is h.
double phaseNear(double a, double h) {
    const long double turn = std::floor(static_cast<long double>(a) / 44100.0L) * 44100.0L;
    return static_cast<double>(turn + std::asin(static_cast<long double>(h) / 4000.0L) * 22050.0L / PiL);
}

}  // namespace

TEST(ToneImage, EqualsTheReferenceNextToHalfwayValues) {
    // Phases (frame 1 of a tone of that frequency) whose value lies within a
    // hair of halfway between two sample values: where a cheaper sine could
    // round differently. The hair grows with the phase, as every computed
    // phase angle carries rounding in proportion to its size.
    const auto nearHalfway = [](double a) {
        const long double v = exactSample(a);
        return std::fabs(v - std::floor(v) - 0.5L) < 1e-9L + std::fabs(a) * 1e-18L;
    };
    std::vector<double> phases;
    // Small phases, stepping through neighbouring doubles.
    for (double h : {0.5, 1.5, 2.5, 999.5, 1000.5, 2500.5, 3333.5, 3999.5, -0.5, -1999.5, -3000.5}) {
        double a = phaseNear(0, h);
        for (int step = 0; step < 40; ++step) a = std::nextafter(a, -Infinity);
        for (int step = 0; step < 80; ++step, a = std::nextafter(a, Infinity)) {
            EXPECT_TRUE(nearHalfway(a)) << a;
            phases.push_back(a);
        }
    }
    // Large phases, those of every halfway value that happen to round close.
    for (double base : {1e10, 1e11, 1e12, 3e12, 1e13}) {
        int found = 0;
        for (double h = -3999.5; h < 4000; h += 1) {
            const double a = phaseNear(base, h);
            if (nearHalfway(a)) {
                phases.push_back(a);
                ++found;
            }
        }
        EXPECT_GT(found, 100) << base;
    }
    for (double a : phases) {
        const auto image = MakeToneImage(1, Partials{a, 0, 0, 0, 0, 0, 0, 0});
        ASSERT_EQ(sampleAt(image, 1, 0), SineSample(a)) << "a " << a;
    }
}

TEST(ToneImage, HugeButFiniteFrequencies) {
    for (double f : {1e300, -1e300, 4.9e-324}) {
        const auto image = MakeToneImage(1, allOf(f));
        EXPECT_EQ(firstFrameOffReference(image, allOf(f)), -1) << f;
    }
}

// --- Failures -------------------------------------------------------------

TEST(ToneImage, TooLongADurationFailsBeforeAnythingIsBuilt) {
    FakeWindow window;
    EXPECT_EQ(messageOf([&] { PlayFrequency(window.ops(), 1217395, 440); }), "Integerüberlauf");
    EXPECT_EQ(messageOf([&] { PlayFrequency(window.ops(), 0xFFFFFFFFu, 440); }), "Integerüberlauf");
    EXPECT_TRUE(window.log.empty());
    // The largest duration passes the size checks: a huge frequency then makes
    // the phase check fail, still before any buffer is allocated.
    gFailFrom = 1u << 20;
    const std::string message = messageOf([] { MakeToneImage(1217394, allOf(1e305)); });
    gFailFrom = 0;
    EXPECT_EQ(message, "Gleitkommaüberlauf");
}

TEST(ToneImage, NonFinitePhasesFailAndNothingIsPlayed) {
    struct Case {
        uint32_t units;
        Partials f;
        const char* message;
    };
    const char* overflow = "Gleitkommaüberlauf";
    const char* invalid = "Ungültige Gleitkommaoperation";
    for (const auto& c : {
             Case{100, allOf(-1e308), overflow},     // (n-1) × f is infinite
             Case{1, allOf(DBL_MAX), overflow},      //
             Case{100, allOf(Infinity), overflow},   //
             Case{100, allOf(-Infinity), overflow},  //
             Case{100, allOf(QuietNaN), invalid},    //
             Case{1, Partials{440, QuietNaN, 0, 0, 0, 0, 0, 0}, invalid},
             Case{1, Partials{440, 0, 0, 0, 0, 0, 0, Infinity}, overflow},  // every product is formed
             Case{0, allOf(QuietNaN), invalid},                             //
         }) {
        FakeWindow window;
        window.sustain = true;
        EXPECT_EQ(messageOf([&] { MakeToneImage(c.units, c.f); }), c.message) << c.f[0] << " " << c.f[7];
        EXPECT_EQ(messageOf([&] { PlayTone(window.ops(), c.units, c.f); }), c.message);
        EXPECT_TRUE(window.log.empty()) << window.log;
    }
}

TEST(ToneImage, ExhaustedMemoryPassesOnAndNothingIsPlayed) {
    FakeWindow window;
    const PlaybackOps ops = window.ops();
    gFailFrom = 100000;
    bool raised = false;
    try {
        PlayFrequency(ops, 100, 440);
    } catch (const std::bad_alloc&) {
        raised = true;
    }
    gFailFrom = 0;
    EXPECT_TRUE(raised);
    EXPECT_TRUE(window.log.empty()) << window.log;
}

// --- Playback loop --------------------------------------------------------

TEST(PlayTone, PlaysOnceWithSustainClear) {
    FakeWindow window;
    PlayFrequency(window.ops(), 1, 440);
    EXPECT_EQ(window.log, "PMc");
    ASSERT_EQ(window.played.size(), 1u);
    EXPECT_EQ(window.played[0], MakeToneImage(1, allOf(440)));
}

TEST(PlayTone, RepeatsUntilSustainIsCleared) {
    FakeWindow window;
    window.sustain = true;
    window.onMessages = [&](int round) {
        if (round == 3) window.sustain = false;  // "Stop" during the third repetition
    };
    PlayFrequency(window.ops(), 2, 1000);
    EXPECT_EQ(window.log, "PMsPMsPMc");
    ASSERT_EQ(window.played.size(), 3u);
    for (const auto& image : window.played) EXPECT_EQ(image, window.played[0]);
}

TEST(PlayTone, PlaysTheHeaderOnlyImageOfZeroUnits) {
    FakeWindow window;
    window.sustain = true;
    window.onMessages = [&](int round) { window.sustain = round < 2; };
    PlayTone(window.ops(), 0, allOf(440));
    EXPECT_EQ(window.log, "PMsPMc");
    ASSERT_EQ(window.played.size(), 2u);
    EXPECT_EQ(window.played[0].size(), 44u);
    EXPECT_EQ(window.played[0], MakeToneImage(0, allOf(440)));
}

TEST(PlayTone, ClearingSustainEndsNestedAndOuterLoops) {
    FakeWindow window;
    window.sustain = true;
    const PlaybackOps ops = window.ops();
    window.onMessages = [&](int round) {
        if (round == 1) PlayFrequency(ops, 2, 880);  // a new tone request while the first repeats
        if (round == 3) window.sustain = false;      // "Stop" during the nested tone's second play
    };
    PlayFrequency(ops, 1, 440);
    // Outer play, messages (nested: play, messages, play, messages, cleared),
    // then the outer loop finds the box cleared and ends.
    EXPECT_EQ(window.log,
              "PM"
              "PMsPMc"
              "c");
    ASSERT_EQ(window.played.size(), 3u);
    EXPECT_EQ(window.played[0], MakeToneImage(1, allOf(440)));
    EXPECT_EQ(window.played[1], MakeToneImage(2, allOf(880)));
    EXPECT_EQ(window.played[2], window.played[1]);
}
