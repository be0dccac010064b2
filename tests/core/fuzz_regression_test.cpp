// Edge inputs met while fuzzing the number conversions, the settings file
// format and the decimal rounding pass (fuzz/, run by scripts/fuzz). Each
// case is checked against what it must give and against the invariants the
// fuzz targets hold the code to, so a fault found there once stays found.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/convert.h"
#include "core/decimal_rounding.h"
#include "core/errors.h"
#include "core/pitch_table.h"
#include "core/settings_format.h"
#include "core/utf8.h"

using namespace orvik;

namespace {

constexpr int32_t Min32 = std::numeric_limits<int32_t>::min();
constexpr int32_t Max32 = std::numeric_limits<int32_t>::max();

template <typename F>
std::optional<Error> errorOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    return std::nullopt;
}

std::string Bytes(const char* s, std::size_t n) { return std::string(s, n); }

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The first word of a cell as an integer, or nothing.
std::optional<int64_t> NumberOf(const std::string& cell) {
    const std::string word = FirstWord(cell);
    const int32_t a = StrToIntDef(word, 0);
    if (a != StrToIntDef(word, 1)) return std::nullopt;
    return a;
}

}  // namespace

TEST(FuzzEdges, IntegerTextsAtTheLimits) {
    struct Case {
        std::string text;
        std::optional<int32_t> value;
    };
    const std::vector<Case> cases = {
        // Leading zeros do not count towards the range, in either base.
        {"00000000002147483647", Max32},
        {"-00000000002147483648", Min32},
        {"0x00000000FFFFFFFF", -1},
        {"$000000000001", 1},
        {"-0", 0},
        {"+0", 0},
        // Values that wrap a 64-bit accumulator back into range.
        {"18446744073709551617", std::nullopt},  // 2^64 + 1
        {"-18446744073709551615", std::nullopt},
        {"$10000000000000001", std::nullopt},
        {"99999999999999999999", std::nullopt},
        // A prefix or sign without its digits, or in the wrong order.
        {"0X", std::nullopt},
        {"x", std::nullopt},
        {"+$1", std::nullopt},
        {"0x-1", std::nullopt},
        {"$ 1", std::nullopt},
        {"- 1", std::nullopt},
        {"1\xC2\xA0", std::nullopt},  // no-break space is not a blank
        {Bytes("1\0", 2), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string shown = testing::PrintToString(c.text);
        if (c.value) {
            EXPECT_EQ(StrToInt(c.text), *c.value) << shown;
            EXPECT_EQ(StrToIntDef(c.text, 12345), *c.value) << shown;
            EXPECT_EQ(StrToInt(IntToStr(*c.value)), *c.value) << shown;
        } else {
            const std::optional<Error> e = errorOf([&] { StrToInt(c.text); });
            ASSERT_TRUE(e.has_value()) << shown;
            EXPECT_EQ(e->kind(), ErrorKind::InvalidInteger) << shown;
            EXPECT_EQ(StrToIntDef(c.text, 12345), 12345) << shown;
            if (c.text.find('\0') == std::string::npos) {
                EXPECT_EQ(std::string(e->what()), "'" + c.text + "' ist kein gültiger Integerwert");
            }
        }
    }
}

TEST(FuzzEdges, FloatTextsAtTheEndsOfTheDoubleRange) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const std::string one400 = "1" + std::string(400, '0') + "e-400";
    const std::string tenth400 = "0," + std::string(399, '0') + "1e400";
    struct Case {
        std::string text;
        char separator;
        std::optional<double> value;
    };
    const std::vector<Case> cases = {
        {"4,9406564584124654e-324", ',', tiny},
        // Just above and just below half the smallest subnormal: the one
        // rounds up to it, the other to zero, which is too small to hold.
        {"2.4703282292062328e-324", '.', tiny},
        {"2.4703282292062327e-324", '.', std::nullopt},
        {"2.2250738585072011e-308", '.', std::nextafter(DBL_MIN, 0.0)},
        // Below and above the midpoint between DBL_MAX and 2^1024.
        {"1.7976931348623158e308", '.', DBL_MAX},
        {"1.7976931348623159e308", '.', std::nullopt},
        {"-1.7976931348623158e308", '.', -DBL_MAX},
        // Zero is no underflow, whatever its exponent.
        {"0e-400", '.', 0.0},
        {"-0e999999999999999999999", '.', -0.0},
        // The range is decided by the value, not by the exponent alone.
        {one400, '.', 1.0},
        {tenth400, ',', 1.0},
        {"1e0000000000000000000000000001", '.', 10.0},
        {"0.1000000000000000055511151231257827021181583404541015625", '.', 0.1},
        {"+,5E-0", ',', 0.5},
        {"1,5", '.', std::nullopt},
        {"--1", ',', std::nullopt},
        {"1e+-1", ',', std::nullopt},
        {"1e1,5", ',', std::nullopt},
        {"0x10", '.', std::nullopt},
    };
    for (const Case& c : cases) {
        const std::string shown = c.text.substr(0, 40) + " with '" + c.separator + "'";
        if (c.value) {
            const double v = StrToFloat(c.text, c.separator);
            EXPECT_TRUE(SameDouble(v, *c.value)) << shown << " gave " << v;
            // Seventeen significant digits read back as the very same double.
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", v);
            std::string printed(buf);
            for (char& ch : printed) {
                if (ch == '.') ch = c.separator;
            }
            EXPECT_TRUE(SameDouble(StrToFloat(printed, c.separator), v)) << shown << " printed as " << printed;
        } else {
            const std::optional<Error> e = errorOf([&] { StrToFloat(c.text, c.separator); });
            ASSERT_TRUE(e.has_value()) << shown;
            EXPECT_EQ(e->kind(), ErrorKind::InvalidFloat) << shown;
            EXPECT_EQ(std::string(e->what()), "'" + c.text + "' ist kein gültiger Gleitkommawert");
        }
    }
}

