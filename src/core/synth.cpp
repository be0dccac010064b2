#include "core/synth.h"

#include <algorithm>
#include <atomic>
#include <cfloat>
#include <cmath>
#include <memory>
#include <thread>

#include "core/errors.h"
#include "core/wave.h"

namespace orvik {

namespace {

// pi rounded to the 64-bit mantissa of the extended type (C90FDAA22168C235).
constexpr long double Pi = 0xC.90FDAA22168C235p-2L;
static_assert(Pi == 3.14159265358979323846264338327950288L);

// ---------------------------------------------------------------------------
// The reference: the one definition of a partial's value. Every image must
// hold exactly its values.

// x = pi × a / 22050: the product, then the quotient; v = sin(x) × 32000 / 8:
// the product, then the quotient; every step rounded to the extended type.
// v goes to the nearest integer in the default rounding mode (halfway to
// even). For finite a the value lies in -4000..4000.
inline int16_t ReferenceSample(double a) noexcept {
    const long double product = Pi * static_cast<long double>(a);
    const long double x = product / 22050.0L;
    const long double s = std::sin(x);
    const long double scaled = s * 32000.0L;
    const long double v = scaled / 8.0L;
    return static_cast<int16_t>(std::lrint(v));
}

// a = i × f: i converted exactly, the product formed in the extended type and
// rounded to double.
inline double PhaseArgument(int32_t i, double f) noexcept {
    return static_cast<double>(static_cast<long double>(i) * static_cast<long double>(f));
}

// Partial values are worked out a block of frames at a time.
constexpr int Block = 64;

#if defined(__x86_64__) && LDBL_MANT_DIG == 64 && FLT_EVAL_METHOD == 0
// ---------------------------------------------------------------------------
// The fast path, where the reference runs in the x87 extended type and double
// arithmetic is plain IEEE double (SSE). A cheap sine in double precision
// whose distance from the reference is rigorously bounded; its rounded value
// is kept only when the bound shows that the reference rounds the same way,
// and the sample is recomputed with the reference otherwise.
//
// Reduction. sin(pi × a / 22050) has period 44100 in a. With k an integer
// nearest a / 22050 (it may miss by one at a halfway point) and
// d = a - 22050 × k, sin(pi a / 22050) = (-1)^k × sin(rho), rho = pi d / 22050,
// |d| <= 11025.1. For |a| < 2^48 both 22050 × k (an integer below 2^53) and
// d are exact in double: d is a itself when |a| < 8192 (k = 0), and otherwise
// a multiple of a's ulp (at least 2^-39) below 2^14 in magnitude, which fits
// 53 bits. r = d × RN(pi / 22050) is within 3.5e-16 of rho; |r| <= 1.5709.
//
// Polynomial. The Taylor series of sin up to r^21; for |r| <= 1.5709 the
// remainder is below 1.3e-18, and Horner evaluation in double adds less than
// 2.5e-15. The sign and the scaling by 4000 add half an ulp of y. So
// y = ±RN(4000 × the cheap sine) is within 1.1e-11 of 4000 × sin(pi a / 22050).
//
// The reference. Its x carries the relative errors of pi's rounding (below
// 2^-65.8) and of its rounded product and quotient (2^-64 each), so
// |x - pi a / 22050| < |a| × 2^-75.5; sinl is accurate to an ulp or two and
// the scaling adds half an ulp. So its v is within 1e-14 + |a| × 2^-63.5 of
// 4000 × sin(pi a / 22050).
//
// Together |y - v| < 2^-36 + |a| × 2^-63. When y is farther than
// 2^-30 + |a| × 2^-60 from every half-integer, v lies strictly on the same
// side of the same half-integers and rounds to the same integer. Otherwise
// (about two samples in a thousand million for audible tones) the reference
// decides.
constexpr double FastLimit = 0x1p48;
constexpr double PiOver22050 = 3.14159265358979323846264338327950288 / 22050.0;
constexpr double InverseHalfPeriod = 1.0 / 22050.0;
constexpr double RoundMagic = 0x1.8p52;  // (x + this) - this: x to the nearest integer, |x| < 2^51

// Taylor coefficients 1 / n!, rounded once to double at compile time.
constexpr double T3 = -1.0 / 6.0;
constexpr double T5 = 1.0 / 120.0;
constexpr double T7 = -1.0 / 5040.0;
constexpr double T9 = 1.0 / 362880.0;
constexpr double T11 = -1.0 / 39916800.0;
constexpr double T13 = 1.0 / 6227020800.0;
constexpr double T15 = -1.0 / 1307674368000.0;
constexpr double T17 = 1.0 / 355687428096000.0;
constexpr double T19 = -1.0 / 121645100408832000.0;
constexpr double T21 = 1.0 / 51090942171709440000.0;

// For a block of arguments: the nearest integer to the cheap value, and the
// slack, positive when that integer is certainly the reference's value.
// Straight-line code over the block, so the compiler can use vector
// registers.
[[gnu::always_inline]] inline void CheapBlockBody(const double* __restrict a, double* __restrict nearest,
                                                  double* __restrict slack) noexcept {
    for (int j = 0; j < Block; ++j) {
        const double k = (a[j] * InverseHalfPeriod + RoundMagic) - RoundMagic;
        const double d = a[j] - k * 22050.0;
        const double halfK = (k * 0.5 + RoundMagic) - RoundMagic;
        const double oddK = k - 2.0 * halfK;  // -1, 0 or 1
        const double sign = 1.0 - 2.0 * (oddK * oddK);
        const double r = d * PiOver22050;
        const double z = r * r;
        // Horner's scheme reads best on one line.
        // clang-format off
        const double p =
            r + r * z * (T3 + z * (T5 + z * (T7 + z * (T9 + z * (T11 + z * (T13 + z * (T15 + z * (T17 + z * (T19 + z * T21)))))))));
        // clang-format on
        const double y = sign * p * 4000.0;
        const double n = (y + RoundMagic) - RoundMagic;
        const double magnitude = std::fabs(a[j]);
        nearest[j] = n;
        slack[j] = (0.5 - (0x1p-30 + magnitude * 0x1p-60)) - std::fabs(y - n);
    }
}

using CheapBlockFunction = void (*)(const double*, double*, double*) noexcept;

void CheapBlockBaseline(const double* a, double* nearest, double* slack) noexcept { CheapBlockBody(a, nearest, slack); }

// The same operations four lanes wide where the processor has AVX2; IEEE
// double arithmetic gives the same values in any lane width. (Chosen by a
// plain check rather than an ifunc, which sanitizer builds cannot resolve.)
[[gnu::target("avx2")]] void CheapBlockAvx2(const double* a, double* nearest, double* slack) noexcept {
    CheapBlockBody(a, nearest, slack);
}

CheapBlockFunction PickCheapBlock() noexcept {
    return __builtin_cpu_supports("avx2") ? CheapBlockAvx2 : CheapBlockBaseline;
}

void PartialBlock(const double* a, int16_t* value) noexcept {
    static const CheapBlockFunction cheapBlock = PickCheapBlock();
    double nearest[Block];
    double slack[Block];
    cheapBlock(a, nearest, slack);
    for (int j = 0; j < Block; ++j) {
        const bool certain = slack[j] > 0 && std::fabs(a[j]) < FastLimit;
        value[j] = certain ? static_cast<int16_t>(nearest[j]) : ReferenceSample(a[j]);
    }
}
#else
// Elsewhere the bound above does not hold: the reference is the only path.
void PartialBlock(const double* a, int16_t* value) noexcept {
    for (int j = 0; j < Block; ++j) value[j] = ReferenceSample(a[j]);
}
#endif

// ---------------------------------------------------------------------------
// Frame synthesis.

// The partials before the first zero, equal frequencies merged. A partial's
// value depends only on its argument, and equal frequencies give equal
// arguments in every frame, so summing count × value per distinct frequency
// gives exactly the chord's sum of individually converted partials.
struct ChordPlan {
    std::array<double, 8> frequency{};
    std::array<int16_t, 8> count{};
    int size = 0;
};

ChordPlan PlanChord(const Partials& f) {
    ChordPlan plan;
    for (double fk : f) {
        if (fk == 0) break;
        int j = 0;
        while (j < plan.size && plan.frequency[j] != fk) ++j;
        if (j == plan.size) plan.frequency[plan.size++] = fk;
        ++plan.count[j];
    }
    return plan;
}

// Frames [begin, end) into out, which points at frame `begin`. For i >= 1 a
// non-zero finite frequency never gives a zero argument, so the plan's
// partials are exactly those ChordSample sums; frame 0 comes out 0.
void SynthesizeFrames(const ChordPlan& plan, int32_t begin, int32_t end, uint8_t* out) noexcept {
    double a[Block];
    int16_t value[Block];
    int sum[Block];
    for (int32_t first = begin; first < end; first += Block) {
        const int n = static_cast<int>(std::min<int32_t>(Block, end - first));
        std::fill(sum, sum + Block, 0);
        for (int p = 0; p < plan.size; ++p) {
            for (int j = 0; j < Block; ++j) a[j] = j < n ? PhaseArgument(first + j, plan.frequency[p]) : 0.0;
            PartialBlock(a, value);
            for (int j = 0; j < n; ++j) sum[j] += plan.count[p] * value[j];
        }
        for (int j = 0; j < n; ++j) {
            // Each partial lies within ±4000, so eight of them fit 16 bits.
            const auto u = static_cast<uint16_t>(static_cast<int16_t>(sum[j]));
            const auto lo = static_cast<uint8_t>(u);
            const auto hi = static_cast<uint8_t>(u >> 8);
            out[0] = lo;
            out[1] = hi;
            out[2] = lo;
            out[3] = hi;
            out += BytesPerFrame;
        }
    }
}

// Frames are dealt out in chunks to the calling thread and to helper threads;
// whoever is free takes the next. A helper that gets no core in time simply
// finds nothing left, so a busy machine costs at most the single-thread time.
constexpr int32_t ChunkFrames = 4096;
constexpr int32_t MinFramesForHelpers = 4 * ChunkFrames;
constexpr unsigned MaxHelpers = 7;

struct SharedWork {
    ChordPlan plan;
    uint8_t* out = nullptr;
    int32_t frames = 0;
    int32_t chunks = 0;
    std::atomic<int32_t> next{0};
    std::atomic<int32_t> done{0};
};

void TakeChunks(SharedWork& work) noexcept {
    for (;;) {
        const int32_t chunk = work.next.fetch_add(1);
        if (chunk >= work.chunks) return;
        const int32_t begin = chunk * ChunkFrames;
        const int32_t end = begin + std::min(work.frames - begin, ChunkFrames);
        SynthesizeFrames(work.plan, begin, end, work.out + static_cast<size_t>(begin) * BytesPerFrame);
        if (work.done.fetch_add(1) + 1 == work.chunks) work.done.notify_all();
    }
}

void Synthesize(const ChordPlan& plan, int32_t frames, uint8_t* out) {
    if (frames == 0) return;
    if (frames < MinFramesForHelpers) {
        SynthesizeFrames(plan, 0, frames, out);
        return;
    }
    // Shared with the helpers, which may outlive this call: a late one finds
    // no chunk left and never touches the image.
    const auto work = std::make_shared<SharedWork>();
    work->plan = plan;
    work->out = out;
    work->frames = frames;
    work->chunks = (frames - 1) / ChunkFrames + 1;
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned helpers = std::min(cores > 1 ? cores - 1 : 0u, MaxHelpers);
    for (unsigned h = 0; h < helpers; ++h) {
        try {
            std::thread([work] { TakeChunks(*work); }).detach();
        } catch (...) {
            // No thread to be had (system_error, bad_alloc): the remaining
            // chunks are done here. Nothing may leave before the wait below,
            // or a running helper would write into a released image.
            break;
        }
    }
    TakeChunks(*work);
    // Every chunk has been taken; wait for those still being written.
    for (int32_t done = work->done.load(); done < work->chunks; done = work->done.load()) work->done.wait(done);
}

// Every product i × f_k of the image must be finite. The largest in magnitude
// is (n - 1) × max |f_k|, and rounding is monotonic, so checking that one
// covers them all. All eight frequencies count: every product is formed.
void CheckPhases(int32_t frames, const Partials& f) {
    double largest = 0;
    for (double fk : f) {
        if (std::isnan(fk)) throw Error::floatInvalid();
        if (std::isinf(fk)) throw Error::floatOverflow();
        largest = std::max(largest, std::fabs(fk));
    }
    if (frames > 1 && std::isinf(PhaseArgument(frames - 1, largest))) throw Error::floatOverflow();
}

}  // namespace

int16_t SineSample(double a) {
    if (std::isnan(a)) throw Error::floatInvalid();
    if (std::isinf(a)) throw Error::floatOverflow();
    return ReferenceSample(a);
}

int16_t ChordSample(const Partials& a) {
    if (a[0] == 0) return 0;
    int16_t sum = SineSample(a[0]);
    int16_t last = sum;
    for (size_t k = 1; k < a.size(); ++k) {
        if (a[k] == 0) return sum;
        if (a[k] != a[k - 1]) last = SineSample(a[k]);
        // Each partial lies within ±4000, so eight of them fit 16 bits.
        sum = static_cast<int16_t>(sum + last);
    }
    return sum;
}

int16_t ChordSample(double a1, double a2, double a3, double a4, double a5, double a6, double a7, double a8) {
    return ChordSample(Partials{a1, a2, a3, a4, a5, a6, a7, a8});
}

WaveImage MakeToneImage(uint32_t duration, const Partials& f) {
    TWaveHeader header;
    MakeWaveHeader(header);
    const ImageSize size = ComputeImageSize(duration);
    header.DataSize = size.dataSize;
    header.RiffSize = size.riffSize;
    CheckPhases(size.frames, f);

    // Uncleared: the header and every frame are written below.
    WaveImage image(static_cast<size_t>(WaveHeaderBytes) + static_cast<size_t>(size.dataSize));
    WriteWaveHeader(header, image.data());
    Synthesize(PlanChord(f), size.frames, image.data() + WaveHeaderBytes);
    return image;
}

void PlayTone(const PlaybackOps& ops, uint32_t duration, const Partials& f) {
    const WaveImage image = MakeToneImage(duration, f);
    // Pending messages may start a nested tone; once that one's loop has
    // ended because the box was cleared, this loop finds it cleared too.
    do {
        ops.playImage(image);
        ops.processMessages();
    } while (ops.sustained());
}

void PlayFrequency(const PlaybackOps& ops, uint32_t duration, double f) {
    Partials all;
    all.fill(f);
    PlayTone(ops, duration, all);
}

}  // namespace orvik
