#include "core/title.h"

#include <cctype>

namespace orvik {

std::string ApplicationTitle(std::string_view programPath) {
    const auto slash = programPath.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    std::string title(name);
    for (std::size_t i = 1; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        if (c < 0x80) title[i] = static_cast<char>(std::tolower(c));
    }
    return title;
}

}  // namespace orvik
