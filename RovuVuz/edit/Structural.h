// Structural and format edits: splitting and joining paragraphs and setting paragraph and
// character properties, outright or tracked. Tracked structure changes mark the paragraph
// mark (w:ins/w:del in the mark's w:rPr, ECMA-376 §17.13.5.16/§17.13.5.15); tracked
// format changes keep the previous properties in w:pPrChange/w:rPrChange (§17.13.5.29,
// §17.13.5.31). The document's apply is the entry point.
#pragma once

#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/edit/TextEdit.h"

namespace rovuvuz {

namespace Structural {

// Replaces the text between two positions in sibling paragraphs; each LF of the text starts
// a new paragraph. Returns the paragraphs now standing where the range stood.
std::vector<ParagraphID> replaceText(EditContext& document, Story& story, const StoryID& storyID,
                                     ParagraphPos from, ParagraphPos to, std::u16string_view text,
                                     const EditMode& mode);
// Splits a paragraph at a display offset and returns the new second half, which takes the
// paragraph's properties (and its section break) but not its property change or mark
// revision. Tracked, the first half's mark becomes a tracked insertion.
Paragraph& split(EditContext& document, Paragraph& paragraph, size_t at, const EditMode& mode);
// Direct: joins with the next paragraph. Tracked: marks the paragraph mark deleted, unless
// it is the author's own tracked insertion, which is simply undone.
void joinOrMark(EditContext& document, Paragraph& paragraph, const EditMode& mode);
// Appends the next paragraph's inlines and removes it; its section break survives here.
void join(Paragraph& paragraph);
Paragraph* nextParagraph(const Paragraph& paragraph);
void markParagraph(EditContext& document, Paragraph& paragraph, RevisionKind kind,
                   const EditMode::Tracked& tracked);
// Gives a paragraph an empty w:pPr when it has none.
void ensureProps(Paragraph& paragraph);
// Runs `edit` on the paragraph's properties; marks nothing when the children come out
// byte-identical; tracked, records the old properties in a w:pPrChange once.
void editProps(EditContext& document, Paragraph& paragraph, const EditMode& mode,
               const std::function<void(PropertyBag&)>& edit);
void setRunFormat(EditContext& document, Paragraph& paragraph, TextRange range, const RunFormatChange& change,
                  const EditMode& mode);

}  // namespace Structural

}  // namespace rovuvuz
