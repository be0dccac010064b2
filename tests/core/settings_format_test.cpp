#include "core/settings_format.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/utf8.h"

using namespace orvik;

namespace {

using Lines = std::vector<std::string>;

// Builds a byte string that may hold NULs.
template <std::size_t N>
std::string Bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

// The characters of Windows-1252 bytes 0x80 to 0x9F, as published by the
// code page's mapping table; the five undefined bytes keep the C1 control
// of their own number.
const char* const HighGlyphs[32] = {
    "€",        "\xC2\x81", "‚", "ƒ", "„", "…", "†", "‡", "ˆ", "‰", "Š", "‹", "Œ", "\xC2\x8D", "Ž", "\xC2\x8F",
    "\xC2\x90", "‘",        "’", "“", "”", "•", "–", "—", "˜", "™", "š", "›", "œ", "\xC2\x9D", "ž", "Ÿ",
};

// The UTF-8 text of the character Windows-1252 byte `b` stands for.
std::string Glyph(unsigned char b) {
    if (b < 0x80) return std::string(1, static_cast<char>(b));
    if (b < 0xA0) return HighGlyphs[b - 0x80];
    // 0xA0 to 0xFF are Latin-1: U+00A0 to U+00FF.
    return {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
}

}  // namespace

TEST(ReadSettingsLines, SplitsAtEveryKindOfBreak) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines expected;
    };
    const Lines stored = {"1000", "", "Halbtöne", "50", "440"};
    const std::vector<Case> cases = {
        {"as written", "1000\r\n\r\nHalbt\xF6ne\r\n50\r\n440\r\n", stored},
        {"LF only", "1000\n\nHalbt\xF6ne\n50\n440\n", stored},
        {"CR only", "1000\r\rHalbt\xF6ne\r50\r440\r", stored},
        {"no break after the last line", "1000\r\n\r\nHalbt\xF6ne\r\n50\r\n440", stored},
        {"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF is two breaks", "a\r\r\nb", {"a", "", "b"}},
        {"break at the end adds nothing", "1\r\n2\r\n", {"1", "2"}},
        {"a lone break is one empty line", "\r\n", {""}},
        {"two lone breaks", "\n\n", {"", ""}},
        {"empty lines between count", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}},
        {"leading empty line", "\nx", {"", "x"}},
        {"six lines", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n", {"1", "2", "3", "4", "5", "6"}},
        {"four lines", "1\r\n2\r\n3\r\n4\r\n", {"1", "2", "3", "4"}},
        {"empty file", "", {}},
        {"blanks are kept", " 1 \r\n", {" 1 "}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadSettingsLines(c.bytes), c.expected) << c.name;
    }
}

TEST(ReadSettingsLines, NulEndsTheText) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"in the middle of a line", Bytes("1000\r\n50\0xyz\r\n440\r\n"), {"1000", "50"}},
        {"right after a break",
         Bytes("1000\r\n\0"
               "50\r\n"),
         {"1000"}},
        {"between CR and LF", Bytes("a\r\0\nb"), {"a"}},
        {"at the start",
         Bytes("\0"
               "1000\r\n"),
         {}},
        // What follows the NUL has no say in the decoding: the invalid
        // UTF-8 after it does not turn the UTF-8 text before it into 1252.
        {"ignored bytes do not decide the encoding", Bytes("Halbtöne\r\n\0\xF6\xFF"), {"Halbtöne"}},
        {"nor the other way round", Bytes("Halbt\xF6ne\0Halbtöne"), {"Halbtöne"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadSettingsLines(c.bytes), c.expected) << c.name;
    }
}

TEST(ReadSettingsLines, DecodesWindows1252UnlessTheTextIsValidUtf8) {
    struct Case {
        const char* name;
        std::string bytes;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"Windows-1252", "Halbt\xF6ne\r\n", {"Halbtöne"}},
        {"UTF-8", "Halbtöne\r\n", {"Halbtöne"}},
        {"UTF-8, four-byte sequence", "\xF0\x9F\x8E\xB5\r\n", {"\xF0\x9F\x8E\xB5"}},
        {"UTF-8 C1 control", "\xC2\x81", {"\xC2\x81"}},
        {"Windows-1252 letters between 0x80 and 0x9F", "\x80\x8A\x9F", {"€ŠŸ"}},
        // One invalid sequence anywhere makes the whole file Windows-1252.
        {"mixed encodings", "Halbtöne\r\nHalbt\xF6ne\r\n", {"HalbtÃ¶ne", "Halbtöne"}},
        {"overlong form", "\xC0\xAF", {"À¯"}},
        {"overlong three-byte form", "\xE0\x80\xAF", {"à€¯"}},
        {"surrogate", "\xED\xA0\x80", {"í\xC2\xA0€"}},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", {"ô\xC2\x90€€"}},
        {"lead byte F5", "\xF5\x80\x80\x80", {"õ€€€"}},
        {"lone continuation byte", "a\x80", {"a€"}},
        {"sequence cut by a break", "\xC3\r\n\xB6", {"Ã", "¶"}},
        {"sequence cut by the end", "ab\xE2\x82", {"abâ‚"}},
        {"lead byte at the very end", "ab\xF0", {"abð"}},
        // A UTF-8 byte-order mark from an editor is dropped; in a
        // Windows-1252 file the same bytes are three letters.
        {"UTF-8 byte-order mark",
         "\xEF\xBB\xBF"
         "1000\r\nHalbtöne",
         {"1000", "Halbtöne"}},
        {"byte-order mark bytes in Windows-1252",
         "\xEF\xBB\xBF"
         "1\xF6",
         {"ï»¿1ö"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadSettingsLines(c.bytes), c.expected) << c.name;
    }
}

