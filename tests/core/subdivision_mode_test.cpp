#include "core/subdivision_mode.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvik;

// The five entries of the box, and texts a user may paste: the parts are
// looked for anywhere, "Halb" before "Viertel" before "1/20".
TEST(SubdivisionMode, ReadFromTheTextFirstMatchWins) {
    struct Case {
        std::string text;
        int32_t rows;
        bool toTop;
        bool decimal;
        int32_t pitch;
    };
    for (const Case& c : {Case{"Halbtöne", 13, false, false, 440}, Case{"Viertelstöne", 25, true, false, 440},
                          Case{"Dezimal Halb", 13, false, true, 500}, Case{"Dezimal Viertel", 25, true, true, 500},
                          Case{"Dezimal  1/20", 200, true, true, 500}, Case{"Viertel und Halb", 13, false, false, 440},
                          Case{"1/20 Viertel", 25, true, false, 440}, Case{"Dez", 0, false, true, 500},
                          Case{"", 0, false, false, 440}, Case{"halbtöne", 0, false, false, 440}}) {
        const SubdivisionMode mode = ModeOfText(c.text);
        EXPECT_EQ(mode.rows, c.rows) << c.text;
        EXPECT_EQ(mode.toScreenTop, c.toTop) << c.text;
        EXPECT_EQ(mode.decimal, c.decimal) << c.text;
        EXPECT_EQ(ConcertPitchOf(mode), c.pitch) << c.text;
    }
}
