#include "core/pitch_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/errors.h"
#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

namespace {

// The semitone table at 440 Hz with note names, rows down, columns 0..10 across.
const std::vector<std::vector<std::string>> Semitones440 = {
    {"14", "28", "55", "110", "220", "440 a1", "880", "1760", "3520", "7040", "14080"},
    {"15", "29", "58", "117", "233", "466", "932", "1865", "3729", "7459", "14917"},
    {"15", "31", "62", "123", "247", "494 h1", "988", "1976", "3951", "7902", "15804"},
    {"16", "33", "65", "131", "262", "523 c2", "1047", "2093", "4186", "8372", "16744"},
    {"17", "35", "69", "139", "277", "554", "1109", "2217", "4435", "8870", "17740"},
    {"18", "37", "73", "147", "294", "587 d2", "1175", "2349", "4699", "9397", "18795"},
    {"19", "39", "78", "156", "311", "622", "1245", "2489", "4978", "9956", "19912"},
    {"21", "41", "82", "165", "330", "659 e2", "1319", "2637", "5274", "10548", "21096"},
    {"22", "44", "87", "175", "349", "698 f2", "1397", "2794", "5588", "11175", ""},
    {"23", "46", "92", "185", "370", "740", "1480", "2960", "5920", "11840", ""},
    {"24", "49", "98", "196", "392", "784 g2", "1568", "3136", "6272", "12544", ""},
    {"26", "52", "104", "208", "415", "831", "1661", "3322", "6645", "13290", ""},
    {"27", "55", "110", "220", "440", "880 a2", "1760", "3520", "7040", "14080", ""},
};

void expectShape(const TextTable& t, std::size_t rows) {
    ASSERT_EQ(t.size(), 11u);
    for (const auto& column : t) ASSERT_EQ(column.size(), rows);
}

}  // namespace

TEST(PowerOfTwo, DoublesUpToTheOverflow) {
    struct Case {
        int32_t n;
        int32_t expected;
    };
    for (auto c : {Case{-7, 1}, Case{0, 1}, Case{1, 2}, Case{5, 32}, Case{10, 1024}, Case{30, 1 << 30}}) {
        EXPECT_EQ(PowerOfTwo(c.n), c.expected) << c.n;
    }
    EXPECT_EQ(messageOf([] { PowerOfTwo(31); }), "Integerüberlauf");
}

TEST(StepRatio, ChosenByRowCountBands) {
    struct Case {
        int32_t rows;
        double expected;
    };
    for (auto c : {Case{1, 1.059463094}, Case{13, 1.059463094}, Case{19, 1.059463094}, Case{20, 1.029302237},
                   Case{25, 1.029302237}, Case{29, 1.029302237}, Case{30, 1.003471749}, Case{200, 1.003471749}}) {
        EXPECT_EQ(StepRatio(c.rows), c.expected) << c.rows;
    }
}

TEST(ComputePitchTable, SemitonesAt440WithNoteNames) {
    const TextTable t = ComputePitchTable(440, 13, true);
    expectShape(t, 13);
    for (std::size_t r = 0; r < 13; ++r)
        for (std::size_t c = 0; c < 11; ++c) EXPECT_EQ(t[c][r], Semitones440[r][c]) << "column " << c << " row " << r;
}

// Every cell of every table lies within a hertz of the exact geometric
// series, octave by octave: a wrong ratio, column start or row order shows
// here, the rounding of the last digit in the worked values below.
TEST(ComputePitchTable, CellsFollowTheGeometricSeries) {
    for (int32_t rows : {13, 25, 200}) {
        const long double ratio = rows == 13   ? std::pow(2.0L, 1.0L / 12)
                                  : rows == 25 ? std::pow(2.0L, 1.0L / 24)
                                               : std::pow(2.0L, 1.0L / 200);
        const TextTable t = ComputePitchTable(500, rows, false);
        for (int c = 0; c < 11; ++c) {
            for (int r = 0; r < rows; ++r) {
                const long double exact = 500.0L * std::pow(2.0L, c - 5) * std::pow(ratio, r);
                const std::string& cell = t[c][r];
                if (exact > 22002) {
                    EXPECT_EQ(cell, "") << "column " << c << " row " << r;
                } else if (exact < 22000) {
                    ASSERT_FALSE(cell.empty()) << "column " << c << " row " << r;
                    EXPECT_NEAR(std::stod(cell), static_cast<double>(exact), 1.0) << "column " << c << " row " << r;
                }
            }
        }
    }
}