TEST(WriteSettingsBytes, WindowsCodePageWithCrLfAfterEveryLine) {
    struct Case {
        const char* name;
        Lines lines;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"the five settings", {"1000", "", "Halbtöne", "50", "440"}, "1000\r\n\r\nHalbt\xF6ne\r\n50\r\n440\r\n"},
        {"no lines", {}, ""},
        {"one empty line", {""}, "\r\n"},
        {"letters from 0x80 to 0x9F", {"€ŠŸ", "\xC2\x81"}, "\x80\x8A\x9F\r\n\x81\r\n"},
        // Bytes that are not UTF-8 are taken as Windows-1252 characters.
        {"stray Windows-1252 byte", {"Halbt\xF6ne"}, "Halbt\xF6ne\r\n"},
        // A break inside a line would split it when read back.
        {"breaks and NUL inside a line",
         {"440\n1", Bytes("a\0b"), "c\rd", "e\r\nf"},
         "440 1\r\na b\r\nc d\r\ne  f\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WriteSettingsBytes(c.lines), c.expected) << c.name;
    }
}

TEST(WriteSettingsBytes, FallsBackToUtf8WhenWindows1252WouldLoseText) {
    struct Case {
        const char* name;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"character outside the code page", {"1000", "440 Ω", "Halbtöne", "50", "440"}},
        {"U+0080 has no byte in the code page", {"\xC2\x80"}},
        {"four-byte character", {"\xF0\x9F\x8E\xB5"}},
        // In Windows-1252 these two would be the bytes C3 B6, which read
        // back as the UTF-8 "ö".
        {"code-page bytes that look like UTF-8", {"Ã¶"}},
        {"several such lines", {"Ã¶", "â‚¬"}},
    };
    for (const Case& c : cases) {
        std::string expected;
        for (const std::string& line : c.lines) expected += line + "\r\n";
        const std::string bytes = WriteSettingsBytes(c.lines);
        EXPECT_EQ(bytes, expected) << c.name;
        EXPECT_EQ(ReadSettingsLines(bytes), c.lines) << c.name;
    }
}

TEST(SettingsRoundTrip, EveryWindows1252Character) {
    std::string allBytes;
    std::string allGlyphs;
    for (int b = 1; b <= 0xFF; ++b) {
        if (b == '\r' || b == '\n') continue;
        const std::string byte(1, static_cast<char>(b));
        const std::string glyph = Glyph(static_cast<unsigned char>(b));
        EXPECT_EQ(ReadSettingsLines(byte + "\r\n"), Lines{glyph}) << "byte " << b;
        EXPECT_EQ(WriteSettingsBytes({glyph}), byte + "\r\n") << "byte " << b;
        allBytes += byte;
        allGlyphs += glyph;
    }
    EXPECT_EQ(ReadSettingsLines(allBytes), Lines{allGlyphs});
    EXPECT_EQ(WriteSettingsBytes({allGlyphs}), allBytes + "\r\n");
}

// Whatever a file holds, what is read from it, written and read again is
// what was read: saving never alters the lines it is given.
TEST(SettingsRoundTrip, ArbitraryBytesSurviveReadWriteRead) {
    const std::vector<std::string> pieces = {
        "\r",   "\n",   "\r\n", "a",    "1",    " ",    "\x80", "\x81", "\x9D",     "\xC3", "\xB6", "\xF6",
        "\xFF", "\xE2", "\x82", "\xAC", "\xF0", "\x9F", "\xED", "\xC2", "Halbtöne", "€",    "Ω",    "\xF0\x9F\x8E\xB5"};
    std::mt19937 random(20240501);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int trial = 0; trial < 20000; ++trial) {
        std::string bytes;
        for (int n = length(random); n > 0; --n) bytes += pieces[pick(random)];
        const Lines lines = ReadSettingsLines(bytes);
        for (const std::string& line : lines) ASSERT_TRUE(IsValidUtf8(line)) << testing::PrintToString(bytes);
        ASSERT_EQ(ReadSettingsLines(WriteSettingsBytes(lines)), lines) << testing::PrintToString(bytes);
    }
}
