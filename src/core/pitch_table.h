#pragma once
// The table of frequencies the main window shows: eleven columns, one octave
// each, and one row per step of the octave's subdivision. Pure computation:
// texts by column and row, no window involved.
#include <cstdint>
#include <string>
#include <vector>

namespace orvik {

// Cell texts indexed [column][row]; a full table has 11 columns.
using TextTable = std::vector<std::vector<std::string>>;

// 2 to the power n for n >= 1, else 1. Overflow-checked: n >= 31 raises
// "Integerüberlauf".
int32_t PowerOfTwo(int32_t n);

// The ratio between neighbouring rows for a table of rowCount rows: semitone
// below 20 rows, quarter tone for 20..29, 1/200 octave from 30.
double StepRatio(int32_t rowCount);

// The whole table for a concert pitch (column 5, row 0). Down a column each
// row is the row above multiplied by StepRatio(rowCount), rounded to a
// double at every step (a power function would round differently and change
// last digits). A cell holds the frequency rounded half-to-even to whole hertz, or the empty text from
// 22001 Hz up. With 13 rows and noteNames, the natural notes a1..a2 in
// column 5 carry their German names after a blank. A concert pitch whose
// 32-fold leaves the 32-bit range raises "Integerüberlauf" before anything
// is built.
TextTable ComputePitchTable(int32_t concertPitch, int32_t rowCount, bool noteNames);

}  // namespace orvik
