#include "RovuVuz/edit/SpanningEdit.h"

#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/model/PropertyBag.h"

namespace rovuvuz::SpanningEdit {

namespace {

// Where one end stands: its group and block index; for a paragraph end, the paragraph and
// offset; for a table edge, whether the range goes on past the table.
struct Located {
    Group* group = nullptr;
    size_t index = 0;
    Paragraph* paragraph = nullptr;
    size_t offset = 0;
    bool after = false;
};

// The group with that ID and the group holding it, searched without recursion.
std::pair<Group*, Group*> findTable(Group& root, BlockID id) {
    std::vector<Group*> pending{&root};
    while (!pending.empty()) {
        Group* group = pending.back();
        pending.pop_back();
        for (Block& child : group->children) {
            auto* inner = std::get_if<std::unique_ptr<Group>>(&child);
            if (!inner) continue;
            if ((*inner)->id == id && (*inner)->local() == "tbl") return {inner->get(), group};
            pending.push_back(inner->get());
        }
    }
    return {nullptr, nullptr};
}

size_t blockIndex(const Group& group, const Group& child) {
    for (size_t i = 0; i < group.children.size(); ++i) {
        const auto* g = std::get_if<std::unique_ptr<Group>>(&group.children[i]);
        if (g && g->get() == &child) return i;
    }
    return group.children.size();
}

Located locate(EditContext& document, Story& story, const StoryID& storyID, const SpanEnd& end) {
    if (const auto* at = std::get_if<ParagraphPos>(&end)) {
        Paragraph& paragraph = TextEdit::paragraph(document, story, storyID, at->paragraph);
        if (at->offset > InlineOps::length(paragraph.inlines))
            throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
        if (!paragraph.parent) throw DocxError(DocxErrorCode::crossesStructure, storyID);
        const auto index = TextEdit::index(paragraph, *paragraph.parent);
        if (!index) throw DocxError(DocxErrorCode::crossesStructure, storyID);
        return {paragraph.parent, *index, &paragraph, at->offset, false};
    }
    const TableEdge& edge = std::get<TableEdge>(end);
    const auto [table, parent] = story.root ? findTable(*story.root, edge.table) : std::pair<Group*, Group*>{};
    if (!table) throw DocxError(DocxErrorCode::unknownParagraph, storyID);
    return {parent, blockIndex(*parent, *table), nullptr, 0, edge.after};
}

size_t lengthOf(const Paragraph& paragraph) {
    return InlineOps::length(paragraph.inlines);
}

Paragraph* paragraphAt(Group& group, size_t index) {
    if (index >= group.children.size()) return nullptr;
    auto* p = std::get_if<std::unique_ptr<Paragraph>>(&group.children[index]);
    return p ? p->get() : nullptr;
}

// Where text typed over a range without end paragraphs goes: the first paragraph from block
// `next` on, else the last one before block `before`.
std::optional<ParagraphPos> placeBeside(Group& group, size_t before, size_t next) {
    for (size_t i = next; i < group.children.size(); ++i)
        if (Paragraph* p = paragraphAt(group, i)) return ParagraphPos{p->id, 0};
    for (size_t i = before; i-- > 0;)
        if (Paragraph* p = paragraphAt(group, i)) return ParagraphPos{p->id, lengthOf(*p)};
    return std::nullopt;
}

std::optional<TextEnd> insert(EditContext& document, Story& story, const StoryID& storyID,
                              const std::optional<ParagraphPos>& at, std::u16string_view text, const EditMode& mode) {
    if (text.empty() || !at) return std::nullopt;
    // What follows the insertion point moves with the text's last line.
    const size_t following =
        lengthOf(TextEdit::paragraph(document, story, storyID, at->paragraph)) - at->offset;
    const std::vector<ParagraphID> ids = Structural::replaceText(document, story, storyID, *at, *at, text, mode);
    if (ids.empty()) return std::nullopt;
    return TextEnd{ids.back(), following};
}

void clear(EditContext& document, Story& story, const StoryID& storyID, Paragraph& paragraph, size_t from, size_t to,
           const EditMode& mode) {
    if (from < to) TextEdit::replaceText(document, story, storyID, paragraph.id, {from, to}, u"", mode);
}

// Whether a row's w:trPr marks it deleted.
bool rowDeleted(const Group& row) {
    for (const Block& child : row.children) {
        const auto* raw = std::get_if<Raw>(&child);
        if (!raw || raw->local() != "trPr") continue;
        const auto props = PropertyBag::parse(raw->bytes.view());
        return props && props->child("del");
    }
    return false;
}

std::vector<Group*> rowsOf(Group& table) {
    std::vector<Group*> rows;
    for (Block& child : table.children)
        if (auto* row = std::get_if<std::unique_ptr<Group>>(&child); row && (*row)->local() == "tr")
            rows.push_back(row->get());
    return rows;
}

// A table whose every row is a tracked deletion: gone to a reader.
bool tableDeleted(Group& table) {
    const std::vector<Group*> rows = rowsOf(table);
    return !rows.empty() && std::all_of(rows.begin(), rows.end(), [](const Group* row) { return rowDeleted(*row); });
}

// Marks every row of a table deleted, its text with it; rows already deleted stay as they are.
void markTableDeleted(EditContext& document, Group& table, const EditMode::Tracked& tracked) {
    for (Group* row : rowsOf(table))
        if (!rowDeleted(*row)) Tables::markRowDeleted(document, *row, tracked);
}

// An end at the edge of a table that is gone to a reader stands where the reader sees it: on
// the other side of that table (and of deleted tables next to it), so that deleting the mark
// before a deleted table joins the paragraphs around it as its removal will.
Located pastDeletedTables(Located end, bool forward) {
    Group& group = *end.group;
    while (!end.paragraph) {
        auto* table = std::get_if<std::unique_ptr<Group>>(&group.children[end.index]);
        if (!table || (*table)->local() != "tbl" || !tableDeleted(**table)) break;
        // The range reaches past this table only when it ends before it or starts after it.
        if (forward == end.after) break;
        // The next (or previous) block that is not white space or a marker.
        size_t i = end.index;
        std::optional<size_t> next;
        while (forward ? ++i < group.children.size() : i-- > 0) {
            if (!std::holds_alternative<Raw>(group.children[i])) {
                next = i;
                break;
            }
        }
        if (!next) break;
        if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&group.children[*next])) {
            end = {&group, *next, p->get(), forward ? 0 : lengthOf(**p), false};
        } else {
            end = {&group, *next, nullptr, 0, !forward};
        }
    }
    return end;
}

}  // namespace

