#include "core/decimal_rounding.h"

#include "core/checked_math.h"
#include "core/convert.h"

namespace orvik {

namespace {

// The rounding unit for a step; 0 leaves the cell as it is. All thresholds
// are strict: a step of exactly 50 still rounds to tens.
int32_t UnitForStep(int32_t d) {
    if (d > 1000) return 1000;
    if (d > 500) return 500;
    if (d > 100) return 100;
    if (d > 50) return 50;
    if (d > 10) return 10;
    return 0;
}

}  // namespace

void RoundDecimalTable(TextTable& table) {
    for (auto& column : table) {
        // Bottom-up: the row above is still unrounded when this row reads it.
        for (std::size_t r = column.size(); r-- > 1;) {
            std::string& cell = column[r];
            if (cell.empty()) continue;
            const int32_t v = StrToInt(FirstWord(cell));
            const int32_t u = StrToInt(FirstWord(column[r - 1]));
            const int32_t unit = UnitForStep(CheckedSub(v, u));
            if (unit == 0) continue;
            const int64_t q = RoundHalfEven(static_cast<long double>(v) / unit);
            cell = IntToStr(q * unit);
        }
    }
}

}  // namespace orvik
