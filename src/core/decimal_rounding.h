#pragma once
// The decimal modes show round numbers: every frequency below row 0 is
// rounded to a multiple of 10, 50, 100, 500 or 1000, chosen by the size of
// its step from the row above.
#include "core/pitch_table.h"

namespace orvik {

// Rounds the table in place, column by column, each column from its last row
// up to row 1 so that every step is taken between two unrounded texts. Row 0
// and empty cells are left alone, as are cells whose step is 10 Hz or less;
// a rounded cell becomes the bare number (a note name is dropped). A text
// that is not an integer raises "'<text>' ist kein gültiger Integerwert";
// the cells rounded before the error stay rounded.
void RoundDecimalTable(TextTable& table);

}  // namespace orvik
