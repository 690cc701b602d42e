// Snapshots: the read-only, display-ready view of a story that the editor turns into
// styled text. Each paragraph is flattened into one UTF-16 string plus spans that carry
// the effective character format, the tracked change, the format change, the hyperlink
// target and what the span shows. Offsets are exactly the editing engine's display offsets
// (DisplayText), so an edit at offset n of the shown paragraph is offset n in the engine.
// Snapshots are values made fresh after every change and never mutated.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

struct Span {
    struct Content {
        enum class Type : uint8_t { text, pageBreak, noteRef, image, opaque };

        Type type = Type::text;
        int64_t noteID = 0;                    // noteRef: the note's w:id
        std::string noteLabel;                 // noteRef: its number by reference order; empty for a custom mark
        std::optional<RelationshipID> image;   // image: the picture's relationship
        std::optional<double> width, height;   // image: points
        std::string name, preview;             // opaque: element name and its text; noteRef: the
                                               // reference's element name (footnoteReference, …)

        static Content text() { return {}; }
        bool operator==(const Content&) const = default;
    };

    TextRange range;
    Content content;
    RunFormat format;
    std::optional<RunKey> key;              // none for spans made from preserved elements
    std::optional<RevisionInfo> revision;   // the innermost tracked insertion or deletion
    std::optional<RevisionInfo> formatRevision;  // the run's w:rPrChange
    std::optional<std::string> link;        // a relationship target, or "#" + bookmark

    bool operator==(const Span&) const = default;
};

struct CommentMark {
    CommentID id;
    size_t offset = 0;
    bool isStart = true;
    bool operator==(const CommentMark&) const = default;
};

struct ParagraphSnapshot {
    ParagraphID id;
    std::u16string text;
    std::vector<Span> spans;  // in text order, covering every non-empty piece of text
    ParagraphFormat format;   // list indentation applied
    std::optional<std::string> listLabel;
    RunFormat markFormat;
    std::optional<RevisionInfo> markRevision;
    std::vector<CommentMark> commentMarks;

    ParagraphSnapshot withListLabel(std::optional<std::string> label) const {
        ParagraphSnapshot copy = *this;
        copy.listLabel = std::move(label);
        return copy;
    }
    bool operator==(const ParagraphSnapshot&) const = default;
};

struct BlockSnapshot;

enum class VMerge : uint8_t { restart, continues };

struct CellSnapshot {
    BlockID id;
    int64_t gridSpan = 1;
    std::optional<VMerge> vMerge;
    std::vector<BlockSnapshot> blocks;
    bool operator==(const CellSnapshot&) const;
};

// A row inserted or deleted as a tracked change: w:ins or w:del in its w:trPr.
struct RowRevision {
    size_t row = 0;  // its index in the table's rows
    RevisionInfo revision;
    bool operator==(const RowRevision&) const = default;
};

struct TableSnapshot {
    BlockID id;
    std::vector<double> columns;  // grid widths in points
    std::vector<std::vector<CellSnapshot>> rows;
    std::vector<RowRevision> rowRevisions;  // in row order
    bool operator==(const TableSnapshot&) const = default;
};

// A block-level element that is shown but not edited (a content control, math, …).
struct OpaqueBlock {
    std::string name;
    std::string preview;
    bool operator==(const OpaqueBlock&) const = default;
};

struct BlockSnapshot {
    std::variant<ParagraphSnapshot, TableSnapshot, OpaqueBlock> value;
    bool operator==(const BlockSnapshot&) const = default;
};

inline bool CellSnapshot::operator==(const CellSnapshot& other) const {
    return id == other.id && gridSpan == other.gridSpan && vMerge == other.vMerge && blocks == other.blocks;
}

// A footnote, endnote or comment.
struct EntrySnapshot {
    int64_t id = -1;
    std::string label;  // a note's number (or custom mark) by the order of its reference; empty for comments
    std::optional<std::string> author;
    std::optional<std::string> date;
    std::vector<BlockSnapshot> blocks;
    bool operator==(const EntrySnapshot&) const = default;
};

struct StorySnapshot {
    StoryID id;
    PartName part;
    std::vector<BlockSnapshot> blocks;   // every story but notes and comments
    std::vector<EntrySnapshot> entries;  // notes and comments

    // Every paragraph in display order: blocks in order, into tables row by row and cell by
    // cell, then the blocks of each entry.
    std::vector<const ParagraphSnapshot*> paragraphs() const;
};

}  // namespace rovuvuz
