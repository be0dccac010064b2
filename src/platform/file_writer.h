#pragma once
#include <QString>
#include <string_view>

namespace orvik {

// Replaces the file at `path` with `bytes`, all or nothing: the bytes go to a
// temporary file beside it, which is renamed over the old one only once it
// is complete. A short write (full disk, file size limit) fails the whole
// save and leaves the old file as it was. Returns whether the file was written.
bool WriteWholeFile(const QString& path, std::string_view bytes);

}  // namespace orvik
