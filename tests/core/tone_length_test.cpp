#include "core/tone_length.h"

#include <gtest/gtest.h>

#include "error_text.h"

using namespace orvik;
using orvik::testing::messageOf;

TEST(ToneLength, UnitsOfTenMilliseconds) {
    EXPECT_EQ(ToneUnits(1000), 100u);
    EXPECT_EQ(ToneUnits(1009), 100u);
    EXPECT_EQ(ToneUnits(9), 0u);
    EXPECT_EQ(ToneUnits(-9), 0u);  // rounds toward zero before the check
    EXPECT_EQ(messageOf([] { ToneUnits(-10); }), "Fehler bei Bereichsprüfung");
}

TEST(ToneLength, SustainFiveTimesAndBack) {
    EXPECT_EQ(SustainedLength(1000), 5000);
    EXPECT_EQ(UnsustainedLength(5000), 1000);
    EXPECT_EQ(UnsustainedLength(1004), 200);  // a fifth, rounded toward zero
    EXPECT_EQ(UnsustainedLength(-7), -1);
    EXPECT_EQ(messageOf([] { SustainedLength(429496730); }), "Integerüberlauf");
}
