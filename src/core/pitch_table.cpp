#include "core/pitch_table.h"

#include <array>
#include <charconv>
#include <string_view>

#include "core/audio_format.h"
#include "core/checked_math.h"

namespace orvik {

namespace {

constexpr int32_t Columns = 11;
constexpr int32_t ConcertPitchColumn = 5;

// Suffixes of the natural notes a1..a2 in the semitone table, by row.
constexpr std::array<std::string_view, 13> NoteNames = {" a1", "",    " h1", " c2", "", " d2", "",
                                                        " e2", " f2", "",    " g2", "", " a2"};

}  // namespace

int32_t PowerOfTwo(int32_t n) {
    if (n < 1) return 1;
    return CheckedMul(2, PowerOfTwo(n - 1));
}

double StepRatio(int32_t rowCount) {
    // Fixed nine-decimal literals, not roots computed at run time: the
    // table's last digits depend on exactly these doubles.
    if (rowCount < 20) return 1.059463094;
    if (rowCount < 30) return 1.029302237;
    return 1.003471749;
}

TextTable ComputePitchTable(int32_t concertPitch, int32_t rowCount, bool noteNames) {
    // Column 10 starts at 32 times the concert pitch; its overflow must be
    // raised before any cell exists.
    const int32_t top = CheckedMul(concertPitch, 32);
    const double ratio = StepRatio(rowCount);
    const auto rows = static_cast<std::size_t>(rowCount > 0 ? rowCount : 0);
    const bool named = noteNames && rowCount == 13;

    TextTable table(Columns);
    for (int32_t c = 0; c < Columns; ++c) {
        auto& column = table[static_cast<std::size_t>(c)];
        column.resize(rows);
        // Division by a power of two: exact, concertPitch × 2^(c − 5).
        double f = static_cast<double>(top) / static_cast<double>(PowerOfTwo(10 - c));
        for (std::size_t r = 0; r < rows; ++r) {
            if (r > 0) f = f * ratio;           // one rounding per step
            if (f >= FrequencyLimit) continue;  // stays empty, no name either
            char buf[24];
            const auto end = std::to_chars(buf, buf + sizeof buf, RoundHalfEven(f)).ptr;
            std::string& cell = column[r];
            cell.assign(buf, end);
            if (named && c == ConcertPitchColumn) cell += NoteNames[r];
        }
    }
    return table;
}

}  // namespace orvik
