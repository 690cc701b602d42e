#include "RovuVuz/edit/TextEdit.h"

#include <algorithm>

#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLChars.h"

namespace rovuvuz {

namespace TextEdit {

using Markup::qualified;

namespace {

using InlineOps::Slot;

// Revision markers a copied w:rPr must not carry into new text (ECMA-376 §17.13.5).
constexpr std::string_view revisionMarkers[] = {"ins", "del", "moveFrom", "moveTo", "rPrChange"};

// In a tracked deletion, or the old place of moved text, which a reader no longer sees.
bool inDeletion(const Slot& slot) {
    return std::any_of(slot.chain.begin(), slot.chain.end(), [](const Container* c) { return c->isDeletion(); });
}

// The innermost tracked change around a slot, hyperlinks looked through.
const Container* innermostRevision(const std::vector<Container*>& chain) {
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        if ((*it)->isRevision()) return *it;
    return nullptr;
}

// The author as written is the author made writable (XMLChars), so that is what a
// w:ins read back is compared with.
bool isOwnInsertion(const Container* revision, const std::string& author) {
    return revision && revision->kind == Container::Kind::insert &&
           revision->attribute("author") == XMLChars::attributeValue(author);
}

void markChain(const Slot& slot) {
    for (Container* c : slot.chain) c->dirty = true;
}

std::optional<PropertyBag> withoutRevisionMarkers(PropertyBag bag) {
    for (std::string_view name : revisionMarkers) bag.set(name, std::nullopt);
    return bag;
}

std::unique_ptr<Run> newRun(EditContext& document, const Paragraph& paragraph,
                            std::optional<PropertyBag> props, std::vector<RunItem> items) {
    auto run = std::make_unique<Run>();
    run->key = RunKey{document.mint().mint()};
    run->tags = Tags::build(qualified(paragraph.tags.prefix(), "r"), {});
    if (props) {
        run->props = std::move(*props);
        run->items.emplace_back(RunItem::Kind::make(RunItem::Type::props));
    }
    std::move(items.begin(), items.end(), std::back_inserter(run->items));
    run->dirty = true;
    return run;
}

void insertAt(InlineOwner owner, size_t index, Inline node) {
    auto& inlines = owner.inlines();
    inlines.insert(inlines.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
    owner.markDirty();
}

std::unique_ptr<Container> newRevision(EditContext& document, std::string_view prefix, Container::Kind kind,
                                       const EditMode::Tracked& tracked) {
    auto container = std::make_unique<Container>();
    container->kind = kind;
    container->tags = Tags::build(qualified(prefix, kind == Container::Kind::insert ? "ins" : "del"),
                                  revisionAttributes(document, prefix, tracked));
    return container;
}

void joinDeletions(InlineOwner owner, std::vector<const Container*> fresh, const EditMode::Tracked& tracked);

// Wraps every maximal stretch of adjacent recorded runs of one owner in a new w:del, joined
// with a deletion of the same author and moment beside it.
void wrapDeleted(EditContext& document, InlineOwner owner, const std::vector<Run*>& recorded,
                 std::string_view prefix, const EditMode::Tracked& tracked) {
    std::vector<Inline> rebuilt;
    std::vector<const Container*> made;
    std::unique_ptr<Container> open;
    for (Inline& node : owner.inlines()) {
        auto* run = std::get_if<std::unique_ptr<Run>>(&node);
        if (run && std::find(recorded.begin(), recorded.end(), run->get()) != recorded.end()) {
            if (!open) made.push_back((open = newRevision(document, prefix, Container::Kind::remove, tracked)).get());
            open->inlines.push_back(std::move(node));
            continue;
        }
        if (open) rebuilt.emplace_back(std::move(open));
        rebuilt.push_back(std::move(node));
    }
    if (open) rebuilt.emplace_back(std::move(open));
    owner.inlines() = std::move(rebuilt);
    owner.markDirty();
    joinDeletions(owner, std::move(made), tracked);
}

// Deletions by one author moments apart: six Backspaces are one change to a reviewer.
constexpr auto joinWindow = std::chrono::minutes(5);

bool joinsDeletion(const Container& c, const EditMode::Tracked& tracked) {
    if (c.kind != Container::Kind::remove || c.attribute("author") != tracked.author) return false;
    const auto date = c.attribute("date");
    const auto when = date ? IsoDate::parse(*date) : std::nullopt;
    return when && *when <= tracked.date + joinWindow && tracked.date <= *when + joinWindow;
}

// Joins every w:del made by this edit (`fresh`) with a w:del of the same author and moment
// right beside it, so that deleting on from where a deletion ended, or back from where it
// began, extends it. The older container stays, with its id and date; two deletions that
// were already side by side are left as they were, unless this edit closed the gap.
void joinDeletions(InlineOwner owner, std::vector<const Container*> fresh, const EditMode::Tracked& tracked) {
    auto& inlines = owner.inlines();
    auto isFresh = [&](const Container* c) { return std::find(fresh.begin(), fresh.end(), c) != fresh.end(); };
    for (size_t i = 0; i + 1 < inlines.size();) {
        auto* left = std::get_if<std::unique_ptr<Container>>(&inlines[i]);
        auto* right = std::get_if<std::unique_ptr<Container>>(&inlines[i + 1]);
        if (!left || !right || !(isFresh(left->get()) || isFresh(right->get())) ||
            !joinsDeletion(**left, tracked) || !joinsDeletion(**right, tracked)) {
            ++i;
            continue;
        }
        // The older one (the smaller id: new ids count up) takes the other in.
        const auto leftID = Numbers::integer((*left)->attribute("id"));
        const auto rightID = Numbers::integer((*right)->attribute("id"));
        const bool intoLeft = !leftID || !rightID || *leftID <= *rightID;
        Container& kept = intoLeft ? **left : **right;
        Container& gone = intoLeft ? **right : **left;
        auto& moved = gone.inlines;
        kept.inlines.insert(intoLeft ? kept.inlines.end() : kept.inlines.begin(),
                            std::make_move_iterator(moved.begin()), std::make_move_iterator(moved.end()));
        kept.dirty = true;
        fresh.push_back(&kept);  // it may reach the deletion on its other side too
        inlines.erase(inlines.begin() + static_cast<std::ptrdiff_t>(intoLeft ? i + 1 : i));
        owner.markDirty();
    }
}

}  // namespace

Markup::Attributes revisionAttributes(EditContext& document, std::string_view prefix,
                                      const EditMode::Tracked& tracked) {
    return {{qualified(prefix, "id"), std::to_string(document.nextRevisionID())},
            {qualified(prefix, "author"), tracked.author},
            {qualified(prefix, "date"), IsoDate::format(tracked.date)}};
}

namespace {

bool splitsPair(const std::vector<Inline>& inlines, size_t offset) {
    if (offset == 0) return false;
    const std::u16string text = InlineOps::visibleText(inlines);
    return offset < text.size() && (text[offset] & 0xFC00) == 0xDC00 && (text[offset - 1] & 0xFC00) == 0xD800;
}

}  // namespace

size_t characterStart(const std::vector<Inline>& inlines, size_t offset) {
    return splitsPair(inlines, offset) ? offset - 1 : offset;
}

size_t characterEnd(const std::vector<Inline>& inlines, size_t offset) {
    return splitsPair(inlines, offset) ? offset + 1 : offset;
}

std::optional<PropertyBag> markProps(const Paragraph& paragraph) {
    if (!paragraph.props) return std::nullopt;
    const auto bytes = paragraph.props->child("rPr");
    if (!bytes) return std::nullopt;
    auto bag = PropertyBag::parse(*bytes);
    if (!bag) return std::nullopt;
    bag = withoutRevisionMarkers(std::move(*bag));
    if (bag->isEmpty()) return std::nullopt;
    return bag;
}

namespace {

// Whether a slot stands in a hyperlink that the other side's slot is not in: text put there
// would stretch the link past its edge (typing right after a link's last character, or
// before its first).
bool leavesLink(const Slot& slot, const std::optional<Slot>& other) {
    for (const Container* c : slot.chain) {
        if (c->kind != Container::Kind::hyperlink) continue;
        if (!other || std::find(other->chain.begin(), other->chain.end(), c) == other->chain.end()) return true;
    }
    return false;
}

// Whether a character style is the one word processors give link text (its id or name
// "Hyperlink"): text typed beside a link takes the link run's look without it.
bool isLinkStyle(EditContext& document, const PropertyBag& props) {
    const auto style = props.child("rStyle");
    const auto id = style ? Markup::attribute("val", *style) : std::nullopt;
    if (!id) return false;
    if (*id == "Hyperlink") return true;
    const Style* found = document.styles().find(StyleID{*id});
    return found && found->name == "Hyperlink";
}

}  // namespace

void insertDirect(EditContext& document, Paragraph& paragraph, std::u16string_view text, size_t at) {
    const auto before = InlineOps::slot(paragraph.inlines, at, InlineOps::Side::before);
    const auto after = InlineOps::slot(paragraph.inlines, at, InlineOps::Side::after);
    const Run* linkRun = nullptr;
    for (const auto* side : {&before, &after}) {
        if (!*side || inDeletion(**side)) continue;
        if (leavesLink(**side, side == &before ? after : before)) {
            if (!linkRun) linkRun = (*side)->run;
            continue;
        }
        InlineOps::insert(text, *(*side)->run, (*side)->item, (*side)->offset);
        markChain(**side);
        return;
    }
    auto items = InlineOps::items(text);
    if (items.empty()) return;
    // Beside a link and nothing else: the link run's look, outside the link.
    std::optional<PropertyBag> props = markProps(paragraph);
    if (linkRun && linkRun->props) {
        props = withoutRevisionMarkers(*linkRun->props);
        if (isLinkStyle(document, *props)) props->set("rStyle", std::nullopt);
        if (props->isEmpty()) props.reset();
    }
    auto run = newRun(document, paragraph, std::move(props), std::move(items));
    insertAt(paragraph, InlineOps::cut(paragraph, at, document), std::move(run));
}

namespace {

// The end of the last character of [from, to) that a run outside tracked deletions holds
// (shown text, a tab, a break, an object); 0 when there is none. Container nesting is
// bounded by the story parser's depth limit.
size_t lastLiveEnd(const std::vector<Inline>& inlines, size_t base, size_t from, size_t to) {
    size_t found = 0;
    for (const Inline& node : inlines) {
        const size_t start = base;
        base += InlineOps::length(node);
        if (base <= from || start >= to) continue;
        if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            if (!(*container)->isDeletion())
                found = std::max(found, lastLiveEnd((*container)->inlines, start, from, to));
            continue;
        }
        const auto* run = std::get_if<std::unique_ptr<Run>>(&node);
        if (!run) continue;
        size_t at = start;
        for (const RunItem& item : (*run)->items) {
            const size_t end = at + InlineOps::length(item.kind);
            if (end > at && end > from && at < to && item.kind.type != RunItem::Type::delText)
                found = std::max(found, std::min(end, to));
            at = end;
        }
    }
    return found;
}

}  // namespace

void replaceDirect(EditContext& document, Paragraph& paragraph, size_t from, size_t to,
                   std::u16string_view text) {
    const size_t end = lastLiveEnd(paragraph.inlines, 0, from, to);
    const auto found =
        end > from ? InlineOps::slot(paragraph.inlines, end, InlineOps::Side::before) : std::nullopt;
    if (!found || InlineOps::items(text).empty()) {
        InlineOps::deleteDirect(paragraph, from, to);
        if (!text.empty()) insertDirect(document, paragraph, text, from);
        return;
    }
    const size_t before = InlineOps::length(paragraph.inlines);
    InlineOps::insert(text, *found->run, found->item, found->offset);
    markChain(*found);
    paragraph.setDirty(true);
    // The new text stands at [end, end + added): remove what follows it first, so that the
    // offsets before it stay put.
    const size_t added = InlineOps::length(paragraph.inlines) - before;
    if (end < to) InlineOps::deleteDirect(paragraph, end + added, to + added);
    InlineOps::deleteDirect(paragraph, from, end);
}

void insertTracked(EditContext& document, Paragraph& paragraph, std::u16string_view text, size_t at,
                   const EditMode::Tracked& tracked) {
    const auto before = InlineOps::slot(paragraph.inlines, at, InlineOps::Side::before);
    const auto after = InlineOps::slot(paragraph.inlines, at, InlineOps::Side::after);
    for (const auto* side : {&before, &after}) {
        if (!*side) continue;
        if (isOwnInsertion(innermostRevision((*side)->chain), tracked.author)) {
            InlineOps::insert(text, *(*side)->run, (*side)->item, (*side)->offset);
            markChain(**side);
            return;
        }
    }
    auto items = InlineOps::items(text);
    if (items.empty()) return;
    // New text beside a run looks like that run, even one without properties; only a
    // place without runs takes the paragraph mark's properties.
    const Slot* source = before ? &*before : after ? &*after : nullptr;
    std::optional<PropertyBag> props = !source              ? markProps(paragraph)
                                       : source->run->props ? withoutRevisionMarkers(*source->run->props)
                                                            : std::nullopt;
    const std::string_view prefix = paragraph.tags.prefix();
    auto container = newRevision(document, prefix, Container::Kind::insert, tracked);
    container->inlines.emplace_back(newRun(document, paragraph, std::move(props), std::move(items)));

    // Inside a hyperlink, smart tag or content control only when it goes on after the new
    // text too: such a wrapper is never split around an insertion (a tracked change's
    // container is, as a change inside another author's change is a change of its own).
    InlineOwner owner = paragraph;
    size_t base = 0;
    if (before && after) {
        for (size_t i = before->chain.size(); i-- > 0;) {
            Container* link = before->chain[i];
            if (link->isRevision()) continue;
            if (std::find(after->chain.begin(), after->chain.end(), link) == after->chain.end()) continue;
            owner = *link;
            base = before->starts[i];
            for (size_t j = 0; j <= i; ++j) before->chain[j]->dirty = true;
            break;
        }
    }
    insertAt(owner, InlineOps::cut(owner, at - base, document), std::move(container));
}

void deleteTracked(EditContext& document, Paragraph& paragraph, size_t from, size_t to,
                   const EditMode::Tracked& tracked) {
    const auto covered = InlineOps::isolate(paragraph, from, to, {}, document);
    std::vector<std::pair<InlineOwner, std::vector<Run*>>> recorded;
    for (const auto& [owner, run, chain] : covered) {
        if (std::any_of(chain.begin(), chain.end(), [](const Container* c) { return c->isDeletion(); }))
            continue;  // already deleted, or moved away
        if (isOwnInsertion(innermostRevision(chain), tracked.author)) {
            // Deleting one's own tracked insertion leaves no trace.
            auto& inlines = owner.inlines();
            std::erase_if(inlines, [run = run](const Inline& n) {
                const auto* r = std::get_if<std::unique_ptr<Run>>(&n);
                return r && r->get() == run;
            });
            owner.markDirty();
            continue;
        }
        for (RunItem& item : run->items)
            if (item.kind.type == RunItem::Type::text) item = RunItem(RunItem::Kind::makeDelText(item.kind.text));
        run->dirty = true;
        auto entry = std::find_if(recorded.begin(), recorded.end(),
                                  [&owner = owner](const auto& e) { return e.first == owner; });
        if (entry == recorded.end()) recorded.emplace_back(owner, std::vector<Run*>{run});
        else entry->second.push_back(run);
    }
    for (auto& [owner, runs] : recorded) wrapDeleted(document, owner, runs, paragraph.tags.prefix(), tracked);
}

void prune(InlineOwner owner) {
    std::erase_if(owner.inlines(), [](Inline& node) {
        if (auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
            prune(**container);  // bounded by the parser's container depth
            return (*container)->dirty && (*container)->inlines.empty();
        }
        if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            const auto& items = (*run)->items;
            return (*run)->dirty && std::all_of(items.begin(), items.end(), [](const RunItem& item) {
                       return item.kind.type == RunItem::Type::props || item.kind.type == RunItem::Type::hidden;
                   });
        }
        return false;
    });
}

std::optional<size_t> index(const Paragraph& paragraph, const Group& group) {
    for (size_t i = 0; i < group.children.size(); ++i) {
        const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&group.children[i]);
        if (p && p->get() == &paragraph) return i;
    }
    return std::nullopt;
}

