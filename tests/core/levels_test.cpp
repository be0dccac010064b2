#include "core/levels.h"

#include <gtest/gtest.h>

using namespace orvik;

TEST(VolumeLevel, FollowsThePositionToTheNearestLevel) {
    struct Case { int32_t position; uint16_t level; };
    for (auto c : {Case{0, 0}, Case{1, 655}, Case{10, 6554}, Case{25, 16384}, Case{33, 21627}, Case{50, 32768},
                   Case{75, 49152}, Case{99, 64881}, Case{100, 65535}}) {
        EXPECT_EQ(VolumeLevel(c.position), c.level) << c.position;
    }
}

TEST(VolumeLevel, GrowsWithThePosition) {
    for (int32_t p = 1; p <= 100; ++p) EXPECT_GT(VolumeLevel(p), VolumeLevel(p - 1)) << p;
}
