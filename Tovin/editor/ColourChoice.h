// "More Colours…" of the font colour and highlight controls (Format > Font… and the format
// bar): Qt's colour dialog, and what a chosen colour becomes in the file.
//
// A text colour is written as it was chosen (w:color w:val="RRGGBB"). A highlight stays one
// of the sixteen colours ST_HighlightColor names (ECMA-376 §17.18.40): the chosen colour
// becomes the nearest of them. Word's highlighter offers only those; a highlight written so
// is one that Word's highlight tools find and remove, where shading (w:shd) would look the
// same but stay behind when the user takes the highlight away.
#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace tovin::ColourChoice {

// The menu item's title.
QString moreTitle();

// The colour a w:color value (RRGGBB) or a highlight name stands for; nothing for others.
std::optional<QColor> colourOf(const std::string& value);

// Asks for a colour, starting from `start` (a w:color value or a highlight name) when given;
// nothing when cancelled.
std::optional<QColor> ask(QWidget* parent, const QString& title, const std::optional<std::string>& start);

// The colour as w:color writes it: six upper-case hexadecimal digits.
std::string hex(const QColor& colour);

// Every ST_HighlightColor but "none", with a title for menus: (title, name).
const std::vector<std::pair<const char*, const char*>>& highlights();
// The highlight nearest to a colour, by a distance weighted as the eye weighs red, green
// and blue; and its title.
std::string nearestHighlight(const QColor& colour);
QString highlightTitle(const std::string& name);

}  // namespace tovin::ColourChoice
