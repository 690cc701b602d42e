// Text in columns of different widths (w:cols w:equalWidth="0"): each paragraph is set at
// the width of the column it stands in. Where a paragraph stands is known only once the text
// is cut into pages, which its widths decide, so the layout is repeated: each round sets
// every paragraph at the narrowest column its lines fell in (a paragraph running from a wider
// column into a narrower one is set at the narrower width throughout) until the widths hold.
// Each round settles at least the text up to the first paragraph that moved, so a long text
// may not settle within the rounds allowed; the last rounds then only narrow, so that no
// line reaches past its column.
#pragma once

#include <QtGlobal>
#include <map>
#include <utility>
#include <vector>

#include "Tovin/pages/Columns.h"
#include "Tovin/pages/FlowLayout.h"

namespace tovin::ColumnWidths {

// How many times the layout is repeated at most: rounds that set each paragraph at the width
// of its column, then rounds that only narrow.
constexpr int rounds = 6;
constexpr int narrowingRounds = 3;

// Whether the columns differ in width.
bool unequal(const std::vector<Columns::Place>& columns);

// By Qt block of the top-level paragraphs of `lines`: the narrowest column holding one of its
// lines, when narrower than `widest`. `pieces` are filled into pages as `sheets` (first
// piece, count): a page's n-th piece stands in column n.
std::map<int, qreal> narrowest(const std::vector<LaidLine>& lines, const std::vector<Page>& pieces,
                               const std::vector<std::pair<int, int>>& sheets,
                               const std::vector<Columns::Place>& columns, qreal widest);

// Sets the paragraphs of `items` at `widths`, those not named there at the text's width; only
// where narrower than they are set unless `widen`. Whether any changed.
bool assign(std::vector<FlowItem>& items, const std::map<int, qreal>& widths, bool widen);

}  // namespace tovin::ColumnWidths
