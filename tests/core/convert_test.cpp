#include "core/convert.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

TEST(StrToInt, AcceptsTheSettingsGrammar) {
    struct Case {
        const char* text;
        int32_t value;
    };
    for (auto c : {Case{"440", 440}, Case{"  -3", -3}, Case{"+7", 7}, Case{"$1F4", 500}, Case{"0x1f4", 500},
                   Case{"X1F4", 500}, Case{"x10", 16}, Case{"$FFFFFFFF", -1}, Case{"2147483647", INT32_MAX},
                   Case{"-2147483648", INT32_MIN}, Case{"0X80000000", INT32_MIN}, Case{"007", 7}}) {
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
    struct Case {
        const char* text;
        char sep;
        double value;
    };
    for (auto c : {Case{"440", ',', 440.0}, Case{"22001,5", ',', 22001.5}, Case{"440.05", '.', 440.05},
                   Case{"-3,25", ',', -3.25}, Case{"+1e3", ',', 1000.0}, Case{",5", ',', 0.5}, Case{"5,", ',', 5.0},
                   Case{"1E-2", '.', 0.01}, Case{"-1e308", '.', -1e308}}) {
        EXPECT_EQ(StrToFloat(c.text, c.sep), c.value) << c.text;
    }
    for (const char* text :
         {"", "abc", "440.05", "1,2,3", "inf", "nan", "1e", "1e+", "e5", "-", ",", "1e400", "1e-400", " 1", "1 "}) {
        EXPECT_EQ(messageOf([&] { StrToFloat(text, ','); }),
                  "'" + std::string(text) + "' ist kein gültiger Gleitkommawert");
    }
}

TEST(FirstWord, CutsAtTheFirstBlank) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (auto c : {Case{"440 a1", "440"}, Case{"440", "440"}, Case{"", ""}, Case{" 440", ""}, Case{"1 2 3", "1"},
                   Case{"a\tb", "a\tb"}}) {
        EXPECT_EQ(FirstWord(c.in), c.out);
    }
}
