// Comment commands: `comments FILE [--json]` lists every thread with its replies, resolved
// state and the text it is anchored on; `comment`, `reply` and `resolve` write a new file.
#include <chrono>
#include <iostream>
#include <map>
#include <set>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/Utf8.h"
#include "cli/AuthorName.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"
#include "cli/SnapshotText.h"

namespace tovin::cli {

namespace {

using rovuvuz::CommentID;
using rovuvuz::DocxDocument;
using rovuvuz::StoryID;

struct CommentEntry {
    int64_t id = 0;
    std::string author, date, text, anchor;
    std::optional<int64_t> parent;
    bool done = false;
};

std::string entryText(const rovuvuz::EntrySnapshot& entry) {
    std::string text;
    for (const auto& block : entry.blocks) {
        if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value)) {
            if (!text.empty()) text += '\n';
            text += plainText(*p, ShowChanges::No);
        }
    }
    return text;
}

// The body text between each comment's range start and end, paragraphs joined by LF.
std::map<int64_t, std::string> anchoredText(DocxDocument& document) {
    std::map<int64_t, std::string> text;
    std::map<int64_t, size_t> open;  // comment → where its text begins in this paragraph
    const auto body = document.snapshot(StoryID::body());
    for (const auto* p : body.paragraphs()) {
        const std::u16string_view shown(p->text);
        const auto take = [&](size_t from, size_t to) {
            from = std::min(from, shown.size()), to = std::min(to, shown.size());
            return rovuvuz::utf8::fromUtf16(shown.substr(from, to > from ? to - from : 0));
        };
        for (const auto& mark : p->commentMarks) {
            const int64_t id = mark.id.rawValue;
            if (mark.isStart) {
                open[id] = mark.offset;
            } else if (const auto found = open.find(id); found != open.end()) {
                text[id] += take(found->second, mark.offset);
                open.erase(found);
            }
        }
        for (auto& [id, from] : open) {
            text[id] += take(from, shown.size()) + "\n";
            from = 0;
        }
    }
    return text;
}

std::vector<CommentEntry> readComments(DocxDocument& document) {
    std::vector<CommentEntry> comments;
    const auto ids = document.storyIDs();
    if (std::find(ids.begin(), ids.end(), StoryID::comments()) == ids.end()) return comments;
    const auto threads = document.commentThreads();
    const auto anchors = anchoredText(document);
    for (const auto& entry : document.snapshot(StoryID::comments()).entries) {
        CommentEntry c{entry.id, entry.author.value_or(""), entry.date.value_or(""), entryText(entry), {}, {},
                       false};
        if (const auto a = anchors.find(entry.id); a != anchors.end()) c.anchor = a->second;
        if (const auto t = threads.find(CommentID{entry.id}); t != threads.end()) {
            if (t->second.parent) c.parent = t->second.parent->rawValue;
            c.done = t->second.done;
        }
        comments.push_back(std::move(c));
    }
    return comments;
}

// The comment a reply chain starts from; a chain that loops stops where it would repeat.
int64_t threadRoot(const std::map<int64_t, const CommentEntry*>& byID, int64_t id) {
    std::set<int64_t> seen;
    while (seen.insert(id).second) {
        const auto found = byID.find(id);
        if (found == byID.end() || !found->second->parent || !byID.count(*found->second->parent)) break;
        id = *found->second->parent;
    }
    return id;
}

// Each line of a comment on its own output line, made printable.
std::string indentedLines(const std::string& text, std::string_view indent) {
    std::string out;
    for (size_t start = 0;;) {
        const size_t lf = text.find('\n', start);
        out += std::string(indent) +
               printable(text.substr(start, lf == std::string::npos ? lf : lf - start)) + '\n';
        if (lf == std::string::npos) return out;
        start = lf + 1;
    }
}

nlohmann::json commentJson(const CommentEntry& c) {
    return {{"id", c.id}, {"author", c.author}, {"date", c.date}, {"text", c.text}};
}

