#pragma once
// The three help pages shown in place of the pitch table, and the rule that
// pages through them. A page is recognised only by the digit in its first
// line, so the navigation lines obey a digit rule: page 1's holds a "1" and
// no "3", page 2's neither, page 3's a "3".
#include <string_view>

namespace orvik {

// Each page: lines separated by CR LF, no line end after the last; the first
// line is the navigation line. UTF-8.
extern const std::string_view InfoPage1;  // 14 lines: hearing and hearing tests
extern const std::string_view InfoPage2;  // 7 lines: physics experiments
extern const std::string_view InfoPage3;  // 78 lines: terms, contact, what the project offers

enum class PageStep { ShowPage1, ShowPage2, ShowPage3, BackToTable };

// What a click on "Info" or in the page does, from whether a page is shown
// and the page's first line as it stands (the user may have edited it).
PageStep NextPageStep(bool memoVisible, std::string_view firstLine);

}  // namespace orvik