TEST(FuzzEdges, FirstWordStopsAtTheBlankOnly) {
    struct Case {
        std::string text;
        std::string word;
    };
    const std::vector<Case> cases = {
        {Bytes("1\0 2", 4), Bytes("1\0", 2)},
        {"440\xC2\xA0"
         "a1",
         "440\xC2\xA0"
         "a1"},
        {"  ", ""},
        {"\t440 a1", "\t440"},
    };
    for (const Case& c : cases) {
        const std::string word = FirstWord(c.text);
        EXPECT_EQ(word, c.word) << testing::PrintToString(c.text);
        ASSERT_LE(word.size(), c.text.size());
        if (word.size() < c.text.size()) {
            EXPECT_EQ(c.text[word.size()], ' ');
        }
    }
}

// Whatever lines are saved, reading the file gives them back, a break or NUL
// inside a line as a blank and a byte that is not UTF-8 as its Windows-1252
// character; and a file written from what was read is the same file.
TEST(FuzzEdges, SettingsLinesComeBackAsWritten) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        std::vector<std::string> readBack;
    };
    const std::vector<Case> cases = {
        {"stray byte in a file that must be UTF-8", {"\xF6", "Ω"}, {"ö", "Ω"}},
        {"stray byte beside U+0080", {"\xC2\x80\xF6"}, {"\xC2\x80ö"}},
        {"the two bytes of a UTF-8 letter on two lines", {"\xC3", "\xB6"}, {"Ã", "¶"}},
        {"a cut sequence", {"\xE2\x82"}, {"â‚"}},
        {"surrogate bytes", {"\xED\xA0\x80"}, {"í\xC2\xA0€"}},
        {"a byte-order mark as a character",
         {"\xEF\xBB\xBF"
          "1000"},
         {"\xEF\xBB\xBF"
          "1000"}},
        {"breaks and NULs only", {"\r", "\n", "\r\n", Bytes("\0", 1)}, {" ", " ", "  ", " "}},
        {"empty lines at the end", {"1", "", ""}, {"1", "", ""}},
    };
    for (const Case& c : cases) {
        const std::string bytes = WriteSettingsBytes(c.lines);
        const std::vector<std::string> lines = ReadSettingsLines(bytes);
        EXPECT_EQ(lines, c.readBack) << c.name;
        for (const std::string& line : lines) EXPECT_TRUE(IsValidUtf8(line)) << c.name;
        EXPECT_EQ(WriteSettingsBytes(lines), bytes) << c.name;
        // One CR LF per line and no other break.
        std::size_t breaks = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r') {
                ASSERT_LT(i + 1, bytes.size()) << c.name;
                EXPECT_EQ(bytes[i + 1], '\n') << c.name;
                ++breaks;
                ++i;
            } else {
                EXPECT_NE(bytes[i], '\n') << c.name;
                EXPECT_NE(bytes[i], '\0') << c.name;
            }
        }
        EXPECT_EQ(breaks, c.lines.size()) << c.name;
    }
}

