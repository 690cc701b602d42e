// Line heights as the documents' own word processors set them. A line is as tall as the
// largest ascent plus the largest descent of its fonts, each rounded to whole twentieths of
// a point of the document-size font; multiple line spacing scales that sum, which is then
// cut down to whole twentieths. A font's ascent and descent are those of its horizontal
// header (hhea: ascender, descender, and the line gap, which goes above the text): they
// give the line pitch LibreOffice sets the metric-compatible stand-ins (Carlito, Caladea,
// Liberation) with and the one Word gives the fonts they stand in for, where the OS/2
// table's usWinAscent and usWinDescent can be far larger (Caladea's make 12-point lines
// 15.6 points tall instead of 13.8). Fonts are shown `scale` times their document size,
// and so are the heights this gives.
#pragma once

#include <QFont>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

#include "Tovin/text/DisplayUnits.h"

class QByteArray;

namespace tovin {

class WordLineHeights {
  public:
    // A font's ascent and descent as fractions of its size.
    struct Ratios {
        double ascent = 0;
        double descent = 0;
    };
    // One line: its height and the distance of its baseline above its bottom, in display
    // points.
    struct Line {
        qreal height = 0;
        qreal descent = 0;
    };

    explicit WordLineHeights(qreal scale = displayScale) : scale_(scale) {}

    // The line for fonts shown at their display sizes, at a line-height multiple (1 when
    // not positive); none when the fonts have no height.
    std::optional<Line> line(const std::vector<QFont>& fonts, double multiple);
    // The same for known ratios, each with its font's display size.
    std::optional<Line> line(const std::vector<std::pair<Ratios, qreal>>& fonts, double multiple) const;

    // The ratios of a font: its hhea table's, else its OS/2 table's, else its ascender and
    // descender. Cached by the font's family, weight and style.
    Ratios ratios(const QFont& font);
    // ascender + lineGap and −descender over the units per em, from an hhea table of at least
    // 10 bytes and a non-zero units per em whose ascender and descender span a positive
    // height.
    static std::optional<Ratios> fromHhea(const QByteArray& table, int unitsPerEm);
    // usWinAscent and usWinDescent over the units per em, from an OS/2 table of at least
    // 78 bytes and a non-zero units per em.
    static std::optional<Ratios> fromOS2(const QByteArray& table, int unitsPerEm);

  private:
    qreal scale_;
    QHash<QString, Ratios> metrics_;
};

}  // namespace tovin