std::optional<TextEnd> replace(EditContext& document, Story& story, const StoryID& storyID, const SpanEnd& from,
                               const SpanEnd& to, std::u16string_view text, const EditMode& mode) {
    const Located start = pastDeletedTables(locate(document, story, storyID, from), /*forward=*/false);
    const Located end = pastDeletedTables(locate(document, story, storyID, to), /*forward=*/true);
    if (start.group != end.group || start.index > end.index)
        throw DocxError(DocxErrorCode::crossesStructure, storyID);
    Paragraph* first = start.paragraph;
    Paragraph* last = end.paragraph;
    if (first && first == last) {
        if (start.offset > end.offset) throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
        const size_t following = lengthOf(*last) - end.offset;
        const auto ids = Structural::replaceText(document, story, storyID, {first->id, start.offset},
                                                 {last->id, end.offset}, text, mode);
        if (text.empty() || ids.empty()) return std::nullopt;
        return TextEnd{ids.back(), following};
    }
    Group& group = *start.group;
    // The blocks wholly inside the range: [inner, innerEnd).
    const size_t inner = first ? start.index + 1 : start.after ? start.index + 1 : start.index;
    const size_t innerEnd = last ? end.index : end.after ? end.index + 1 : end.index;
    if (inner > innerEnd) throw DocxError(DocxErrorCode::crossesStructure, storyID);
    const size_t firstEnd = first ? lengthOf(*first) : 0;
    story.touched = true;

    if (!mode.tracked) {
        if (last) clear(document, story, storyID, *last, 0, end.offset, mode);
        group.children.erase(group.children.begin() + static_cast<std::ptrdiff_t>(inner),
                             group.children.begin() + static_cast<std::ptrdiff_t>(innerEnd));
        if (first) clear(document, story, storyID, *first, start.offset, firstEnd, mode);
        if (first && last) Structural::join(*first);
        const std::optional<ParagraphPos> at = first ? ParagraphPos{first->id, start.offset}
                                               : last ? ParagraphPos{last->id, 0}
                                                      : placeBeside(group, inner, inner);
        return insert(document, story, storyID, at, text, mode);
    }

    // Tracked: the text goes after all that stays as deleted text, then the range is marked
    // from its end back, so that what an own insertion's removal moves lies behind. The
    // blocks inside are held by identity: new text that starts paragraphs adds blocks.
    std::vector<std::variant<Group*, Paragraph*>> inside;
    for (size_t i = inner; i < innerEnd; ++i) {
        if (auto* table = std::get_if<std::unique_ptr<Group>>(&group.children[i]))
            inside.emplace_back(table->get());
        else if (auto* p = std::get_if<std::unique_ptr<Paragraph>>(&group.children[i]))
            inside.emplace_back(p->get());
    }
    const std::optional<ParagraphPos> at = last    ? ParagraphPos{last->id, end.offset}
                                           : first ? ParagraphPos{first->id, firstEnd}
                                                   : placeBeside(group, inner, innerEnd);
    const std::optional<TextEnd> ends = insert(document, story, storyID, at, text, mode);
    if (last) clear(document, story, storyID, *last, 0, end.offset, mode);
    for (auto it = inside.rbegin(); it != inside.rend(); ++it) {
        if (Group* const* table = std::get_if<Group*>(&*it)) {
            if ((*table)->local() == "tbl") markTableDeleted(document, **table, *mode.tracked);
        } else {
            Paragraph& paragraph = *std::get<Paragraph*>(*it);
            clear(document, story, storyID, paragraph, 0, lengthOf(paragraph), mode);
            // Its mark goes too, joining what follows once accepted (a table before then).
            if (Structural::nextParagraph(paragraph))
                Structural::joinOrMark(document, paragraph, mode);
            else
                Structural::markParagraph(document, paragraph, RevisionKind::remove, *mode.tracked);
        }
    }
    if (first) {
        clear(document, story, storyID, *first, start.offset, firstEnd, mode);
        if (last) {
            if (Structural::nextParagraph(*first))
                Structural::joinOrMark(document, *first, mode);
            else
                Structural::markParagraph(document, *first, RevisionKind::remove, *mode.tracked);
        }
    }
    return ends;
}

}  // namespace rovuvuz::SpanningEdit