TEST(FuzzEdges, RoundingHandMadeCells) {
    struct Case {
        const char* name;
        TextTable in;
        TextTable out;
        const char* message;  // nullptr: the pass completes
    };
    const std::vector<Case> cases = {
        {"the 64-bit product may leave the 32-bit range",
         {{"2147482000", "2147483647"}},
         {{"2147482000", "2147484000"}},
         nullptr},
        {"halfway at the bottom of the range goes to the even thousand",
         {{"-2147483648", "-2147482500"}},
         {{"-2147483648", "-2147482000"}},
         nullptr},
        {"a step of exactly -2^31 fits", {{"2147483647", "-1"}}, {{"2147483647", "-1"}}, nullptr},
        {"a step of -2^31 - 1 does not", {{"2147483647", "-2"}}, {{"2147483647", "-2"}}, "Integerüberlauf"},
        {"nor one of 2^31", {{"-2147483648", "0"}}, {{"-2147483648", "0"}}, "Integerüberlauf"},
        {"hex and padded spellings are read, decimal is written",
         {{"$10", "0x40"}, {"0", "+0025"}, {"+0025", "-0"}},
         {{"$10", "60"}, {"0", "20"}, {"+0025", "-0"}},
         nullptr},
        {"a leading blank leaves an empty first word",
         {{"0", " 440"}},
         {{"0", " 440"}},
         "'' ist kein gültiger Integerwert"},
        {"a tab does not end the word",
         {{"0", "440\ta1"}},
         {{"0", "440\ta1"}},
         "'440\ta1' ist kein gültiger Integerwert"},
        {"a cell is read only above a filled one",
         {{"garbage"}, {"garbage", ""}, {}},
         {{"garbage"}, {"garbage", ""}, {}},
         nullptr},
    };
    for (const Case& c : cases) {
        TextTable t = c.in;
        const std::optional<Error> e = errorOf([&] { RoundDecimalTable(t); });
        EXPECT_EQ(t, c.out) << c.name;
        if (c.message) {
            ASSERT_TRUE(e.has_value()) << c.name;
            EXPECT_EQ(std::string(e->what()), c.message) << c.name;
        } else if (e) {
            ADD_FAILURE() << c.name << ": " << e->what();
        }
        // Every rounded cell is a multiple of ten nearer to its old value than
        // half its step.
        for (std::size_t col = 0; col < t.size(); ++col) {
            for (std::size_t r = 1; r < t[col].size(); ++r) {
                if (t[col][r] == c.in[col][r]) continue;
                const int64_t n = std::stoll(t[col][r]);
                const int64_t v = *NumberOf(c.in[col][r]);
                const int64_t step = v - *NumberOf(c.in[col][r - 1]);
                EXPECT_EQ(n % 10, 0) << c.name;
                EXPECT_LT(2 * (n > v ? n - v : v - n), step) << c.name;
            }
        }
    }
}

// The pass fails on a pitch table exactly when a cell lies below the 32-bit
// range, which only column 10 of a concert pitch near -2^25 reaches. The
// quarter-tone ratio, rounded to nine decimals, lies just above 2^(1/24), so
// its 25th row passes -2^31 one hertz of concert pitch earlier than the
// semitone table; 1/200 octaves end short of the octave and pass it later.
TEST(FuzzEdges, PitchTablesAtTheBottomOfTheIntegerRange) {
    struct Case {
        int32_t pitch;
        int32_t rows;
        bool raises;
    };
    for (const Case c :
         {Case{-33554432, 13, false}, Case{-33554433, 13, true}, Case{-33554431, 25, false}, Case{-33554432, 25, true},
          Case{-33670921, 200, false}, Case{-33670922, 200, true}, Case{-67108864, 13, true}}) {
        const TextTable raw = ComputePitchTable(c.pitch, c.rows, false);
        bool belowRange = false;
        for (const auto& column : raw) {
            for (const std::string& cell : column) belowRange = belowRange || std::stoll(cell) < Min32;
        }
        EXPECT_EQ(belowRange, c.raises) << c.pitch << " Hz, " << c.rows << " rows";

        TextTable t = raw;
        const std::optional<Error> e = errorOf([&] { RoundDecimalTable(t); });
        ASSERT_EQ(e.has_value(), c.raises) << c.pitch << " Hz, " << c.rows << " rows";
        if (e) {
            // Columns 0 to 9 are passed first; column 10 fails at its bottom cell.
            EXPECT_EQ(e->kind(), ErrorKind::InvalidInteger);
            EXPECT_EQ(std::string(e->what()), "'" + raw[10].back() + "' ist kein gültiger Integerwert");
        }
        EXPECT_EQ(t, raw) << "falling columns are never rounded";
    }

    // The 32-fold at both ends of its range.
    EXPECT_EQ(errorOf([] { ComputePitchTable(67108864, 13, true); })->kind(), ErrorKind::IntOverflow);
    EXPECT_EQ(errorOf([] { ComputePitchTable(-67108865, 13, true); })->kind(), ErrorKind::IntOverflow);
    TextTable highest = ComputePitchTable(67108863, 13, true);
    for (const auto& column : highest) {
        for (const std::string& cell : column) EXPECT_EQ(cell, "") << "every cell lies beyond 22001 Hz";
    }
    EXPECT_FALSE(errorOf([&] { RoundDecimalTable(highest); }).has_value());
}

TEST(FuzzEdges, RoundedRisingColumnsStayInOrder) {
    for (const int32_t rows : {13, 25, 200}) {
        for (int32_t pitch = 1; pitch <= 1000; ++pitch) {
            TextTable t = ComputePitchTable(pitch, rows, true);
            RoundDecimalTable(t);
            for (std::size_t c = 0; c < t.size(); ++c) {
                int64_t previous = std::numeric_limits<int64_t>::min();
                bool emptySeen = false;
                for (const std::string& cell : t[c]) {
                    if (cell.empty()) {
                        emptySeen = true;
                        continue;
                    }
                    ASSERT_FALSE(emptySeen) << pitch << " Hz, " << rows << " rows, column " << c;
                    const std::optional<int64_t> v = NumberOf(cell);
                    ASSERT_TRUE(v.has_value()) << cell;
                    ASSERT_GE(*v, previous) << pitch << " Hz, " << rows << " rows, column " << c;
                    ASSERT_LE(*v, 22001) << pitch << " Hz, " << rows << " rows, column " << c;
                    previous = *v;
                }
            }
        }
    }
}
