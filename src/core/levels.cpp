#include "core/levels.h"

#include "core/errors.h"

namespace orvik {

uint16_t VolumeLevel(int32_t position) {
    if (position == 100) return 65535;
    const long double level = position * 1.0L * 65536 / 100;
    return CheckedNarrow<uint16_t>(RoundHalfEven(level));
}

}  // namespace orvik
