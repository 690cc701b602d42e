#include "RovuVuz/edit/Structural.h"

#include <algorithm>

#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/DocxError.h"
#include "RovuVuz/xml/XMLChars.h"

namespace rovuvuz {

namespace Structural {

namespace {

using Markup::qualified;

// The bytes of a bag's children, to tell whether an edit changed anything.
std::vector<ByteSlice> childBytes(const PropertyBag& bag) {
    std::vector<ByteSlice> result;
    result.reserve(bag.children.size());
    for (const auto& child : bag.children) result.push_back(child.bytes);
    return result;
}

bool sameChildren(const std::vector<ByteSlice>& old, const PropertyBag& bag) {
    if (old.size() != bag.children.size()) return false;
    for (size_t i = 0; i < old.size(); ++i)
        if (!bag.children[i].bytes.sameBytes(old[i].view())) return false;
    return true;
}

// A w:pPrChange or w:rPrChange: the revision attributes around the old properties,
// without the children that the change element must not hold (ECMA-376 §17.13.5.29,
// §17.13.5.31).
std::string changeRecord(EditContext& document, std::string_view prefix, std::string_view changeName,
                         std::string_view propsName, const std::vector<ByteSlice>& old,
                         std::initializer_list<std::string_view> left, const EditMode::Tracked& tracked) {
    std::string out = Markup::startTag(qualified(prefix, changeName),
                                       TextEdit::revisionAttributes(document, prefix, tracked), Markup::SelfClosing::No);
    out += "<" + qualified(prefix, propsName) + ">";
    for (const ByteSlice& bytes : old) {
        const std::string_view local = PropertyBag::Child{bytes}.local();
        if (local.empty() || std::find(left.begin(), left.end(), local) != left.end()) continue;
        out += bytes.chars();
    }
    out += "</" + qualified(prefix, propsName) + "></" + qualified(prefix, changeName) + ">";
    return out;
}

// Removes the first child of each name from the paragraph mark's w:rPr, storing the rest
// back or dropping w:rPr when nothing is left.
void removeFromMark(PropertyBag& props, std::initializer_list<std::string_view> names) {
    const auto bytes = props.child("rPr");
    if (!bytes) return;
    auto mark = PropertyBag::parse(*bytes);
    if (!mark) return;
    for (std::string_view name : names) mark->set(name, std::nullopt);
    if (mark->isEmpty()) props.set("rPr", std::nullopt);
    else props.set("rPr", mark->serialized());
}

size_t blockIndex(const Paragraph& paragraph) {
    const auto& children = paragraph.parent->children;
    for (size_t i = 0; i < children.size(); ++i) {
        const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&children[i]);
        if (p && p->get() == &paragraph) return i;
    }
    return children.size();
}

}  // namespace

void ensureProps(Paragraph& paragraph) {
    if (paragraph.props) return;
    paragraph.props = PropertyBag{Tags::build(qualified(paragraph.tags.prefix(), "pPr"), {}), {}, std::nullopt};
    paragraph.inlines.insert(paragraph.inlines.begin(), PropsMarker{});
    paragraph.setDirty(true);
}

namespace {

// The paragraph before, past what stands unseen between block elements (as nextParagraph).
const Paragraph* previousParagraph(const Paragraph& paragraph) {
    if (!paragraph.parent) return nullptr;
    const auto& children = paragraph.parent->children;
    for (size_t i = blockIndex(paragraph); i-- > 0;) {
        if (const auto* before = std::get_if<std::unique_ptr<Paragraph>>(&children[i])) return before->get();
        const auto* raw = std::get_if<Raw>(&children[i]);
        if (!raw || raw->local() == "sdt" || raw->local() == "customXml" || raw->local() == "altChunk" ||
            raw->local() == "oMathPara")
            return nullptr;
    }
    return nullptr;
}

bool markDeleted(const Paragraph& paragraph) {
    const auto bytes = paragraph.props ? paragraph.props->child("rPr") : std::nullopt;
    const auto mark = bytes ? PropertyBag::parse(*bytes) : std::nullopt;
    return mark && mark->child("del");
}

// A reader sees a paragraph that follows marks held by tracked deletions as part of the
// first paragraph before them, and accepting the deletions joins them into that one, which
// keeps its properties. A tracked split there gives the new paragraph those properties (its
// mark and section break stay the split paragraph's), so that accepting gives what a direct
// split of the joined paragraph gives; rejecting the split's inserted mark joins the halves
// back under the split paragraph's own properties.
void takeJoinedProperties(Paragraph& second, const Paragraph& split) {
    const Paragraph* first = &split;
    for (const Paragraph* before = previousParagraph(split); before && markDeleted(*before);
         before = previousParagraph(*before))
        first = before;
    if (first == &split) return;
    PropertyBag bag = first->props ? *first->props
                                   : PropertyBag{Tags::build(qualified(split.tags.prefix(), "pPr"), {}), {}, std::nullopt};
    for (std::string_view local : {"pPrChange", "rPr", "sectPr"}) bag.set(local, std::nullopt);
    for (std::string_view local : {"rPr", "sectPr"}) {
        const auto kept = second.props ? second.props->child(local) : std::nullopt;
        if (!kept) continue;
        const Bytes bytes(kept->begin(), kept->end());
        bag.set(local, ByteView(bytes));
    }
    bag.original.reset();
    if (!second.props) second.inlines.insert(second.inlines.begin(), PropsMarker{});
    second.props = std::move(bag);
}

}  // namespace

Paragraph& split(EditContext& document, Paragraph& paragraph, size_t at, const EditMode& mode) {
    const size_t k = InlineOps::cut(paragraph, at, document);
    auto second = Paragraph::make(document.mint());
    second->tags = Tags::build(qualified(paragraph.tags.prefix(), "p"), {});
    second->setDirty(true);
    if (paragraph.props) {
        second->inlines.emplace_back(PropsMarker{});
        PropertyBag copy = *paragraph.props;
        copy.set("pPrChange", std::nullopt);
        second->props = std::move(copy);
        // The paragraph's mark, with any tracked insertion or deletion of it, now ends the
        // second half; the first half ends in a new mark that carries none of them (in
        // tracked mode it is marked inserted below). Dropping the old markers instead would
        // lose a tracked change, and rejecting it could no longer restore the text.
        removeFromMark(*paragraph.props, {"ins", "del"});
        // The section break moves to the second half, which now ends the section.
        paragraph.props->set("sectPr", std::nullopt);
    }
    auto& inlines = paragraph.inlines;
    for (size_t i = k; i < inlines.size(); ++i)
        if (!std::holds_alternative<PropsMarker>(inlines[i])) second->inlines.push_back(std::move(inlines[i]));
    const bool markerMoved = std::any_of(inlines.begin() + static_cast<std::ptrdiff_t>(k), inlines.end(),
                                         [](const Inline& n) { return std::holds_alternative<PropsMarker>(n); });
    inlines.erase(inlines.begin() + static_cast<std::ptrdiff_t>(k), inlines.end());
    if (markerMoved) inlines.emplace_back(PropsMarker{});
    if (mode.tracked) takeJoinedProperties(*second, paragraph);
    paragraph.setDirty(true);
    second->parent = paragraph.parent;
    Paragraph& result = *second;
    auto& blocks = paragraph.parent->children;
    blocks.insert(blocks.begin() + static_cast<std::ptrdiff_t>(blockIndex(paragraph)) + 1, std::move(second));
    if (mode.tracked) markParagraph(document, paragraph, RevisionKind::insert, *mode.tracked);
    return result;
}

namespace {

// Block-level content a reader sees in its own place (shown as an object of its own), which
// a join never reaches across.
bool standsAlone(const Raw& raw) {
    static constexpr std::string_view shown[] = {"sdt", "customXml", "altChunk", "oMathPara"};
    const auto local = raw.local();
    return local && std::find(std::begin(shown), std::end(shown), *local) != std::end(shown);
}

}  // namespace

// The next paragraph, past what stands unseen between block elements: the white space of a
// part written with indentation, block-level bookmark and comment range marks.
Paragraph* nextParagraph(const Paragraph& paragraph) {
    if (!paragraph.parent) return nullptr;
    const auto& children = paragraph.parent->children;
    for (size_t i = blockIndex(paragraph) + 1; i < children.size(); ++i) {
        if (const auto* next = std::get_if<std::unique_ptr<Paragraph>>(&children[i])) return next->get();
        const auto* raw = std::get_if<Raw>(&children[i]);
        if (!raw || standsAlone(*raw)) return nullptr;
    }
    return nullptr;
}

void join(Paragraph& paragraph) {
    Paragraph* next = nextParagraph(paragraph);
    if (!next) return;
    if (next->props) {
        if (const auto sectPr = next->props->child("sectPr")) {
            ensureProps(paragraph);
            paragraph.props->set("sectPr", *sectPr);
        }
    }
    for (Inline& node : next->inlines)
        if (!std::holds_alternative<PropsMarker>(node)) paragraph.inlines.push_back(std::move(node));
    paragraph.setDirty(true);
    auto& blocks = paragraph.parent->children;
    blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(blockIndex(*next)));
}