std::vector<Paragraph*> siblings(Paragraph& from, Paragraph& to) {
    if (&from == &to) return {&from};
    const auto crosses = [] { return DocxError(DocxErrorCode::crossesStructure); };
    if (!from.parent || from.parent != to.parent) throw crosses();
    const auto first = index(from, *from.parent);
    const auto last = index(to, *to.parent);
    if (!first || !last || *first > *last) throw crosses();
    std::vector<Paragraph*> result;
    for (size_t i = *first; i <= *last; ++i) {
        const Block& block = from.parent->children[i];
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) result.push_back(p->get());
        else if (std::holds_alternative<std::unique_ptr<Group>>(block)) throw crosses();
    }
    return result;
}

std::vector<ParagraphID> region(const Paragraph& from, const Paragraph& to) {
    if (from.parent && from.parent == to.parent) {
        const auto first = index(from, *from.parent);
        const auto last = index(to, *to.parent);
        if (first && last && *first <= *last) {
            std::vector<ParagraphID> result;
            for (size_t i = *first; i <= *last; ++i)
                if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&from.parent->children[i]))
                    result.push_back((*p)->id);
            return result;
        }
    }
    return {from.id};
}

}  // namespace TextEdit

namespace {

// The edit of one paragraph once its range is checked. The new text takes the place of
// the replaced text's end, so it keeps that text's run and containers (tracked: it stands
// after the text that stays as deleted text).
void replaceChecked(EditContext& document, Paragraph& paragraph, size_t lower, size_t upper,
                    std::u16string_view text, const EditMode& mode) {
    paragraph.setDirty(true);
    if (!mode.tracked) {
        if (lower < upper)
            TextEdit::replaceDirect(document, paragraph, lower, upper, text);
        else if (!text.empty())
            TextEdit::insertDirect(document, paragraph, text, lower);
    } else {
        const size_t before = InlineOps::length(paragraph.inlines);
        if (lower < upper) TextEdit::deleteTracked(document, paragraph, lower, upper, *mode.tracked);
        const size_t vanished = before - InlineOps::length(paragraph.inlines);
        if (!text.empty()) TextEdit::insertTracked(document, paragraph, text, upper - vanished, *mode.tracked);
    }
    TextEdit::prune(paragraph);
}

}  // namespace

