// Opening a document named on the command line and writing one, with failures turned
// into the one-line file errors tovin-cli reports.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin::cli {

// Opens a .docx; throws FileError naming the file and the cause.
std::unique_ptr<rovuvuz::DocxDocument> openDocument(const std::string& path);

// Where an edited document goes: `-o OUT`, or the input itself with `--in-place`.
struct OutputOptions {
    std::string output;
    bool inPlace = false;
};

// Adds -o/--output and --in-place to a subcommand that writes a document.
void addOutputOptions(CLI::App& command, OutputOptions& options);

// The path to write, or a usage error when neither option was given.
std::string outputPath(const OutputOptions& options, const std::string& input);

// Saves atomically; throws FileError naming the output file.
void saveDocument(rovuvuz::DocxDocument& document, const std::string& path);

}  // namespace tovin::cli
