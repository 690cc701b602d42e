// `tovin-cli save FILE -o OUT [--rebuild] [--json]`: opens and saves a document. Without
// edits the output is the input, byte for byte; --rebuild writes every story again from
// its model, which shows what the engine would write for each part.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/DocumentFiles.h"

namespace tovin::cli {

namespace {

struct SaveOptions {
    std::string file;
    OutputOptions output;
    bool rebuild = false;
    bool json = false;
};

void runSave(const SaveOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    const auto replaced = onFile(options.file, [&] {
        if (options.rebuild) document->rebuildAll();
        return document->dirtyParts();
    });
    saveDocument(*document, target);
    std::ostream& out = reportStream(target);
    if (options.json) {
        nlohmann::json parts = nlohmann::json::array();
        for (const auto& part : replaced) parts.push_back(part.rawValue);
        const nlohmann::json report{{"file", options.file},
                                    {"output", target},
                                    {"rebuilt", options.rebuild},
                                    {"replacedParts", parts}};
        printJson(report, out);
        return;
    }
    out << "saved " << target << ": ";
    if (replaced.empty())
        out << "every part unchanged\n";
    else
        out << replaced.size() << (replaced.size() == 1 ? " part" : " parts") << " rewritten\n";
    for (const auto& part : replaced) out << "  " << part.rawValue << '\n';
}

}  // namespace

void addSaveCommand(CLI::App& app) {
    auto options = std::make_shared<SaveOptions>();
    CLI::App* command = app.add_subcommand("save", "Open and save a document (unchanged parts stay byte for byte)");
    command->add_option("FILE", options->file, "The .docx file")->required();
    addOutputOptions(*command, options->output);
    command->add_flag("--rebuild", options->rebuild, "Write every story again from its model");
    command->add_flag("--json", options->json, "Print as JSON");
    command->callback([options] { runSave(*options); });
}

}  // namespace tovin::cli
