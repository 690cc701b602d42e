// The command line of `tovin`: options are read before the window system is touched, so
// that --help and --version work without a display.
#pragma once

#include <string>
#include <vector>

namespace tovin {

struct CommandLine {
    bool help = false;
    bool version = false;
    std::vector<std::string> files;
    std::string exportPdf;  // --export-pdf OUT: convert the one file and exit
    std::string error;      // a usage error, when not empty

    // Reads the arguments after the program name. Qt's own options (-platform, -display,
    // …) are passed over, as QApplication takes them; "--" ends the options.
    static CommandLine parse(const std::vector<std::string>& arguments);
    static std::string usage();
};

}  // namespace tovin
