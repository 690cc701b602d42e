// Lists as a user makes them: paragraphs made a bulleted or numbered list or taken out of
// one, list items moved a level deeper or shallower, and a paragraph's list state. Each
// paragraph's w:numPr is set through its properties (a tracked change records the old
// ones in w:pPrChange); the list it joins comes from NumberingPart.
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NumberingPart.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

namespace {

// Word gives a Normal paragraph made a list item the List Paragraph style (no space between
// items, indented), and takes it away again with the list.
const StyleID listParagraph{"ListParagraph"};

ListState stateOf(DocxDocument& document, const Paragraph& paragraph) {
    const ParagraphFormat format = document.styles().paragraphFormat(paragraph.props);
    if (!format.numbering) return {};
    const ListKind kind = ListDefinitions::kind(document.numbering(), *format.numbering);
    if (kind == ListKind::none) return {};
    return {kind, std::clamp(format.numberingLevel, 0, Numbering::levelCount - 1), format.numbering};
}

Paragraph* previousParagraph(const Paragraph& paragraph) {
    if (!paragraph.parent) return nullptr;
    const auto& children = paragraph.parent->children;
    Paragraph* previous = nullptr;
    for (const Block& block : children) {
        const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block);
        if (p && p->get() == &paragraph) return previous;
        previous = p ? p->get() : nullptr;
    }
    return nullptr;
}

std::optional<std::string> styleOf(const PropertyBag& bag) {
    const auto pStyle = bag.child("pStyle");
    return pStyle ? Markup::attribute("val", *pStyle) : std::nullopt;
}

// The paragraphs, looked up before anything changes (unknown ones throw), each once.
std::vector<Paragraph*> lookUp(DocxDocument& document, const std::vector<ParagraphID>& ids, const StoryID& story) {
    std::vector<Paragraph*> result;
    for (ParagraphID id : ids) {
        Paragraph* p = DocumentInternals::paragraph(document, id, story).second;
        if (std::find(result.begin(), result.end(), p) == result.end()) result.push_back(p);
    }
    return result;
}

// A paragraph whose properties came to nothing loses its empty w:pPr, so that taking a list
// away again gives back the paragraph as it was.
void dropEmptyProps(Paragraph& paragraph) {
    if (!paragraph.props || !paragraph.props->isEmpty()) return;
    paragraph.props.reset();
    std::erase_if(paragraph.inlines, [](const Inline& node) { return std::holds_alternative<PropsMarker>(node); });
    paragraph.setDirty(true);
}

void leaveList(DocxDocument& document, Paragraph& paragraph, const EditMode& mode) {
    const StyleSheet& styles = document.styles();
    Structural::editProps(document, paragraph, mode, [&](PropertyBag& bag) {
        bag.set("numPr", std::nullopt);
        if (styleOf(bag) == listParagraph.rawValue) bag.set("pStyle", std::nullopt);
        // A list the paragraph style brings is switched off here (w:numId 0, §17.9.18).
        const ParagraphFormat format = styles.paragraphFormat(&bag);
        if (format.numbering && ListDefinitions::kind(document.numbering(), *format.numbering) != ListKind::none)
            FormatEdit::apply(ParagraphFormatChange{ParagraphFormatChange::Numbering{NumberingID{"0"}, 0}}, bag);
    });
    dropEmptyProps(paragraph);
}

}  // namespace

ListState DocxDocument::listState(ParagraphID id, const StoryID& storyID) {
    return stateOf(*this, *paragraph(id, storyID).second);
}

void DocxDocument::setList(const std::vector<ParagraphID>& ids, const StoryID& storyID, ListKind kind,
                           const EditMode& mode) {
    const std::vector<Paragraph*> targets = lookUp(*this, ids, storyID);
    if (targets.empty()) return;
    Story& target = story(storyID);
    if (kind == ListKind::none) {
        target.touched = true;
        for (Paragraph* p : targets) leaveList(*this, *p, mode);
        return;
    }
    std::vector<NumberingID> neighbours;
    for (const Paragraph* next : {previousParagraph(*targets.front()), Structural::nextParagraph(*targets.back())})
        if (next)
            if (auto list = stateOf(*this, *next).list) neighbours.push_back(std::move(*list));
    const NumberingID list = NumberingPart::listFor(*this, kind, neighbours);
    const bool hasListStyle = styles().find(listParagraph) != nullptr;
    const std::optional<StyleID> normal = styles().defaultParagraphStyle;
    target.touched = true;
    for (Paragraph* p : targets) {
        const ListState now = stateOf(*this, *p);
        const int level = now.kind == ListKind::none ? 0 : now.level;
        Structural::editProps(*this, *p, mode, [&](PropertyBag& bag) {
            FormatEdit::apply(ParagraphFormatChange{ParagraphFormatChange::Numbering{list, level}}, bag);
            const auto style = styleOf(bag);
            if (hasListStyle && (!style || (normal && *style == normal->rawValue)))
                bag.set("pStyle", Markup::Attributes{{"val", listParagraph.rawValue}});
        });
    }
}

void DocxDocument::toggleList(const std::vector<ParagraphID>& ids, const StoryID& storyID, ListKind kind,
                              const EditMode& mode) {
    const std::vector<Paragraph*> targets = lookUp(*this, ids, storyID);
    const bool all = !targets.empty() && std::all_of(targets.begin(), targets.end(), [&](const Paragraph* p) {
        return stateOf(*this, *p).kind == kind;
    });
    setList(ids, storyID, all ? ListKind::none : kind, mode);
}

bool DocxDocument::changeListLevel(const std::vector<ParagraphID>& ids, const StoryID& storyID, int delta,
                                   const EditMode& mode) {
    const std::vector<Paragraph*> targets = lookUp(*this, ids, storyID);
    bool changed = false;
    for (Paragraph* p : targets) {
        const ListState now = stateOf(*this, *p);
        if (now.kind == ListKind::none) continue;
        const int level = std::clamp(now.level + std::clamp(delta, -8, 8), 0, Numbering::levelCount - 1);
        if (level == now.level) continue;
        story(storyID).touched = true;
        Structural::editProps(*this, *p, mode, [&](PropertyBag& bag) {
            FormatEdit::apply(ParagraphFormatChange{ParagraphFormatChange::Numbering{now.list, level}}, bag);
        });
        changed = true;
    }
    return changed;
}

}  // namespace rovuvuz
