#include "core/decimal_rounding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "core/pitch_table.h"
#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

namespace {

TextTable Rounded(int32_t concertPitch, int32_t rows) {
    TextTable t = ComputePitchTable(concertPitch, rows, false);
    RoundDecimalTable(t);
    return t;
}

// "Dezimal Halb" at 500 Hz, rows down, columns 0..10 across.
const std::vector<std::vector<std::string>> DecimalSemitones500 = {
    {"16", "31", "62", "125", "250", "500", "1000", "2000", "4000", "8000", "16000"},
    {"17", "33", "66", "132", "260", "530", "1050", "2100", "4200", "8500", "17000"},
    {"18", "35", "70", "140", "280", "560", "1100", "2200", "4500", "9000", "18000"},
    {"19", "37", "74", "149", "300", "600", "1200", "2400", "4800", "9500", "19000"},
    {"20", "39", "79", "157", "320", "630", "1250", "2500", "5000", "10000", "20000"},
    {"21", "42", "83", "167", "330", "670", "1350", "2700", "5300", "10500", "21000"},
    {"22", "44", "88", "177", "350", "710", "1400", "2800", "5700", "11500", ""},
    {"23", "47", "94", "187", "380", "750", "1500", "3000", "6000", "12000", ""},
    {"25", "50", "99", "200", "400", "790", "1600", "3200", "6400", "12500", ""},
    {"26", "53", "105", "210", "420", "840", "1700", "3400", "6700", "13500", ""},
    {"28", "56", "111", "220", "440", "890", "1800", "3600", "7100", "14500", ""},
    {"29", "59", "118", "240", "470", "950", "1900", "3800", "7600", "15000", ""},
    {"31", "62", "125", "250", "500", "1000", "2000", "4000", "8000", "16000", ""},
};

}  // namespace

TEST(RoundDecimalTable, DecimalSemitonesAt500) {
    const TextTable t = Rounded(500, 13);
    ASSERT_EQ(t.size(), 11u);
    for (std::size_t c = 0; c < 11; ++c) {
        ASSERT_EQ(t[c].size(), 13u);
        for (std::size_t r = 0; r < 13; ++r)
            EXPECT_EQ(t[c][r], DecimalSemitones500[r][c]) << "column " << c << " row " << r;
    }
}

TEST(RoundDecimalTable, StepsAreTakenBetweenUnroundedNeighbours) {
    // Each case names the unrounded cell, its unrounded upper neighbour and the
    // result: halfway quotients go to the even multiple, thresholds are strict,
    // and the upper neighbour is read before it is rounded itself.
    struct Case {
        int32_t pitch;
        int32_t rows;
        int column;
        int row;
        const char* above;
        const char* raw;
        const char* rounded;
    };
    const Case cases[] = {
        {500, 13, 4, 1, "250", "265", "260"},          // 26.5 tens -> 26
        {500, 13, 4, 10, "420", "445", "440"},         // 44.5 tens -> 44
        {500, 13, 5, 10, "841", "891", "890"},         // step 50: tens
        {500, 13, 5, 11, "891", "944", "950"},         // step 53: fifties
        {500, 13, 3, 7, "177", "187", "187"},          // step 10: unchanged
        {500, 13, 3, 8, "187", "198", "200"},          // step 11: tens
        {500, 25, 4, 12, "343", "354", "350"},         // step 11
        {500, 25, 4, 13, "354", "364", "364"},         // step 10 from the unrounded 354
        {500, 25, 10, 11, "21357", "21983", "22000"},  // step 626: unit 500
        {510, 13, 5, 12, "963", "1020", "1000"},       // step 57: the octave itself is rounded
    };
    for (const auto& c : cases) {
        const TextTable raw = ComputePitchTable(c.pitch, c.rows, false);
        ASSERT_EQ(raw[c.column][c.row - 1], c.above) << c.column << "/" << c.row;
        ASSERT_EQ(raw[c.column][c.row], c.raw) << c.column << "/" << c.row;
        EXPECT_EQ(Rounded(c.pitch, c.rows)[c.column][c.row], c.rounded)
            << c.pitch << " Hz, " << c.rows << " rows, column " << c.column << " row " << c.row;
    }
}

TEST(RoundDecimalTable, DecimalModesSpotValues) {
    const TextTable quarter = Rounded(500, 25);
    for (int r = 12; r < 25; ++r) EXPECT_EQ(quarter[10][r], "") << r;

    const TextTable fine = Rounded(500, 200);
    const std::vector<std::string> column5 = {"500", "502", "503", "505", "507", "509"};
    const std::vector<std::string> column10 = {"16000", "16050", "16100", "16150", "16200", "16300"};
    for (std::size_t r = 0; r < 6; ++r) {
        EXPECT_EQ(fine[5][r], column5[r]) << r;
        EXPECT_EQ(fine[10][r], column10[r]) << r;
    }

    const TextTable at510 = Rounded(510, 13);
    const std::vector<std::string> expected = {"510", "540", "570", "610", "640", "680", "720",
                                               "760", "810", "860", "900", "950", "1000"};
    EXPECT_EQ(at510[5], expected);
    EXPECT_EQ(at510[6][0], "1020");
}

