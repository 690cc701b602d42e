#include "Tovin/pages/Columns.h"

#include <algorithm>
#include <cmath>

#include "Tovin/text/DisplayUnits.h"

namespace tovin::Columns {

namespace {

qreal sane(double points) {
    const double shown = points * displayScale;
    return std::isfinite(shown) ? std::clamp<qreal>(shown, 0, 1e6) : 0;
}

}  // namespace

std::vector<Place> of(const rovuvuz::PageSetup& setup, qreal width) {
    width = std::max<qreal>(width, narrowest);
    std::vector<qreal> widths, spaces;
    if (!setup.columnList.empty()) {
        for (const rovuvuz::Column& column : setup.columnList) {
            widths.push_back(sane(column.width));
            spaces.push_back(sane(column.space));
        }
    } else {
        const int count = std::max(setup.columns, 1);
        const qreal space = sane(setup.columnSpace);
        widths.assign(count, (width - space * (count - 1)) / count);
        spaces.assign(count, space);
    }
    // As many columns as fit at the narrowest width, their spaces included.
    size_t fit = std::clamp<size_t>(static_cast<size_t>(width / narrowest), 1, widths.size());
    widths.resize(fit);
    spaces.resize(fit);
    spaces.back() = 0;
    qreal total = 0;
    for (size_t i = 0; i < fit; ++i) total += widths[i] + spaces[i];
    if (total <= 0) return {{0, width}};
    // Too wide: every column and space shrinks in proportion. A column left narrower than
    // the narrowest (equal columns whose spaces take the body) makes the columns equal,
    // without spaces.
    if (total > width)
        for (size_t i = 0; i < fit; ++i) {
            widths[i] *= width / total;
            spaces[i] *= width / total;
        }
    if (std::any_of(widths.begin(), widths.end(), [](qreal w) { return w < narrowest; })) {
        std::fill(widths.begin(), widths.end(), width / static_cast<qreal>(fit));
        std::fill(spaces.begin(), spaces.end(), 0);
    }
    std::vector<Place> out;
    qreal x = 0;
    for (size_t i = 0; i < fit; ++i) {
        out.push_back({x, widths[i]});
        x += widths[i] + spaces[i];
    }
    return out;
}

std::vector<std::pair<int, int>> fill(const std::vector<Page>& pieces, int columns, const std::set<int>& pageStarts) {
    columns = std::max(columns, 1);
    std::vector<std::pair<int, int>> pages;
    // Each piece's notes were given the foot of a whole page: a piece whose notes run on to
    // the next piece ends its page, and one whose foot begins with a note run on from the piece
    // before begins one, so that no page holds two feet filled to the bottom.
    auto continues = [&](size_t i) { return !pieces[i].notes.empty() && pieces[i].notes.front().from > 0; };
    for (size_t i = 0; i < pieces.size(); ++i) {
        const bool full = !pages.empty() && pages.back().second >= columns;
        const bool breaks = i > 0 && !pieces[i].lines.isEmpty() && pageStarts.count(pieces[i].lines.first);
        const bool notes = i > 0 && (pieces[i - 1].notesWait || continues(i));
        if (pages.empty() || full || breaks || notes)
            pages.emplace_back(static_cast<int>(i), 1);
        else
            ++pages.back().second;
    }
    if (pages.empty()) pages.emplace_back(0, static_cast<int>(pieces.size()));
    return pages;
}

}  // namespace tovin::Columns
