#include "core/advert.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <utility>

using namespace orvik;

namespace {

// Characters as the user sees them: every byte that does not continue a
// UTF-8 sequence starts one.
std::size_t CharCount(std::string_view s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Each run of two or more blanks with the word in front of it.
std::vector<std::pair<std::string, int>> BlankRuns(std::string_view s) {
    std::vector<std::pair<std::string, int>> runs;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto blank = s.find(' ', i);
        if (blank == std::string_view::npos) break;
        const auto end = std::min(s.find_first_not_of(' ', blank), s.size());
        if (end - blank > 1) {
            const auto wordStart = s.rfind(' ', blank - 1);
            const auto from = wordStart == std::string_view::npos ? 0 : wordStart + 1;
            runs.emplace_back(std::string(s.substr(from, blank - from)), static_cast<int>(end - blank));
        }
        i = end;
    }
    return runs;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    for (std::size_t i = s.find_first_not_of(' '); i != std::string_view::npos; i = s.find_first_not_of(' ', i)) {
        const auto end = std::min(s.find(' ', i), s.size());
        words.push_back(s.substr(i, end - i));
        i = end;
    }
    return words;
}

constexpr int StaffRows[] = {28, 36, 44, 52, 60};

}  // namespace

TEST(AdvertPicture, IsSeventyEightCrLfSeparatedLines) {
    const std::string_view pic = AdvertPicture;
    for (std::size_t i = 0; i < pic.size(); ++i) {
        if (pic[i] == '\r') {
            ASSERT_LT(i + 1, pic.size());
            EXPECT_EQ(pic[i + 1], '\n') << "at " << i;
        } else if (pic[i] == '\n') {
            EXPECT_TRUE(i > 0 && pic[i - 1] == '\r') << "at " << i;
        } else {
            EXPECT_TRUE(pic[i] == ' ' || pic[i] == '+') << "character " << int(pic[i]) << " at " << i;
        }
    }
    EXPECT_NE(pic.back(), '\n');

    const auto lines = PictureLines();
    ASSERT_EQ(lines.size(), 78u);
    std::string joined;
    for (std::size_t y = 0; y < lines.size(); ++y)
        joined += std::string(lines[y]) + (y + 1 < lines.size() ? "\r\n" : "");
    EXPECT_EQ(joined, pic);
}

TEST(AdvertPicture, HasTheRequiredShapeAndPixelCount) {
    const auto lines = PictureLines();
    ASSERT_EQ(lines.size(), 78u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "");
    std::size_t longest = 0, pluses = 0;
    for (std::size_t y = 0; y < lines.size(); ++y) {
        if (!lines[y].empty()) {
            EXPECT_NE(lines[y].back(), ' ') << "line " << y;
        }
        longest = std::max(longest, lines[y].size());
        pluses += static_cast<std::size_t>(std::count(lines[y].begin(), lines[y].end(), '+'));
    }
    EXPECT_EQ(longest, 185u);
    EXPECT_EQ(pluses, 3054u);
    EXPECT_NE(lines[77].find('+'), std::string_view::npos) << "the picture reaches down to its last line";
}

TEST(AdvertPicture, ShowsAWordOverAStaff) {
    const auto lines = PictureLines();
    ASSERT_EQ(lines.size(), 78u);
    for (int y : StaffRows) EXPECT_EQ(lines[y], std::string(185, '+')) << "staff line " << y;

    // The word: nine rows high, at the top left, with a clear gap below it
    // before the music starts.
    for (int y = 2; y <= 10; ++y) {
        EXPECT_NE(lines[y].find('+'), std::string_view::npos) << "word row " << y;
        EXPECT_LE(lines[y].size(), 90u) << "word row " << y << " reaches past the left half";
    }
    for (int y = 11; y <= 13; ++y) EXPECT_EQ(lines[y], "") << "gap row " << y;

    // Notes stand above the staff, between its lines and below it.
    auto anyIn = [&](int from, int to) {
        for (int y = from; y <= to; ++y)
            if (lines[y].find('+') != std::string_view::npos) return true;
        return false;
    };
    EXPECT_TRUE(anyIn(14, 27));
    EXPECT_TRUE(anyIn(61, 77));
    for (int space = 29; space < 60; space += 8) EXPECT_TRUE(anyIn(space, space + 6)) << "space from " << space;
}