TEST(RoundDecimalTable, UnitFollowsTheStepWithStrictThresholds) {
    // 1263 rounds differently for every unit, so each band is visible.
    struct Case {
        int32_t step;
        const char* expected;
    };
    for (auto c : {Case{1001, "1000"}, Case{1000, "1500"}, Case{501, "1500"}, Case{500, "1300"}, Case{101, "1300"},
                   Case{100, "1250"}, Case{51, "1250"}, Case{50, "1260"}, Case{11, "1260"}, Case{10, "1263"},
                   Case{0, "1263"}, Case{-400, "1263"}}) {
        TextTable t = {{std::to_string(1263 - c.step), "1263"}};
        RoundDecimalTable(t);
        EXPECT_EQ(t[0][1], c.expected) << "step " << c.step;
        EXPECT_EQ(t[0][0], std::to_string(1263 - c.step)) << "row 0 is never changed";
    }
}

TEST(RoundDecimalTable, HandWrittenColumns) {
    // Rounded cells lose their suffix, unchanged ones keep it; a negative
    // halfway quotient (-97.5) also goes to the even neighbour.
    TextTable t = {{"440 a1", "466", "494 h1", "499 x"}, {"7 y"}, {}, {"-1000", "-975"}};
    RoundDecimalTable(t);
    const TextTable expected = {{"440 a1", "470", "490", "499 x"}, {"7 y"}, {}, {"-1000", "-980"}};
    EXPECT_EQ(t, expected);
}

TEST(RoundDecimalTable, NegativeTablesStayUnchanged) {
    const TextTable raw = ComputePitchTable(-440, 13, false);
    TextTable t = raw;
    RoundDecimalTable(t);
    EXPECT_EQ(t, raw);
}

TEST(RoundDecimalTable, SecondPassWorksOnRoundedValues) {
    // First pass: 75 (step 50 from 25) -> 80, 25 -> 20. Second pass sees the
    // step 80 - 20 = 60 and rounds to fifties.
    TextTable t = {{"0", "25", "75"}};
    RoundDecimalTable(t);
    EXPECT_EQ(t, (TextTable{{"0", "20", "80"}}));
    RoundDecimalTable(t);
    EXPECT_EQ(t, (TextTable{{"0", "20", "100"}}));

    // "Dezimal Viertel" at 500: 364 stays in the first pass (step 10 from the
    // unrounded 354) but the second pass measures 14 from the rounded 350.
    TextTable quarter = Rounded(500, 25);
    ASSERT_EQ(quarter[4][13], "364");
    const TextTable once = quarter;
    RoundDecimalTable(quarter);
    EXPECT_EQ(quarter[4][13], "360");
    quarter[4][13] = "364";
    EXPECT_EQ(quarter, once) << "no other cell of that table moves";
}

TEST(RoundDecimalTable, NumbersBelowTheIntegerRangeRaiseAtColumnTen) {
    // 32 × -40000000 fits, but column 10 descends below -2^31 from row 9 on.
    const TextTable raw = ComputePitchTable(-40000000, 13, false);
    const std::string& last = raw[10][12];
    ASSERT_LT(std::stoll(last), -2147483648LL);
    ASSERT_GE(std::stoll(raw[9][12]), -2147483648LL);

    TextTable t = raw;
    EXPECT_EQ(messageOf([&] { RoundDecimalTable(t); }), "'" + last + "' ist kein gültiger Integerwert");
    EXPECT_EQ(last, "-2559999990");
    // Columns 0..9 fall downwards and are passed unchanged; column 10 fails at
    // its first (bottom) cell, so nothing was rounded.
    EXPECT_EQ(t, raw);
}

TEST(RoundDecimalTable, ConversionErrorsKeepWhatWasAlreadyRounded) {
    struct Case {
        TextTable table;
        std::string message;
    };
    const Case cases[] = {
        {{{"0", "25", "75"}, {"1", "x"}}, "'x' ist kein gültiger Integerwert"},
        {{{"0", "25", "75"}, {"abc 1", "100"}}, "'abc' ist kein gültiger Integerwert"},
        {{{"0", "25", "75"}, {"", "100"}}, "'' ist kein gültiger Integerwert"},
        {{{"0", "25", "75"}, {"-2147483648", "2147483647"}}, "Integerüberlauf"},
    };
    for (const auto& c : cases) {
        TextTable t = c.table;
        EXPECT_EQ(messageOf([&] { RoundDecimalTable(t); }), c.message);
        EXPECT_EQ(t[0], (std::vector<std::string>{"0", "20", "80"})) << c.message;
        EXPECT_EQ(t[1], c.table[1]) << c.message;
    }
}
