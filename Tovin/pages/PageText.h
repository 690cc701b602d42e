// A story as the page layout sets it: the styled text of its blocks in a QTextDocument (one
// Qt block per paragraph, table cells' paragraphs included, in document order) and, beside
// it, the flow that says how those blocks stand on the page: paragraphs with their spacing
// after collapse, keep rules and page starts, and tables as grids of cells holding flows of
// their own. Page breaks become page starts, list labels become text followed by a tab in
// the paragraph's hanging indent, and the spacing between paragraphs follows the
// document's rules (contextual spacing; the larger of after and before, or their sum).
#pragma once

#include <QTextDocument>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/pages/Pagination.h"
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
    qreal lift = 0;               // space before removed by collapsing it into the space above
};

using FlowItem = std::variant<FlowParagraph, std::shared_ptr<FlowTable>>;

struct FlowCell {
    int row = 0;
    int rowSpan = 1;
    qreal x = 0;  // from the table's left edge
    qreal width = 0;
    std::vector<FlowItem> items;
};

struct FlowTable {
    int rows = 0;
    std::vector<FlowCell> cells;  // by starting row, then grid column
    bool startsPage = false;
};

struct PageText {
    std::unique_ptr<QTextDocument> document;
    std::vector<FlowItem> items;

    // Assembles a story's blocks. `builder` sets the column width and the story.
    static PageText assemble(const std::vector<rovuvuz::BlockSnapshot>& blocks,
                             const AttributedBuilder& builder, bool sumsSpacing);

    // Borders and padding of table cells, display points.
    static constexpr qreal cellBorder = 0.75;
    static constexpr qreal cellPadding = 6.75;
    // Tables nested deeper than this show their cells' text in the nearest table.
    static constexpr int deepestTable = 8;
};

}  // namespace tovin
