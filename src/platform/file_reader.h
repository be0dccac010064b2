#pragma once
#include <QString>
#include <cstddef>
#include <optional>
#include <string>

namespace orvik {

// The whole content of the regular file at `path` (a symbolic link to one
// counts), when it holds at most `limit` bytes. Nothing for a file that does
// not exist or cannot be read, for anything that is not a regular file (a
// FIFO, a device, a socket, a folder), and for a file larger than `limit`:
// opening a FIFO would wait for a writer that never comes, and a device such
// as /dev/zero never ends.
std::optional<std::string> ReadSmallFile(const QString& path, std::size_t limit);

}  // namespace orvik
