// A section's text columns on its pages (w:cols, ECMA-376 §17.6.4): where each column
// stands across the body, and how the column-high pieces the text is cut into fill the
// pages, column by column. A column break starts the next column, a page break the next
// page; a page shows at most as many pieces as the section has columns.
#pragma once

#include <QtGlobal>
#include <set>
#include <utility>
#include <vector>

#include "RovuVuz/format/Sections.h"
#include "Tovin/pages/Pagination.h"

namespace tovin::Columns {

struct Place {
    qreal x = 0;  // from the body's left edge, display points
    qreal width = 0;
    bool operator==(const Place&) const = default;
};

// The narrowest column a section is given, display points: a section asking for more
// columns than fit gets fewer.
constexpr qreal narrowest = 36;

// The columns of a body `width` display points wide: equal ones with the section's space
// between them, or the widths and spaces each w:col states, shrunk in proportion when
// they add up to more than the body. Never empty.
std::vector<Place> of(const rovuvuz::PageSetup& setup, qreal width);

// Pages of `columns` pieces each, as (first piece, piece count): a piece whose first line
// is in `pageStarts` begins a new page, as does one after a piece whose notes wait for the
// next foot.
std::vector<std::pair<int, int>> fill(const std::vector<Page>& pieces, int columns, const std::set<int>& pageStarts);

}  // namespace tovin::Columns
