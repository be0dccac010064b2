#include "core/convert.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "core/errors.h"

namespace orvik {

std::string FirstWord(std::string_view text) {
    const auto blank = text.find(' ');
    return std::string(blank == std::string_view::npos ? text : text.substr(0, blank));
}

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseInt(std::string_view text, int32_t& out) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::string_view s = text.substr(i);
    if (s.empty()) return false;

    std::size_t hexStart = 0;
    if (s[0] == '$' || s[0] == 'x' || s[0] == 'X')
        hexStart = 1;
    else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        hexStart = 2;
    if (hexStart > 0) {
        s.remove_prefix(hexStart);
        if (s.empty()) return false;
        uint64_t v = 0;
        for (char c : s) {
            const int h = hexValue(c);
            if (h < 0) return false;
            v = v * 16 + static_cast<uint64_t>(h);
            if (v > 0xFFFFFFFFu) return false;
        }
        out = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }

    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    int64_t v = 0;
    for (char c : s) {
        if (!isDigit(c)) return false;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (!std::in_range<int32_t>(v)) return false;
    out = static_cast<int32_t>(v);
    return true;
}

}  // namespace

int32_t StrToInt(std::string_view text) {
    int32_t v = 0;
    if (!parseInt(text, v)) throw Error::invalidInteger(std::string(text));
    return v;
}

int32_t StrToIntDef(std::string_view text, int32_t fallback) {
    int32_t v = 0;
    return parseInt(text, v) ? v : fallback;
}

double StrToFloat(std::string_view text, char decimalSeparator) {
    const auto fail = [&] { return Error::invalidFloat(std::string(text)); };
    // Check the grammar ourselves, then hand a canonical copy ('.' as the
    // separator, no '+') to from_chars, which is locale-independent.
    std::string canonical;
    canonical.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') canonical += '-';
        ++i;
    }
    std::size_t digits = 0;
    bool separatorSeen = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            ++digits;
            canonical += c;
        } else if (c == decimalSeparator && !separatorSeen) {
            separatorSeen = true;
            canonical += '.';
        } else {
            break;
        }
    }
    if (digits == 0) throw fail();
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        canonical += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) canonical += text[i++];
        std::size_t expDigits = 0;
        for (; i < text.size() && isDigit(text[i]); ++i, ++expDigits) canonical += text[i];
        if (expDigits == 0) throw fail();
    }
    if (i != text.size()) throw fail();

    double value = 0;
    const char* first = canonical.data();
    const char* last = first + canonical.size();
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) throw fail();
    return value;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

}  // namespace orvik