TEST(AdvertColour, IsRed162Green2Blue106) {
    EXPECT_EQ(AdvertColour & 0xFF, 162u);
    EXPECT_EQ((AdvertColour >> 8) & 0xFF, 2u);
    EXPECT_EQ(AdvertColour >> 16, 106u);
}

TEST(AdvertTexts, PositionsTextsAndLengths) {
    struct Case {
        int x;
        int y;
        std::string_view text;
        std::size_t chars;
    };
    const Case cases[] = {
        {200, 10, "Akkord Frequenzen       Frequenzverhälnisse", 43},
        {200, 30, "d1fa   293 352 440       6/5  5/4", 33},
        {200, 50, "d1gbe  293 391 469 660   4/3  6/5  45/32", 40},
        {200, 70, "c1#gae 275 391 440 660  64/45 9/8   3/2", 39},
        {200, 90, "d1fad  293 352 440 587   6/5  5/4   4/3", 39},
        {10, 130, {}, 70},
        {10, 150, "werden bei mehreren Frequenzen Schwebungen äußerst exakt hörbar.", 64},
        {10, 170, "Oberfrequenzen können beliebig vorgegeben werden.", 49},
        {10, 190, "Sie können Kadenzen in reiner, mitteltöniger, wohltemperierter", 62},
        {10, 210, "und gleichstufiger Stimmung vergleichen.", 40},
        {10, 230, {}, 0},
    };
    const auto& texts = AdvertTexts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].x, cases[i].x);
        EXPECT_EQ(texts[i].y, cases[i].y);
        EXPECT_TRUE(IsValidUtf8(texts[i].text));
        if (!cases[i].text.empty()) {
            EXPECT_EQ(texts[i].text, cases[i].text);
        }
        if (cases[i].chars != 0) {
            EXPECT_EQ(CharCount(texts[i].text), cases[i].chars);
        }
    }

    // The sentence opening that the next line completes.
    const std::string_view opening = texts[5].text;
    EXPECT_NE(opening.find("Kalvano"), std::string_view::npos);
    EXPECT_NE(opening.find("Freeware"), std::string_view::npos);
    EXPECT_NE(opening.find("harmonischen Analyse"), std::string_view::npos);
    EXPECT_EQ(opening.back(), ' ');
    EXPECT_NE(opening[opening.size() - 2], ' ');

    // The download line ends in an address that cannot lead anywhere.
    const std::string_view download = texts[10].text;
    const std::string_view prefix = "Hörbeispiele und Download: ";
    ASSERT_GT(download.size(), prefix.size());
    EXPECT_EQ(download.substr(0, prefix.size()), prefix);
    const auto address = download.substr(prefix.size());
    EXPECT_EQ(address.find(' '), std::string_view::npos);
    EXPECT_NE(address.find(".invalid"), std::string_view::npos);
}

TEST(AdvertTexts, ChordTableGapsAreCountedBlankForBlank) {
    using Runs = std::vector<std::pair<std::string, int>>;
    const Runs expected[] = {
        {{"Frequenzen", 7}},
        {{"d1fa", 3}, {"440", 7}, {"6/5", 2}},
        {{"d1gbe", 2}, {"660", 3}, {"4/3", 2}, {"6/5", 2}},
        {{"660", 2}, {"9/8", 3}},
        {{"d1fad", 2}, {"587", 3}, {"6/5", 2}, {"5/4", 3}},
    };
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(BlankRuns(AdvertTexts()[i].text), expected[i]) << "row " << i;
    for (std::size_t i = 5; i < 11; ++i) EXPECT_TRUE(BlankRuns(AdvertTexts()[i].text).empty()) << "text " << i;
}

