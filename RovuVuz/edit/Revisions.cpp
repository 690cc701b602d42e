#include "RovuVuz/edit/Revisions.h"

#include <algorithm>

#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Moves.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/TrackedRows.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Revisions {

namespace {

// Which revisions a request reaches: all of them, or those whose w:id reads as one of the
// numbers (a revision, or every part of the move it belongs to). A missing, empty or
// non-numeric w:id never matches a single-revision request.
class Matcher {
public:
  Matcher() = default;
  explicit Matcher(std::vector<int64_t> ids) : ids_(std::move(ids)) {}

  bool operator()(const std::optional<std::string>& attribute) const {
      if (!ids_) return true;
      if (!attribute) return false;
      const auto number = Numbers::integer(*attribute);
      return number && std::find(ids_->begin(), ids_->end(), *number) != ids_->end();
    }

private:
  std::optional<std::vector<int64_t>> ids_;  // nothing: every revision
};

// A request for one revision reaches every part of a move it is a part of: accepting
// or rejecting one side of a move resolves the move.
Matcher matcherFor(const Story& story, std::optional<RevisionID> id) {
    if (!id) return Matcher();
    std::vector<int64_t> ids{id->rawValue};
    if (story.root)
        for (int64_t part : Moves::partsOfMove(*story.root, id->rawValue))
            if (std::find(ids.begin(), ids.end(), part) == ids.end()) ids.push_back(part);
    return Matcher(std::move(ids));
}

std::optional<std::string> idOf(ByteView element) { return Markup::attribute("id", element); }

// A move's old place counts as a deletion, its new one as an insertion.
RevisionKind kindOf(const Container& container) {
    return container.isDeletion() ? RevisionKind::remove : RevisionKind::insert;
}

// Content stays when an insertion is accepted or a deletion rejected.
bool contentStays(RevisionKind kind, bool accept) { return (kind == RevisionKind::insert) == accept; }

// A rejected deletion shows its text again: w:delText becomes w:t. Hyperlinks inside the
// deletion are reached too; nested revisions were resolved (or kept) before.
void restoreDeletedText(std::vector<Inline>& inlines) {
    for (Inline& node : inlines) {
        if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            for (RunItem& item : (*run)->items) {
                if (item.kind.type != RunItem::Type::delText) continue;
                item = RunItem(RunItem::Kind::makeText(item.kind.text));
                (*run)->dirty = true;
            }
        } else if (auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            if ((*container)->isRevision()) continue;
            restoreDeletedText((*container)->inlines);
            (*container)->dirty = true;
        }
    }
}

// One resolution request: which revisions it reaches, what it decides, where new runs take
// their identities, and whether it has resolved a move (whose range marks then go too).
struct Request {
    const Matcher& matches;
    const Decision& decide;
    IdentityMint& mint;
    bool resolvedMove = false;
};

// A moved piece inside a moved piece is nonsense that a hostile file could nest deeply;
// past this many levels the inner ones stay as they are.
constexpr int maxMoveDepth = 8;

// Resolves a run's w:rPrChange; true when it matched.
bool resolveRunFormat(Run& run, const Matcher& matches, const Decision& decide) {
    if (!run.props) return false;
    const auto change = run.props->child("rPrChange");
    if (!change || !matches(idOf(*change))) return false;
    if (!decide(RevisionKind::insert)) {
        if (auto old = innerBag(*change, "rPr")) {
            run.props->children = std::move(old->children);
            run.props->original.reset();
        }
    }
    run.props->set("rPrChange", std::nullopt);
    run.dirty = true;
    return true;
}

bool resolveInlines(std::vector<Inline>& inlines, Request& request, int moveDepth);

