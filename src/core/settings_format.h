#pragma once
// How the settings file's five lines are stored: Windows-1252 text with
// CR LF breaks. The functions here only turn bytes into texts and back; the
// window code reads and writes the file. Texts are UTF-8.
#include <string>
#include <string_view>
#include <vector>

namespace orvik {

// The lines of a settings file's bytes. A NUL byte ends the text; what
// follows it is ignored and has no say in the decoding. The rest is read as
// UTF-8 when it is valid UTF-8 (a file edited by hand on a UTF-8 desktop),
// otherwise as Windows-1252, every byte one character. Lines break at CR, LF
// and CR LF (one break each); a last line without a break counts, a break at
// the very end adds no empty line, empty lines between others count.
// Any bytes are accepted; nothing is read beyond `fileBytes`.
std::vector<std::string> ReadSettingsLines(std::string_view fileBytes);

// A settings file is five short lines. One larger than this is not Orvik's
// and is treated as unreadable, like a missing one, so that start-up never
// reads without end (a link to a device, a runaway file). Generous, so that
// an editor's leftovers below the five lines never cost a user the settings.
constexpr std::size_t MaxSettingsFileBytes = std::size_t{4} << 20;

// The bytes of a settings file: every line followed by CR LF, in
// Windows-1252. When a line holds a character Windows-1252 cannot represent,
// or when the Windows-1252 bytes would read back as UTF-8, the whole file is
// written as UTF-8 instead, so ReadSettingsLines gives back the very same
// lines. A CR, LF or NUL inside a line is written as a blank, so that the
// file keeps one line per entry. Bytes of `lines` that are not valid UTF-8
// are taken as Windows-1252 characters.
std::string WriteSettingsBytes(const std::vector<std::string>& lines);

}  // namespace orvik
