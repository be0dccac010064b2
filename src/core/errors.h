#pragma once
// The program's one error type. Every failure a user can meet is raised as an
// orvik::Error carrying the German message the error box shows; the window's
// guard turns it into that box. Checked arithmetic and rounding live here too,
// so no module invents its own overflow checks.
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace orvik {

enum class ErrorKind {
    IntOverflow,     // "Integerüberlauf"
    RangeCheck,      // "Fehler bei Bereichsprüfung"
    InvalidInteger,  // "'%s' ist kein gültiger Integerwert"
    InvalidFloat,    // "'%s' ist kein gültiger Gleitkommawert"
    FileCreate,      // "Datei %s kann nicht erstellt werden"
    FloatOverflow,   // "Gleitkommaüberlauf"
    FloatInvalid,    // "Ungültige Gleitkommaoperation"
    OutOfMemory,     // "Zu wenig Arbeitsspeicher"
};

class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const std::string& message);
    ErrorKind kind() const noexcept { return kind_; }

    static Error intOverflow();
    static Error rangeCheck();
    static Error invalidInteger(const std::string& text);
    static Error invalidFloat(const std::string& text);
    static Error fileCreate(const std::string& path);
    static Error floatOverflow();
    static Error floatInvalid();
    static Error outOfMemory();

private:
    ErrorKind kind_;
};

// Signed 32-bit arithmetic that raises "Integerüberlauf" instead of wrapping.
int32_t CheckedAdd(int32_t a, int32_t b);
int32_t CheckedSub(int32_t a, int32_t b);
int32_t CheckedMul(int32_t a, int32_t b);

// Narrowing with a range check ("Fehler bei Bereichsprüfung").
template <typename To, typename From>
To CheckedNarrow(From v) {
    static_assert(std::numeric_limits<To>::is_integer && std::numeric_limits<From>::is_integer);
    if (!std::in_range<To>(v)) throw Error::rangeCheck();
    return static_cast<To>(v);
}

// Nearest integer, halfway values to the even neighbour. A NaN raises
// "Ungültige Gleitkommaoperation", a value outside the 64-bit range
// "Gleitkommaüberlauf".
int64_t RoundHalfEven(long double x);

// The error box's rule: a period is appended when the message's last
// character sorts after the period. The text is UTF-8.
std::string WithFinalPeriod(const std::string& message);

}  // namespace orvik