// Resolves a preserved w:moveFrom or w:moveTo when the request reaches it: its content
// goes into `out` as runs when it stays (a rejected moveFrom shows its text again), or
// nowhere. False, and nothing done, for anything else.
bool resolveMove(const Raw& raw, Request& request, int moveDepth, std::vector<Inline>& out) {
    const auto kind = Moves::side(raw);
    if (!kind || moveDepth >= maxMoveDepth || !request.matches(idOf(raw.bytes.view()))) return false;
    auto content = Moves::content(raw, request.mint);
    if (!content) return false;
    request.resolvedMove = true;
    if (!contentStays(*kind, request.decide(*kind))) return true;
    resolveInlines(*content, request, moveDepth + 1);
    if (*kind == RevisionKind::remove) restoreDeletedText(*content);
    std::move(content->begin(), content->end(), std::back_inserter(out));
    return true;
}

// Resolves the inline revisions of one owner, innermost first; true when anything matched.
// Recursion follows the parser's container nesting, which it bounds, and moves inside
// moves only to maxMoveDepth.
bool resolveInlines(std::vector<Inline>& inlines, Request& request, int moveDepth) {
    bool changed = false;
    std::vector<Inline> rebuilt;
    rebuilt.reserve(inlines.size());
    for (Inline& node : inlines) {
        if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            changed |= resolveRunFormat(**run, request.matches, request.decide);
            rebuilt.push_back(std::move(node));
            continue;
        }
        if (const auto* raw = std::get_if<Raw>(&node);
            raw && resolveMove(*raw, request, moveDepth, rebuilt)) {
            changed = true;
            continue;
        }
        auto* holder = std::get_if<std::unique_ptr<Container>>(&node);
        if (!holder) {
            rebuilt.push_back(std::move(node));
            continue;
        }
        Container& container = **holder;
        if (resolveInlines(container.inlines, request, moveDepth)) {
            container.dirty = true;
            changed = true;
        }
        if (!container.isRevision() || !request.matches(container.attribute("id"))) {
            rebuilt.push_back(std::move(node));
            continue;
        }
        changed = true;
        if (container.isMove()) request.resolvedMove = true;
        const RevisionKind kind = kindOf(container);
        if (!contentStays(kind, request.decide(kind))) continue;
        if (kind == RevisionKind::remove) restoreDeletedText(container.inlines);
        for (Inline& inner : container.inlines) rebuilt.push_back(std::move(inner));
    }
    inlines = std::move(rebuilt);
    return changed;
}

// Resolves the w:ins and w:del markers of a paragraph mark; true when the paragraph must
// then be joined with the next one.
bool resolveMark(Paragraph& paragraph, Request& request) {
    if (!paragraph.props) return false;
    const auto bytes = paragraph.props->child("rPr");
    if (!bytes) return false;
    auto mark = PropertyBag::parse(*bytes);
    if (!mark) return false;
    bool join = false;
    // A moved paragraph's mark: w:moveTo where it now stands, w:moveFrom where it stood.
    constexpr std::pair<std::string_view, RevisionKind> markers[] = {{"ins", RevisionKind::insert},
                                                                     {"del", RevisionKind::remove},
                                                                     {"moveTo", RevisionKind::insert},
                                                                     {"moveFrom", RevisionKind::remove}};
    for (const auto& [name, kind] : markers) {
        const auto marker = mark->child(name);
        if (!marker || !request.matches(idOf(*marker))) continue;
        if (name.starts_with("move")) request.resolvedMove = true;
        mark->set(name, std::nullopt);
        if (mark->isEmpty()) paragraph.props->set("rPr", std::nullopt);
        else paragraph.props->set("rPr", mark->serialized());
        paragraph.setDirty(true);
        // The mark going away joins this paragraph with the next one.
        if (!contentStays(kind, request.decide(kind))) join = true;
    }
    return join;
}

// Paragraph properties a w:pPrChange never records: the mark's run properties, the section
// break and the change itself. They stay as they are when a change is rejected.
bool keptOnReject(std::string_view local) {
    return local.empty() || local == "rPr" || local == "sectPr" || local == "pPrChange";
}

