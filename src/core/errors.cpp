#include "core/errors.h"

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