void runComments(const std::string& file, bool json) {
    auto document = openDocument(file);
    const auto comments = onFile(file, [&] { return readComments(*document); });
    std::map<int64_t, const CommentEntry*> byID;
    for (const auto& c : comments) byID.emplace(c.id, &c);
    std::map<int64_t, std::vector<const CommentEntry*>> replies;
    for (const auto& c : comments) {
        const int64_t root = threadRoot(byID, c.id);
        if (root != c.id) replies[root].push_back(&c);
    }
    nlohmann::json threads = nlohmann::json::array();
    for (const auto& c : comments) {
        if (threadRoot(byID, c.id) != c.id) continue;
        if (json) {
            nlohmann::json thread = commentJson(c);
            thread["anchor"] = c.anchor;
            thread["resolved"] = c.done;
            thread["replies"] = nlohmann::json::array();
            for (const auto* r : replies[c.id]) thread["replies"].push_back(commentJson(*r));
            threads.push_back(thread);
            continue;
        }
        std::cout << "[" << c.id << "] " << printable(c.author) << " " << printable(c.date)
                  << (c.done ? " (resolved)" : "") << "\n  on: " << printable(c.anchor) << '\n'
                  << indentedLines(c.text, "  ");
        for (const auto* r : replies[c.id])
            std::cout << "  reply [" << r->id << "] " << printable(r->author) << " " << printable(r->date)
                      << ": " << printable(r->text) << '\n';
    }
    if (json) printJson({{"file", file}, {"threads", threads}});
}

// Where the n-th occurrence (from 1) of some text stands in the body as a reader sees it,
// tracked deletions left out; nothing when there are fewer.
std::optional<std::pair<rovuvuz::ParagraphID, rovuvuz::TextRange>> occurrence(DocxDocument& document,
                                                                              std::u16string_view needle,
                                                                              int n) {
    const auto body = document.snapshot(StoryID::body());
    for (const auto* p : body.paragraphs()) {
        std::u16string shown;
        std::vector<size_t> offsets;  // display offset of each shown unit
        for (const auto& span : p->spans) {
            if (span.revision && span.revision->kind == rovuvuz::RevisionKind::remove) continue;
            for (size_t i = span.range.lower; i < span.range.upper && i < p->text.size(); ++i) {
                shown.push_back(p->text[i]);
                offsets.push_back(i);
            }
        }
        for (size_t at = shown.find(needle); at != std::u16string::npos; at = shown.find(needle, at + 1)) {
            if (--n == 0)
                return std::make_pair(p->id,
                                      rovuvuz::TextRange{offsets[at], offsets[at + needle.size() - 1] + 1});
        }
    }
    return std::nullopt;
}

struct EditOptions {
    std::string file, on, text, author;  // an empty author: the default author
    int occurrence = 1;
    int64_t id = 0;
    bool reopen = false;
    bool json = false;
    OutputOptions output;

    std::string authorName() const { return author.empty() ? defaultAuthor() : author; }
};

// A comment that a reply or resolve names must exist; the error names it.
void requireComment(DocxDocument& document, const EditOptions& options) {
    const auto ids = document.storyIDs();
    if (std::find(ids.begin(), ids.end(), StoryID::comments()) != ids.end())
        for (const auto& entry : document.snapshot(StoryID::comments()).entries)
            if (entry.id == options.id) return;
    throw FileError(options.file, "no comment " + std::to_string(options.id));
}

// What a comment command did, on standard output (standard error when the document went
// there), as a line or as JSON.
void report(const EditOptions& options, const std::string& target, const std::string& line,
            nlohmann::json json) {
    reportSaved(options.file, options.json, target, line, std::move(json));
}

void runComment(const EditOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    const auto needle = rovuvuz::utf8::toUtf16(options.on);
    if (needle.empty()) throw CLI::ValidationError("--on", "the text to comment on is empty");
    const std::string author = options.authorName();
    const auto id = onFile(options.file, [&] {
        const auto found = occurrence(*document, needle, options.occurrence);
        if (!found)
            throw FileError(options.file, "occurrence " + std::to_string(options.occurrence) + " of \"" +
                                              printable(options.on) + "\" not found");
        return document->addComment(found->first, StoryID::body(), found->second,
                                    rovuvuz::utf8::toUtf16(options.text), author,
                                    std::chrono::system_clock::now());
    });
    saveDocument(*document, target);
    report(options, target, "comment " + std::to_string(id.rawValue) + " added",
           {{"comment", id.rawValue},
            {"author", author},
            {"on", options.on},
            {"occurrence", options.occurrence}});
}

