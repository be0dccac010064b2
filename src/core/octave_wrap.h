#pragma once
// Moving through the pitch table with the cursor keys: up from a column's
// top row goes on at the bottom of the column to the left (the octave
// below), down from its bottom row at the top of the column to the right.
#include <optional>

namespace orvik {

struct GridCell {
    int col;
    int row;
    bool operator==(const GridCell&) const = default;
};

enum class VerticalKey { Up, Down };

// Where the key leads from `at` in a table of `cols` × `rows` cells when it
// wraps into the neighbouring octave; nothing when it does not (inside a
// column, or at the table's first or last cell), and the table's own cursor
// movement applies.
std::optional<GridCell> OctaveWrap(VerticalKey key, GridCell at, int cols, int rows);

}  // namespace orvik
