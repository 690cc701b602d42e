// Whole tables through the document: a new table after a paragraph (removing one is the
// table edit RemoveTable).
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/WholeTables.h"

namespace rovuvuz {

InsertedTable DocxDocument::insertTable(ParagraphID after, const StoryID& storyID, const NewTable& shape,
                                        const EditMode& mode) {
    return WholeTables::insert(*this, story(storyID), storyID, after, shape, mode);
}

}  // namespace rovuvuz
