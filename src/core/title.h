#pragma once
#include <string>
#include <string_view>

namespace orvik {

// The application's title from the executable's path: the file name up to its
// first dot, every character after the first in lower case ("ORVIK.EXE" gives
// "Orvik", "orvik" gives "orvik").
std::string ApplicationTitle(std::string_view programPath);

}  // namespace orvik
