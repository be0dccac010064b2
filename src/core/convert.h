#pragma once
// Text to number and back, with the grammar every number in Orvik is read by:
// cell texts, the frequency field, the settings file. Texts are UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

namespace orvik {

// The text up to, not including, its first blank (character 32); the whole
// text when it has none.
std::string FirstWord(std::string_view text);

// Leading blanks, then either an optional sign and decimal digits in the signed
// 32-bit range, or a hexadecimal number after "$", "x", "X", "0x" or "0X"
// (no sign, at most FFFFFFFF, taken as a two's-complement pattern). Nothing may
// follow the digits. Anything else raises "'<text>' ist kein gültiger Integerwert".
int32_t StrToInt(std::string_view text);

// Like StrToInt, but gives `fallback` for a text that is not an integer
// (the spin edits read such a text as their lower limit).
int32_t StrToIntDef(std::string_view text, int32_t fallback);

// A floating-point number: optional sign, decimal digits with at most one
// `decimalSeparator` (digits on at least one side), optional exponent
// ("e" or "E", optional sign, digits). No blanks, no "inf" or "nan"; a value
// beyond the double range (too large or too small) is not a valid number either. Anything else raises
// "'<text>' ist kein gültiger Gleitkommawert".
double StrToFloat(std::string_view text, char decimalSeparator);

std::string IntToStr(int64_t value);

}  // namespace orvik
