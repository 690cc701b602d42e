// The editor's colours, each with a light and a dark variant chosen from the palette, and
// the small monospaced caption style of chips and markers.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

namespace tovin {

struct ThemeColor {
    QColor light;
    QColor dark;
    // The variant for a palette: dark when the window colour's lightness is below 128.
    QColor resolve(const QPalette& palette) const;
    // The variant for the application's palette now.
    QColor resolve() const;
};

namespace Theme {

extern const ThemeColor cobalt;     // inserted text and its underline
extern const ThemeColor brick;      // deleted text and its strike line
extern const ThemeColor paper;      // page background
extern const ThemeColor hairline;   // rules and chip outlines
extern const ThemeColor selection;  // selection highlight

bool isDark(const QPalette& palette);

// The palette's text colour at the emphasis of the platform's label colours: primary,
// secondary (captions), tertiary (hints) and quaternary (fills).
enum class Label { primary, secondary, tertiary, quaternary };
QColor labelColor(Label level, const QPalette& palette);

// The system's proportional font and its monospaced font, `pixels` tall.
QFont systemFont(qreal pixels, QFont::Weight weight = QFont::Normal);
// Monospaced at medium weight with letter spacing of 0.06 of its size: chip captions.
QFont monoFont(qreal pixels);

}  // namespace Theme
}  // namespace tovin
