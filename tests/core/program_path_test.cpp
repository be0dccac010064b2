#include "core/program_path.h"

#include <gtest/gtest.h>

#include <string>

using namespace orvik;

TEST(ProgramDirectory, UpToAndIncludingTheLastSlash) {
    struct Case {
        const char* path;
        const char* expected;
    };
    for (const Case& c : {
             Case{"/usr/local/bin/orvik", "/usr/local/bin/"},
             Case{"/orvik", "/"},
             Case{"orvik", ""},
             Case{"", ""},
             Case{"/opt/orvik/", "/opt/orvik/"},
             Case{"./orvik", "./"},
             Case{"/höhe/tön/orvik", "/höhe/tön/"},
             // Backslash and colon are ordinary file-name characters here.
             Case{"/opt/a\\b:c", "/opt/"},
             Case{"C:\\Programme\\orvik.exe", ""},
         }) {
        EXPECT_EQ(ProgramDirectory(c.path), c.expected) << c.path;
    }
}

TEST(SettingsFileName, ReplacesTheLastThreeCharactersByIni) {
    struct Case {
        const char* path;
        const char* expected;
    };
    for (const Case& c : {
             Case{"/opt/orvik/orvik", "/opt/orvik/orini"},
             Case{"/x/sample.exe", "/x/sample.ini"},
             Case{"/x/sample.ex", "/x/sampleini"},
             Case{"/x/sample.exec", "/x/sample.eini"},
             Case{"/x/abc", "/x/ini"},
             Case{"/x/ab", "/x/ini"},
             Case{"/x/", "/x/ini"},
             Case{"sample.exe", "sample.ini"},
             Case{"", "ini"},
             Case{"/höhe/orvik", "/höhe/orini"},
             // Counted in characters: cutting bytes would split "ö" or "€".
             Case{"/x/Töne.exe", "/x/Töne.ini"},
             Case{"/x/tönö", "/x/tini"},
             Case{"/x/orvikö", "/x/orvini"},
             Case{"/x/ab€", "/x/ini"},
             Case{"/x/a€bc", "/x/aini"},
             Case{"/x/Orvik\xF0\x9F\x8E\xB5", "/x/Orvini"},
             // A byte outside any valid sequence counts as one character.
             Case{"/x/ab\xF6"
                  "cd",
                  "/x/abini"},
             Case{"/x/abc\xE2\x82", "/x/abini"},
         }) {
        EXPECT_EQ(SettingsFileName(c.path), c.expected) << c.path;
    }
}
