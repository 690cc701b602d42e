// Footnotes and endnotes (ECMA-376 §17.11): a note is a w:footnote or w:endnote of the notes
// part, and a run in the body holding w:footnoteReference or w:endnoteReference with its
// w:id. DocxDocument::insertNote makes both; a note whose last reference an edit removes
// goes with it, so the notes part never keeps notes nothing shows. Notes watches the body's
// references around the edits that can remove them.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "RovuVuz/model/Nodes.h"

namespace rovuvuz {

class DocxDocument;
struct StoryID;

namespace Notes {

// The note references held by paragraphs, tracked deletions included (a deleted reference
// still names its note until the deletion is accepted), counted by (endnote?, w:id).
using References = std::map<std::pair<bool, int64_t>, size_t>;
References references(const std::vector<Paragraph*>& paragraphs);

// The body's references before an edit, and after it the removal of every note whose
// references the watched paragraphs lost and that the body names nowhere else. Watching
// a story other than the body does nothing.
class Watch {
  public:
    // The paragraphs an edit will change.
    Watch(DocxDocument& document, const StoryID& story, const std::vector<Paragraph*>& paragraphs);
    // The whole story (accepting and rejecting, table edits).
    Watch(DocxDocument& document, const StoryID& story);

    // The paragraphs that stand where the watched ones stood (the whole story when
    // watching it all); removes the notes that lost their last reference.
    void settle(const std::vector<Paragraph*>& paragraphs);
    void settle();

  private:
    DocxDocument& document_;
    bool active_ = false;
    References before_;
};

}  // namespace Notes

}  // namespace rovuvuz
