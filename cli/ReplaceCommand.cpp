// `tovin-cli replace FILE --find TEXT --with TEXT [--track] [--author NAME] [--date ISO]
// [--story KIND] [--json] -o OUT`: replaces every occurrence of a text as a reader sees it
// (tracked deletions do not count), across run boundaries, in the body, headers, footers
// and notes. With --track the replacements are tracked changes by the author.
#include <iostream>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/xml/Utf8.h"
#include "cli/AuthorName.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

using rovuvuz::StoryID;

struct ReplaceOptions {
    std::string file;
    std::string find;
    std::string with;
    bool track = false;
    std::string author;  // empty: the default author
    std::string date;
    std::string story = "all";
    OutputOptions output;
    bool json = false;
};

bool storySelected(const StoryID& id, const std::string& kind) {
    switch (id.kind) {
        case StoryID::Kind::body: return kind == "all" || kind == "body";
        case StoryID::Kind::header: return kind == "all" || kind == "header";
        case StoryID::Kind::footer: return kind == "all" || kind == "footer";
        case StoryID::Kind::footnotes: return kind == "all" || kind == "footnotes";
        case StoryID::Kind::endnotes: return kind == "all" || kind == "endnotes";
        case StoryID::Kind::comments: return false;
    }
    return false;
}

std::chrono::system_clock::time_point parseDate(const std::string& text) {
    if (text.empty()) return std::chrono::system_clock::now();
    const auto date = rovuvuz::IsoDate::parse(text);
    if (!date) throw CLI::ValidationError("--date", "expected YYYY-MM-DDTHH:MM:SSZ, got " + text);
    return *date;
}

void runReplace(const ReplaceOptions& options) {
    if (options.find.empty()) throw CLI::ValidationError("--find", "must not be empty");
    const std::string author = options.author.empty() ? defaultAuthor() : options.author;
    const auto mode = options.track ? rovuvuz::EditMode::trackedBy(author, parseDate(options.date))
                                    : rovuvuz::EditMode::direct();
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    const std::u16string needle = rovuvuz::utf8::toUtf16(options.find);
    const std::u16string replacement = rovuvuz::utf8::toUtf16(options.with);
    const size_t count = onFile(options.file, [&] {
        size_t replaced = 0;
        for (const StoryID& id : document->storyIDs()) {
            if (!storySelected(id, options.story)) continue;
            // Last first, so that replacing one leaves the ranges before it in place.
            const auto found = document->find(needle, id);
            for (auto it = found.rbegin(); it != found.rend(); ++it)
                document->replaceText(it->paragraph, id, it->range, replacement, mode);
            replaced += found.size();
        }
        return replaced;
    });
    saveDocument(*document, target);
    std::ostream& out = reportStream(target);
    if (options.json) {
        nlohmann::json report{{"file", options.file}, {"output", target},         {"find", options.find},
                              {"with", options.with}, {"tracked", options.track}, {"replaced", count}};
        if (options.track) report["author"] = author;
        printJson(report, out);
        return;
    }
    out << "replaced " << count << (count == 1 ? " occurrence" : " occurrences") << ", saved " << target
        << '\n';
}

}  // namespace

void addReplaceCommand(CLI::App& app) {
    auto options = std::make_shared<ReplaceOptions>();
    CLI::App* command = app.add_subcommand("replace", "Replace every occurrence of a text, directly or tracked");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_option("--find", options->find, "The text to find, as a reader sees it")->required();
    command->add_option("--with", options->with, "The replacement text")->required();
    command->add_flag("--track", options->track, "Make the replacements tracked changes");
    command->add_option(
        "--author", options->author,
        "The author of tracked changes (default: the application's author name, else your full name)");
    command->add_option("--date", options->date, "The date of tracked changes (YYYY-MM-DDTHH:MM:SSZ; default now)");
    command->add_option("--story", options->story, "Which stories")
        ->check(CLI::IsMember({"all", "body", "header", "footer", "footnotes", "endnotes"}))
        ->capture_default_str();
    addOutputOptions(*command, options->output);
    command->add_flag("--json", options->json, "Print the result as JSON");
    command->callback([options] { runReplace(*options); });
}

}  // namespace tovin::cli
