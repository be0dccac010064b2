#pragma once
#include <cstdint>

namespace orvik {

// Output level for a volume position 0..100: 100 gives 65535, every other
// position p × 65536 / 100 to the nearest integer.
uint16_t VolumeLevel(int32_t position);

}  // namespace orvik
