#include "core/checked_math.h"

#include <cmath>

namespace orvik {

int32_t CheckedAdd(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_add_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int32_t CheckedSub(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_sub_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int32_t CheckedMul(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int64_t RoundHalfEven(long double x) {
    if (std::isnan(x)) throw Error::floatInvalid();
    // rintl rounds in the current mode, which Orvik never changes from the
    // default round-to-nearest-even; it is far cheaper than nearbyintl.
    const long double r = std::rintl(x);
    constexpr long double lo = -9223372036854775808.0L;  // -2^63, exact
    if (!(r >= lo && r < -lo)) throw Error::floatOverflow();
    return static_cast<int64_t>(r);
}

}  // namespace orvik