void joinOrMark(EditContext& document, Paragraph& paragraph, const EditMode& mode) {
    if (!mode.tracked) {
        join(paragraph);
        return;
    }
    if (paragraph.props) {
        if (const auto markBytes = paragraph.props->child("rPr")) {
            const auto mark = PropertyBag::parse(*markBytes);
            const auto ins = mark ? mark->child("ins") : std::nullopt;
            if (ins && Markup::attribute("author", *ins) == XMLChars::attributeValue(mode.tracked->author)) {
                // Removing the mark of one's own tracked insertion undoes the split that made
                // it: the joined paragraph ends in the mark the split moved to the second
                // half, with any change recorded on it since.
                const Paragraph* next = nextParagraph(paragraph);
                const auto nextMark = next && next->props ? next->props->child("rPr") : std::nullopt;
                paragraph.props->set("rPr", nextMark);
                paragraph.setDirty(true);
                join(paragraph);
                return;
            }
        }
    }
    markParagraph(document, paragraph, RevisionKind::remove, *mode.tracked);
}

void markParagraph(EditContext& document, Paragraph& paragraph, RevisionKind kind,
                   const EditMode::Tracked& tracked) {
    ensureProps(paragraph);
    const std::string_view prefix = paragraph.tags.prefix();
    std::optional<PropertyBag> mark;
    if (const auto bytes = paragraph.props->child("rPr")) mark = PropertyBag::parse(*bytes);
    if (!mark) mark = PropertyBag{Tags::build(qualified(prefix, "rPr"), {}), {}, std::nullopt};
    const std::string_view name = kind == RevisionKind::insert ? "ins" : "del";
    const std::string marker = Markup::startTag(
        qualified(prefix, name), TextEdit::revisionAttributes(document, prefix, tracked), Markup::SelfClosing::Yes);
    mark->set(name, asBytes(marker));
    paragraph.props->set("rPr", mark->serialized());
    paragraph.setDirty(true);
}