TEST(AdvertTexts, ChordTableAgreesWithTheCadence) {
    // Each row of the table names a chord of the cadence: its frequencies are
    // the chord's notes rounded to whole hertz, its ratios those of
    // neighbouring notes.
    const std::size_t callOfRow[] = {0, 2, 3, 5};
    for (std::size_t row = 0; row < 4; ++row) {
        SCOPED_TRACE(row);
        const auto words = Words(AdvertTexts()[row + 1].text);
        const auto& notes = Cadence()[callOfRow[row]].partials;
        std::vector<std::string_view> freqs, ratios;
        for (std::size_t w = 1; w < words.size(); ++w)
            (words[w].find('/') == std::string_view::npos ? freqs : ratios).push_back(words[w]);
        ASSERT_EQ(ratios.size() + 1, freqs.size());
        for (std::size_t k = 0; k < freqs.size(); ++k)
            EXPECT_EQ(std::string(freqs[k]), std::to_string(std::lround(notes[k]))) << "note " << k;
        for (std::size_t k = 0; k < ratios.size(); ++k) {
            const auto slash = ratios[k].find('/');
            const double num = std::stod(std::string(ratios[k].substr(0, slash)));
            const double den = std::stod(std::string(ratios[k].substr(slash + 1)));
            EXPECT_NEAR(notes[k + 1] / notes[k], num / den, 1e-4) << ratios[k];
        }
    }
}

// The calls play the table's chords in order, in just intonation from the
// chord's lowest note (d1 = 880/3 Hz, c#1 = 275 Hz) by the table's ratios,
// to the hundredth of a hertz, for 7 s in all.
TEST(Cadence, CallsPlayTheTabledChordsInJustIntonation) {
    struct Call {
        std::size_t row;
        uint32_t duration;
        double lowest;
    };
    const Call calls[] = {{0, 150, 880.0 / 3}, {0, 50, 880.0 / 3}, {1, 100, 880.0 / 3},
                          {2, 150, 275.0},     {2, 50, 275.0},     {3, 200, 880.0 / 3}};
    const auto& cadence = Cadence();
    ASSERT_EQ(cadence.size(), std::size(calls));
    uint32_t total = 0;
    for (std::size_t i = 0; i < cadence.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cadence[i].duration, calls[i].duration);
        total += cadence[i].duration;
        double note = calls[i].lowest;
        std::size_t k = 0;
        EXPECT_NEAR(cadence[i].partials[k], note, 0.01);
        for (std::string_view word : Words(AdvertTexts()[calls[i].row + 1].text)) {
            const auto slash = word.find('/');
            if (slash == std::string_view::npos) continue;
            note *= std::stod(std::string(word.substr(0, slash))) / std::stod(std::string(word.substr(slash + 1)));
            EXPECT_NEAR(cadence[i].partials[++k], note, 0.01) << "f" << k + 1;
        }
    }
    EXPECT_EQ(total, 700u) << "seven seconds in all";
}

TEST(Cadence, NotesComeFirstAndTheirOctavesFollow) {
    for (const auto& chord : Cadence()) {
        const auto sounding = static_cast<std::size_t>(std::find(chord.partials.begin(), chord.partials.end(), 0.0) -
                                                       chord.partials.begin());
        ASSERT_TRUE(sounding == 6 || sounding == 8);
        const std::size_t notes = sounding / 2;
        for (std::size_t k = 0; k < notes; ++k)
            EXPECT_NEAR(chord.partials[k + notes], 2 * chord.partials[k], 0.015) << "f" << k + 1;
        for (std::size_t k = sounding; k < 8; ++k) EXPECT_EQ(chord.partials[k], 0.0);
    }
}

TEST(CompanionMessage, IsTheSystemsText) {
    EXPECT_EQ(CompanionMessage,
              "Wenn das Programm Kalvano in daselbe Verzeichnis wie Orvik kopiert ist, wird es jetzt aufgerufen.");
}
