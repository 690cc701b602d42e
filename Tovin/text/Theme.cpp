#include "Tovin/text/Theme.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include "Tovin/text/DisplayUnits.h"

namespace tovin {

QColor ThemeColor::resolve(const QPalette& palette) const {
    return Theme::isDark(palette) ? dark : light;
}

QColor ThemeColor::resolve() const {
    return resolve(QGuiApplication::palette());
}

namespace Theme {

namespace {
QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}
}  // namespace

const ThemeColor cobalt{QColor(31, 78, 216), QColor(91, 131, 240)};
const ThemeColor brick{QColor(154, 59, 46), QColor(224, 138, 122)};
const ThemeColor paper{QColor(Qt::white), QColor(30, 30, 30)};
const ThemeColor hairline{withAlpha(Qt::black, 0.12), withAlpha(Qt::white, 0.14)};
const ThemeColor selection{withAlpha(QColor(31, 78, 216), 0.18), withAlpha(QColor(91, 131, 240), 0.32)};

bool isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor labelColor(Label level, const QPalette& palette) {
    const QColor text = palette.color(QPalette::Text);
    switch (level) {
        case Label::primary:
            return text;
        case Label::secondary:
            return withAlpha(text, 0.55);
        case Label::tertiary:
            return withAlpha(text, 0.3);
        case Label::quaternary:
            return withAlpha(text, 0.12);
    }
    return text;
}

QFont systemFont(qreal pixels, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    setDisplaySize(font, pixels);
    font.setWeight(weight);
    return font;
}

QFont monoFont(qreal pixels) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setDisplaySize(font, pixels);
    font.setWeight(QFont::Medium);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixels * 0.06);
    return font;
}

}  // namespace Theme
}  // namespace tovin
