#include "Tovin/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tovin {

namespace {

// QApplication's own options, which it removes from the arguments itself.
constexpr std::array<std::string_view, 12> qtOptionsWithValue = {"-platform",        "-platformpluginpath",
                                                                 "-platformtheme",   "-plugin",
                                                                 "-qwindowgeometry", "-qwindowtitle",
                                                                 "-qwindowicon",     "-display",
                                                                 "-geometry",        "-style",
                                                                 "-stylesheet",      "-session"};
constexpr std::array<std::string_view, 5> qtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb",
                                                     "-sync"};

bool isQtOption(std::string_view argument) {
    if (std::find(qtFlags.begin(), qtFlags.end(), argument) != qtFlags.end()) return true;
    return std::any_of(qtOptionsWithValue.begin(), qtOptionsWithValue.end(), [&](std::string_view option) {
        return argument.starts_with(option) && argument.size() > option.size() &&
               argument[option.size()] == '=';
    });
}

bool takesValue(std::string_view argument) {
    return std::find(qtOptionsWithValue.begin(), qtOptionsWithValue.end(), argument) !=
           qtOptionsWithValue.end();
}

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool options = true;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (options && takesValue(argument)) {
            ++i;  // the option's value is Qt's too
        } else if (options && isQtOption(argument)) {
            continue;
        } else if (options && argument == "--") {
            options = false;
        } else if (options && (argument == "--help" || argument == "-h")) {
            line.help = true;
        } else if (options && (argument == "--version" || argument == "-v")) {
            line.version = true;
        } else if (options && argument == "--export-pdf") {
            if (i + 1 < arguments.size())
                line.exportPdf = arguments[++i];
            else if (line.error.empty())
                line.error = "--export-pdf needs the PDF file to write";
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            if (line.error.empty()) line.error = "unknown option " + argument;
        } else {
            line.files.push_back(argument);
        }
    }
    if (!line.exportPdf.empty() && line.files.size() != 1 && line.error.empty())
        line.error = "--export-pdf converts exactly one document";
    return line;
}

std::string CommandLine::usage() {
    return "Usage: tovin [OPTION]... [FILE.docx]...\n"
           "Opens each Word document in a window. When Tovin is running already, the files\n"
           "open in that process.\n"
           "\n"
           "  --export-pdf OUT.pdf FILE.docx\n"
           "                   write the document's pages to OUT.pdf and exit, without a\n"
           "                   window or a display\n"
           "  -h, --help       show this help and exit\n"
           "  -v, --version    show the version and exit\n"
           "\n"
           "Qt's options (-platform, -display, …) are accepted too.\n";
}

}  // namespace tovin
