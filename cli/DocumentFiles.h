// Opening a document named on the command line and writing one, with failures turned
// into the one-line file errors tovin-cli reports. "-" names standard input as the file
// to read and standard output as the file to write, as most tools have it.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <memory>
#include <string>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin::cli {

// A file's bytes, or standard input's for "-"; throws FileError naming the file.
rovuvuz::SharedBytes readInput(const std::string& path);

// Each command opens a document, uses it and ends the process. A document of 500 pages
// holds hundreds of thousands of nodes, and freeing them one by one costs about a fifth
// of a one-word replace, so the document is kept, reachable, until the process exits and
// the system takes its memory back at once.
struct KeepUntilExit {
    void operator()(rovuvuz::DocxDocument* document) const;
};
using DocumentHandle = std::unique_ptr<rovuvuz::DocxDocument, KeepUntilExit>;

// Opens a .docx, or reads one from standard input for "-"; throws FileError naming the
// file and the cause.
DocumentHandle openDocument(const std::string& path);

// Where an edited document goes: `-o OUT`, or the input itself with `--in-place`.
struct OutputOptions {
    std::string output;
    bool inPlace = false;
};

// Adds -o/--output and --in-place to a subcommand that writes a document.
void addOutputOptions(CLI::App& command, OutputOptions& options);

// The path to write ("-" for standard output). A usage error when neither option was
// given, when -o names the input file itself (only --in-place overwrites it), for
// --in-place on standard input, and for a document bound for a terminal.
std::string outputPath(const OutputOptions& options, const std::string& input);

// Saves atomically, or writes to standard output for "-" and to an existing FIFO,
// character device or socket as a stream; refuses other targets that are no regular file
// (a folder, a block device). Throws FileError naming the output file.
void saveDocument(rovuvuz::DocxDocument& document, const std::string& path);

// Where a command that wrote `target` reports what it did: standard output, or standard
// error when the document itself went to standard output.
std::ostream& reportStream(const std::string& target);

}  // namespace tovin::cli
