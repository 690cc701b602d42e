// `tovin-cli info FILE [--json]`: what a package holds as a document: its main part, its
// stories in reading order with their parts, how many parts, and the id a new tracked
// change would get.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/DocumentFiles.h"

namespace tovin::cli {

namespace {

struct InfoOptions {
    std::string file;
    bool json = false;
};

std::string kindName(rovuvuz::StoryID::Kind kind) {
    using Kind = rovuvuz::StoryID::Kind;
    switch (kind) {
        case Kind::header: return "header";
        case Kind::footer: return "footer";
        case Kind::body: return "body";
        case Kind::footnotes: return "footnotes";
        case Kind::endnotes: return "endnotes";
        case Kind::comments: return "comments";
    }
    return "body";
}

void runInfo(const InfoOptions& options) {
    auto document = openDocument(options.file);
    const auto stories = onFile(options.file, [&] { return document->storiesInOrder(); });
    const int64_t nextRevision = onFile(options.file, [&] { return document->nextRevisionID(); });
    if (options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& id : stories)
            list.push_back({{"kind", kindName(id.kind)}, {"part", document->part(id).value_or(rovuvuz::PartName()).rawValue}});
        const nlohmann::json out{{"file", options.file},
                                 {"mainPart", document->mainPart().rawValue},
                                 {"partCount", document->archive().entries().size()},
                                 {"stories", list},
                                 {"nextRevisionID", nextRevision}};
        printJson(out);
        return;
    }
    std::cout << "main part:        " << document->mainPart().rawValue << '\n'
              << "parts:            " << document->archive().entries().size() << '\n'
              << "next revision id: " << nextRevision << '\n'
              << "stories:\n";
    for (const auto& id : stories)
        std::cout << "  " << kindName(id.kind) << std::string(12 - kindName(id.kind).size(), ' ')
                  << document->part(id).value_or(rovuvuz::PartName()).rawValue << '\n';
}

}  // namespace

void addInfoCommand(CLI::App& app) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand("info", "Show a document's main part, stories and parts");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_flag("--json", options->json, "Print as JSON");
    command->callback([options] { runInfo(*options); });
}

}  // namespace tovin::cli