void editProps(EditContext& document, Paragraph& paragraph, const EditMode& mode,
               const std::function<void(PropertyBag&)>& edit) {
    // A paragraph without w:pPr is edited on an empty bag first, so that an edit that
    // changes nothing adds nothing.
    PropertyBag bag = paragraph.props
                          ? *paragraph.props
                          : PropertyBag{Tags::build(qualified(paragraph.tags.prefix(), "pPr"), {}), {}, std::nullopt};
    const auto old = childBytes(bag);
    edit(bag);
    if (sameChildren(old, bag)) return;
    const std::string_view prefix = paragraph.tags.prefix();
    if (mode.tracked && !bag.child("pPrChange")) {
        const std::string record =
            changeRecord(document, prefix, "pPrChange", "pPr", old, {"rPr", "sectPr", "pPrChange"}, *mode.tracked);
        bag.set("pPrChange", asBytes(record));
    }
    ensureProps(paragraph);
    *paragraph.props = std::move(bag);
    paragraph.setDirty(true);
}

void setRunFormat(EditContext& document, Paragraph& paragraph, TextRange range, const RunFormatChange& change,
                  const EditMode& mode) {
    const auto covered = InlineOps::isolate(paragraph, range.lower, range.upper, {}, document);
    if (covered.empty()) return;
    paragraph.setDirty(true);
    const StyleSheet& styles = document.styles();
    std::optional<StyleID> paragraphStyle;
    if (paragraph.props)
        if (const auto pStyle = paragraph.props->child("pStyle"))
            if (auto val = Markup::attribute("val", *pStyle)) paragraphStyle = StyleID{std::move(*val)};
    const auto effective = [&](const PropertyBag& bag) { return styles.runFormat(paragraphStyle, &bag); };
    for (const auto& [owner, run, chain] : covered) {
        const std::string_view prefix = run->tags.prefix();
        PropertyBag bag =
            run->props ? *run->props : PropertyBag{Tags::build(qualified(prefix, "rPr"), {}), {}, std::nullopt};
        const auto old = childBytes(bag);
        FormatEdit::apply(change, bag, effective);
        if (sameChildren(old, bag)) continue;
        if (mode.tracked && !bag.child("rPrChange")) {
            const std::string record =
                changeRecord(document, prefix, "rPrChange", "rPr", old, {"rPrChange", "ins", "del"}, *mode.tracked);
            bag.set("rPrChange", asBytes(record));
        }
        if (!run->props) run->items.insert(run->items.begin(), RunItem(RunItem::Kind::make(RunItem::Type::props)));
        run->props = std::move(bag);
        run->dirty = true;
        owner.markDirty();
    }
}

