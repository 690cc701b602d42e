// A story as the page layout sets it: the styled text of its blocks in a QTextDocument (one
// Qt block per paragraph, table cells' paragraphs included, in document order) and, beside
// it, the flow that says how those blocks stand on the page: paragraphs with their spacing
// after collapse, keep rules and page starts, and tables as grids of cells holding flows of
// their own. Page breaks become page starts, list labels become text followed by a tab in
// the paragraph's hanging indent, and the spacing between paragraphs follows the
// document's rules (contextual spacing; the larger of after and before, or their sum).
#pragma once

#include <QColor>
#include <QMarginsF>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/pages/Floats.h"
#include "Tovin/pages/Pagination.h"
#include "Tovin/pages/PaperText.h"
#include "Tovin/text/AttributedBuilder.h"

namespace tovin {

struct FlowTable;

struct FlowParagraph {
    int block = 0;  // its Qt block number
    qreal spaceBefore = 0;
    qreal spaceAfter = 0;
    std::optional<KeepRules> rules;  // body paragraphs, not table cells
    bool startsPage = false;
    std::vector<int> pageStarts;  // positions in the block after which a new page begins
    std::vector<int> columnStarts;  // positions in the block after which a new column begins
    qreal lift = 0;               // space before removed by collapsing it into the space above
};

using FlowItem = std::variant<FlowParagraph, std::shared_ptr<FlowTable>>;

struct FlowCell {
    int row = 0;
    int rowSpan = 1;
    qreal x = 0;  // from the table's left edge
    qreal width = 0;
    std::vector<FlowItem> items;
    // Its borders and fill as the table style and the cell resolve them, and the space
    // between its edges and its text, display points.
    rovuvuz::CellBorders borders;
    std::optional<QColor> fill;
    QMarginsF padding{6.75, 0, 6.75, 0};
};

// A row's stated height (w:trHeight), display points.
struct FlowRowHeight {
    qreal height = 0;
    bool exact = false;  // else at least
};

struct FlowTable {
    int rows = 0;
    std::vector<FlowCell> cells;  // by starting row, then grid column
    std::vector<FlowRowHeight> heights;  // by row, when any row states one
    bool startsPage = false;
};

// A custom tab stop that fills the space before it: its position as Qt measures it (from
// where the first line starts) and its leader.
struct TabLeader {
    qreal position = 0;
    rovuvuz::TabStop::Leader leader = rovuvuz::TabStop::Leader::none;
};

// How a story is set: the page numbers its fields show (none: their cached results), the
// space between default tab stops, and the spacing rule.
struct PageTextOptions {
    bool sumsSpacing = false;
    qreal defaultTab = 45;  // display points
    const PageNumbers* numbers = nullptr;
    // The number each note reference shows, by note id: notes count from 1 in the order
    // the body first refers to them, whatever their ids.
    const NoteOrder* noteNumbers = nullptr;
};

struct PageText {
    std::unique_ptr<QTextDocument> document;
    std::vector<FlowItem> items;
    qreal defaultTab = 45;
    // By Qt block: its custom tab stops in order, when one of them has a leader.
    std::unordered_map<int, std::vector<TabLeader>> leaders;
    // The Qt blocks with a double or thick underline, which Qt does not draw alone.
    std::unordered_set<int> underlined;
    // The floating pictures and text boxes, in the order of their anchors.
    std::vector<Floater> floats;

    // Assembles a story's blocks. `builder` sets the column width and the story.
    static PageText assemble(const std::vector<rovuvuz::BlockSnapshot>& blocks,
                             const AttributedBuilder& builder, const PageTextOptions& options);
    // The same text in up to `pieces` pieces of about equal size, one after another, each
    // in a QTextDocument of its own (so that each can be laid out on a thread of its own:
    // Qt's text classes are reentrant, not thread-safe). Pieces start at top-level
    // paragraphs, and a text with floats stays whole. Each piece is added to `out` and
    // passed to `written` as soon as it is complete, the next then being written while
    // `written`'s work goes on. Blocks, leaders and underlines are numbered within a piece;
    // the first piece holds the floats.
    static void assembleInPieces(const std::vector<rovuvuz::BlockSnapshot>& blocks, const AttributedBuilder& builder,
                                 const PageTextOptions& options, size_t pieces,
                                 std::vector<std::unique_ptr<PageText>>& out,
                                 const std::function<void(const PageText&)>& written);

    // Borders and padding of table cells, display points.
    static constexpr qreal cellBorder = 0.75;
    static constexpr qreal cellPadding = 6.75;
    // Tables nested deeper than this show their cells' text in the nearest table.
    static constexpr int deepestTable = 8;
};

}  // namespace tovin
