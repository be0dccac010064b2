#include "core/errors.h"

#include <cmath>

namespace orvik {

namespace {
std::string replacePlaceholder(const char* pattern, const std::string& text) {
    std::string s(pattern);
    const auto at = s.find("%s");
    return s.replace(at, 2, text);
}
}  // namespace

Error::Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

Error Error::intOverflow() { return {ErrorKind::IntOverflow, "Integerüberlauf"}; }
Error Error::rangeCheck() { return {ErrorKind::RangeCheck, "Fehler bei Bereichsprüfung"}; }
Error Error::invalidInteger(const std::string& text) {
    return {ErrorKind::InvalidInteger, replacePlaceholder("'%s' ist kein gültiger Integerwert", text)};
}
Error Error::invalidFloat(const std::string& text) {
    return {ErrorKind::InvalidFloat, replacePlaceholder("'%s' ist kein gültiger Gleitkommawert", text)};
}
Error Error::fileCreate(const std::string& path) {
    return {ErrorKind::FileCreate, replacePlaceholder("Datei %s kann nicht erstellt werden", path)};
}
Error Error::floatOverflow() { return {ErrorKind::FloatOverflow, "Gleitkommaüberlauf"}; }
Error Error::floatInvalid() { return {ErrorKind::FloatInvalid, "Ungültige Gleitkommaoperation"}; }
Error Error::outOfMemory() { return {ErrorKind::OutOfMemory, "Zu wenig Arbeitsspeicher"}; }

int32_t CheckedAdd(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_add_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int32_t CheckedSub(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_sub_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int32_t CheckedMul(int32_t a, int32_t b) {
    int32_t r;
    if (__builtin_mul_overflow(a, b, &r)) throw Error::intOverflow();
    return r;
}

int64_t RoundHalfEven(long double x) {
    if (std::isnan(x)) throw Error::floatInvalid();
    // rintl rounds in the current mode, which Orvik never changes from the
    // default round-to-nearest-even; it is far cheaper than nearbyintl.
    const long double r = std::rintl(x);
    constexpr long double lo = -9223372036854775808.0L;  // -2^63, exact
    if (!(r >= lo && r < -lo)) throw Error::floatOverflow();
    return static_cast<int64_t>(r);
}

std::string WithFinalPeriod(const std::string& message) {
    if (message.empty()) return message;
    // Decode the last UTF-8 code point; anything above '.' gets a period.
    std::size_t i = message.size() - 1;
    while (i > 0 && (static_cast<unsigned char>(message[i]) & 0xC0) == 0x80) --i;
    const auto lead = static_cast<unsigned char>(message[i]);
    const bool multiByte = lead >= 0x80;
    if (multiByte || lead > '.') return message + ".";
    return message;
}

}  // namespace orvik