void resolveParagraphFormat(Paragraph& paragraph, const Matcher& matches, const Decision& decide) {
    if (!paragraph.props) return;
    PropertyBag& props = *paragraph.props;
    const auto change = props.child("pPrChange");
    if (!change || !matches(idOf(*change))) return;
    if (!decide(RevisionKind::insert)) {
        if (const auto old = innerBag(*change, "pPr")) {
            std::erase_if(props.children, [](const PropertyBag::Child& c) { return !keptOnReject(c.local()); });
            props.original.reset();
            for (const PropertyBag::Child& child : old->children)
                if (!keptOnReject(child.local())) props.set(child.local(), child.bytes.view());
        }
    }
    props.set("pPrChange", std::nullopt);
    paragraph.setDirty(true);
}

// Collects the changes of one owner's inlines, innermost after their container.
void collect(const std::vector<Inline>& inlines, ParagraphID paragraph, std::vector<TrackedChange>& out) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            if (!(*run)->props) continue;
            const auto change = (*run)->props->child("rPrChange");
            if (!change) continue;
            std::u16string text;
            for (const RunItem& item : (*run)->items) text += InlineOps::displayText(item.kind);
            const std::string id = idOf(*change).value_or("");
            if (!out.empty() && out.back().kind == TrackedChange::Kind::runFormat && out.back().id == id &&
                out.back().paragraph == paragraph) {
                out.back().text += text;
                continue;
            }
            out.push_back({id, TrackedChange::Kind::runFormat, Markup::attribute("author", *change).value_or(""),
                           Markup::attribute("date", *change), paragraph, std::move(text)});
        } else if (const auto* raw = std::get_if<Raw>(&node)) {
            const auto kind = Moves::side(*raw);
            if (!kind) continue;
            const ByteView element = raw->bytes.view();
            out.push_back({idOf(element).value_or(""),
                           *kind == RevisionKind::remove ? TrackedChange::Kind::movedFrom
                                                         : TrackedChange::Kind::movedTo,
                           Markup::attribute("author", element).value_or(""),
                           Markup::attribute("date", element), paragraph, Moves::text(element)});
        } else if (const auto* holder = std::get_if<std::unique_ptr<Container>>(&node)) {
            const Container& container = **holder;
            if (container.isRevision()) {
                const auto kind = container.kind == Container::Kind::insert   ? TrackedChange::Kind::insertion
                                  : container.kind == Container::Kind::remove ? TrackedChange::Kind::deletion
                                  : container.kind == Container::Kind::moveTo ? TrackedChange::Kind::movedTo
                                                                              : TrackedChange::Kind::movedFrom;
                out.push_back({container.attribute("id").value_or(""), kind,
                               container.attribute("author").value_or(""), container.attribute("date"), paragraph,
                               InlineOps::visibleText(container.inlines)});
            }
            collect(container.inlines, paragraph, out);
        }
    }
}

// The paragraph-level changes: the mark's w:ins and w:del, and w:pPrChange.
void collectParagraph(const Paragraph& paragraph, std::vector<TrackedChange>& out) {
    if (!paragraph.props) return;
    const auto add = [&](ByteView element, TrackedChange::Kind kind) {
        out.push_back({idOf(element).value_or(""), kind, Markup::attribute("author", element).value_or(""),
                       Markup::attribute("date", element), paragraph.id, InlineOps::visibleText(paragraph.inlines)});
    };
    if (const auto change = paragraph.props->child("pPrChange")) add(*change, TrackedChange::Kind::paragraphFormat);
    const auto bytes = paragraph.props->child("rPr");
    const auto mark = bytes ? PropertyBag::parse(*bytes) : std::nullopt;
    if (!mark) return;
    if (const auto ins = mark->child("ins")) add(*ins, TrackedChange::Kind::insertedMark);
    if (const auto del = mark->child("del")) add(*del, TrackedChange::Kind::deletedMark);
    if (const auto from = mark->child("moveFrom")) add(*from, TrackedChange::Kind::movedFromMark);
    if (const auto to = mark->child("moveTo")) add(*to, TrackedChange::Kind::movedToMark);
}

