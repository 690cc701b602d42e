// The display's scale and the conversion of font sizes. The document's points are shown
// 1.25 times larger, and one display point is one device-independent pixel, so a font the
// display sizes at d is d pixels tall whatever the screen's logical DPI. Qt takes
// fractional sizes only in typographic points, scaled by the logical DPI of the screen the
// text is laid out for; these helpers do that conversion in one place.
#pragma once

#include <QFont>

namespace tovin {

// Every length the document states in points is multiplied by this for the screen.
constexpr qreal displayScale = 1.25;

// The logical DPI Qt sizes point-sized fonts with when text is laid out without a paint
// device: the primary screen's, or 96 without a screen.
qreal layoutDpi();

// Sets the font to be `pixels` device-independent pixels tall.
void setDisplaySize(QFont& font, qreal pixels);
// The size of a font in device-independent pixels.
qreal displaySize(const QFont& font);

}  // namespace tovin
