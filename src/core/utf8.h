#pragma once
// UTF-8, the encoding of every text inside Orvik, checked and taken apart by
// code point.
#include <cstddef>
#include <string>
#include <string_view>

namespace orvik {

// Length of the well-formed UTF-8 sequence starting at `pos` (1 to 4), or 0
// when the bytes there are not one; `cp` receives its code point. Never looks
// beyond the end of `s`.
std::size_t Utf8Sequence(std::string_view s, std::size_t pos, char32_t& cp);

// Appends the UTF-8 form of `c`.
void AppendUtf8(std::string& out, char32_t c);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace orvik
