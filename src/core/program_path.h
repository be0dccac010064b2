#pragma once
// Paths derived from the program's own path: its folder, where the
// companion program is looked for, and the settings file beside it. Texts
// are UTF-8.
#include <string>
#include <string_view>

namespace orvik {

// The directory part of the executable's path: up to and including its last
// '/'; the empty text when it has none.
std::string ProgramDirectory(std::string_view programPath);

// The settings file beside the executable: its directory, then its file name
// less the last three characters, then "ini". The cut is by count, not at
// the dot: "sample.exe" gives "sample.ini", "sample.ex" "sampleini",
// "sample.exec" "sample.eini", "orvik" "orini", a name of three characters
// or fewer just "ini". Characters are UTF-8 code points; a byte that is not
// part of a valid UTF-8 sequence counts as one character.
std::string SettingsFileName(std::string_view programPath);

}  // namespace orvik
