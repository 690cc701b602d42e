#include "Tovin/pages/WordLineHeights.h"

#include <QByteArray>
#include <QFontMetricsF>
#include <QRawFont>
#include <algorithm>
#include <cmath>

namespace tovin {

namespace {

// Byte offsets of the fields in the OS/2 table (OpenType, "OS/2 — OS/2 and Windows
// Metrics Table"); both are unsigned 16-bit, big-endian.
constexpr int winAscentOffset = 74;
constexpr int winDescentOffset = 76;
constexpr int shortestTable = 78;
// Byte offsets in the hhea table (OpenType, "hhea — Horizontal Header Table"); signed
// 16-bit, big-endian, in font units.
constexpr int ascenderOffset = 4;
constexpr int descenderOffset = 6;
constexpr int lineGapOffset = 8;
constexpr int shortestHhea = 10;

int readU16(const QByteArray& bytes, int offset) {
    return (static_cast<uint8_t>(bytes[offset]) << 8) | static_cast<uint8_t>(bytes[offset + 1]);
}

int readS16(const QByteArray& bytes, int offset) {
    return static_cast<int16_t>(static_cast<uint16_t>(readU16(bytes, offset)));
}

// Halves round away from zero, as std::round does.
long twentieths(double ratio, qreal documentSize) {
    const double value = ratio * documentSize * 20;
    return std::isfinite(value) ? std::lround(std::clamp(value, -1e9, 1e9)) : 0;
}

QString cacheKey(const QFont& font) {
    return font.family() + QLatin1Char('/') + QString::number(font.weight()) + (font.italic() ? "/i" : "");
}

}  // namespace

std::optional<WordLineHeights::Ratios> WordLineHeights::fromOS2(const QByteArray& table, int unitsPerEm) {
    if (table.size() < shortestTable || unitsPerEm <= 0) return std::nullopt;
    return Ratios{readU16(table, winAscentOffset) / double(unitsPerEm),
                  readU16(table, winDescentOffset) / double(unitsPerEm)};
}

std::optional<WordLineHeights::Ratios> WordLineHeights::fromHhea(const QByteArray& table, int unitsPerEm) {
    if (table.size() < shortestHhea || unitsPerEm <= 0) return std::nullopt;
    // A negative line gap is read as none; so is a descender above the baseline.
    const int ascent = readS16(table, ascenderOffset) + std::max(0, readS16(table, lineGapOffset));
    const int descent = std::max(0, -readS16(table, descenderOffset));
    if (ascent + descent <= 0) return std::nullopt;
    return Ratios{ascent / double(unitsPerEm), descent / double(unitsPerEm)};
}

WordLineHeights::Ratios WordLineHeights::ratios(const QFont& font) {
    const QString key = cacheKey(font);
    const auto cached = metrics_.constFind(key);
    if (cached != metrics_.constEnd()) return *cached;

    Ratios found;
    const QRawFont raw = QRawFont::fromFont(font);
    std::optional<Ratios> table;
    if (raw.isValid()) {
        const int unitsPerEm = qRound(raw.unitsPerEm());
        table = fromHhea(raw.fontTable("hhea"), unitsPerEm);
        if (!table) table = fromOS2(raw.fontTable("OS/2"), unitsPerEm);
    }
    if (table) {
        found = *table;
    } else {
        const QFontMetricsF metrics(font);
        const qreal size = displaySize(font);
        if (size > 0) found = {metrics.ascent() / size, metrics.descent() / size};
    }
    metrics_.insert(key, found);
    return found;
}

std::optional<WordLineHeights::Line> WordLineHeights::line(const std::vector<QFont>& fonts, double multiple) {
    std::vector<std::pair<Ratios, qreal>> known;
    known.reserve(fonts.size());
    for (const QFont& font : fonts) known.emplace_back(ratios(font), displaySize(font));
    return line(known, multiple);
}

std::optional<WordLineHeights::Line> WordLineHeights::line(const std::vector<std::pair<Ratios, qreal>>& fonts,
                                                           double multiple) const {
    long ascent = 0;
    long descent = 0;
    for (const auto& [ratios, shown] : fonts) {
        const qreal documentSize = shown / scale_;
        ascent = std::max(ascent, twentieths(ratios.ascent, documentSize));
        descent = std::max(descent, twentieths(ratios.descent, documentSize));
    }
    if (ascent + descent <= 0) return std::nullopt;
    const double m = multiple > 0 && std::isfinite(multiple) ? multiple : 1;
    const double height = std::floor(m * double(ascent + descent)) / 20 * scale_;
    return Line{height, descent / 20.0 * scale_};
}

}  // namespace tovin
