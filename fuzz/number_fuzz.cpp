// StrToInt, StrToIntDef and StrToFloat on arbitrary text: each gives a value
// or raises its conversion error with the whole text in the message, agrees
// with a plain reference reading of the grammar, and reads its own printed
// value back unchanged.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "check.h"
#include "core/convert.h"
#include "core/errors.h"

namespace {

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string_view WithoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

// The integer grammar read the simple way: count the significant digits first,
// so the range is decided before anything is accumulated.
std::optional<int32_t> ReferenceInt(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;

    std::optional<std::string_view> hex;
    if (s.starts_with("0x") || s.starts_with("0X"))
        hex = s.substr(2);
    else if (s.front() == '$' || s.front() == 'x' || s.front() == 'X')
        hex = s.substr(1);
    if (hex) {
        if (hex->empty()) return std::nullopt;
        for (const char c : *hex) {
            if (!IsHexDigit(c)) return std::nullopt;
        }
        const std::string_view digits = WithoutLeadingZeros(*hex);
        if (digits.size() > 8) return std::nullopt;
        const uint32_t bits = static_cast<uint32_t>(std::strtoul(std::string(digits).c_str(), nullptr, 16));
        return static_cast<int32_t>(bits);  // the pattern as two's complement
    }

    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    for (const char c : s) {
        if (!IsDecimalDigit(c)) return std::nullopt;
    }
    const std::string_view digits = WithoutLeadingZeros(s);
    if (digits.size() > 10) return std::nullopt;
    long long v = std::strtoll(std::string(digits).c_str(), nullptr, 10);
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(v);
}

// The float grammar, rewritten as the C locale's text for strtod (which then
// is the reference value), or nothing when the text is not a number.
struct FloatText {
    std::string canonical;
    bool allZeroDigits;
};

std::optional<FloatText> ReferenceFloatText(std::string_view s, char separator) {
    FloatText out{"", true};
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.canonical += s[i++];
    std::size_t mantissaDigits = 0;
    const auto digitsInto = [&](std::size_t& count) {
        while (i < s.size() && IsDecimalDigit(s[i])) {
            out.allZeroDigits = out.allZeroDigits && s[i] == '0';
            out.canonical += s[i++];
            ++count;
        }
    };
    digitsInto(mantissaDigits);
    if (i < s.size() && s[i] == separator) {
        out.canonical += '.';
        ++i;
        digitsInto(mantissaDigits);
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        out.canonical += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.canonical += s[i++];
        std::size_t exponentDigits = 0;
        while (i < s.size() && IsDecimalDigit(s[i])) {
            out.canonical += s[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return out;
}

// what() ends at the first NUL of the message, so a text holding one can only
// be compared up to there.
bool MessageIs(const orvik::Error& e, const std::string& expected) {
    return std::string_view(e.what()) == std::string_view(expected).substr(0, expected.find('\0'));
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckInt(const std::string& text) {
    std::optional<int32_t> value;
    try {
        value = orvik::StrToInt(text);
    } catch (const orvik::Error& e) {
        FUZZ_CHECK(e.kind() == orvik::ErrorKind::InvalidInteger);
        FUZZ_CHECK(MessageIs(e, "'" + text + "' ist kein gültiger Integerwert"));
    }
    FUZZ_CHECK(value == ReferenceInt(text));

    // StrToIntDef is the same reading with a fallback in place of the error;
    // two different fallbacks tell a value from a fallback.
    const int32_t a = orvik::StrToIntDef(text, 0);
    const int32_t b = orvik::StrToIntDef(text, 1);
    if (value) {
        FUZZ_CHECK(a == *value && b == *value);
        const std::string printed = orvik::IntToStr(*value);
        FUZZ_CHECK(orvik::StrToInt(printed) == *value);
    } else {
        FUZZ_CHECK(a == 0 && b == 1);
    }
}

void CheckFloat(const std::string& text, char separator) {
    std::optional<double> value;
    try {
        value = orvik::StrToFloat(text, separator);
    } catch (const orvik::Error& e) {
        FUZZ_CHECK(e.kind() == orvik::ErrorKind::InvalidFloat);
        FUZZ_CHECK(MessageIs(e, "'" + text + "' ist kein gültiger Gleitkommawert"));
    }

    const std::optional<FloatText> ref = ReferenceFloatText(text, separator);
    if (!ref) {
        FUZZ_CHECK(!value);
        return;
    }
    errno = 0;
    char* end = nullptr;
    const double expected = std::strtod(ref->canonical.c_str(), &end);
    const bool outOfRange = errno == ERANGE;
    FUZZ_CHECK(end == ref->canonical.c_str() + ref->canonical.size());

    if (!value) {
        // A well-formed number is refused only when the double range cannot
        // hold it.
        FUZZ_CHECK(outOfRange);
        return;
    }
    FUZZ_CHECK(std::isfinite(*value));
    FUZZ_CHECK(SameDouble(*value, expected));
    FUZZ_CHECK(*value != 0 || ref->allZeroDigits);  // no silent underflow to zero

    // Seventeen significant digits identify every double.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", *value);
    std::string printed(buf);
    for (char& c : printed) {
        if (c == '.') c = separator;
    }
    FUZZ_CHECK(SameDouble(orvik::StrToFloat(printed, separator), *value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckInt(text);
    CheckFloat(text, ',');
    CheckFloat(text, '.');
    return 0;
}
