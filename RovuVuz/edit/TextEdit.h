// Text edits: replacing text in a story's paragraphs, outright or as tracked changes
// (w:ins and w:del, ECMA-376 §17.13.5), in display offsets (InlineOps). replaceText and
// reconcile are the document's text edits; the other operations are the pieces they and the
// structural edits share.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {

namespace TextEdit {

// The paragraph of a story with that identity; throws DocxError(unknownParagraph).
Paragraph& paragraph(EditContext& document, Story& story, const StoryID& storyID, ParagraphID id);

// Replaces a range of one paragraph's display text; an LF becomes a line break. Throws
// DocxError(rangeOutOfBounds) before changing anything.
void replaceText(EditContext& document, Story& story, const StoryID& storyID, ParagraphID paragraph,
                 TextRange range, std::u16string_view text, const EditMode& mode);
// Turns a paragraph's display text into `target` with the one replacement that differs
// (common prefix and suffix kept).
void reconcile(EditContext& document, Story& story, const StoryID& storyID, ParagraphID paragraph,
               std::u16string_view target, const EditMode& mode);

// The attributes of a new w:ins, w:del or property change under the given prefix.
Markup::Attributes revisionAttributes(EditContext& document, std::string_view prefix,
                                      const EditMode::Tracked& tracked);

// Inserts text at a paragraph offset, joining the run on either side of it when one is not
// deleted; otherwise in a new run with the paragraph mark's run properties.
void insertDirect(EditContext& document, Paragraph& paragraph, std::u16string_view text, size_t at);
// Replaces the non-empty range [from, to) outright. The new text goes in right after the
// range's last character that stands in a run outside tracked deletions, so it takes
// that run's formatting and every container around it (hyperlink, revision, the side of a
// comment range or bookmark); then the range around it is removed. A range without such a
// character is removed first and the text typed where it stood.
void replaceDirect(EditContext& document, Paragraph& paragraph, size_t from, size_t to,
                   std::u16string_view text);
// Inserts text as a tracked insertion, extending the author's own insertion when the
// offset touches one.
void insertTracked(EditContext& document, Paragraph& paragraph, std::u16string_view text, size_t at,
                   const EditMode::Tracked& tracked);
// Marks [from, to) as deleted; the author's own tracked insertions are removed outright.
void deleteTracked(EditContext& document, Paragraph& paragraph, size_t from, size_t to,
                   const EditMode::Tracked& tracked);

// An offset moved off the second half of a surrogate pair: back to the pair's start, or
// on past its end, so that no edit ever cuts a character in two.
size_t characterStart(const std::vector<Inline>& inlines, size_t offset);
size_t characterEnd(const std::vector<Inline>& inlines, size_t offset);

// The run properties new text takes in an otherwise empty place: the paragraph mark's,
// without its revision markers.
std::optional<PropertyBag> markProps(const Paragraph& paragraph);
// Removes edited runs and containers that edits left empty; untouched ones stay.
void prune(InlineOwner owner);

// The paragraphs from `from` through `to`, which must be siblings in one group with
// nothing but raw blocks between them; throws DocxError(crossesStructure) otherwise.
std::vector<Paragraph*> siblings(Paragraph& from, Paragraph& to);
// The IDs of the paragraphs now standing from `from` through `to`; [from] when they are
// not ordered siblings.
std::vector<ParagraphID> region(const Paragraph& from, const Paragraph& to);
std::optional<size_t> index(const Paragraph& paragraph, const Group& group);

}  // namespace TextEdit

}  // namespace rovuvuz
