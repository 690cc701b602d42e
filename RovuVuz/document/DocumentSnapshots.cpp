// What the editor shows of the document: a story's or one paragraph's snapshot, made with
// the story part's relationships, the style sheet and the numbering, and the bytes of a
// picture a snapshot names; and what a reader finds in a story: text and tracked changes.
#include <algorithm>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Find.h"
#include "RovuVuz/edit/Revisions.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/snapshot/SnapshotContext.h"

namespace rovuvuz {

namespace {

bool holdsEntries(const Story& story) {
    const std::string_view root = story.root->local();
    return root == "footnotes" || root == "endnotes" || root == "comments";
}

// The group whose children are a story's blocks: the body of a main part, the root of a
// header or footer.
const Group& blockContainer(const Story& story) {
    for (const Block& block : story.root->children) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (group && (*group)->local() == "body") return **group;
    }
    return *story.root;
}

// Note numbers count the body's references, so the body labels the references and the
// notes alike; a body that cannot be read labels nothing.
std::optional<NoteLabels> noteLabels(DocxDocument& document) {
    try {
        const SharedBytes settings = document.partBytes(document.partSource("settings"));
        const auto bytes = settings ? std::optional<ByteView>(*settings) : std::nullopt;
        return NoteLabels(blockContainer(DocumentInternals::story(document, StoryID::body())), NoteNumbering::read(bytes, false),
                          NoteNumbering::read(bytes, true));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool labelsNotes(const StoryID& id) {
    return id.kind == StoryID::Kind::body || id.kind == StoryID::Kind::footnotes ||
           id.kind == StoryID::Kind::endnotes;
}

// Whether inlines hold a note reference; recursion follows the parser's bounded nesting.
bool holdsNoteReference(const std::vector<Inline>& inlines) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            for (const RunItem& item : (*run)->items)
                if (item.kind.type == RunItem::Type::noteRef) return true;
        } else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            if (holdsNoteReference((*container)->inlines)) return true;
        }
    }
    return false;
}

// SmartArt and chart parts, their relationships and the theme, as the document holds them.
DrawingParts drawingParts(DocxDocument& document) {
    return DrawingParts(
        [&document](const PartName& part) -> SharedBytes {
            return document.hasPart(part.rawValue) ? document.contents(part.rawValue) : nullptr;
        },
        [&document](const PartName& part) { return document.relationships(part); },
        document.partSource("theme").part);
}

}  // namespace

StorySnapshot DocxDocument::snapshot(const StoryID& id) {
    Story& s = story(id);
    SnapshotContext context(relationships(s.part), styles(), numbering(), SnapshotContext::Counting::Yes);
    const DrawingParts parts = drawingParts(*this);
    context.setDrawingParts(&parts);
    const std::optional<NoteLabels> labels = labelsNotes(id) ? noteLabels(*this) : std::nullopt;
    if (labels) context.setNoteLabels(&*labels);
    StorySnapshot result{id, s.part, {}, {}};
    if (holdsEntries(s))
        result.entries = context.entries(*s.root);
    else {
        const Group& container = blockContainer(s);
        result.blocks = context.blocks(container.children, container.tags.prefix());
    }
    return result;
}

std::map<ParagraphID, std::string> DocxDocument::listLabels(const StoryID& id) {
    std::map<ParagraphID, std::string> labels;
    Story& s = story(id);
    if (holdsEntries(s)) {
        // Notes and comments are short: their labels come from a whole snapshot.
        const StorySnapshot whole = snapshot(id);
        for (const ParagraphSnapshot* paragraph : whole.paragraphs())
            if (paragraph->listLabel) labels.emplace(paragraph->id, *paragraph->listLabel);
        return labels;
    }
    SnapshotContext context(relationships(s.part), styles(), numbering(), SnapshotContext::Counting::Yes);
    context.listLabels(blockContainer(s).children, labels);
    return labels;
}

