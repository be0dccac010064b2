#include "core/desktop_entry.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/errors.h"

using namespace orvik;

namespace {

// A reader of desktop entries as the format describes them, to check that
// what we write means what we want: the string escapes are undone first,
// then the Exec value is split into arguments and unquoted, then "%%" gives
// "%". Any other use of "%" or of a backslash is a format error.
std::string UnescapeString(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            out += value[i];
            continue;
        }
        if (++i == value.size()) throw std::runtime_error("backslash at the end");
        switch (value[i]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 's':
                out += ' ';
                break;
            default:
                throw std::runtime_error("unknown string escape");
        }
    }
    return out;
}

std::string ExpandPercent(const std::string& argument) {
    std::string out;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] == '%') {
            if (i + 1 == argument.size() || argument[i + 1] != '%') throw std::runtime_error("field code");
            ++i;
        }
        out += argument[i];
    }
    return out;
}

std::vector<std::string> ExecArguments(const std::string& execValue) {
    const std::string command = UnescapeString(execValue);
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < command.size()) {
        if (command[i] == ' ') {
            ++i;
            continue;
        }
        std::string argument;
        if (command[i] == '"') {
            for (++i;; ++i) {
                if (i == command.size()) throw std::runtime_error("unterminated quote");
                const char c = command[i];
                if (c == '"') break;
                if (c == '\\') {
                    if (i + 1 == command.size()) throw std::runtime_error("backslash at the end");
                    const char next = command[++i];
                    if (std::string("\"`$\\").find(next) == std::string::npos) throw std::runtime_error("bad escape");
                    argument += next;
                } else if (c == '`' || c == '$') {
                    throw std::runtime_error("unescaped character inside quotes");
                } else {
                    argument += c;
                }
            }
            ++i;
            if (i < command.size() && command[i] != ' ') throw std::runtime_error("text after closing quote");
        } else {
            for (; i < command.size() && command[i] != ' '; ++i) {
                if (reserved.find(command[i]) != std::string::npos) throw std::runtime_error("reserved outside quotes");
                argument += command[i];
            }
        }
        arguments.push_back(ExpandPercent(argument));
    }
    return arguments;
}

// The keys of the one group of an entry; fails on anything but a header,
// key=value lines and a final line feed.
std::map<std::string, std::string> ParseEntry(const std::string& text) {
    std::map<std::string, std::string> keys;
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::istringstream in(text);
    std::string line;
    EXPECT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "[Desktop Entry]");
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        EXPECT_NE(eq, std::string::npos) << line;
        if (eq == std::string::npos) continue;
        EXPECT_TRUE(keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second) << "repeated key in " << line;
    }
    return keys;
}

template <std::size_t N>
std::string Bytes(const char (&s)[N]) {
    return std::string(s, N - 1);
}

}  // namespace

TEST(DesktopEntryPath, AppendsTheFileNameUnchecked) {
    EXPECT_EQ(DesktopEntryPath("/home/anna/Schreibtisch"), "/home/anna/Schreibtisch/ORVIK.desktop");
    EXPECT_EQ(DesktopEntryPath("/home/anna/Desktop/"), "/home/anna/Desktop//ORVIK.desktop");
    EXPECT_EQ(DesktopEntryPath(""), "/ORVIK.desktop");
}

