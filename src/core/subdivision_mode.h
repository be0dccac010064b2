#pragma once
// The subdivision box's text and what it leads to. The box's text is the
// only record of the mode: it is read by its parts, first match wins, so a
// text a user pasted still picks a table when it holds one of the parts.
#include <cstdint>
#include <string_view>

namespace orvik {

struct SubdivisionMode {
    // 13 (holds "Halb"), 25 ("Viertel") or 200 ("1/20") rows; 0 when the
    // text holds none of them, and the table stays as it is.
    int32_t rows;
    // The two tall tables move the window to the top of the screen first.
    bool toScreenTop;
    // Holds "Dez": no note names, cells rounded to decimal steps, and a
    // concert pitch of 500 instead of 440 when the user picks the mode.
    bool decimal;
};

SubdivisionMode ModeOfText(std::string_view text);

// The concert pitch a user's choice of mode sets.
int32_t ConcertPitchOf(const SubdivisionMode& mode);

}  // namespace orvik
