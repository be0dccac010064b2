#include "core/subdivision_mode.h"

#include <array>

namespace orvik {

namespace {

struct Entry {
    std::string_view part;
    int32_t rows;
    bool toScreenTop;
};

// In the order they are tried.
constexpr std::array<Entry, 3> Entries{{
    {"Halb", 13, false},
    {"Viertel", 25, true},
    {"1/20", 200, true},
}};

}  // namespace

SubdivisionMode ModeOfText(std::string_view text) {
    SubdivisionMode mode{0, false, text.find("Dez") != std::string_view::npos};
    for (const Entry& e : Entries) {
        if (text.find(e.part) != std::string_view::npos) {
            mode.rows = e.rows;
            mode.toScreenTop = e.toScreenTop;
            break;
        }
    }
    return mode;
}

int32_t ConcertPitchOf(const SubdivisionMode& mode) { return mode.decimal ? 500 : 440; }

}  // namespace orvik
