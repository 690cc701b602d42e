// Inline operations: finding, cutting and isolating a paragraph's inline content in
// display offsets (DisplayText), and turning typed text into run items.
//
// Offsets given to an operation are relative to the owner it is given (a paragraph or a
// container); `find` alone keeps paragraph-relative offsets all the way down through its
// base. Callers check ranges against `length` first: these operations assume valid
// arguments. Whatever an operation changes it marks dirty (a paragraph also drops its
// original bytes); items and runs it makes carry no original bytes.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/model/DisplayText.h"
#include "RovuVuz/model/Nodes.h"

namespace rovuvuz {

// A paragraph or a container: anything that holds a list of inlines.
class InlineOwner {
public:
    InlineOwner(Paragraph& paragraph) : inlines_(&paragraph.inlines), paragraph_(&paragraph) {}  // NOLINT
    InlineOwner(Container& container) : inlines_(&container.inlines), container_(&container) {}  // NOLINT

    std::vector<Inline>& inlines() const { return *inlines_; }
    Paragraph* paragraph() const { return paragraph_; }
    Container* container() const { return container_; }
    // Marks the owner edited; a paragraph also drops its preserved bytes.
    void markDirty() const;
    bool operator==(const InlineOwner& other) const { return inlines_ == other.inlines_; }

private:
    std::vector<Inline>* inlines_;
    Paragraph* paragraph_ = nullptr;
    Container* container_ = nullptr;
};

namespace InlineOps {

// Where an offset falls inside a run.
struct Slot {
    Run* run = nullptr;
    size_t item = 0;                // index into run->items
    size_t offset = 0;              // inside that item's display text
    std::vector<Container*> chain;  // enclosing containers, outermost first
    std::vector<size_t> starts;     // paragraph-relative start of each container of `chain`
};

// One run lying wholly inside an isolated range.
struct Covered {
    InlineOwner owner;  // the paragraph or container whose inlines hold the run directly
    Run* run;
    std::vector<Container*> chain;  // enclosing containers, outermost first
};

// Measuring and reading display text (DisplayText), under the names edits use.
using DisplayText::displayText;
using DisplayText::isVisibleRaw;
using DisplayText::length;
using DisplayText::visibleText;

// The run item holding the character at `target`; offsets stay relative to where `base`
// is measured from. Nothing past the end, on a raw element or on a zero-length item. An
// offset on a boundary belongs to the inline that begins there.
std::optional<Slot> find(const std::vector<Inline>& inlines, size_t target, size_t base = 0,
                         const std::vector<Container*>& chain = {}, const std::vector<size_t>& starts = {});

enum class Side { after, before };
// Side::after: the character at `offset`. Side::before: the character before it, with the
// slot's offset standing just after that character.
std::optional<Slot> slot(const std::vector<Inline>& inlines, size_t offset, Side side);

// Makes `offset` an inline boundary of the owner, splitting a run or container that
// straddles it, and returns the index where the offset now begins. Never returns an index
// before the paragraph properties marker.
size_t cut(InlineOwner owner, size_t offset, EditContext& context);

// Splits a run at a run-relative offset; the run keeps the left part and a new run with
// the same tags and properties gets the right part.
std::unique_ptr<Run> split(Run& run, size_t at, IdentityMint& mint);

// Cuts a text or deleted-text kind in two, never between the halves of a surrogate pair;
// other kinds come back unchanged as both halves.
std::pair<RunItem::Kind, RunItem::Kind> cutText(const RunItem::Kind& kind, size_t at);

// The same tags with an end tag of their own, so that children can be written inside.
Tags openTags(const Tags& tags);

// Typed text as run items, by user-perceived character (see XMLChars): TAB a tab; LF,
// CR, CR LF, VT, FF and U+2028 a line break; U+FFFC, unpaired surrogates and characters
// XML cannot carry are dropped.
std::vector<RunItem> items(std::u16string_view text);

// Joins adjacent fresh text items and drops empty ones; items with original bytes are
// never merged, so untouched text keeps its source bytes.
std::vector<RunItem> mergeText(std::vector<RunItem> items);

// Inserts text into an existing item `item` (which must exist) at an offset inside it.
void insert(std::u16string_view text, Run& run, size_t item, size_t offset);

// Removes the run-relative range [from, to) from a run's items.
void deleteInRun(Run& run, size_t from, size_t to);

// Removes [from, to) outright, dropping runs and containers the deletion empties.
void deleteDirect(InlineOwner owner, size_t from, size_t to);

// Splits runs so that [from, to) consists of whole runs, and lists them in order.
std::vector<Covered> isolate(InlineOwner owner, size_t from, size_t to, const std::vector<Container*>& chain,
                             EditContext& context);

}  // namespace InlineOps

}  // namespace rovuvuz
