// FirstWord on arbitrary bytes: every reader of a cell or of the frequency
// field converts only this word, so it must be exactly the text before the
// first blank.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"
#include "core/convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string word = orvik::FirstWord(text);

    FUZZ_CHECK(word.size() <= text.size());
    FUZZ_CHECK(text.substr(0, word.size()) == word);
    FUZZ_CHECK(word.find(' ') == std::string::npos);

    // Counted by hand rather than with find, so the check does not mirror
    // the code under test.
    bool hasBlank = false;
    for (const char c : text) hasBlank = hasBlank || c == ' ';
    if (hasBlank) {
        FUZZ_CHECK(word.size() < text.size());
        FUZZ_CHECK(text[word.size()] == ' ');
    } else {
        FUZZ_CHECK(word == text);
    }
    return 0;
}
