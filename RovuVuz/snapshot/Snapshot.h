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
#include "RovuVuz/format/FieldCode.h"
#include "RovuVuz/format/TabStops.h"
#include "RovuVuz/format/TableFormat.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/DrawingShapes.h"

namespace rovuvuz {

// A w:sym (opaque span named "sym") carries its character in `preview` and its font in the
// span's format.
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

// A field of a paragraph (ECMA-376 §17.16.18, §17.16.19). Display offsets stay those of
// the text: a complex field's code counts nothing and its cached result is ordinary text
// at `result`; a w:fldSimple is one object character (an opaque span named "fldSimple")
// whose range is `result`. The layout replaces a PAGE-like field's result with the number
// it evaluates and draws every other field's result as it stands.
struct FieldSnapshot {
    FieldInstruction instruction;
    TextRange result;        // the cached result's display range (empty when it has none)
    std::string resultText;  // the cached result as UTF-8
    RunFormat format;        // the result's format: its first run's, else the field's own
    bool simple = false;     // a w:fldSimple rather than w:fldChar begin … end
    bool operator==(const FieldSnapshot&) const = default;
};

struct BlockSnapshot;

// A drawing (DrawingML w:drawing, VML w:pict) that floats or holds a text box; inline
// pictures without text are only image spans. Lengths in points.
struct DrawingSnapshot {
    // wp:positionH / wp:positionV, or a VML shape's margin-left / margin-top.
    struct Position {
        std::string relativeFrom;           // "column", "page", "margin", "paragraph", "line", …
        std::optional<double> offset;       // wp:posOffset
        std::optional<std::string> align;   // wp:align: "left", "center", "right", "top", …
        bool operator==(const Position&) const = default;
    };
    // Tight and through wrapping are treated as square.
    enum class Wrap : uint8_t { inlineWithText, square, topAndBottom, inFront, behind };

    size_t offset = 0;  // its object character in the paragraph's text
    bool floating = false;
    double width = 0;
    double height = 0;
    Position horizontal;
    Position vertical;
    Wrap wrap = Wrap::inlineWithText;
    std::optional<RelationshipID> image;  // a picture's media part
    std::vector<BlockSnapshot> blocks;    // the text box's text (w:txbxContent)
    // A shape's outline and fill (nothing for pictures and graphic frames), where its text
    // stands in it, and what a SmartArt graphic or chart shows.
    std::optional<ShapeLook> look;
    TextFrame textFrame;
    DrawingGraphic graphic;
    bool operator==(const DrawingSnapshot&) const;
};

struct ParagraphSnapshot {
    ParagraphID id;
    std::u16string text;
    std::vector<Span> spans;  // in text order, covering every non-empty piece of text
    ParagraphFormat format;   // list indentation applied
    std::optional<std::string> listLabel;
    RunFormat markFormat;
    std::optional<RevisionInfo> markRevision;
    std::optional<RevisionInfo> formatRevision;  // the paragraph's w:pPrChange
    std::vector<CommentMark> commentMarks;
    std::vector<FieldSnapshot> fields;      // in the order they end
    // The custom tab stops in position order; filled only when the text has a tab or the
    // paragraph has a list label (a label is followed by a tab).
    std::vector<TabStop> tabs;
    std::vector<DrawingSnapshot> drawings;  // in text order
    std::vector<size_t> columnBreaks;       // the line breaks that are column breaks, by offset

    ParagraphSnapshot withListLabel(std::optional<std::string> label) const;
    bool operator==(const ParagraphSnapshot&) const = default;
};

enum class VMerge : uint8_t { restart, continues };

// The four sides a cell draws, resolved from the table's borders (outer sides at the
// table's edge, inside ones between cells), the table style and its conditional formats,
// and the cell's own w:tcBorders; a side without a line has style none.
struct CellBorders {
    BorderLine top, left, bottom, right;
    bool operator==(const CellBorders&) const = default;
};

// A cell's effective look.
struct CellFormat {
    CellBorders borders;
    std::optional<Shading> shading;  // nothing: no fill
    // Resolved cell margins: Word's defaults (5.4 pt left and right) where nothing states one.
    double marginTop = 0, marginLeft = 5.4, marginBottom = 0, marginRight = 5.4;
    CellAlign verticalAlign = CellAlign::top;
    std::optional<double> width;  // w:tcW of type dxa
    TableConditions conditions = 0;  // the table style's conditional formats that apply
    bool operator==(const CellFormat&) const = default;
};

struct CellSnapshot {
    BlockID id;
    int64_t gridSpan = 1;
    std::optional<VMerge> vMerge;
    std::vector<BlockSnapshot> blocks;
    int64_t gridColumn = 0;  // the first grid column it covers (after w:gridBefore)
    CellFormat format;
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
    // The table style's w:tblPr with the table's own over it: style, borders, default cell
    // margins, look, band sizes, width, indent, alignment.
    TableProperties properties;
    std::vector<RowProperties> rowProperties;  // one per row: grid before and after, height
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
    return id == other.id && gridSpan == other.gridSpan && vMerge == other.vMerge && blocks == other.blocks &&
           gridColumn == other.gridColumn && format == other.format;
}

inline bool DrawingSnapshot::operator==(const DrawingSnapshot& other) const {
    return offset == other.offset && floating == other.floating && width == other.width && height == other.height &&
           horizontal == other.horizontal && vertical == other.vertical && wrap == other.wrap &&
           image == other.image && blocks == other.blocks && look == other.look &&
           textFrame == other.textFrame && graphic == other.graphic;
}

inline ParagraphSnapshot ParagraphSnapshot::withListLabel(std::optional<std::string> label) const {
    ParagraphSnapshot copy = *this;
    copy.listLabel = std::move(label);
    return copy;
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
