#pragma once
// The length field in milliseconds and the tone it asks for.
#include <cstdint>

namespace orvik {

// The tone's duration in units of 10 ms, rounded toward zero; a negative
// length raises "Fehler bei Bereichsprüfung".
uint32_t ToneUnits(int32_t milliseconds);

// "Aushalten" makes the length five times as long when ticked ("Integer-
// überlauf" past the 32-bit range) and a fifth of it, rounded toward zero,
// when unticked.
int32_t SustainedLength(int32_t milliseconds);
int32_t UnsustainedLength(int32_t milliseconds);

}  // namespace orvik