// A table row inserted or deleted as a tracked change (w:trPr/w:ins, w:trPr/w:del).
void collectRow(const Group& row, std::vector<TrackedChange>& out) {
    for (const Block& block : row.children) {
        const auto* raw = std::get_if<Raw>(&block);
        if (!raw || raw->local() != "trPr") continue;
        const auto props = PropertyBag::parse(raw->bytes.view());
        if (!props) return;
        const std::vector<Paragraph*> paragraphs = paragraphsIn(row);
        std::u16string text;
        for (const Paragraph* paragraph : paragraphs) {
            if (paragraph != paragraphs.front()) text += u'\t';
            text += InlineOps::visibleText(paragraph->inlines);
        }
        const ParagraphID first = paragraphs.empty() ? ParagraphID{} : paragraphs.front()->id;
        const auto add = [&](ByteView element, TrackedChange::Kind kind) {
            out.push_back({idOf(element).value_or(""), kind, Markup::attribute("author", element).value_or(""),
                           Markup::attribute("date", element), first, text});
        };
        if (const auto ins = props->child("ins")) add(*ins, TrackedChange::Kind::insertedRow);
        if (const auto del = props->child("del")) add(*del, TrackedChange::Kind::deletedRow);
        return;
    }
}

}  // namespace

std::vector<TrackedChange> list(const Story& story) {
    std::vector<TrackedChange> result;
    if (!story.root) return result;
    // Document order: a row's own change comes before the changes inside it.
    walkBlocks(
        *story.root,
        [&](const Paragraph& p) {
            collect(p.inlines, p.id, result);
            collectParagraph(p, result);
        },
        [&](const Group& g) {
            if (g.local() == "tr") collectRow(g, result);
        });
    return result;
}

void resolve(Story& story, std::optional<RevisionID> id, const Decision& decide, IdentityMint& mint) {
    const Matcher matches = matcherFor(story, id);
    Request request{matches, decide, mint};
    // Rows first: the paragraphs of a row that goes need no resolving, and `joins` below
    // must only hold paragraphs that stay.
    TrackedRows::resolve(story, matches, decide, mint);
    std::vector<Paragraph*> joins;
    for (Paragraph* paragraph : story.paragraphs()) {
        if (resolveInlines(paragraph->inlines, request, 0)) paragraph->setDirty(true);
        if (resolveMark(*paragraph, request)) joins.push_back(paragraph);
        resolveParagraphFormat(*paragraph, matches, decide);
    }
    if (request.resolvedMove && story.root) Moves::removeEmptyRanges(*story.root);
    // From the last to the first, so that a run of paragraphs whose marks all go away
    // collapses into the first of them together with the paragraph after the last.
    for (auto it = joins.rbegin(); it != joins.rend(); ++it) Structural::join(**it);
}

bool resolve(Story& story, const StructuralEdit& edit, IdentityMint& mint) {
    using E = StructuralEdit;
    const auto always = [](bool answer) { return Decision([answer](RevisionKind) { return answer; }); };
    if (const auto* accept = std::get_if<E::Accept>(&edit.value))
        resolve(story, accept->revision, always(true), mint);
    else if (const auto* reject = std::get_if<E::Reject>(&edit.value))
        resolve(story, reject->revision, always(false), mint);
    else if (std::holds_alternative<E::AcceptAll>(edit.value))
        resolve(story, std::nullopt, always(true), mint);
    else if (std::holds_alternative<E::RejectAll>(edit.value))
        resolve(story, std::nullopt, always(false), mint);
    else return false;
    story.touched = true;
    return true;
}

std::optional<PropertyBag> innerBag(ByteView element, std::string_view name) {
    try {
        const XMLTree tree(element);
        for (int child : tree.childElements(tree.root()))
            if (tree.localName(child) == name) return PropertyBag::parse(tree.raw(child));
    } catch (const XMLError&) {
    }
    return std::nullopt;
}

}  // namespace rovuvuz::Revisions
