// What footnote and endnote references show, and what their notes are labelled with:
// numbers counted in the order of the references in the body (ECMA-376 §17.11), never the
// notes' w:id, in the format and from the start value the settings give (w:footnotePr,
// w:endnotePr: decimal from 1 for footnotes and lower-case Roman from 1 for endnotes when
// they say nothing). A reference that brings its own mark (w:customMarkFollows, §17.11.14)
// takes no number and shows nothing itself; its note is labelled with the mark, the text
// that follows the reference in its run.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

struct NoteNumbering {
    std::string format = "decimal";  // a w:numFmt value
    int64_t start = 1;

    // The numbering of footnotes or endnotes in a settings part; the defaults when it is
    // missing, says nothing or does not parse. Never throws.
    static NoteNumbering read(std::optional<ByteView> settings, bool endnotes);
    bool operator==(const NoteNumbering&) const = default;
};

class NoteLabels {
  public:
    // No labels at all.
    NoteLabels() = default;
    // Counts the references of a story's blocks (the body) in document order.
    NoteLabels(const Group& body, const NoteNumbering& footnotes, const NoteNumbering& endnotes);

    // What a reference item shows: its note's number, empty for a custom mark; nothing when
    // the item is no note reference or its note was not counted.
    std::optional<std::string> reference(const RunItem& item) const;
    // A note's label by its w:id: its number or its custom mark; nothing when no reference
    // of the body names it.
    std::optional<std::string> note(bool endnote, int64_t id) const;

    // Whether a reference item carries w:customMarkFollows switched on.
    static bool hasCustomMark(const RunItem& item);

  private:
    struct Kind {
        std::map<int64_t, std::string> labels;  // by w:id, from the first reference to it
        int64_t counted = 0;
    };
    const Kind& of(bool endnote) const { return endnote ? endnotes_ : footnotes_; }

    Kind footnotes_, endnotes_;
};

}  // namespace rovuvuz
