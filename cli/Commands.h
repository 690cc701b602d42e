// How tovin-cli's subcommands plug into the program, and the failures they report.
//
// Each subcommand lives in its own file and exposes one `addXCommand(CLI::App&)` that
// adds the subcommand, its options and its callback; main.cpp lists them in
// `allCommands`. A callback reports a problem with a document by throwing FileError,
// which main prints as one line "tovin-cli: FILE: CAUSE" and turns into exit code 1.
#pragma once

#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "RovuVuz/package/FileIO.h"
#include "RovuVuz/xml/Bytes.h"

namespace tovin::cli {

// A failure concerning one input or output file (exit code 1).
class FileError : public std::runtime_error {
public:
    FileError(std::string file, const std::string& cause)
        : std::runtime_error(cause), file_(std::move(file)) {}
    const std::string& file() const { return file_; }

private:
    std::string file_;
};


// Runs `work` and turns any engine exception into a FileError naming `path`.
template <typename Work>
auto onFile(const std::string& path, Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (const FileError&) {
        throw;
    } catch (const rovuvuz::FileError& error) {
        // The line names the file already.
        throw FileError(path, error.cause());
    } catch (const std::exception& error) {
        throw FileError(path, error.what());
    }
}

void addPartsCommand(CLI::App& app);
void addStylesCommand(CLI::App& app);
void addPageCommand(CLI::App& app);
void addInfoCommand(CLI::App& app);
void addSaveCommand(CLI::App& app);
void addTextCommand(CLI::App& app);
void addChangesCommand(CLI::App& app);
// accept, reject, accept-all and reject-all.
void addResolveCommands(CLI::App& app);
void addCommentsCommand(CLI::App& app);
// comment-edit and comment-delete.
void addCommentEditCommands(CLI::App& app);
void addReplaceCommand(CLI::App& app);
void addNewCommand(CLI::App& app);

}  // namespace tovin::cli
