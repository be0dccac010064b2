// The decimal rounding pass, on tables of arbitrary texts and on real pitch
// tables. The first byte chooses: a table of cell texts made from the fuzz
// bytes (numbers near their upper neighbour, note-name suffixes, empties,
// garbage, numbers at and beyond the 32-bit range), or ComputePitchTable from
// a fuzzed concert pitch, followed by the pass, as the decimal modes do.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "check.h"
#include "core/convert.h"
#include "core/decimal_rounding.h"
#include "core/errors.h"
#include "core/pitch_table.h"

using orvik::TextTable;

namespace {

std::optional<int32_t> IntOf(const std::string& cell) {
    const std::string word = orvik::FirstWord(cell);
    const int32_t a = orvik::StrToIntDef(word, 0);
    const int32_t b = orvik::StrToIntDef(word, 1);
    if (a != b) return std::nullopt;
    return a;
}

// what() ends at the first NUL of the message, so a text holding one can only
// be compared up to there.
bool MessageIs(const orvik::Error& e, const std::string& expected) {
    return std::string_view(e.what()) == std::string_view(expected).substr(0, expected.find('\0'));
}

// Plain decimal as IntToStr writes it: optional '-', no leading zeros, no
// suffix.
bool IsBareDecimal(const std::string& s) {
    std::string_view d = s;
    if (!d.empty() && d.front() == '-') d.remove_prefix(1);
    if (d.empty() || (d.size() > 1 && d.front() == '0') || s == "-0") return false;
    for (const char c : d) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

enum class Pair { Skipped, Unreadable, Overflow, Step };

struct StepInfo {
    Pair pair = Pair::Skipped;
    int64_t value = 0;  // the cell's number
    int64_t step = 0;   // value minus the number of the row above
};

// What the pass has to find at (c, r), r >= 1, of the unrounded table.
StepInfo StepAt(const TextTable& t, std::size_t c, std::size_t r) {
    StepInfo s;
    if (t[c][r].empty()) return s;
    const std::optional<int32_t> v = IntOf(t[c][r]);
    const std::optional<int32_t> u = IntOf(t[c][r - 1]);
    if (!v || !u) {
        s.pair = Pair::Unreadable;
        return s;
    }
    s.value = *v;
    s.step = int64_t{*v} - *u;
    s.pair = s.step < INT32_MIN || s.step > INT32_MAX ? Pair::Overflow : Pair::Step;
    return s;
}

// Runs the pass on a copy of `in` and checks it against the unrounded table.
// Returns whether it raised.
bool CheckPass(const TextTable& in, TextTable& out) {
    out = in;
    std::optional<orvik::Error> raised;
    try {
        orvik::RoundDecimalTable(out);
    } catch (const orvik::Error& e) {
        FUZZ_CHECK(e.kind() == orvik::ErrorKind::InvalidInteger || e.kind() == orvik::ErrorKind::IntOverflow);
        raised = e;
    }

    FUZZ_CHECK(out.size() == in.size());
    bool unreadable = false;
    bool overflow = false;
    bool messageMatches = false;
    for (std::size_t c = 0; c < in.size(); ++c) {
        FUZZ_CHECK(out[c].size() == in[c].size());
        if (in[c].empty()) continue;
        FUZZ_CHECK(out[c][0] == in[c][0]);  // row 0 is never touched
        for (std::size_t r = 1; r < in[c].size(); ++r) {
            const StepInfo s = StepAt(in, c, r);
            const std::string& before = in[c][r];
            const std::string& after = out[c][r];
            switch (s.pair) {
                case Pair::Skipped:
                    FUZZ_CHECK(after == before);
                    break;
                case Pair::Unreadable:
                    unreadable = true;
                    FUZZ_CHECK(after == before);
                    if (raised && raised->kind() == orvik::ErrorKind::InvalidInteger) {
                        for (const std::string* cell : {&in[c][r], &in[c][r - 1]}) {
                            const std::string word = orvik::FirstWord(*cell);
                            if (!IntOf(word) && MessageIs(*raised, "'" + word + "' ist kein gültiger Integerwert"))
                                messageMatches = true;
                        }
                    }
                    break;
                case Pair::Overflow:
                    overflow = true;
                    FUZZ_CHECK(after == before);
                    break;
                case Pair::Step:
                    if (s.step <= 10) {
                        FUZZ_CHECK(after == before);
                    } else if (after != before || !raised) {
                        // Rounded (or, when the pass finished, due to be): a
                        // bare multiple of ten, nearer to the cell's value than
                        // half the step and never more than 500 away.
                        FUZZ_CHECK(IsBareDecimal(after));
                        const int64_t n = std::stoll(after);
                        FUZZ_CHECK(n % 10 == 0);
                        const int64_t off = n > s.value ? n - s.value : s.value - n;
                        FUZZ_CHECK(2 * off < s.step);
                        FUZZ_CHECK(off <= 500);
                    }
                    break;
            }
        }
    }
    // The pass raises exactly when some pair of cells cannot be read or
    // their step leaves the 32-bit range.
    FUZZ_CHECK(raised.has_value() == (unreadable || overflow));
    if (raised && raised->kind() == orvik::ErrorKind::InvalidInteger) FUZZ_CHECK(messageMatches);
    if (raised && raised->kind() == orvik::ErrorKind::IntOverflow) FUZZ_CHECK(overflow);
    return raised.has_value();
}

std::string NumberText(FuzzedDataProvider& p, int64_t& last) {
    int64_t v;
    switch (p.ConsumeIntegralInRange(0, 4)) {
        case 0:  // near the row above: every rounding band and its edges
            v = last + p.ConsumeIntegralInRange<int64_t>(-20, 1100);
            break;
        case 1:
            v = p.ConsumeIntegralInRange<int64_t>(-100, 25000);
            break;
        case 2:  // at the ends of the 32-bit range
            v = (p.ConsumeBool() ? int64_t{INT32_MAX} : int64_t{INT32_MIN}) + p.ConsumeIntegralInRange(-1100, 1100);
            break;
        case 3:
            v = p.ConsumeIntegral<int32_t>();
            break;
        default:
            v = p.ConsumeIntegral<int64_t>();
            break;
    }
    // Kept within reach of int64 arithmetic for the next neighbour.
    last = std::clamp<int64_t>(v, -(int64_t{1} << 40), int64_t{1} << 40);
    return std::to_string(v);
}

std::string CellText(FuzzedDataProvider& p, int64_t& last) {
    static constexpr std::array<const char*, 8> Suffixes = {" a1", " h1", " c2", " a2", " ", "  x", " 12", "\t"};
    switch (p.ConsumeIntegralInRange(0, 7)) {
        case 0:
            return "";
        case 1:
        case 2:
        case 3:
            return NumberText(p, last);
        case 4:
            return NumberText(p, last) + Suffixes[p.ConsumeIntegralInRange<std::size_t>(0, Suffixes.size() - 1)];
        case 5: {  // other spellings StrToInt reads: blanks, sign, hex, zeros
            static constexpr std::array<const char*, 6> Prefixes = {" ", "  +", "+", "00", "$", "0x"};
            const std::size_t k = p.ConsumeIntegralInRange<std::size_t>(0, Prefixes.size() - 1);
            const auto v = p.ConsumeIntegralInRange<uint32_t>(0, k >= 4 ? 0xFFFFFFFFu : 30000u);
            char buf[16];
            std::snprintf(buf, sizeof buf, k >= 4 ? "%X" : "%u", v);
            last = k >= 4 ? static_cast<int32_t>(v) : v;
            return Prefixes[k] + std::string(buf);
        }
        default:
            return p.ConsumeRandomLengthString(12);
    }
}

void ArbitraryTable(FuzzedDataProvider& p) {
    TextTable in(p.ConsumeIntegralInRange<std::size_t>(0, 12));
    for (auto& column : in) {
        column.resize(p.ConsumeIntegralInRange<std::size_t>(0, 24));
        int64_t last = 0;
        for (auto& cell : column) cell = CellText(p, last);
    }
    TextTable out;
    CheckPass(in, out);
}

void PitchTable(FuzzedDataProvider& p) {
    int32_t pitch;
    switch (p.ConsumeIntegralInRange(0, 4)) {
        case 0:
            pitch = p.ConsumeIntegralInRange(-1000, 30000);
            break;
        case 1:  // the edges of the 32-fold's range
            pitch = (p.ConsumeBool() ? 67108863 : -67108864) + p.ConsumeIntegralInRange(-3, 3);
            break;
        case 2:  // where column 10 leaves the integer range downwards
            pitch = -33554432 + p.ConsumeIntegralInRange(-300000, 300000);
            break;
        case 3:  // the exact thresholds: -2^25 and, for 200 rows, -33670922
            pitch = (p.ConsumeBool() ? -33554432 : -33670922) + p.ConsumeIntegralInRange(-3, 3);
            break;
        default:
            pitch = p.ConsumeIntegral<int32_t>();
            break;
    }
    static constexpr std::array<int32_t, 3> Rows = {13, 25, 200};
    const int32_t rows = Rows[p.ConsumeIntegralInRange<std::size_t>(0, Rows.size() - 1)];
    const bool names = p.ConsumeBool();

    const int64_t top = int64_t{pitch} * 32;
    const bool fits = top >= INT32_MIN && top <= INT32_MAX;
    std::optional<TextTable> in;
    try {
        in = orvik::ComputePitchTable(pitch, rows, names);
    } catch (const orvik::Error& e) {
        FUZZ_CHECK(e.kind() == orvik::ErrorKind::IntOverflow);
    }
    FUZZ_CHECK(in.has_value() == fits);
    if (!in) return;
    FUZZ_CHECK(in->size() == 11);
    for (const auto& column : *in) FUZZ_CHECK(column.size() == static_cast<std::size_t>(rows));

    TextTable out;
    const bool raised = CheckPass(*in, out);
    // Column 10 holds 32 times the concert pitch and about twice that at its
    // last row: a hair less for semitones and 1/200 octaves, a hair more for
    // quarter tones, whose nine-decimal ratio lies just above 2^(1/24). So
    // only a concert pitch of -2^25 or below can reach below the integer range.
    if (raised) FUZZ_CHECK(pitch <= -33554432);
    if (raised) return;

    if (pitch <= 0) {
        FUZZ_CHECK(out == *in);  // every step is zero or negative
        return;
    }
    // A rising column stays in order once rounded, and its empty cells (from
    // 22001 Hz up) stay at its end.
    for (const auto& column : out) {
        bool emptySeen = false;
        int64_t previous = INT64_MIN;
        for (const std::string& cell : column) {
            if (cell.empty()) {
                emptySeen = true;
                continue;
            }
            FUZZ_CHECK(!emptySeen);
            const std::optional<int32_t> v = IntOf(cell);
            FUZZ_CHECK(v.has_value());
            FUZZ_CHECK(*v >= previous);
            FUZZ_CHECK(*v <= 22001);  // below 22001 Hz, rounded to whole hertz
            previous = *v;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    if (provider.ConsumeBool())
        PitchTable(provider);
    else
        ArbitraryTable(provider);
    return 0;
}