TEST(ComputePitchTable, SpotValues) {
    struct Case {
        int32_t pitch;
        int32_t rows;
        bool names;
        int column;
        int row;
        const char* expected;
    };
    const Case cases[] = {
        // quarter tones: no names, octave repeated in the last row, cut at the limit
        {440, 25, true, 5, 0, "440"},
        {440, 25, true, 5, 1, "453"},
        {440, 25, true, 5, 2, "466"},
        {440, 25, true, 5, 3, "480"},
        {440, 25, true, 5, 4, "494"},
        {440, 25, true, 5, 24, "880"},
        {440, 25, true, 10, 15, "21714"},
        {440, 25, true, 10, 16, ""},
        // 1/200 octave: stops one step short of the octave
        {440, 200, true, 5, 0, "440"},
        {440, 200, true, 5, 1, "442"},
        {440, 200, true, 5, 2, "443"},
        {440, 200, true, 5, 3, "445"},
        {440, 200, true, 5, 4, "446"},
        {440, 200, true, 5, 5, "448"},
        {440, 200, true, 5, 100, "622"},
        {440, 200, true, 5, 199, "877"},
        {440, 200, true, 0, 0, "14"},
        {440, 200, true, 0, 1, "14"},
        {440, 200, true, 0, 2, "14"},
        {440, 200, true, 10, 128, "21941"},
        {440, 200, true, 10, 129, ""},
        // halfway values go to the even neighbour
        {440, 13, true, 1, 0, "28"},
        {400, 13, true, 0, 0, "12"},
        {500, 13, true, 2, 0, "62"},
        // without the flag column 5 is bare
        {440, 13, false, 5, 0, "440"},
        {440, 13, false, 5, 12, "880"},
    };
    for (const auto& c : cases) {
        const TextTable t = ComputePitchTable(c.pitch, c.rows, c.names);
        EXPECT_EQ(t[c.column][c.row], c.expected)
            << c.pitch << " Hz, " << c.rows << " rows, column " << c.column << " row " << c.row;
    }
}

TEST(ComputePitchTable, OnlyTheSemitoneTableIsNamedAndColumnTenIsCut) {
    struct Case {
        int32_t rows;
        std::size_t firstEmpty;
    };
    for (auto c : {Case{13, 8}, Case{25, 16}, Case{200, 129}}) {
        const TextTable t = ComputePitchTable(440, c.rows, true);
        expectShape(t, static_cast<std::size_t>(c.rows));
        for (std::size_t col = 0; col < 11; ++col) {
            for (std::size_t r = 0; r < t[col].size(); ++r) {
                const std::string& cell = t[col][r];
                if (c.rows != 13 || col != 5) {
                    EXPECT_EQ(cell.find(' '), std::string::npos) << cell;
                }
                if (col < 10) {
                    EXPECT_FALSE(cell.empty()) << col << "/" << r;
                }
            }
        }
        for (std::size_t r = 0; r < t[10].size(); ++r)
            EXPECT_EQ(t[10][r].empty(), r >= c.firstEmpty) << c.rows << " rows, row " << r;
    }
}

TEST(ComputePitchTable, ZeroConcertPitchGivesZerosWithNames) {
    const TextTable t = ComputePitchTable(0, 13, true);
    expectShape(t, 13);
    const char* names[] = {" a1", "", " h1", " c2", "", " d2", "", " e2", " f2", "", " g2", "", " a2"};
    for (std::size_t c = 0; c < 11; ++c)
        for (std::size_t r = 0; r < 13; ++r)
            EXPECT_EQ(t[c][r], c == 5 ? std::string("0") + names[r] : "0") << c << "/" << r;
}

TEST(ComputePitchTable, NegativeConcertPitchIsNeverCut) {
    const TextTable t = ComputePitchTable(-440, 13, true);
    expectShape(t, 13);
    for (std::size_t c = 0; c < 11; ++c) {
        for (std::size_t r = 0; r < 13; ++r) {
            const std::string& cell = t[c][r];
            ASSERT_FALSE(cell.empty()) << c << "/" << r;
            EXPECT_EQ(cell[0], '-') << cell;
            // the positive table mirrored (rounding ties are symmetric)
            if (!Semitones440[r][c].empty()) {
                EXPECT_EQ(cell, "-" + Semitones440[r][c]) << c << "/" << r;
            }
        }
    }
    EXPECT_EQ(t[5][0], "-440 a1");
    EXPECT_EQ(t[5][1], "-466");
    EXPECT_EQ(t[0][0], "-14");
    EXPECT_EQ(t[10][12], "-28160");
}

TEST(ComputePitchTable, AtTheFrequencyLimit) {
    // 704031 / 32 = 22000.97 is still shown; 704032 / 32 = 22001 exactly is not.
    const TextTable below = ComputePitchTable(704031, 13, true);
    const TextTable at = ComputePitchTable(704032, 13, true);
    expectShape(below, 13);
    expectShape(at, 13);
    for (std::size_t c = 0; c < 11; ++c) {
        for (std::size_t r = 0; r < 13; ++r) {
            EXPECT_EQ(below[c][r], c == 0 && r == 0 ? "22001" : "") << c << "/" << r;
            EXPECT_EQ(at[c][r], "") << c << "/" << r;
        }
    }
}

TEST(ComputePitchTable, ThirtyTwoFoldOverflowRaises) {
    EXPECT_EQ(messageOf([] { ComputePitchTable(67108864, 13, true); }), "Integerüberlauf");
    EXPECT_EQ(messageOf([] { ComputePitchTable(-67108865, 200, false); }), "Integerüberlauf");
    EXPECT_EQ(messageOf([] { ComputePitchTable(2147483647, 25, false); }), "Integerüberlauf");

    const TextTable top = ComputePitchTable(67108863, 13, true);
    expectShape(top, 13);
    for (const auto& column : top)
        for (const auto& cell : column) EXPECT_EQ(cell, "");
    const TextTable bottom = ComputePitchTable(-67108864, 13, false);
    EXPECT_EQ(bottom[10][0], "-2147483648");
    EXPECT_EQ(bottom[5][0], "-67108864");
}
