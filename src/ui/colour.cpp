#include "ui/colour.h"

namespace orvik {

QColor ColourFromNumber(uint32_t colourNumber) {
    return QColor(static_cast<int>(colourNumber & 0xFFu), static_cast<int>((colourNumber >> 8) & 0xFFu),
                  static_cast<int>((colourNumber >> 16) & 0xFFu));
}

}  // namespace orvik
