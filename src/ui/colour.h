#pragma once
#include <QColor>

#include <cstdint>

namespace orvik {

// A colour number as the window's colours are given: low byte red, then
// green, then blue.
QColor ColourFromNumber(uint32_t colourNumber);

}  // namespace orvik
