// `tovin-cli changes FILE [--json]`: every tracked change of every story.
#include <iostream>

#include "RovuVuz/xml/Utf8.h"
#include "cli/ChangeList.h"
#include "cli/Commands.h"
#include "cli/DocumentFiles.h"
#include "cli/Output.h"

namespace tovin::cli {

using rovuvuz::TrackedChange;

std::vector<ListedChange> listChanges(rovuvuz::DocxDocument& document, const std::vector<rovuvuz::StoryID>& stories) {
    std::vector<ListedChange> result;
    for (const rovuvuz::StoryID& id : stories)
        for (TrackedChange& change : document.trackedChanges(id))
            result.push_back({id, std::move(change)});
    return result;
}

std::string kindName(TrackedChange::Kind kind) {
    switch (kind) {
        case TrackedChange::Kind::insertion: return "insertion";
        case TrackedChange::Kind::deletion: return "deletion";
        case TrackedChange::Kind::movedFrom:
            return "moved from";
        case TrackedChange::Kind::movedTo:
            return "moved to";
        case TrackedChange::Kind::insertedMark:
        case TrackedChange::Kind::deletedMark:
        case TrackedChange::Kind::movedFromMark:
        case TrackedChange::Kind::movedToMark:
            return "paragraph mark";
        case TrackedChange::Kind::runFormat:
        case TrackedChange::Kind::paragraphFormat: return "format";
        case TrackedChange::Kind::insertedRow:
        case TrackedChange::Kind::deletedRow: return "table row";
    }
    return "unknown";
}

namespace {

// What the kind says more precisely: whether a mark was inserted (a split) or deleted (a
// join), and whether a format change concerns characters or the paragraph.
std::string detail(TrackedChange::Kind kind) {
    switch (kind) {
        case TrackedChange::Kind::insertedMark: return "inserted";
        case TrackedChange::Kind::deletedMark: return "deleted";
        case TrackedChange::Kind::movedFromMark:
            return "moved from";
        case TrackedChange::Kind::movedToMark:
            return "moved to";
        case TrackedChange::Kind::insertedRow: return "inserted";
        case TrackedChange::Kind::deletedRow: return "deleted";
        case TrackedChange::Kind::runFormat: return "characters";
        case TrackedChange::Kind::paragraphFormat: return "paragraph";
        default: return "";
    }
}

}  // namespace

nlohmann::json toJson(const ListedChange& listed) {
    const TrackedChange& c = listed.change;
    nlohmann::json out{{"id", c.id},
                       {"kind", kindName(c.kind)},
                       {"author", c.author},
                       {"story", listed.story.description()},
                       {"text", rovuvuz::utf8::fromUtf16(c.text)}};
    out["date"] = c.date ? nlohmann::json(*c.date) : nlohmann::json(nullptr);
    if (const std::string more = detail(c.kind); !more.empty()) out["detail"] = more;
    return out;
}

std::string textLine(const ListedChange& listed) {
    const TrackedChange& c = listed.change;
    std::string kind = kindName(c.kind);
    if (const std::string more = detail(c.kind); !more.empty()) kind += " (" + more + ")";
    return printable(c.id.empty() ? "-" : c.id) + '\t' + kind + '\t' + printable(c.author) + '\t' +
           printable(c.date.value_or("-")) + '\t' + printable(listed.story.description()) + '\t' +
           printable(rovuvuz::utf8::fromUtf16(c.text));
}

namespace {

struct ChangesOptions {
    std::string file;
    bool json = false;
};

void runChanges(const ChangesOptions& options) {
    auto document = openDocument(options.file);
    const auto changes =
        onFile(options.file, [&] { return listChanges(*document, document->storiesInOrder()); });
    if (options.json) {
        nlohmann::json all = nlohmann::json::array();
        for (const ListedChange& listed : changes) all.push_back(toJson(listed));
        printJson(nlohmann::json{{"file", options.file}, {"changes", all}});
        return;
    }
    for (const ListedChange& listed : changes) std::cout << textLine(listed) << '\n';
}

}  // namespace

void addChangesCommand(CLI::App& app) {
    auto options = std::make_shared<ChangesOptions>();
    CLI::App* command = app.add_subcommand("changes", "List every tracked change of every story");
    command->add_option("FILE", options->file, "The .docx file")->required();
    command->add_flag("--json", options->json, "Print as JSON");
    command->callback([options] { runChanges(*options); });
}

}  // namespace tovin::cli
