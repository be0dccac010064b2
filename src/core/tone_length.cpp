#include "core/tone_length.h"

#include "core/checked_math.h"

namespace orvik {

uint32_t ToneUnits(int32_t milliseconds) { return CheckedNarrow<uint32_t>(milliseconds / 10); }

int32_t SustainedLength(int32_t milliseconds) { return CheckedMul(milliseconds, 5); }

int32_t UnsustainedLength(int32_t milliseconds) { return milliseconds / 5; }

}  // namespace orvik
