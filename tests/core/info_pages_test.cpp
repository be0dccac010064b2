#include "core/info_pages.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using namespace orvik;

namespace {

std::vector<std::string_view> SplitCrLf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (;;) {
        const auto end = text.find("\r\n");
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) return lines;
        text.remove_prefix(end + 2);
    }
}

std::string_view FirstLine(std::string_view page) { return page.substr(0, page.find("\r\n")); }

bool Has(std::string_view s, std::string_view part) { return s.find(part) != std::string_view::npos; }

struct Page {
    std::string_view text;
    std::size_t lines;
};
const Page Pages[] = {{InfoPage1, 14}, {InfoPage2, 7}, {InfoPage3, 78}};

}  // namespace

TEST(InfoPages, AreCrLfSeparatedLinesWithNoLineEndAfterTheLast) {
    for (std::size_t p = 0; p < 3; ++p) {
        SCOPED_TRACE(p + 1);
        const auto text = Pages[p].text;
        EXPECT_TRUE(IsValidUtf8(text));
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "at " << i;
            } else if (text[i] == '\n') {
                EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "at " << i;
            }
        }
        EXPECT_EQ(SplitCrLf(text).size(), Pages[p].lines);
        EXPECT_NE(text.back(), '\n');
        EXPECT_FALSE(SplitCrLf(text).back().empty());
        EXPECT_EQ(SplitCrLf(text)[1], "") << "an empty line follows the navigation line";
    }
}

TEST(InfoPages, NavigationLines) {
    EXPECT_EQ(FirstLine(InfoPage1), "   Seite 1 (Zurück zum Programm: Hier klicken)");
    EXPECT_EQ(FirstLine(InfoPage2), "   Seite 2   (Zurück zum Programm: Hier klicken)");

    const std::string_view head = "   Seite 3      ";
    const std::string_view tail = "    (Zurück zum Programm: Hier klicken)";
    const auto third = FirstLine(InfoPage3);
    ASSERT_GT(third.size(), head.size() + tail.size());
    EXPECT_EQ(third.substr(0, head.size()), head);
    EXPECT_EQ(third.substr(third.size() - tail.size()), tail);
    const auto notice = third.substr(head.size(), third.size() - head.size() - tail.size());
    EXPECT_EQ(notice.substr(0, 2), "©");
    EXPECT_TRUE(Has(notice, "Orvik"));
    EXPECT_NE(notice.back(), ' ');
}

TEST(InfoPages, DigitRuleOfTheNavigationLines) {
    const auto l1 = FirstLine(InfoPage1), l2 = FirstLine(InfoPage2), l3 = FirstLine(InfoPage3);
    EXPECT_TRUE(Has(l1, "1") && !Has(l1, "3"));
    EXPECT_TRUE(!Has(l2, "1") && !Has(l2, "3"));
    EXPECT_TRUE(Has(l3, "3"));
    // A narrow memo wraps the line; the digit must stay on its first row.
    EXPECT_LT(l1.find('1'), 10u);
    EXPECT_LT(l3.find('3'), 10u);
}

TEST(InfoPages, ClickingCyclesThroughThePagesAndBackToTheTable) {
    // The memo as the window holds it: visible or not, and its text.
    bool visible = false;
    std::string_view text;
    std::vector<PageStep> seen;
    for (int click = 0; click < 8; ++click) {
        const auto step = NextPageStep(visible, FirstLine(text));
        seen.push_back(step);
        switch (step) {
            case PageStep::ShowPage1:
                text = InfoPage1;
                visible = true;
                break;
            case PageStep::ShowPage2:
                text = InfoPage2;
                break;
            case PageStep::ShowPage3:
                text = InfoPage3;
                break;
            case PageStep::BackToTable:
                visible = false;
                break;
        }
    }
    const std::vector<PageStep> cycle = {PageStep::ShowPage1, PageStep::ShowPage2, PageStep::ShowPage3,
                                         PageStep::BackToTable};
    std::vector<PageStep> twice = cycle;
    twice.insert(twice.end(), cycle.begin(), cycle.end());
    EXPECT_EQ(seen, twice);
}

TEST(NextPageStep, DecidesByVisibilityAndTheDigitsOfTheFirstLine) {
    struct Case {
        bool visible;
        std::string_view line;
        PageStep expected;
    };
    const Case cases[] = {
        {false, "", PageStep::ShowPage1},
        {false, "   Seite 3      x", PageStep::ShowPage1},  // hidden memo: its old text does not count
        {false, "   Seite 1", PageStep::ShowPage1},
        {true, "3", PageStep::BackToTable},
        {true, "abc 3", PageStep::BackToTable},
        {true, "31", PageStep::BackToTable},  // a "3" wins over a "1"
        {true, "1 und 3", PageStep::BackToTable},
        {true, "1", PageStep::ShowPage2},
        {true, "Text mit 21 Zeichen", PageStep::ShowPage2},
        {true, "   Seite 2   (Zurück)", PageStep::ShowPage3},
        {true, "keine Ziffer", PageStep::ShowPage3},
        {true, "", PageStep::ShowPage3},  // an emptied memo
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextPageStep(c.visible, c.line), c.expected) << c.visible << " '" << c.line << "'";
}

TEST(InfoPages, PageOneCoversHearingInFourBlocks) {
    const auto lines = SplitCrLf(InfoPage1);
    std::size_t blocks = 0, longest = 0;
    for (std::size_t i = 2; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i - 1].empty()) ++blocks;
        longest = std::max(longest, lines[i].size());
    }
    EXPECT_EQ(blocks, 4u);
    EXPECT_GT(longest, 500u) << "the first paragraph stands on one long line";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto l) { return l.substr(0, 3) == "1. "; }));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto l) { return l.substr(0, 3) == "2. "; }));
    for (std::string_view fact : {"20 Hz", "20 000 Hz", "14 000 Hz", "8 000 Hz", "6 000 Hz", "50 Hz", "Audiogramm",
                                  "Dezibel", "15 000 Hz", "18 000 Hz", "440 Hz", "Tinnitus"})
        EXPECT_TRUE(Has(InfoPage1, fact)) << fact;
}

TEST(InfoPages, PageTwoNamesTheFineSettingAndTheFrequencyField) {
    const auto lines = SplitCrLf(InfoPage2);
    for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_FALSE(lines[i].empty()) << "line " << i;
    for (std::string_view fact : {"Resonanz", "Dezimal fein", "Frequenz (Hz)", "440,05"})
        EXPECT_TRUE(Has(InfoPage2, fact)) << fact;
}

TEST(InfoPages, PageThreeNamesNoAddress) {
    const std::string_view page = InfoPage3;
    for (std::string_view bad : {"@", "www", "http", "://"}) EXPECT_FALSE(Has(page, bad)) << bad;
    for (std::size_t i = 0; i + 1 < page.size(); ++i) {
        // A dot directly followed by a letter is how a domain name looks.
        if (page[i] == '.') {
            EXPECT_FALSE(std::isalpha(static_cast<unsigned char>(page[i + 1]))) << "at " << i;
        }
    }
    std::size_t digits = 0;
    for (char c : page) {
        digits = std::isdigit(static_cast<unsigned char>(c)) ? digits + 1 : 0;
        EXPECT_LT(digits, 5u) << "looks like a postal code";
    }
    for (std::string_view topic : {"Nutzungsbedingungen", "Rückmeld", "Orvik:", "Kalvano:", "Stimmung", "Tonhöhe"})
        EXPECT_TRUE(Has(page, topic)) << topic;
}
