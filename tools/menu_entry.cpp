// Writes the application-menu entry that an install puts in place: the
// template with its Exec line made to run the installed program. The install
// rules run it with the program's final path, so the entry is quoted by the
// same code as the launcher the program makes itself.
//
// With --launcher it writes instead the desktop launcher the program at
// PROGRAM_PATH makes at its first start, byte for byte, so that an uninstall
// can tell that launcher from one the user changed or another program wrote.
//
//   orvik_menu_entry TEMPLATE OUTPUT PROGRAM_PATH
//   orvik_menu_entry --launcher OUTPUT PROGRAM_PATH
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

#include "core/desktop_entry.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: orvik_menu_entry TEMPLATE|--launcher OUTPUT PROGRAM_PATH\n");
        return 2;
    }
    const std::string first = argv[1];
    std::string text;
    if (first == "--launcher") {
        try {
            text = orvik::DesktopEntryText(argv[3]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "orvik_menu_entry: no launcher for the program path %s: %s\n", argv[3], e.what());
            return 1;
        }
    } else {
        std::ifstream in(first, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "orvik_menu_entry: cannot read %s\n", argv[1]);
            return 1;
        }
        const std::string entryTemplate{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        try {
            text = orvik::MenuEntryText(entryTemplate, argv[3]);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "orvik_menu_entry: no menu entry for the program path %s: %s\n", argv[3], e.what());
            return 1;
        }
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "orvik_menu_entry: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
