#include "core/desktop_entry.h"

#include <stdexcept>

#include "core/errors.h"
#include "core/utf8.h"

namespace orvik {

namespace {

constexpr std::string_view EntryName = "ORVIK.desktop";

// Characters that force the argument into double quotes. CR is not among
// the reserved characters of the format, but launchers differ on whether it
// separates arguments, so it is quoted too; quoting is always allowed.
bool ForcesQuotes(char c) { return std::string_view(" \t\r\n\"'\\><~|&;$*?#()`").find(c) != std::string_view::npos; }

bool EscapedInQuotes(char c) { return c == '"' || c == '`' || c == '$' || c == '\\'; }

bool Unrepresentable(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b < 0x20 && c != '\t' && c != '\n' && c != '\r') || b == 0x7F;
}

}  // namespace

std::string DesktopEntryPath(std::string_view desktopFolder) {
    return std::string(desktopFolder) + "/" + std::string(EntryName);
}

std::string QuoteExecArgument(std::string_view path) {
    // All characters handled below are ASCII, and in valid UTF-8 an ASCII
    // byte is never part of a longer sequence, so working byte by byte is safe.
    if (!IsValidUtf8(path)) throw Error::fileCreate(std::string(EntryName));
    bool quote = path.empty();
    for (char c : path) {
        if (Unrepresentable(c)) throw Error::fileCreate(std::string(EntryName));
        if (ForcesQuotes(c)) quote = true;
    }

    std::string argument;
    if (quote) argument += '"';
    for (char c : path) {
        if (quote && EscapedInQuotes(c)) argument += '\\';
        if (c == '%') argument += '%';
        argument += c;
    }
    if (quote) argument += '"';

    // The string-value escapes are undone first by a reader, so they go on last.
    std::string value;
    for (char c : argument) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::string DesktopEntryText(std::string_view programPath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvik\n"
           "Exec=" +
           QuoteExecArgument(programPath) +
           "\n"
           "Path=/\n"
           "Terminal=false\n";
}

std::string MenuEntryText(std::string_view entryTemplate, std::string_view programPath) {
    constexpr std::string_view placeholder = "Exec=@EXEC@";
    std::string text;
    bool filled = false;
    std::size_t start = 0;
    while (start < entryTemplate.size()) {
        std::size_t end = entryTemplate.find('\n', start);
        if (end == std::string_view::npos) end = entryTemplate.size();
        const std::string_view line = entryTemplate.substr(start, end - start);
        if (line == placeholder) {
            text += "Exec=" + QuoteExecArgument(programPath);
            filled = true;
        } else {
            text += line;
        }
        text += '\n';
        start = end + 1;
    }
    if (!filled) throw std::invalid_argument("the menu entry template has no line Exec=@EXEC@");
    return text;
}

}  // namespace orvik
