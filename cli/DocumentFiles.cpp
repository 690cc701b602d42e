#include "cli/DocumentFiles.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <vector>

#include "RovuVuz/package/FileIO.h"
#include "cli/Commands.h"
#include "cli/StreamOutput.h"

namespace tovin::cli {

namespace {

constexpr std::string_view standardStream = "-";

rovuvuz::SharedBytes readStandardInput() {
    rovuvuz::Bytes bytes;
    uint8_t chunk[1 << 16];
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, stdin);
        bytes.insert(bytes.end(), chunk, chunk + n);
        if (n < sizeof chunk) break;
    }
    if (std::ferror(stdin)) throw FileError(std::string(standardStream), "cannot read standard input");
    return rovuvuz::share(std::move(bytes));
}

// Whether two names reach one file (the same path spelled differently, a link, a hard
// link). A missing output is never the input.
bool sameFile(const std::string& input, const std::string& output) {
    std::error_code error;
    return std::filesystem::equivalent(input, output, error) && !error;
}

}  // namespace

rovuvuz::SharedBytes readInput(const std::string& path) {
    return onFile(path, [&] { return path == standardStream ? readStandardInput() : rovuvuz::FileIO::read(path); });
}

void KeepUntilExit::operator()(rovuvuz::DocxDocument* document) const {
    // Never destroyed: the list and the documents in it live until the process ends.
    static auto* kept = new std::vector<rovuvuz::DocxDocument*>;
    kept->push_back(document);
}

DocumentHandle openDocument(const std::string& path) {
    const rovuvuz::SharedBytes bytes = readInput(path);
    return DocumentHandle(onFile(path, [&] { return std::make_unique<rovuvuz::DocxDocument>(bytes); }).release());
}

void addOutputOptions(CLI::App& command, OutputOptions& options) {
    auto* output = command.add_option("-o,--output", options.output,
                                      "Write the result to this file (- for standard output)");
    auto* inPlace = command.add_flag("--in-place", options.inPlace, "Overwrite the input file");
    output->excludes(inPlace);
}

std::string outputPath(const OutputOptions& options, const std::string& input) {
    if (options.inPlace) {
        if (input == standardStream)
            throw CLI::ValidationError("--in-place",
                                       "standard input cannot be overwritten; use -o - or -o OUT");
        return input;
    }
    if (options.output.empty()) throw CLI::ValidationError("-o OUT or --in-place is required");
    if (options.output == standardStream) {
        if (::isatty(STDOUT_FILENO))
            throw CLI::ValidationError("-o -",
                                       "will not write a .docx to a terminal; redirect standard output");
        return options.output;
    }
    if (input != standardStream && sameFile(input, options.output))
        throw CLI::ValidationError("-o",
                                   options.output + " is the input file; use --in-place to overwrite it");
    return options.output;
}

void saveDocument(rovuvuz::DocxDocument& document, const std::string& path) {
    if (path != standardStream && isStreamTarget(path)) {
        const rovuvuz::SharedBytes data = onFile(path, [&] { return document.checkedData(); });
        writeStream(path, *data);
        return;
    }
    if (path != standardStream) {
        // Refuses a folder or block device (links followed) rather than replace it.
        onFile(path, [&] { document.write(path); });
        return;
    }
    const rovuvuz::SharedBytes data = onFile(path, [&] { return document.checkedData(); });
    if (std::fwrite(data->data(), 1, data->size(), stdout) != data->size() || std::fflush(stdout) != 0)
        throw FileError(path, "cannot write standard output");
}

std::ostream& reportStream(const std::string& target) {
    return target == standardStream ? std::cerr : std::cout;
}

}  // namespace tovin::cli