namespace {

// The groups from `root` down to `target`, both included; empty when `target` is not under
// `root`. Searched without recursion.
std::vector<const Group*> pathTo(const Group& root, const Group* target) {
    std::vector<std::pair<const Group*, size_t>> stack{{&root, 0}};
    while (!stack.empty()) {
        auto& [group, next] = stack.back();
        if (group == target) {
            std::vector<const Group*> path;
            for (const auto& entry : stack) path.push_back(entry.first);
            return path;
        }
        if (next == group->children.size()) {
            stack.pop_back();
            continue;
        }
        if (const auto* child = std::get_if<std::unique_ptr<Group>>(&group->children[next++]))
            stack.emplace_back(child->get(), 0);
    }
    return {};
}

// Has the context stand inside every table on the path, outermost first, as a whole
// story's snapshot would when it reaches the path's end.
void enterTables(SnapshotContext& context, const std::vector<const Group*>& path) {
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i]->local() != "tbl") continue;
        context.enterTable(*path[i]);
        // Inside one of its cells: that cell's conditional formats apply.
        if (i + 2 < path.size() && path[i + 1]->local() == "tr" && path[i + 2]->local() == "tc")
            context.enterCell(*path[i], *path[i + 1], *path[i + 2]);
    }
}

}  // namespace

ParagraphSnapshot DocxDocument::snapshot(ParagraphID paragraphID, const StoryID& storyID) {
    const auto [s, p] = paragraph(paragraphID, storyID);
    SnapshotContext context(relationships(s->part), styles(), numbering(), SnapshotContext::Counting::No);
    const DrawingParts parts = drawingParts(*this);
    context.setDrawingParts(&parts);
    // A paragraph in a table cell takes the table's style (also inside a content control there).
    if (p->parent && (p->parent->local() == "tc" || p->parent->local() == "sdtContent") && s->root)
        enterTables(context, pathTo(*s->root, p->parent));
    // Only a paragraph that holds a reference pays for counting the body's references.
    const std::optional<NoteLabels> labels =
        labelsNotes(storyID) && holdsNoteReference(p->inlines) ? noteLabels(*this) : std::nullopt;
    if (labels) context.setNoteLabels(&*labels);
    return context.paragraph(*p);
}

namespace {

// The w:tbl group with that ID anywhere under `root`, searched without recursion.
const Group* findTable(const Group& root, BlockID id) {
    std::vector<const Group*> pending{&root};
    while (!pending.empty()) {
        const Group* group = pending.back();
        pending.pop_back();
        if (group->id == id) return group->local() == "tbl" ? group : nullptr;
        for (const Block& block : group->children)
            if (const auto* child = std::get_if<std::unique_ptr<Group>>(&block))
                pending.push_back(child->get());
    }
    return nullptr;
}

}  // namespace

TableSnapshot DocxDocument::snapshot(BlockID table, const StoryID& storyID) {
    Story& s = story(storyID);
    const Group* group = s.root ? findTable(*s.root, table) : nullptr;
    if (!group) throw DocxError(DocxErrorCode::unknownParagraph, storyID);
    SnapshotContext context(relationships(s.part), styles(), numbering(), SnapshotContext::Counting::No);
    const DrawingParts parts = drawingParts(*this);
    context.setDrawingParts(&parts);
    std::vector<const Group*> around = pathTo(*s.root, group);
    if (!around.empty()) around.pop_back();
    enterTables(context, around);
    const auto paragraphs = paragraphsIn(*group);
    const bool references = std::any_of(paragraphs.begin(), paragraphs.end(),
                                        [](const Paragraph* p) { return holdsNoteReference(p->inlines); });
    const std::optional<NoteLabels> labels =
        labelsNotes(storyID) && references ? noteLabels(*this) : std::nullopt;
    if (labels) context.setNoteLabels(&*labels);
    return context.table(*group);
}

std::optional<SharedBytes> DocxDocument::imageData(const RelationshipID& id, const StoryID& storyID) {
    const auto storyPart = part(storyID);
    if (!storyPart) return std::nullopt;
    const Relationships rels = relationships(*storyPart);
    const Relationship* relationship = rels.find(id);
    if (!relationship) return std::nullopt;
    const auto target = rels.part(*relationship);
    if (!target || !hasPart(target->rawValue)) return std::nullopt;
    try {
        return contents(target->rawValue);
    } catch (const ZipError&) {
        return std::nullopt;
    }
}

std::vector<FoundText> DocxDocument::find(std::u16string_view needle, const StoryID& storyID,
                                          const FindOptions& options) {
    std::vector<FoundText> found;
    for (const Paragraph* paragraph : story(storyID).paragraphs())
        for (const TextRange& range : Find::inParagraph(*paragraph, needle, options))
            found.push_back({paragraph->id, range});
    return found;
}

std::vector<TrackedChange> DocxDocument::trackedChanges(const StoryID& storyID) {
    return Revisions::list(story(storyID));
}

}  // namespace rovuvuz