// "comment 7 is a reply; " when the named comment answers another: the engine acts on the
// thread's first comment then, and the message says so.
std::string replyNotice(const EditOptions& options, int64_t thread) {
    return thread == options.id ? std::string()
                                : "comment " + std::to_string(options.id) + " is a reply; ";
}

void runReply(const EditOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    const std::string author = options.authorName();
    int64_t thread = options.id;
    const auto id = onFile(options.file, [&] {
        requireComment(*document, options);
        thread = document->threadStart(CommentID{options.id}).rawValue;
        return document->reply(CommentID{options.id}, rovuvuz::utf8::toUtf16(options.text), author,
                               std::chrono::system_clock::now());
    });
    saveDocument(*document, target);
    const std::string reply = "reply " + std::to_string(id.rawValue);
    report(options, target,
           thread == options.id ? reply + " to comment " + std::to_string(thread) + " added"
                                : replyNotice(options, thread) + reply + " to its thread, comment " +
                                      std::to_string(thread) + ", added",
           {{"reply", id.rawValue}, {"to", options.id}, {"thread", thread}, {"author", author}});
}

void runResolve(const EditOptions& options) {
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    int64_t thread = options.id;
    onFile(options.file, [&] {
        requireComment(*document, options);
        thread = document->threadStart(CommentID{options.id}).rawValue;
        document->setResolved(CommentID{options.id}, !options.reopen);
    });
    saveDocument(*document, target);
    const std::string done = options.reopen ? "reopened" : "resolved";
    report(options, target,
           thread == options.id ? "comment " + std::to_string(thread) + " " + done
                                : replyNotice(options, thread) + done + " its thread, comment " +
                                      std::to_string(thread),
           {{"comment", options.id}, {"thread", thread}, {"resolved", !options.reopen}});
}

}  // namespace

void addCommentsCommand(CLI::App& app) {
    auto listing = std::make_shared<std::pair<std::string, bool>>();
    CLI::App* list =
        app.add_subcommand("comments", "List comment threads with replies, state and anchored text");
    list->add_option("FILE", listing->first, "The .docx file")->required();
    list->add_flag("--json", listing->second, "Print as JSON");
    list->callback([listing] { runComments(listing->first, listing->second); });

    auto options = std::make_shared<EditOptions>();
    CLI::App* comment = app.add_subcommand("comment", "Comment on the n-th occurrence of a text in the body");
    comment->add_option("FILE", options->file, "The .docx file")->required();
    comment->add_option("--on", options->on, "The text to comment on, as a reader sees it")->required();
    comment->add_option("--text", options->text, "The comment; each line break starts a paragraph")
        ->required();
    const std::string authorHelp = " (default: the application's author name, else your full name)";
    comment->add_option("--author", options->author, "The comment's author" + authorHelp);
    comment->add_option("--occurrence", options->occurrence, "Which occurrence, from 1")
        ->check(CLI::PositiveNumber);
    addOutputOptions(*comment, options->output);
    comment->add_flag("--json", options->json, "Print the result as JSON");
    comment->callback([options] { runComment(*options); });

    CLI::App* reply = app.add_subcommand("reply", "Reply to a comment");
    reply->add_option("FILE", options->file, "The .docx file")->required();
    reply->add_option("--to", options->id, "The comment's id")->required();
    reply->add_option("--text", options->text, "The reply")->required();
    reply->add_option("--author", options->author, "The reply's author" + authorHelp);
    addOutputOptions(*reply, options->output);
    reply->add_flag("--json", options->json, "Print the result as JSON");
    reply->callback([options] { runReply(*options); });

    CLI::App* resolve = app.add_subcommand("resolve", "Mark a comment thread resolved, or open again");
    resolve->add_option("FILE", options->file, "The .docx file")->required();
    resolve->add_option("ID", options->id, "The comment's id")->required();
    resolve->add_flag("--reopen", options->reopen, "Mark it not resolved");
    addOutputOptions(*resolve, options->output);
    resolve->add_flag("--json", options->json, "Print the result as JSON");
    resolve->callback([options] { runResolve(*options); });
}

}  // namespace tovin::cli
