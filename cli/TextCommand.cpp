// `tovin-cli text FILE [--story KIND] [--changes] [--json]`: a story as a reader sees it.
#include <iostream>

#include "RovuVuz/document/DocxDocument.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/DocumentFiles.h"
#include "cli/SnapshotText.h"

namespace tovin::cli {

namespace {

using rovuvuz::StoryID;

struct TextOptions {
    std::string file;
    std::string story = "body";
    bool changes = false;
    bool json = false;
};

// The stories of a kind: one for the body, notes and comments, every part for headers
// and footers.
std::vector<StoryID> storiesOfKind(rovuvuz::DocxDocument& document, const std::string& kind) {
    std::vector<StoryID> found;
    for (const StoryID& id : document.storiesInOrder()) {
        const bool matches = (kind == "body" && id.kind == StoryID::Kind::body) ||
                             (kind == "header" && id.kind == StoryID::Kind::header) ||
                             (kind == "footer" && id.kind == StoryID::Kind::footer) ||
                             (kind == "footnotes" && id.kind == StoryID::Kind::footnotes) ||
                             (kind == "endnotes" && id.kind == StoryID::Kind::endnotes) ||
                             (kind == "comments" && id.kind == StoryID::Kind::comments);
        if (matches) found.push_back(id);
    }
    return found;
}

void runText(const TextOptions& options) {
    auto document = openDocument(options.file);
    const auto stories = storiesOfKind(*document, options.story);
    nlohmann::json all = nlohmann::json::array();
    for (const StoryID& id : stories) {
        const auto snapshot = onFile(options.file, [&] { return document->snapshot(id); });
        if (options.json) {
            all.push_back(toJson(snapshot));
        } else {
            const std::string text = plainText(snapshot, options.changes ? ShowChanges::Yes : ShowChanges::No);
            std::cout << text << (text.empty() ? "" : "\n");
        }
    }
    if (options.json) printJson(all);
}

}  // namespace

void addTextCommand(CLI::App& app) {
    auto options = std::make_shared<TextOptions>();
    CLI::App* command = app.add_subcommand("text", "Print a story as a reader sees it");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_option("--story", options->story, "Which story")
        ->check(CLI::IsMember({"body", "header", "footer", "footnotes", "endnotes", "comments"}));
    command->add_flag("--changes", options->changes, "Mark tracked insertions {+so+} and deletions [-so-]");
    command->add_flag("--json", options->json, "Print the snapshot as JSON");
    command->callback([options] { runText(*options); });
}

}  // namespace tovin::cli
