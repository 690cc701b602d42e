// The document's edits: each finds the story and hands the edit to the edit layer with the
// document as its context; apply also sends resolving tracked changes to Revisions.
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Revisions.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

void DocxDocument::replaceText(ParagraphID paragraph, const StoryID& storyID, TextRange range,
                               std::u16string_view text, const EditMode& mode) {
    TextEdit::replaceText(*this, story(storyID), storyID, paragraph, range, text, mode);
}

std::vector<ParagraphID> DocxDocument::replaceText(ParagraphPos from, ParagraphPos to, const StoryID& storyID,
                                                   std::u16string_view text, const EditMode& mode) {
    return Structural::replaceText(*this, story(storyID), storyID, from, to, text, mode);
}

void DocxDocument::reconcile(ParagraphID paragraph, const StoryID& storyID, std::u16string_view target,
                             const EditMode& mode) {
    TextEdit::reconcile(*this, story(storyID), storyID, paragraph, target, mode);
}

std::vector<ParagraphID> DocxDocument::apply(const StructuralEdit& edit, const StoryID& storyID,
                                             const EditMode& mode) {
    using E = StructuralEdit;
    Story& target = story(storyID);
    if (Revisions::resolve(target, edit, mint_)) return {};  // accept, reject and their -all forms
    const auto lookUp = [&](ParagraphID id) -> Paragraph& { return *paragraph(id, storyID).second; };
    std::vector<ParagraphID> result;
    if (const auto* s = std::get_if<E::SplitParagraph>(&edit.value)) {
        Paragraph& p = lookUp(s->paragraph);
        if (s->at > InlineOps::length(p.inlines)) throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
        if (!p.parent) throw DocxError(DocxErrorCode::crossesStructure, storyID);
        target.touched = true;
        result.push_back(Structural::split(*this, p, TextEdit::characterStart(p.inlines, s->at), mode).id);
    } else if (const auto* j = std::get_if<E::JoinWithNext>(&edit.value)) {
        Paragraph& p = lookUp(j->paragraph);
        target.touched = true;
        Structural::joinOrMark(*this, p, mode);
    } else if (const auto* st = std::get_if<E::SetParagraphStyle>(&edit.value)) {
        Paragraph& p = lookUp(st->paragraph);
        target.touched = true;
        Structural::editProps(*this, p, mode, [&](PropertyBag& bag) {
            if (st->style)
                bag.set("pStyle", Markup::Attributes{{"val", st->style->rawValue}});
            else
                bag.set("pStyle", std::nullopt);
        });
    } else if (const auto* pf = std::get_if<E::SetParagraphFormat>(&edit.value)) {
        Paragraph& p = lookUp(pf->paragraph);
        if (!FormatEdit::isValid(pf->change)) throw DocxError(DocxErrorCode::unsupported, storyID);
        target.touched = true;
        Structural::editProps(*this, p, mode, [&](PropertyBag& bag) { FormatEdit::apply(pf->change, bag); });
    } else if (const auto* rf = std::get_if<E::SetRunFormat>(&edit.value)) {
        Paragraph& p = lookUp(rf->paragraph);
        if (rf->range.lower > rf->range.upper || rf->range.upper > InlineOps::length(p.inlines))
            throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
        if (!FormatEdit::isValid(rf->change)) throw DocxError(DocxErrorCode::unsupported, storyID);
        target.touched = true;
        const TextRange whole{TextEdit::characterStart(p.inlines, rf->range.lower),
                              TextEdit::characterEnd(p.inlines, rf->range.upper)};
        Structural::setRunFormat(*this, p, whole, rf->change, mode);
    }
    return result;
}

void DocxDocument::apply(const TableEdit& edit, BlockID table, const StoryID& storyID, const EditMode& mode) {
    Tables::apply(*this, story(storyID), storyID, edit, table, mode);
}

Bytes DocxDocument::storyData(const StoryID& id) {
    return story(id).serialized();
}

void DocxDocument::restoreStory(const StoryID& id, ByteView data) {
    Story& old = story(id);
    auto fresh = std::make_unique<Story>(old.part, share(Bytes(data.begin(), data.end())), old.source, mint_);
    fresh->touched = true;
    stories_[old.part] = std::move(fresh);
}

}  // namespace rovuvuz
