#include "core/program_path.h"

#include <array>

#include "core/utf8.h"

namespace orvik {

std::string ProgramDirectory(std::string_view programPath) {
    for (std::size_t i = programPath.size(); i > 0; --i) {
        if (programPath[i - 1] == '/') return std::string(programPath.substr(0, i));
    }
    return {};
}

std::string SettingsFileName(std::string_view programPath) {
    const std::string directory = ProgramDirectory(programPath);
    const std::string_view name = programPath.substr(directory.size());

    // Walk the name character by character, remembering where the last
    // three began; the name is kept up to the first of them.
    std::array<std::size_t, 3> starts{};
    std::size_t count = 0;
    char32_t cp;
    for (std::size_t i = 0; i < name.size();) {
        starts[count % 3] = i;
        ++count;
        const std::size_t len = Utf8Sequence(name, i, cp);
        i += len == 0 ? 1 : len;
    }
    const std::size_t keep = count < 3 ? 0 : starts[(count - 3) % 3];
    return directory + std::string(name.substr(0, keep)) + "ini";
}

}  // namespace orvik
