#include "cli/DocumentFiles.h"

#include <vector>

#include "RovuVuz/FileIO.h"
#include "cli/Commands.h"

namespace tovin::cli {

void KeepUntilExit::operator()(rovuvuz::DocxDocument* document) const {
    // Never destroyed: the list and the documents in it live until the process ends.
    static auto* kept = new std::vector<rovuvuz::DocxDocument*>;
    kept->push_back(document);
}

DocumentHandle openDocument(const std::string& path) {
    return DocumentHandle(onFile(path, [&] { return rovuvuz::DocxDocument::open(path); }).release());
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
