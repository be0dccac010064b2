#include "core/settings_format.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/utf8.h"

namespace orvik {

namespace {

// Windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of the
// same number, so every byte has a character and every such character its
// byte again: a file read and written back loses nothing.
constexpr std::array<char32_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t Cp1252ToUnicode(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) return Cp1252High[b - 0x80];
    return b;
}

// The Windows-1252 byte of a character, or -1 when the code page has none.
int UnicodeToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
    for (std::size_t i = 0; i < Cp1252High.size(); ++i) {
        if (Cp1252High[i] == c) return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string DecodeCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace

std::vector<std::string> ReadSettingsLines(std::string_view fileBytes) {
    // The NUL is cut at the byte level, before the encoding is decided: 0x00
    // is the NUL in either encoding and never part of a longer UTF-8
    // sequence, and ignored bytes must not sway the decoding of the rest.
    std::string_view text = fileBytes.substr(0, fileBytes.find('\0'));

    // Editors on Linux may put a byte-order mark in front of a UTF-8 file.
    // It is no part of the first line, which has to be a number anyway.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(ByteOrderMark) && IsValidUtf8(text)) text.remove_prefix(ByteOrderMark.size());

    // ASCII text is the same in both encodings. A text that is valid UTF-8
    // and holds more than ASCII is almost surely UTF-8: Windows-1252 text with
    // letters like "ö" seldom forms valid UTF-8 sequences by chance. CR and LF
    // are single bytes in both encodings, so the text can be split first.
    const bool utf8 = IsValidUtf8(text);

    std::vector<std::string> lines;
    const auto addLine = [&](std::string_view line) { lines.push_back(utf8 ? std::string(line) : DecodeCp1252(line)); };
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        addLine(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
        start = i;
    }
    if (start < text.size()) addLine(text.substr(start));
    return lines;
}

std::string WriteSettingsBytes(const std::vector<std::string>& lines) {
    // Both forms are built at once; the Windows-1252 one is what stored files
    // of this format hold and is preferred. A character the code page lacks
    // would be lost in it, so then the whole file goes out as UTF-8, which the
    // reader recognises. The same happens when the Windows-1252 bytes happen
    // to be valid UTF-8 with more than ASCII in them (as "Ã¶" would be): the
    // reader would take them for UTF-8 and give back other text.
    std::string cp1252;
    std::string utf8;
    bool representable = true;
    bool ascii = true;
    const auto put = [&](char32_t c) {
        AppendUtf8(utf8, c);
        if (c >= 0x80) ascii = false;
        const int b = UnicodeToCp1252(c);
        if (b < 0)
            representable = false;
        else
            cp1252 += static_cast<char>(b);
    };
    for (const std::string& line : lines) {
        for (std::size_t i = 0; i < line.size();) {
            char32_t c;
            std::size_t len = Utf8Sequence(line, i, c);
            if (len == 0) {
                c = Cp1252ToUnicode(static_cast<unsigned char>(line[i]));
                len = 1;
            }
            // A break or NUL inside a line would end it early when read back
            // and move every later entry up one line.
            if (c == '\r' || c == '\n' || c == 0) c = ' ';
            put(c);
            i += len;
        }
        put('\r');
        put('\n');
    }
    if (ascii) return utf8;
    if (representable && !IsValidUtf8(cp1252)) return cp1252;
    // The reader drops a byte-order mark at the start of a UTF-8 file; a
    // first line that really begins with U+FEFF gets one in front of it.
    if (utf8.starts_with("\xEF\xBB\xBF")) utf8.insert(0, "\xEF\xBB\xBF");
    return utf8;
}

}  // namespace orvik
