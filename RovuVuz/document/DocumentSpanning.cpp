// The document's edit of ranges that hold whole tables (SpanningEdit).
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/SpanningEdit.h"

namespace rovuvuz {

std::optional<SpanningEdit::TextEnd> DocxDocument::replaceAcross(const SpanEnd& from, const SpanEnd& to,
                                                                  const StoryID& storyID, std::u16string_view text,
                                                                  const EditMode& mode) {
    return SpanningEdit::replace(*this, story(storyID), storyID, from, to, text, mode);
}

}  // namespace rovuvuz
