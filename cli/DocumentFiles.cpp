#include "cli/DocumentFiles.h"

#include "RovuVuz/package/FileIO.h"
#include "cli/Commands.h"

namespace tovin::cli {

std::unique_ptr<rovuvuz::DocxDocument> openDocument(const std::string& path) {
    return onFile(path, [&] { return rovuvuz::DocxDocument::open(path); });
}

void addOutputOptions(CLI::App& command, OutputOptions& options) {
    auto* output = command.add_option("-o,--output", options.output, "Write the result to this file");
    auto* inPlace = command.add_flag("--in-place", options.inPlace, "Overwrite the input file");
    output->excludes(inPlace);
}

std::string outputPath(const OutputOptions& options, const std::string& input) {
    if (options.inPlace) return input;
    if (options.output.empty()) throw CLI::ValidationError("-o OUT or --in-place is required");
    return options.output;
}

void saveDocument(rovuvuz::DocxDocument& document, const std::string& path) {
    onFile(path, [&] { document.write(path); });
}

}  // namespace tovin::cli
