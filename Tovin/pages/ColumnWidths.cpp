#include "Tovin/pages/ColumnWidths.h"

#include <algorithm>
#include <cmath>

namespace tovin::ColumnWidths {

bool unequal(const std::vector<Columns::Place>& columns) {
    const auto [low, high] = std::minmax_element(columns.begin(), columns.end(),
                                                 [](const auto& a, const auto& b) { return a.width < b.width; });
    return high->width - low->width > 0.5;
}

std::map<int, qreal> narrowest(const std::vector<LaidLine>& lines, const std::vector<Page>& pieces,
                               const std::vector<std::pair<int, int>>& sheets,
                               const std::vector<Columns::Place>& columns, qreal widest) {
    std::map<int, qreal> widths;
    const int count = static_cast<int>(lines.size());
    for (const auto& [first, pieceCount] : sheets)
        for (int n = 0; n < pieceCount; ++n) {
            const qreal width = columns[static_cast<size_t>(n) % columns.size()].width;
            if (width >= widest - 0.5) continue;
            const Page& piece = pieces[static_cast<size_t>(first + n)];
            for (int l = std::max(piece.lines.first, 0); l < std::min(piece.lines.end, count); ++l) {
                auto [at, fresh] = widths.emplace(lines[static_cast<size_t>(l)].block, width);
                if (!fresh) at->second = std::min(at->second, width);
            }
        }
    return widths;
}

bool assign(std::vector<FlowItem>& items, const std::map<int, qreal>& widths, bool widen) {
    bool changed = false;
    for (FlowItem& item : items) {
        auto* p = std::get_if<FlowParagraph>(&item);
        if (!p) continue;
        const auto found = widths.find(p->block);
        std::optional<qreal> wanted;
        if (found != widths.end()) wanted = found->second;
        const bool narrower = wanted && (!p->width || *wanted < *p->width - 0.5);
        const bool other = wanted.has_value() != p->width.has_value() ||
                           (wanted && std::abs(*wanted - *p->width) > 0.5);
        if (widen ? !other : !narrower) continue;
        p->width = wanted;
        changed = true;
    }
    return changed;
}

}  // namespace tovin::ColumnWidths
