// tovin-cli: the document engine as a command-line tool. Exit codes: 0 success, 1 a
// document or file error (one line on stderr naming the file), 2 a usage error.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "cli/Commands.h"

#ifndef TOVIN_VERSION
#define TOVIN_VERSION "unknown"
#endif

namespace tovin::cli {

namespace {

constexpr int exitDocumentError = 1;
constexpr int exitUsageError = 2;

using AddCommand = void (*)(CLI::App&);
constexpr AddCommand allCommands[] = {
    addPartsCommand,
    addStylesCommand,
    addPageCommand,
    addInfoCommand,
    addSaveCommand,
    addTextCommand,
    addChangesCommand,
    addResolveCommands,
    addCommentsCommand,
    addReplaceCommand,
};

}  // namespace

}  // namespace tovin::cli

int main(int argc, char** argv) {
    using namespace tovin::cli;
    CLI::App app{"Inspect and edit .docx documents without changing what you did not touch.", "tovin-cli"};
    app.set_version_flag("--version", std::string("tovin-cli ") + TOVIN_VERSION);
    app.require_subcommand(1);
    for (AddCommand add : allCommands) add(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& success) {
        return app.exit(success);  // --help, --version
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return exitUsageError;
    } catch (const FileError& error) {
        std::cerr << "tovin-cli: " << error.file() << ": " << error.what() << '\n';
        return exitDocumentError;
    }
    return 0;
}
