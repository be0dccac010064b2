#include "core/errors.h"

#include <gtest/gtest.h>

using namespace orvik;

TEST(ErrorTexts, PlaceholdersAndTheFinalPeriod) {
    EXPECT_STREQ(Error::invalidInteger("").what(), "'' ist kein gültiger Integerwert");
    EXPECT_STREQ(Error::invalidFloat("abc").what(), "'abc' ist kein gültiger Gleitkommawert");
    EXPECT_STREQ(Error::fileCreate("/x/orini").what(), "Datei /x/orini kann nicht erstellt werden");
    struct Case {
        const char* in;
        const char* out;
    };
    for (auto c : {Case{"Integerüberlauf", "Integerüberlauf."}, Case{"Ende.", "Ende."}, Case{"Frage?", "Frage?."},
                   Case{"Klammer)", "Klammer)"}, Case{"Größe ö", "Größe ö."}, Case{"", ""}, Case{"1", "1."}}) {
        EXPECT_EQ(WithFinalPeriod(c.in), c.out);
    }
}
