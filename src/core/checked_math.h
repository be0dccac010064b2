#pragma once
// Arithmetic that raises the program's errors instead of wrapping or
// guessing, so no module invents its own overflow checks.
#include <cstdint>
#include <limits>
#include <utility>

#include "core/errors.h"

namespace orvik {

// Signed 32-bit arithmetic that raises "Integerüberlauf" instead of wrapping.
int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);
int32_t CheckedMul(int32_t a, int32_t b);

// Narrowing with a range check ("Fehler bei Bereichsprüfung").
template <typename To, typename From>
To CheckedNarrow(From v) {
    static_assert(std::numeric_limits<To>::is_integer && std::numeric_limits<From>::is_integer);
    if (!std::in_range<To>(v)) throw Error::rangeCheck();
    return static_cast<To>(v);
}

// Nearest integer, halfway values to the even neighbour. A NaN raises
// "Ungültige Gleitkommaoperation", a value outside the 64-bit range
// "Gleitkommaüberlauf".
int64_t RoundHalfEven(long double x);

}  // namespace orvik
