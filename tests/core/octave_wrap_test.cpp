#include "core/octave_wrap.h"

#include <gtest/gtest.h>

using namespace orvik;

TEST(OctaveWrap, OnlyAtAColumnsEndsAndNotOffTheTable) {
    struct Case {
        VerticalKey key;
        GridCell at;
        std::optional<GridCell> to;
    };
    const Case cases[] = {
        {VerticalKey::Down, {5, 12}, GridCell{6, 0}},  // the octave above
        {VerticalKey::Up, {5, 0}, GridCell{4, 12}},    // the octave below
        {VerticalKey::Down, {5, 11}, std::nullopt},    // inside the column
        {VerticalKey::Up, {5, 1}, std::nullopt},
        {VerticalKey::Down, {10, 12}, std::nullopt},  // the table's last cell
        {VerticalKey::Up, {0, 0}, std::nullopt},      // and its first
        {VerticalKey::Down, {0, 0}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(OctaveWrap(c.key, c.at, 11, 13), c.to) << c.at.col << "," << c.at.row;
    EXPECT_EQ(OctaveWrap(VerticalKey::Down, {3, 199}, 11, 200), (GridCell{4, 0}));
}
