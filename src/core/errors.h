#pragma once
// The program's one error type. Every failure a user can meet is raised as an
// orvik::Error carrying the German message the error box shows; the window's
// guard turns it into that box.
#include <stdexcept>
#include <string>

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

// The error box's rule: a period is appended when the message's last
// character sorts after the period. The text is UTF-8.
std::string WithFinalPeriod(const std::string& message);

}  // namespace orvik