TEST(DesktopEntryText, PlainPath) {
    EXPECT_EQ(DesktopEntryText("/opt/orvik/orvik"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Orvik\n"
              "Exec=/opt/orvik/orvik\n"
              "Path=/\n"
              "Terminal=false\n");
}

TEST(DesktopEntryText, LineBreakInThePathAddsNoKey) {
    const std::string text = DesktopEntryText("/tmp/x\nTerminal=true\n[Other]\rName=Evil/orvik");
    EXPECT_EQ(text,
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Orvik\n"
              R"(Exec="/tmp/x\nTerminal=true\n[Other]\rName=Evil/orvik")"
              "\n"
              "Path=/\n"
              "Terminal=false\n");
    const auto keys = ParseEntry(text);
    EXPECT_EQ(keys.size(), 5u);
    EXPECT_EQ(keys.at("Terminal"), "false");
    EXPECT_EQ(keys.at("Name"), "Orvik");
}

TEST(QuoteExecArgument, QuotesAndEscapesInTheRightLayers) {
    struct Case {
        std::string path;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"/opt/orvik/orvik", "/opt/orvik/orvik"},
        {"/home/jürgen/orvik", "/home/jürgen/orvik"},
        {"/opt/a=b/orvik", "/opt/a=b/orvik"},
        {"", R"("")"},
        {"/opt/my apps/orvik", R"("/opt/my apps/orvik")"},
        {"/opt/say \"hi\"/orvik", R"("/opt/say \\"hi\\"/orvik")"},
        {"/opt/it's/orvik", R"("/opt/it's/orvik")"},
        {"/opt/a$b/orvik", R"("/opt/a\\$b/orvik")"},
        {"/opt/a`b`/orvik", R"("/opt/a\\`b\\`/orvik")"},
        {R"(/opt/a\b/orvik)", R"("/opt/a\\\\b/orvik")"},
        {"/opt/100%/orvik", "/opt/100%%/orvik"},
        {"/opt/%f/orvik", "/opt/%%f/orvik"},
        {"/opt/100 %/orvik", R"("/opt/100 %%/orvik")"},
        {"/opt/a\nb/orvik", R"("/opt/a\nb/orvik")"},
        {"/opt/a\tb/orvik", R"("/opt/a\tb/orvik")"},
        {"/opt/a\rb/orvik", R"("/opt/a\rb/orvik")"},
        {"/opt/~x/orvik", R"("/opt/~x/orvik")"},
        {"/opt/a;b|c&d<e>f*g?h#i(j)/orvik", R"("/opt/a;b|c&d<e>f*g?h#i(j)/orvik")"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(QuoteExecArgument(c.path), c.expected) << testing::PrintToString(c.path);
    }
}

// Read back the way a launcher reads it, every path gives exactly itself as
// the program and no arguments.
TEST(DesktopEntryText, ExecReadsBackAsThePath) {
    for (const std::string& path :
         {std::string("/opt/orvik/orvik"), std::string("/opt/my apps/orvik"), std::string(R"(/a\b\\c/orvik)"),
          std::string(R"(/a"b'c$d`e\/orvik)"), std::string("/a%%b%/orvik"), std::string("/a\\nb/orvik"),
          std::string("/a\nb\r\n\t/orvik"), std::string("/a\\ \\\"%$/orvik"), std::string("/hö he/€/orvik")}) {
        const auto keys = ParseEntry(DesktopEntryText(path));
        ASSERT_EQ(keys.size(), 5u) << testing::PrintToString(path);
        EXPECT_EQ(keys.at("Type"), "Application");
        EXPECT_EQ(keys.at("Path"), "/");
        std::vector<std::string> arguments;
        ASSERT_NO_THROW(arguments = ExecArguments(keys.at("Exec"))) << testing::PrintToString(path);
        EXPECT_EQ(arguments, std::vector<std::string>{path}) << keys.at("Exec");
    }
}

TEST(QuoteExecArgument, RefusesWhatAnEntryCannotHold) {
    for (const std::string& path :
         {std::string("/opt/a\x01"
                      "b/orvik"),
          std::string("/opt/a\x1B[2J/orvik"), std::string("/opt/a\x7F/orvik"), Bytes("/opt/a\0b/orvik"),
          std::string("/opt/Halbt\xF6ne/orvik"), std::string("/opt/orvik\xC3")}) {
        for (auto f : {QuoteExecArgument, DesktopEntryText}) {
            try {
                f(path);
                ADD_FAILURE() << "no error for " << testing::PrintToString(path);
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::FileCreate);
                EXPECT_STREQ(e.what(), "Datei ORVIK.desktop kann nicht erstellt werden");
            }
        }
    }
}

// The menu entry an install writes: only the placeholder line changes, and
// the program path reads back as itself, the awkward ones too.
TEST(MenuEntryText, FillsThePlaceholderLineOnly) {
    const std::string entryTemplate =
        "[Desktop Entry]\nName=Orvik\nComment=Exec=@EXEC@ is not a line of its own\nExec=@EXEC@\nIcon=x";
    EXPECT_EQ(MenuEntryText(entryTemplate, "/home/anna/.local/opt/orvik/orvik"),
              "[Desktop Entry]\nName=Orvik\nComment=Exec=@EXEC@ is not a line of its own\n"
              "Exec=/home/anna/.local/opt/orvik/orvik\nIcon=x\n");
    for (const std::string path : {"/home/a/Töne & Co/$HOME 100% \"a\\b\" (x)/orvik", "/x\ny\tz/orvik"}) {
        const auto keys = ParseEntry(MenuEntryText(entryTemplate, path));
        EXPECT_EQ(ExecArguments(keys.at("Exec")), std::vector<std::string>{path});
    }
}

TEST(MenuEntryText, RefusesATemplateWithoutPlaceholderAndAnUnwritablePath) {
    EXPECT_THROW(MenuEntryText("[Desktop Entry]\nExec=orvik\n", "/opt/orvik/orvik"), std::invalid_argument);
    EXPECT_THROW(MenuEntryText("[Desktop Entry]\nExec=@EXEC@ \n", "/opt/orvik/orvik"), std::invalid_argument);
    EXPECT_THROW(MenuEntryText("[Desktop Entry]\nExec=@EXEC@\n", "/opt/a\x01/orvik"), Error);
}
