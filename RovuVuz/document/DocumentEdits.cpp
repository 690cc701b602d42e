// The document's edits: each finds the story and hands the edit to the edit layer with the
// document as its context; apply also sends resolving tracked changes to Revisions.
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/Notes.h"
#include "RovuVuz/edit/Revisions.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/Tables.h"
#include "RovuVuz/edit/TextEdit.h"

namespace rovuvuz {

namespace {

// The paragraphs of a story with these IDs that exist; what a text edit's note watch looks at.
std::vector<Paragraph*> existing(Story& story, std::initializer_list<ParagraphID> ids, const IdentityMint& mint) {
    std::vector<Paragraph*> found;
    for (ParagraphID id : ids)
        if (Paragraph* paragraph = story.findParagraph(id, mint)) found.push_back(paragraph);
    return found;
}

// The paragraphs from one to another, as a multi-paragraph edit will change them; none when
// the edit will be refused anyway.
std::vector<Paragraph*> between(Story& story, ParagraphID from, ParagraphID to, const IdentityMint& mint) {
    Paragraph* first = story.findParagraph(from, mint);
    Paragraph* last = story.findParagraph(to, mint);
    if (!first || !last) return {};
    try {
        return TextEdit::siblings(*first, *last);
    } catch (const DocxError&) {
        return {};
    }
}

bool resolvesRevisions(const StructuralEdit& edit) {
    using E = StructuralEdit;
    return std::holds_alternative<E::Accept>(edit.value) || std::holds_alternative<E::Reject>(edit.value) ||
           std::holds_alternative<E::AcceptAll>(edit.value) || std::holds_alternative<E::RejectAll>(edit.value);
}

}  // namespace

void DocxDocument::replaceText(ParagraphID paragraph, const StoryID& storyID, TextRange range,
                               std::u16string_view text, const EditMode& mode) {
    Story& target = story(storyID);
    const std::vector<Paragraph*> watched = existing(target, {paragraph}, mint_);
    Notes::Watch notes(*this, storyID, watched);
    TextEdit::replaceText(*this, target, storyID, paragraph, range, text, mode);
    notes.settle(watched);
}

std::vector<ParagraphID> DocxDocument::replaceText(ParagraphPos from, ParagraphPos to, const StoryID& storyID,
                                                   std::u16string_view text, const EditMode& mode) {
    Story& target = story(storyID);
    Notes::Watch notes(*this, storyID, between(target, from.paragraph, to.paragraph, mint_));
    std::vector<ParagraphID> region = Structural::replaceText(*this, target, storyID, from, to, text, mode);
    std::vector<Paragraph*> standing;
    for (ParagraphID id : region)
        if (Paragraph* paragraph = target.findParagraph(id, mint_)) standing.push_back(paragraph);
    notes.settle(standing);
    return region;
}

void DocxDocument::reconcile(ParagraphID paragraph, const StoryID& storyID, std::u16string_view target,
                             const EditMode& mode) {
    Story& owner = story(storyID);
    const std::vector<Paragraph*> watched = existing(owner, {paragraph}, mint_);
    Notes::Watch notes(*this, storyID, watched);
    TextEdit::reconcile(*this, owner, storyID, paragraph, target, mode);
    notes.settle(watched);
}

std::vector<ParagraphID> DocxDocument::apply(const StructuralEdit& edit, const StoryID& storyID,
                                             const EditMode& mode) {
    using E = StructuralEdit;
    Story& target = story(storyID);
    if (resolvesRevisions(edit)) {
        // Accepting a deleted note reference, or rejecting an inserted one, removes its note.
        Notes::Watch notes(*this, storyID);
        Revisions::resolve(target, edit, mint_);
        notes.settle();
        return {};
    }
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
    Story& target = story(storyID);
    Notes::Watch notes(*this, storyID);  // a row, column or table removed takes its references along
    Tables::apply(*this, target, storyID, edit, table, mode);
    notes.settle();
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
