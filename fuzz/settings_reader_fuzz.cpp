// The settings file reader on arbitrary bytes, and the writer on arbitrary
// lines. The reader is compared with a reference decoding written the
// textbook way (decode first, then reject overlong forms, surrogates and
// values beyond U+10FFFF); the writer must give back, through the reader,
// exactly the lines it was handed, with breaks and NULs turned into blanks.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "core/settings_format.h"
#include "core/utf8.h"

namespace {

// Windows-1252 0x80..0x9F; the five holes of the code page stand for the C1
// control of the same number, so every byte is a character.
constexpr std::array<char32_t, 32> High = {
    U'\u20AC', 0x81,      U'\u201A', U'\u0192', U'\u201E', U'\u2026', U'\u2020', U'\u2021',
    U'\u02C6', U'\u2030', U'\u0160', U'\u2039', U'\u0152', 0x8D,      U'\u017D', 0x8F,
    0x90,      U'\u2018', U'\u2019', U'\u201C', U'\u201D', U'\u2022', U'\u2013', U'\u2014',
    U'\u02DC', U'\u2122', U'\u0161', U'\u203A', U'\u0153', 0x9D,      U'\u017E', U'\u0178',
};

char32_t FromCp1252(unsigned char b) { return b >= 0x80 && b < 0xA0 ? High[b - 0x80] : b; }

std::optional<unsigned char> ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < High.size(); ++i) {
        if (High[i] == c) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

// Length of the UTF-8 sequence at s[i] and its code point, or 0 when the
// bytes there are not well-formed.
std::size_t Decode(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n;
    char32_t v;
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if ((b & 0xE0) == 0xC0) {
        n = 2, v = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        n = 3, v = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        n = 4, v = b & 0x07;
    } else {
        return 0;
    }
    if (s.size() - i < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        v = (v << 6) | (c & 0x3F);
    }
    constexpr char32_t Shortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < Shortest[n] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
    cp = v;
    return n;
}

bool Utf8(std::string_view s) {
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Decode(s, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void Encode(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    const int n = c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    constexpr unsigned char Lead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(Lead[n] | (c >> (6 * (n - 1))));
    for (int k = n - 2; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
}

// The characters of a line: UTF-8 sequences where well-formed, any other
// byte as its Windows-1252 character.
std::u32string Characters(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        char32_t cp;
        std::size_t n = Decode(s, i, cp);
        if (n == 0) {
            cp = FromCp1252(static_cast<unsigned char>(s[i]));
            n = 1;
        }
        out += cp;
        i += n;
    }
    return out;
}

std::string Utf8Of(const std::u32string& s) {
    std::string out;
    for (const char32_t c : s) Encode(out, c);
    return out;
}

// What the reader must give for these bytes.
std::vector<std::string> ExpectedLines(std::string_view bytes) {
    std::string_view text = bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') {
            text = text.substr(0, i);
            break;
        }
    }
    const bool utf8 = Utf8(text);
    // A UTF-8 file may open with a byte-order mark, which is not text.
    if (utf8 && text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> lines;
    std::string current;
    bool pending = false;  // characters or a break seen since the last line ended
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            pending = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            if (utf8)
                current += c;
            else
                Encode(current, FromCp1252(static_cast<unsigned char>(c)));
            pending = true;
        }
    }
    if (pending) lines.push_back(current);
    return lines;
}

void CheckLinesAreClean(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        for (const char c : line) FUZZ_CHECK(c != '\r' && c != '\n' && c != '\0');
        FUZZ_CHECK(Utf8(line));
        FUZZ_CHECK(orvik::IsValidUtf8(line));
    }
}

void CheckReader(std::string_view bytes) {
    const std::vector<std::string> lines = orvik::ReadSettingsLines(bytes);
    CheckLinesAreClean(lines);
    FUZZ_CHECK(lines == ExpectedLines(bytes));
    FUZZ_CHECK(orvik::IsValidUtf8(bytes) == Utf8(bytes));

    // Writing what was read and reading it again changes nothing.
    FUZZ_CHECK(orvik::ReadSettingsLines(orvik::WriteSettingsBytes(lines)) == lines);
}

void CheckWriter(const std::vector<std::string>& lines) {
    // What each line becomes: its characters, breaks and NULs as blanks.
    std::vector<std::string> expected;
    std::string utf8File;
    std::string cp1252File;
    bool representable = true;
    for (const std::string& line : lines) {
        std::u32string chars = Characters(line);
        for (char32_t& c : chars) {
            if (c == U'\r' || c == U'\n' || c == 0) c = U' ';
        }
        chars += U"\r\n";
        for (const char32_t c : chars) {
            const std::optional<unsigned char> b = ToCp1252(c);
            if (b)
                cp1252File += static_cast<char>(*b);
            else
                representable = false;
        }
        utf8File += Utf8Of(chars);
        chars.resize(chars.size() - 2);
        expected.push_back(Utf8Of(chars));
    }

    const std::string bytes = orvik::WriteSettingsBytes(lines);
    // Windows-1252 whenever it can hold the text and cannot be mistaken for
    // UTF-8 (pure ASCII is the same either way), else UTF-8.
    const bool windows = representable && (!Utf8(cp1252File) || cp1252File == utf8File);
    // A UTF-8 file whose first line begins with U+FEFF gets a byte-order mark
    // in front, which the reader drops again.
    if (!windows && utf8File.rfind("\xEF\xBB\xBF", 0) == 0) utf8File.insert(0, "\xEF\xBB\xBF");
    FUZZ_CHECK(bytes == (windows ? cp1252File : utf8File));
    FUZZ_CHECK(orvik::ReadSettingsLines(bytes) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckReader(bytes);

    // The same bytes cut into lines for the writer.
    FuzzedDataProvider provider(data, size);
    std::vector<std::string> lines;
    while (provider.remaining_bytes() > 0 && lines.size() < 16) lines.push_back(provider.ConsumeRandomLengthString(64));
    CheckWriter(lines);
    return 0;
}
