#include "Tovin/text/DisplayUnits.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tovin {

qreal layoutDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 0;
    return dpi > 0 ? dpi : 96;
}

void setDisplaySize(QFont& font, qreal pixels) {
    if (!(pixels > 0)) pixels = 1;
    if (pixels == std::floor(pixels) && pixels < 1e6)
        font.setPixelSize(static_cast<int>(pixels));
    else
        font.setPointSizeF(pixels * 72 / layoutDpi());
}

qreal displaySize(const QFont& font) {
    if (font.pixelSize() > 0) return font.pixelSize();
    return font.pointSizeF() * layoutDpi() / 72;
}

}  // namespace tovin