namespace TextEdit {

Paragraph& paragraph(EditContext& document, Story& story, const StoryID& storyID, ParagraphID id) {
    if (Paragraph* found = story.findParagraph(id, document.mint())) return *found;
    throw DocxError(DocxErrorCode::unknownParagraph, DocxError::Detail{storyID, story.part, id, {}});
}

void replaceText(EditContext& document, Story& story, const StoryID& storyID, ParagraphID id, TextRange range,
                 std::u16string_view text, const EditMode& mode) {
    Story* target = &story;
    Paragraph* paragraph = &TextEdit::paragraph(document, story, storyID, id);
    if (range.lower > range.upper || range.upper > InlineOps::length(paragraph->inlines))
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    target->touched = true;
    const size_t lower = TextEdit::characterStart(paragraph->inlines, range.lower);
    const size_t upper =
        range.lower == range.upper ? lower : TextEdit::characterEnd(paragraph->inlines, range.upper);
    replaceChecked(document, *paragraph, lower, upper, text, mode);
}

void reconcile(EditContext& document, Story& story, const StoryID& storyID, ParagraphID id,
               std::u16string_view target, const EditMode& mode) {
    Story* owner = &story;
    Paragraph* paragraph = &TextEdit::paragraph(document, story, storyID, id);
    const std::u16string old = InlineOps::visibleText(paragraph->inlines);
    size_t prefix = 0;
    const size_t shorter = std::min(old.size(), target.size());
    while (prefix < shorter && old[prefix] == target[prefix]) ++prefix;
    size_t suffix = 0;
    const size_t room = std::min(old.size() - prefix, target.size() - prefix);
    while (suffix < room && old[old.size() - 1 - suffix] == target[target.size() - 1 - suffix]) ++suffix;
    const auto isLow = [](char16_t c) { return (c & 0xFC00) == 0xDC00; };
    if (prefix > 0 && prefix < old.size() && isLow(old[prefix])) --prefix;
    if (suffix > 0 && isLow(old[old.size() - suffix])) --suffix;
    if (prefix + suffix >= old.size() && prefix + suffix >= target.size()) return;
    owner->touched = true;
    replaceChecked(document, *paragraph, prefix, old.size() - suffix,
                   target.substr(prefix, target.size() - suffix - prefix), mode);
}

}  // namespace TextEdit

}  // namespace rovuvuz
