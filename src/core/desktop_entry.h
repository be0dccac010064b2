#pragma once
// The desktop shortcut on a freedesktop desktop: a desktop entry file that
// starts the program, made on a first start. Only the file's name and text
// are built here; finding the desktop folder and writing the file belong to
// the window code. Texts are UTF-8.
#include <string>
#include <string_view>

namespace orvik {

// The shortcut's path: the desktop folder followed by "/ORVIK.desktop". The
// folder is taken as it is: one ending in '/' gives two separators, an empty
// one gives "/ORVIK.desktop".
std::string DesktopEntryPath(std::string_view desktopFolder);

// The shortcut's content: an application entry named "Orvik" that runs the
// program at `programPath` with no arguments, in the root directory (the
// counterpart of the program's drive root), without a terminal. Raises
// "Datei ORVIK.desktop kann nicht erstellt werden" for a path the format
// cannot hold (see QuoteExecArgument).
std::string DesktopEntryText(std::string_view programPath);

// `path` as the one argument of an Exec value, exactly as it is written after
// "Exec=". Three layers, undone by a reader in reverse order:
// 1. "%" becomes "%%", so it is not taken for a field code;
// 2. when the path is empty or holds a blank, tab, CR, LF or one of
//    " ' \ > < ~ | & ; $ * ? # ( ) `, it is put in double quotes, inside which
//    " ` $ \ get a backslash in front;
// 3. the escapes of a string value: "\" becomes "\\", LF "\n", TAB "\t",
//    CR "\r". So a literal backslash takes four backslashes and a dollar
//    "\\$", and no raw line break ever reaches the file.
// Other control characters (U+0001 to U+001F, U+007F), a NUL and bytes that
// are not valid UTF-8 have no spelling in a desktop entry: such a path raises
// "Datei ORVIK.desktop kann nicht erstellt werden" rather than giving a
// shortcut to some other file.
std::string QuoteExecArgument(std::string_view path);

// The application-menu entry that an install writes: `entryTemplate` with
// every line that reads exactly "Exec=@EXEC@" made to run `programPath`,
// quoted as above. Raises std::invalid_argument when the template has no
// such line, and the error above for a path the format cannot hold.
std::string MenuEntryText(std::string_view entryTemplate, std::string_view programPath);

}  // namespace orvik
