// `comment-edit FILE ID --text T -o OUT` gives a comment or reply new text; `comment-delete
// FILE ID -o OUT` deletes a comment with its replies (or a reply alone), its anchors and
// its threading entries.
#include <iostream>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/Utf8.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

using rovuvuz::CommentID;
using rovuvuz::DocxDocument;
using rovuvuz::StoryID;

struct CommentEditOptions {
    std::string file, text;
    int64_t id = 0;
    bool json = false;
    OutputOptions output;
};

// The comments a document has, by id; the error names the one that is missing.
void requireComment(DocxDocument& document, const CommentEditOptions& options) {
    const auto ids = document.storyIDs();
    if (std::find(ids.begin(), ids.end(), StoryID::comments()) != ids.end())
        for (const auto& entry : document.snapshot(StoryID::comments()).entries)
            if (entry.id == options.id) return;
    throw FileError(options.file, "no comment " + std::to_string(options.id));
}

// The comments still there afterwards, to say which went with the one named.
std::vector<int64_t> commentIDs(DocxDocument& document) {
    std::vector<int64_t> ids;
    const auto stories = document.storyIDs();
    if (std::find(stories.begin(), stories.end(), StoryID::comments()) == stories.end()) return ids;
    for (const auto& entry : document.snapshot(StoryID::comments()).entries) ids.push_back(entry.id);
    return ids;
}

void report(const CommentEditOptions& options, const std::string& target, const std::string& line,
            nlohmann::json json) {
    reportSaved(options.file, options.json, target, line, std::move(json));
}

void runEdit(const CommentEditOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    onFile(options.file, [&] {
        requireComment(*document, options);
        document->editComment(CommentID{options.id}, rovuvuz::utf8::toUtf16(options.text));
    });
    saveDocument(*document, target);
    report(options, target, "comment " + std::to_string(options.id) + " edited", {{"comment", options.id}});
}

void runDelete(const CommentEditOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    std::vector<int64_t> deleted;
    onFile(options.file, [&] {
        requireComment(*document, options);
        const std::vector<int64_t> before = commentIDs(*document);
        document->deleteComment(CommentID{options.id});
        const std::vector<int64_t> after = commentIDs(*document);
        for (int64_t id : before)
            if (std::find(after.begin(), after.end(), id) == after.end()) deleted.push_back(id);
    });
    saveDocument(*document, target);
    const size_t replies = deleted.size() > 0 ? deleted.size() - 1 : 0;
    report(options, target,
           "comment " + std::to_string(options.id) + " deleted" +
               (replies ? " with " + std::to_string(replies) + (replies == 1 ? " reply" : " replies") : ""),
           {{"comment", options.id}, {"deleted", deleted}});
}

}  // namespace

void addCommentEditCommands(CLI::App& app) {
    auto options = std::make_shared<CommentEditOptions>();
    CLI::App* edit = app.add_subcommand("comment-edit", "Give a comment or reply new text");
    edit->add_option("FILE", options->file, "The .docx file")->required();
    edit->add_option("ID", options->id, "The comment's id")->required();
    edit->add_option("--text", options->text, "The new text; each line break starts a paragraph")->required();
    addOutputOptions(*edit, options->output);
    edit->add_flag("--json", options->json, "Print the result as JSON");
    edit->callback([options] { runEdit(*options); });

    CLI::App* remove =
        app.add_subcommand("comment-delete", "Delete a comment with its replies, or a reply alone");
    remove->add_option("FILE", options->file, "The .docx file")->required();
    remove->add_option("ID", options->id, "The comment's id")->required();
    addOutputOptions(*remove, options->output);
    remove->add_flag("--json", options->json, "Print the result as JSON");
    remove->callback([options] { runDelete(*options); });
}

}  // namespace tovin::cli
