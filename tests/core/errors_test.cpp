#include "core/errors.h"
#include "error_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "core/convert.h"

using namespace orvik;
using orvik::testing::messageOf;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

}  // namespace

TEST(CheckedArithmetic, RaisesIntegerOverflowAtTheLimits) {
    EXPECT_EQ(CheckedAdd(kMax - 1, 1), kMax);
    EXPECT_EQ(CheckedSub(kMin + 1, 1), kMin);
    EXPECT_EQ(CheckedMul(-67108864, 32), kMin);
    for (auto f : std::initializer_list<std::function<void()>>{
             [] { CheckedAdd(kMax, 1); }, [] { CheckedSub(kMin, 1); }, [] { CheckedMul(67108864, 32); },
             [] { CheckedMul(-67108865, 32); }}) {
        EXPECT_EQ(messageOf(f), "Integerüberlauf");
    }
}

TEST(CheckedArithmetic, NarrowingChecksTheRange) {
    EXPECT_EQ(CheckedNarrow<uint32_t>(int64_t{0}), 0u);
    EXPECT_EQ(messageOf([] { CheckedNarrow<uint32_t>(int32_t{-1}); }), "Fehler bei Bereichsprüfung");
    EXPECT_EQ(messageOf([] { CheckedNarrow<int16_t>(int64_t{32768}); }), "Fehler bei Bereichsprüfung");
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    struct Case { long double x; int64_t expected; };
    for (auto c : {Case{0.5L, 0}, Case{1.5L, 2}, Case{2.5L, 2}, Case{-2.5L, -2}, Case{27.5L, 28},
                   Case{12.5L, 12}, Case{62.5L, 62}, Case{2.4999L, 2}, Case{-0.6L, -1}}) {
        EXPECT_EQ(RoundHalfEven(c.x), c.expected) << static_cast<double>(c.x);
    }
    EXPECT_EQ(messageOf([] { RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()); }),
              "Ungültige Gleitkommaoperation");
    EXPECT_EQ(messageOf([] { RoundHalfEven(1e30L); }), "Gleitkommaüberlauf");
}

TEST(ErrorTexts, PlaceholdersAndTheFinalPeriod) {
    EXPECT_STREQ(Error::invalidInteger("").what(), "'' ist kein gültiger Integerwert");
    EXPECT_STREQ(Error::invalidFloat("abc").what(), "'abc' ist kein gültiger Gleitkommawert");
    EXPECT_STREQ(Error::fileCreate("/x/orini").what(), "Datei /x/orini kann nicht erstellt werden");
    struct Case { const char* in; const char* out; };
    for (auto c : {Case{"Integerüberlauf", "Integerüberlauf."}, Case{"Ende.", "Ende."}, Case{"Frage?", "Frage?."},
                   Case{"Klammer)", "Klammer)"}, Case{"Größe ö", "Größe ö."}, Case{"", ""}, Case{"1", "1."}}) {
        EXPECT_EQ(WithFinalPeriod(c.in), c.out);
    }
}

TEST(StrToInt, AcceptsTheSettingsGrammar) {
    struct Case { const char* text; int32_t value; };
    for (auto c : {Case{"440", 440}, Case{"  -3", -3}, Case{"+7", 7}, Case{"$1F4", 500}, Case{"0x1f4", 500},
                   Case{"X1F4", 500}, Case{"x10", 16}, Case{"$FFFFFFFF", -1}, Case{"2147483647", kMax},
                   Case{"-2147483648", kMin}, Case{"0X80000000", kMin}, Case{"007", 7}}) {
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    }
}

TEST(StrToInt, RejectsEverythingElseWithTheWholeText) {
    for (const char* text : {"", " ", "440 ", "440 a1", "-", "+", "$", "0x", "-$10", "$100000000", "2147483648",
                             "-2147483649", "1e3", "4,5", "abc", "\t1"}) {
        EXPECT_EQ(messageOf([&] { StrToInt(text); }), "'" + std::string(text) + "' ist kein gültiger Integerwert");
    }
    EXPECT_EQ(StrToIntDef("abc", 0), 0);
    EXPECT_EQ(StrToIntDef("-12", 0), -12);
}

TEST(StrToFloat, LocaleSeparatorAndExponents) {
    struct Case { const char* text; char sep; double value; };
    for (auto c : {Case{"440", ',', 440.0}, Case{"22001,5", ',', 22001.5}, Case{"440.05", '.', 440.05},
                   Case{"-3,25", ',', -3.25}, Case{"+1e3", ',', 1000.0}, Case{",5", ',', 0.5}, Case{"5,", ',', 5.0},
                   Case{"1E-2", '.', 0.01}, Case{"-1e308", '.', -1e308}}) {
        EXPECT_EQ(StrToFloat(c.text, c.sep), c.value) << c.text;
    }
    for (const char* text : {"", "abc", "440.05", "1,2,3", "inf", "nan", "1e", "1e+", "e5", "-", ",", "1e400",
                             "1e-400", " 1", "1 "}) {
        EXPECT_EQ(messageOf([&] { StrToFloat(text, ','); }),
                  "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
    }
}

TEST(FirstWord, CutsAtTheFirstBlank) {
    struct Case { const char* in; const char* out; };
    for (auto c : {Case{"440 a1", "440"}, Case{"440", "440"}, Case{"", ""}, Case{" 440", ""},
                   Case{"1 2 3", "1"}, Case{"a\tb", "a\tb"}}) {
        EXPECT_EQ(FirstWord(c.in), c.out);
    }
}
