// `tovin-cli accept FILE ID… -o OUT`, `reject FILE ID… -o OUT`, `accept-all FILE -o OUT`
// and `reject-all FILE -o OUT`: resolving tracked changes, each reporting what it resolved.
#include <algorithm>
#include <iostream>
#include <map>
#include <tuple>

#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/xml/Numbers.h"
#include "cli/ChangeList.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

namespace {

using rovuvuz::StoryID;
using rovuvuz::StructuralEdit;

struct ResolveOptions {
    std::string file;
    std::vector<std::string> ids;  // empty for the -all commands
    OutputOptions output;
    bool json = false;
};

enum class Decision { accept, reject };

// The revision numbers named on the command line; a usage error for anything else.
std::vector<int64_t> parseIDs(const std::vector<std::string>& texts) {
    std::vector<int64_t> ids;
    for (const std::string& text : texts) {
        const auto id = rovuvuz::Numbers::integer(text);
        if (!id) throw CLI::ValidationError("ID", "not a revision number: " + text);
        ids.push_back(*id);
    }
    return ids;
}

bool hasID(const ListedChange& listed, int64_t id) {
    return rovuvuz::Numbers::integer(listed.change.id) == id;
}

// Resolves the named revisions (every one when `ids` is empty) and returns the changes
// that were resolved, as listed before.
std::vector<ListedChange> resolve(rovuvuz::DocxDocument& document, Decision decision, const std::vector<int64_t>& ids,
                                  const std::string& file) {
    std::vector<StoryID> stories;
    for (const StoryID& id : document.storiesInOrder())
        if (!ids.empty() || id.kind != StoryID::Kind::comments) stories.push_back(id);
    const auto before = listChanges(document, stories);
    std::vector<ListedChange> resolved;
    // Every named revision must exist before anything changes.
    for (int64_t id : ids)
        if (std::none_of(before.begin(), before.end(), [&](const ListedChange& l) { return hasID(l, id); }))
            throw FileError(file, "no tracked change with id " + std::to_string(id));
    for (const StoryID& story : stories) {
        std::vector<StructuralEdit> edits;
        if (ids.empty()) {
            edits.push_back(decision == Decision::accept ? StructuralEdit{StructuralEdit::AcceptAll{}}
                                                         : StructuralEdit{StructuralEdit::RejectAll{}});
        }
        for (int64_t id : ids) {
            const rovuvuz::RevisionID revision{id};
            edits.push_back(decision == Decision::accept ? StructuralEdit{StructuralEdit::Accept{revision}}
                                                         : StructuralEdit{StructuralEdit::Reject{revision}});
        }
        for (const StructuralEdit& edit : edits) document.apply(edit, story, rovuvuz::EditMode::direct());
    }
    // What went is what was resolved: a named revision, and the other parts of a move it
    // belongs to.
    std::map<std::tuple<std::string, std::string, rovuvuz::TrackedChange::Kind>, size_t> remaining;
    for (const ListedChange& listed : listChanges(document, stories))
        ++remaining[{listed.story.description(), listed.change.id, listed.change.kind}];
    for (const ListedChange& listed : before) {
        const auto left = remaining.find({listed.story.description(), listed.change.id, listed.change.kind});
        if (left != remaining.end() && left->second > 0)
            --left->second;
        else
            resolved.push_back(listed);
    }
    // A named change the engine left in place is a failure, not a resolution of nothing.
    for (int64_t id : ids)
        if (std::none_of(resolved.begin(), resolved.end(),
                         [&](const ListedChange& l) { return hasID(l, id); }))
            throw FileError(file, "tracked change " + std::to_string(id) + " could not be resolved");
    return resolved;
}

void runResolve(const ResolveOptions& options, Decision decision) {
    const std::vector<int64_t> ids = parseIDs(options.ids);
    const std::string target = outputPath(options.output, options.file);
    auto document = openDocument(options.file);
    const auto resolved = onFile(options.file, [&] { return resolve(*document, decision, ids, options.file); });
    saveDocument(*document, target);
    std::ostream& out = reportStream(target);
    const std::string verb = decision == Decision::accept ? "accepted" : "rejected";
    if (options.json) {
        nlohmann::json changes = nlohmann::json::array();
        for (const ListedChange& listed : resolved) changes.push_back(toJson(listed));
        printJson(nlohmann::json{{"file", options.file}, {"output", target}, {verb, changes}}, out);
        return;
    }
    out << verb << ' ' << resolved.size() << (resolved.size() == 1 ? " change" : " changes") << ", saved "
        << target << '\n';
    for (const ListedChange& listed : resolved) out << "  " << textLine(listed) << '\n';
}

void addResolve(CLI::App& app, const std::string& name, const std::string& help, Decision decision, bool all) {
    auto options = std::make_shared<ResolveOptions>();
    CLI::App* command = app.add_subcommand(name, help);
    command->add_option("FILE", options->file, "The .docx file")->required();
    if (!all) command->add_option("ID", options->ids, "Revision numbers (w:id), as `changes` lists them")->required();
    addOutputOptions(*command, options->output);
    command->add_flag("--json", options->json, "Print as JSON");
    command->callback([options, decision] { runResolve(*options, decision); });
}

}  // namespace

void addResolveCommands(CLI::App& app) {
    addResolve(app, "accept", "Accept tracked changes by number", Decision::accept, false);
    addResolve(app, "reject", "Reject tracked changes by number", Decision::reject, false);
    addResolve(app, "accept-all", "Accept every tracked change (comments excepted)", Decision::accept, true);
    addResolve(app, "reject-all", "Reject every tracked change (comments excepted)", Decision::reject, true);
}

}  // namespace tovin::cli
