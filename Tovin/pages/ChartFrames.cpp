// A chart drawn from its cached values: a white chart area, the title above, the legend at
// the right, and the plot: columns or bars side by side per category, lines or areas
// through the values, or the first series as a pie. The value axis is labelled with round
// steps (1, 2 or 5 times a power of ten), as many as the plot's height leaves room for.
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "Tovin/pages/GraphicFrames.h"
#include "Tovin/text/AttributedBuilder.h"
#include "Tovin/text/DisplayUnits.h"

namespace tovin::GraphicFrames {

namespace {

using rovuvuz::ChartData;

constexpr qreal labelSize = 9;   // axis labels and legend, document points
constexpr qreal titleSize = 14;
constexpr qreal padding = 6 * displayScale;
// The most categories and value steps drawn: past them the plot would be a smear.
constexpr size_t mostCategories = 400;
constexpr int mostSteps = 12;

QFont font(qreal points, bool bold = false) {
    QFont out;
    setDisplaySize(out, points * displayScale);
    out.setBold(bold);
    return out;
}

QColor seriesColor(const ChartData& chart, size_t index) {
    const auto& own = index < chart.series.size() ? chart.series[index].color : std::nullopt;
    if (own)
        if (const auto color = AttributedBuilder::wordColor(*own)) return *color;
    if (!chart.accents.empty())
        if (const auto color = AttributedBuilder::wordColor(chart.accents[index % chart.accents.size()])) return *color;
    return QColor(0x4F, 0x81, 0xBD);
}

struct Range {
    double low = 0, high = 1, step = 1;
};

// A value range from zero (or below it) with round steps, at most `steps` of them.
Range valueRange(const ChartData& chart, int steps) {
    double low = 0, high = 0;
    for (const auto& series : chart.series)
        for (const auto& value : series.values)
            if (value) low = std::min(low, *value), high = std::max(high, *value);
    if (high - low <= 0) high = low + 1;
    steps = std::clamp(steps, 1, mostSteps);
    const double raw = (high - low) / steps;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = magnitude * 10;
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (raw <= factor * magnitude) {
            step = factor * magnitude;
            break;
        }
    return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

QString number(double value) {
    return QString::number(std::abs(value) < 1e-12 ? 0 : value, 'g', 6);
}

// The legend's names: the series', or for a pie the categories'.
std::vector<QString> legendNames(const ChartData& chart) {
    std::vector<QString> names;
    if (chart.kind == ChartData::Kind::pie) {
        for (size_t i = 0; i < chart.categories.size() && i < mostCategories; ++i)
            names.push_back(QString::fromStdString(chart.categories[i]));
    } else {
        for (const auto& series : chart.series) names.push_back(QString::fromStdString(series.name));
    }
    return names;
}

// Draws the legend at the right of `area` and gives what is left of it.
QRectF drawLegend(QPainter& painter, const ChartData& chart, const QRectF& area) {
    const std::vector<QString> names = legendNames(chart);
    if (names.empty()) return area;
    const QFont legendFont = font(labelSize);
    const QFontMetricsF metrics(legendFont);
    const qreal key = metrics.height() * 0.6;
    qreal widest = 0;
    for (const QString& name : names) widest = std::max(widest, metrics.horizontalAdvance(name));
    const qreal width = std::min(widest + key + 4, area.width() / 3);
    qreal y = area.center().y() - names.size() * metrics.height() / 2;
    y = std::max(y, area.top());
    for (size_t i = 0; i < names.size() && y + metrics.height() <= area.bottom() + 0.5; ++i) {
        const qreal x = area.right() - width;
        painter.fillRect(QRectF(x, y + (metrics.height() - key) / 2, key, key), seriesColor(chart, i));
        painter.setPen(Qt::black);
        drawText(painter, QRectF(x + key + 4, y, width - key - 4, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                 metrics.elidedText(names[i], Qt::ElideRight, width - key - 4), legendFont, false);
        y += metrics.height();
    }
    return area.adjusted(0, 0, -(width + padding), 0);
}

void drawPie(QPainter& painter, const ChartData& chart, const QRectF& area) {
    if (chart.series.empty()) return;
    double total = 0;
    for (const auto& value : chart.series.front().values)
        if (value && *value > 0) total += *value;
    if (total <= 0) return;
    const qreal side = std::min(area.width(), area.height());
    const QRectF circle(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
    qreal angle = 90;
    const auto& values = chart.series.front().values;
    for (size_t i = 0; i < values.size() && i < mostCategories; ++i) {
        if (!values[i] || *values[i] <= 0) continue;
        const qreal sweep = -360 * *values[i] / total;
        QPainterPath slice(circle.center());
        slice.arcTo(circle, angle, sweep);
        slice.closeSubpath();
        painter.fillPath(slice, seriesColor(chart, i));
        angle += sweep;
    }
}

// Columns, bars, lines or areas against a value axis, with category labels along the other.
void drawPlot(QPainter& painter, const ChartData& chart, QRectF area) {
    const QFont labelFont = font(labelSize);
    const QFontMetricsF metrics(labelFont);
    const bool across = chart.kind == ChartData::Kind::bar;  // values run left to right
    const qreal valueLength = across ? area.width() : area.height() - metrics.height();
    const Range range = valueRange(chart, static_cast<int>(valueLength / (metrics.height() * (across ? 4 : 2.5))));
    const int steps = static_cast<int>(std::lround((range.high - range.low) / range.step));
    qreal labelWidth = 0;
    for (int i = 0; i <= steps; ++i)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(number(range.low + i * range.step)));
    size_t categories = chart.categories.size();
    for (const auto& series : chart.series) categories = std::max(categories, series.values.size());
    categories = std::clamp<size_t>(categories, 1, mostCategories);
    qreal categoryWidth = 0;
    for (size_t i = 0; i < chart.categories.size() && i < categories; ++i)
        categoryWidth = std::max(categoryWidth, metrics.horizontalAdvance(QString::fromStdString(chart.categories[i])));

    // Category names under columns wrap in their band, up to three lines, in a smaller size
    // when their longest word is wider than the band.
    const qreal plotLeft = area.left() + (across ? std::min(categoryWidth, area.width() / 3) : labelWidth) + 4;
    const qreal bandWidth = (area.right() - plotLeft) / categories;
    qreal widestWord = 0;
    for (size_t i = 0; i < chart.categories.size() && i < categories; ++i)
        for (const QString& word : QString::fromStdString(chart.categories[i]).split(QLatin1Char(' ')))
            widestWord = std::max(widestWord, metrics.horizontalAdvance(word));
    const QFont categoryFont =
        across || widestWord <= bandWidth ? labelFont
                                          : font(labelSize * std::max<qreal>(0.6, (bandWidth - 2) / widestWord));
    qreal below = metrics.height();
    if (!across)
        for (size_t i = 0; i < chart.categories.size() && i < categories; ++i)
            below = std::max(below, std::min(textHeight(QString::fromStdString(chart.categories[i]), categoryFont,
                                                        bandWidth, true),
                                             3 * metrics.height()));
    // Half a line above the plot, for the top value's label.
    const QRectF plot(QPointF(plotLeft, area.top() + (across ? 0 : metrics.height() / 2)),
                      QPointF(area.right(), area.bottom() - below - 2));
    if (!plot.isValid()) return;
    // Where a value stands along the value axis.
    auto at = [&](double value) {
        const double share = (value - range.low) / (range.high - range.low);
        return across ? plot.left() + share * plot.width() : plot.bottom() - share * plot.height();
    };
    for (int i = 0; i <= steps; ++i) {
        const double value = range.low + i * range.step;
        const qreal p = at(value);
        painter.setPen(QPen(QColor(0xD9, 0xD9, 0xD9), 0.75));
        if (across)
            painter.drawLine(QPointF(p, plot.top()), QPointF(p, plot.bottom()));
        else
            painter.drawLine(QPointF(plot.left(), p), QPointF(plot.right(), p));
        painter.setPen(Qt::black);
        if (across)
            drawText(painter, QRectF(p - labelWidth, plot.bottom() + 2, 2 * labelWidth, metrics.height()),
                     Qt::AlignHCenter | Qt::AlignTop, number(value), labelFont, false);
        else
            drawText(painter, QRectF(area.left(), p - metrics.height() / 2, labelWidth, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, number(value), labelFont, false);
    }
    const qreal band = (across ? plot.height() : plot.width()) / categories;
    for (size_t c = 0; c < chart.categories.size() && c < categories; ++c) {
        const QString name = QString::fromStdString(chart.categories[c]);
        painter.setPen(Qt::black);
        if (across)
            drawText(painter, QRectF(area.left(), plot.top() + c * band, plot.left() - area.left() - 4, band),
                     Qt::AlignRight | Qt::AlignVCenter,
                     metrics.elidedText(name, Qt::ElideRight, plot.left() - area.left() - 4), labelFont, false);
        else
            drawText(painter, QRectF(plot.left() + c * band, plot.bottom() + 2, band, below), Qt::AlignHCenter | Qt::AlignTop,
                     name, categoryFont, true);
    }
    const size_t count = chart.series.size();
    const qreal zero = at(std::clamp(0.0, range.low, range.high));
    for (size_t s = 0; s < count; ++s) {
        const QColor color = seriesColor(chart, s);
        const auto& values = chart.series[s].values;
        if (chart.kind == ChartData::Kind::line || chart.kind == ChartData::Kind::area) {
            QPainterPath path;
            bool started = false;
            for (size_t c = 0; c < values.size() && c < categories; ++c) {
                if (!values[c]) continue;
                const QPointF point(plot.left() + (c + 0.5) * band, at(*values[c]));
                started ? path.lineTo(point) : path.moveTo(point);
                started = true;
            }
            if (chart.kind == ChartData::Kind::area && started) {
                QPainterPath filled = path;
                filled.lineTo(filled.currentPosition().x(), zero);
                filled.lineTo(path.elementAt(0).x, zero);
                filled.closeSubpath();
                painter.fillPath(filled, color);
            }
            painter.strokePath(path, QPen(color, 2));
            continue;
        }
        // Side by side in each category, with a gap of one and a half bars between groups.
        const qreal bar = band / (count + 1.5);
        for (size_t c = 0; c < values.size() && c < categories; ++c) {
            if (!values[c]) continue;
            const qreal start = c * band + 0.75 * bar + s * bar;
            const qreal end = at(std::clamp(*values[c], range.low, range.high));
            const QRectF rect = across ? QRectF(QPointF(std::min(zero, end), plot.top() + start),
                                                QPointF(std::max(zero, end), plot.top() + start + bar))
                                       : QRectF(QPointF(plot.left() + start, std::min(zero, end)),
                                                QPointF(plot.left() + start + bar, std::max(zero, end)));
            painter.fillRect(rect, color);
        }
    }
}

}  // namespace

void drawChart(QPainter& painter, const ChartData& chart, const QRectF& box) {
    painter.save();
    // Whatever the values, nothing is drawn outside the chart's frame.
    painter.setClipRect(box, Qt::IntersectClip);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(QColor(0xD9, 0xD9, 0xD9), 0.75));
    painter.drawRect(box.adjusted(0.375, 0.375, -0.375, -0.375));
    QRectF area = box.adjusted(padding, padding, -padding, -padding);
    if (!chart.title.empty() && area.isValid()) {
        const QFont titleFont = font(titleSize, true);
        const QString title = QString::fromStdString(chart.title);
        const qreal height = std::min(textHeight(title, titleFont, area.width(), true), area.height());
        painter.setPen(Qt::black);
        drawText(painter, QRectF(area.left(), area.top(), area.width(), height), Qt::AlignHCenter, title, titleFont, true);
        area.setTop(area.top() + height + padding / 2);
    }
    if (area.isValid()) area = drawLegend(painter, chart, area);
    if (area.isValid()) {
        if (chart.kind == ChartData::Kind::pie)
            drawPie(painter, chart, area);
        else
            drawPlot(painter, chart, area);
    }
    painter.restore();
}

}  // namespace tovin::GraphicFrames
