#include "core/octave_wrap.h"

namespace orvik {

std::optional<GridCell> OctaveWrap(VerticalKey key, GridCell at, int cols, int rows) {
    if (key == VerticalKey::Down && at.row == rows - 1 && at.col < cols - 1) return GridCell{at.col + 1, 0};
    if (key == VerticalKey::Up && at.row == 0 && at.col > 0) return GridCell{at.col - 1, rows - 1};
    return std::nullopt;
}

}  // namespace orvik
