// Text edits: replacing text in a story's paragraphs, outright or as tracked changes
// (w:ins and w:del, ECMA-376 §17.13.5), in display offsets (InlineOps). The public entry
// points are DocxDocument::replaceText, reconcile, storyData and restoreStory; the
// operations below are the pieces they and the structural edits share.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/InlineOps.h"
#include "RovuVuz/Nodes.h"

namespace rovuvuz {

class DocxDocument;

// How an edit is made: outright, or as tracked changes by an author at a time.
struct EditMode {
    struct Tracked {
        std::string author;
        std::chrono::system_clock::time_point date;
        bool operator==(const Tracked&) const = default;
    };
    std::optional<Tracked> tracked;  // nothing: direct

    static EditMode direct() { return {}; }
    static EditMode trackedBy(std::string author, std::chrono::system_clock::time_point date) {
        return EditMode{Tracked{std::move(author), date}};
    }
    bool isTracked() const { return tracked.has_value(); }
    bool operator==(const EditMode&) const = default;
};

// A position in a story: a paragraph and a display offset inside it.
struct ParagraphPos {
    ParagraphID paragraph;
    size_t offset = 0;
    bool operator==(const ParagraphPos&) const = default;
};

namespace TextEdit {

// "prefix:local", or the local name alone for an element without a prefix.
std::string qualified(std::string_view prefix, std::string_view local);
// The attributes of a new w:ins, w:del or property change under the given prefix.
Markup::Attributes revisionAttributes(DocxDocument& document, std::string_view prefix,
                                      const EditMode::Tracked& tracked);

// Inserts text at a paragraph offset, joining the run on either side of it when one is not
// deleted; otherwise in a new run with the paragraph mark's run properties.
void insertDirect(DocxDocument& document, Paragraph& paragraph, std::u16string_view text, size_t at);
// Replaces the non-empty range [from, to) outright. The new text goes in right after the
// range's last character that stands in a run outside tracked deletions, so it takes
// that run's formatting and every container around it (hyperlink, revision, the side of a
// comment range or bookmark); then the range around it is removed. A range without such a
// character is removed first and the text typed where it stood.
void replaceDirect(DocxDocument& document, Paragraph& paragraph, size_t from, size_t to,
                   std::u16string_view text);
// Inserts text as a tracked insertion, extending the author's own insertion when the
// offset touches one.
void insertTracked(DocxDocument& document, Paragraph& paragraph, std::u16string_view text, size_t at,
                   const EditMode::Tracked& tracked);
// Marks [from, to) as deleted; the author's own tracked insertions are removed outright.
void deleteTracked(DocxDocument& document, Paragraph& paragraph, size_t from, size_t to,
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
