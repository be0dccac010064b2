#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvik;

TEST(IsValidUtf8, AcceptsWellFormedTextOnly) {
    for (const char* ok : {"", "abc", "Halbtöne", "€", "\xF0\x9F\x8E\xB5", "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF"}) {
        EXPECT_TRUE(IsValidUtf8(ok)) << testing::PrintToString(std::string(ok));
    }
    for (const char* bad : {"\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
                            "\xF5\x80\x80\x80", "\xFF", "\xC3", "\xE2\x82", "\xC3\x28"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(std::string(bad));
    }
}
