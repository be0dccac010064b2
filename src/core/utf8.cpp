#include "core/utf8.h"

namespace orvik {

namespace {

bool InRange(unsigned char b, unsigned char lo, unsigned char hi) { return b >= lo && b <= hi; }

}  // namespace

std::size_t Utf8Sequence(std::string_view s, std::size_t pos, char32_t& cp) {
    const std::size_t left = s.size() - pos;
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[pos + k]); };
    const unsigned char b0 = at(0);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t len;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (InRange(b0, 0xC2, 0xDF)) {
        len = 2;
    } else if (InRange(b0, 0xE0, 0xEF)) {
        len = 3;
        if (b0 == 0xE0)
            lo = 0xA0;  // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (InRange(b0, 0xF0, 0xF4)) {
        len = 4;
        if (b0 == 0xF0)
            lo = 0x90;  // no overlong forms
        else if (b0 == 0xF4)
            hi = 0x8F;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (left < len || !InRange(at(1), lo, hi)) return 0;
    for (std::size_t k = 2; k < len; ++k) {
        if (!InRange(at(k), 0x80, 0xBF)) return 0;
    }
    char32_t v = b0 & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) v = (v << 6) | (at(k) & 0x3F);
    cp = v;
    return len;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsValidUtf8(std::string_view bytes) {
    char32_t cp;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t len = Utf8Sequence(bytes, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

}  // namespace orvik