namespace {

void deleteRange(EditContext& document, Paragraph& paragraph, size_t lower, size_t upper,
                 const EditMode& mode) {
    if (lower >= upper) return;
    paragraph.setDirty(true);
    if (mode.tracked)
        TextEdit::deleteTracked(document, paragraph, lower, upper, *mode.tracked);
    else
        InlineOps::deleteDirect(paragraph, lower, upper);
    TextEdit::prune(paragraph);
}

void insertText(EditContext& document, Paragraph& paragraph, std::u16string_view text, size_t at,
                const EditMode& mode) {
    if (text.empty()) return;
    paragraph.setDirty(true);
    if (mode.tracked)
        TextEdit::insertTracked(document, paragraph, text, at, *mode.tracked);
    else
        TextEdit::insertDirect(document, paragraph, text, at);
    TextEdit::prune(paragraph);
}

}  // namespace

std::vector<ParagraphID> replaceText(EditContext& document, Story& story, const StoryID& storyID,
                                     ParagraphPos from, ParagraphPos to, std::u16string_view text,
                                     const EditMode& mode) {
    Story* target = &story;
    Paragraph* first = &TextEdit::paragraph(document, story, storyID, from.paragraph);
    Paragraph* last = &TextEdit::paragraph(document, story, storyID, to.paragraph);
    const auto span = TextEdit::siblings(*first, *last);
    if (from.offset > InlineOps::length(first->inlines) || to.offset > InlineOps::length(last->inlines) ||
        (first == last && from.offset > to.offset))
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    target->touched = true;
    from.offset = TextEdit::characterStart(first->inlines, from.offset);
    to.offset = first == last && from.offset == to.offset ? from.offset
                                                          : TextEdit::characterEnd(last->inlines, to.offset);

    // Insert first, at the end of the range, so that the deletion never touches the new text.
    std::vector<std::u16string_view> lines;
    for (size_t start = 0;;) {
        const size_t lf = text.find(u'\n', start);
        lines.push_back(
            text.substr(start, lf == std::u16string_view::npos ? std::u16string_view::npos : lf - start));
        if (lf == std::u16string_view::npos) break;
        start = lf + 1;
    }
    // Where the inserted text ends, measured rather than counted from the text: characters
    // XML cannot carry are dropped on the way in.
    const auto inserted = [&](Paragraph& paragraph, std::u16string_view line, size_t at) {
        const size_t before = InlineOps::length(paragraph.inlines);
        insertText(document, paragraph, line, at, mode);
        return InlineOps::length(paragraph.inlines) - before;
    };
    Paragraph* current = last;
    size_t position = to.offset + inserted(*last, lines[0], to.offset);
    for (size_t i = 1; i < lines.size(); ++i) {
        current = &split(document, *current, position, mode);
        position = inserted(*current, lines[i], 0);
    }
    ParagraphID endID = current->id;

    if (first == last) {
        deleteRange(document, *first, from.offset, to.offset, mode);
    } else {
        deleteRange(document, *first, from.offset, InlineOps::length(first->inlines), mode);
        for (size_t i = 1; i + 1 < span.size(); ++i)
            deleteRange(document, *span[i], 0, InlineOps::length(span[i]->inlines), mode);
        deleteRange(document, *last, 0, to.offset, mode);
        for (size_t i = span.size() - 1; i-- > 0;) {
            const ParagraphID following = span[i + 1]->id;
            const size_t blocks = span[i]->parent->children.size();
            joinOrMark(document, *span[i], mode);
            // Joined (a join removes the following paragraph's block): what ended the range
            // now ends span[i].
            if (endID == following && span[i]->parent->children.size() < blocks) endID = span[i]->id;
        }
    }
    const Paragraph* end = first;
    for (const Block& block : first->parent->children)
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block); p && (*p)->id == endID)
            end = p->get();
    return TextEdit::region(*first, *end);
}

}  // namespace Structural

}  // namespace rovuvuz
