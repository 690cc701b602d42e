// tovin-cli: the document engine as a command-line tool. Exit codes: 0 success, 1 a
// document or file error (one line on stderr naming the file), 2 a usage error.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

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
    addCommentEditCommands,
    addReplaceCommand,
    addNewCommand,
};

// A first argument that is no option and no command: a usage error naming it and listing
// the commands, rather than the parser's "a subcommand is required".
bool rejectUnknownCommand(CLI::App& app, int argc, char** argv) {
    if (argc < 2 || argv[1][0] == '-') return false;
    const std::string name = argv[1];
    std::string known;
    for (const CLI::App* command : app.get_subcommands({})) {
        if (command->get_name() == name) return false;
        known += (known.empty() ? "" : ", ") + command->get_name();
    }
    std::cerr << "tovin-cli: unknown command \"" << name << "\"; the commands are: " << known
              << ".\nRun with --help for more information.\n";
    return true;
}

}  // namespace

}  // namespace tovin::cli

int main(int argc, char** argv) {
    using namespace tovin::cli;
    CLI::App app{"Inspect and edit .docx documents without changing what you did not touch.", "tovin-cli"};
    app.set_version_flag("--version", std::string("tovin-cli ") + TOVIN_VERSION);
    app.require_subcommand(1);
    for (AddCommand add : allCommands) add(app);
    if (rejectUnknownCommand(app, argc, argv)) return exitUsageError;

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
