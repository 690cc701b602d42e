// A paragraph's custom tab stops as Qt's text layout takes them. Word measures a stop from
// the text margin; Qt from where the first line starts. Both the draft view and the pages
// set their blocks' stops here, so a tab lands in the same place in each.
#pragma once

#include <QTextBlockFormat>
#include <QTextOption>
#include <optional>
#include <vector>

#include "RovuVuz/format/TabStops.h"

namespace TabPositions {

struct Stop {
    QTextOption::Tab tab;
    rovuvuz::TabStop::Leader leader = rovuvuz::TabStop::Leader::none;
};

// The stops past where the first line starts, in order, `scale` display points per point.
// A hanging first line also stops at the left indent, as Word does: a tab after a hanging
// label or term goes there before any later custom stop. With `column` (the width the
// block's margins are set in), a right or centre stop at or past the line's end is drawn
// in a little: Qt measures the text after such a stop a pixel short at some sizes and
// would wrap it, where Word lets it end at the margin.
std::vector<Stop> of(const QTextBlockFormat& block, const std::vector<rovuvuz::TabStop>& stops, qreal scale,
                     std::optional<qreal> column = std::nullopt);

// Sets `block`'s stops from `stops`; a block with no custom stop and no hanging first line
// keeps only Qt's default stops.
void apply(QTextBlockFormat& block, const std::vector<rovuvuz::TabStop>& stops, qreal scale,
           std::optional<qreal> column = std::nullopt);

// The distance Qt gives default stops for w:defaultTabStop at display scale: the closest
// stops stand 4 apart, so that an absurd setting cannot make a line of thousands of stops.
qreal defaultDistance(qreal distance);

}  // namespace TabPositions
