#include "core/checked_math.h"

#include <gtest/gtest.h>

#include <limits>

#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

namespace {

constexpr int32_t Max32 = std::numeric_limits<int32_t>::max();
constexpr int32_t Min32 = std::numeric_limits<int32_t>::min();

}  // namespace

TEST(CheckedArithmetic, RaisesIntegerOverflowAtTheLimits) {
    EXPECT_EQ(CheckedAdd(Max32 - 1, 1), Max32);
    EXPECT_EQ(CheckedSub(Min32 + 1, 1), Min32);
    EXPECT_EQ(CheckedMul(-67108864, 32), Min32);
    for (auto f : std::initializer_list<std::function<void()>>{
             [] { CheckedAdd(Max32, 1); }, [] { CheckedSub(Min32, 1); }, [] { CheckedMul(67108864, 32); },
             [] { CheckedMul(-67108865, 32); }}) {
        EXPECT_EQ(messageOf(f), "Integerüberlauf");
    }
}

TEST(CheckedArithmetic, NarrowingChecksTheRange) {
    EXPECT_EQ(CheckedNarrow<uint32_t>(int64_t{0}), 0u);
    EXPECT_EQ(messageOf([] { CheckedNarrow<uint32_t>(int32_t{-1}); }), "Fehler bei Bereichsprüfung");
    EXPECT_EQ(messageOf([] { CheckedNarrow<int16_t>(int64_t{32768}); }), "Fehler bei Bereichsprüfung");
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
    struct Case {
        long double x;
        int64_t expected;
    };
    for (auto c : {Case{0.5L, 0}, Case{1.5L, 2}, Case{2.5L, 2}, Case{-2.5L, -2}, Case{27.5L, 28}, Case{12.5L, 12},
                   Case{62.5L, 62}, Case{2.4999L, 2}, Case{-0.6L, -1}}) {
        EXPECT_EQ(RoundHalfEven(c.x), c.expected) << static_cast<double>(c.x);
    }
    EXPECT_EQ(messageOf([] { RoundHalfEven(std::numeric_limits<long double>::quiet_NaN()); }),
              "Ungültige Gleitkommaoperation");
    EXPECT_EQ(messageOf([] { RoundHalfEven(1e30L); }), "Gleitkommaüberlauf");
}
