#include "Tovin/text/Attachments.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <map>

#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/Theme.h"

namespace tovin {

namespace {

constexpr qreal captionSize = 9;

QPalette palette() {
    return QGuiApplication::palette();
}

// The first `count` UTF-16 units of a text, never ending inside a surrogate pair.
QString leading(const QString& text, qsizetype count) {
    if (text.size() <= count) return text;
    if (text.at(count - 1).isHighSurrogate()) --count;
    return text.left(count);
}

}  // namespace

void ImageAttachment::draw(QPainter& painter, const QRectF& box) const {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(box, image_);
}

ChipAttachment::ChipAttachment(QString label, qreal baseline)
    : label_(std::move(label)), baseline_(baseline) {
    const QFontMetricsF metrics(Theme::monoFont(captionSize));
    labelWidth_ = metrics.horizontalAdvance(label_.toUpper());
    const qreal hintWidth = metrics.horizontalAdvance(QString(hint).toUpper());
    size_ = QSizeF(std::ceil(labelWidth_ + hintWidth + 26), 18);
}

void ChipAttachment::draw(QPainter& painter, const QRectF& box) const {
    const QPalette colours = palette();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::hairline.resolve(colours), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    painter.setFont(Theme::monoFont(captionSize));
    const QRectF row(box.left(), box.top() + 4, box.width(), box.height() - 4);
    painter.setPen(Theme::labelColor(Theme::Label::secondary, colours));
    painter.drawText(row.adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, label_.toUpper());
    painter.setPen(Theme::labelColor(Theme::Label::tertiary, colours));
    painter.drawText(row.adjusted(labelWidth_ + 18, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QString(hint).toUpper());
}

namespace OpaqueAttachment {

QString label(std::string_view name) {
    static const std::map<std::string_view, const char*> names = {
        {"fldSimple", "Field"},    {"sdt", "Content control"},  {"oMath", "Equation"},
        {"oMathPara", "Equation"}, {"smartTag", "Smart tag"},   {"moveFrom", "Moved text"},
        {"moveTo", "Moved text"},  {"customXml", "Custom XML"}, {"AlternateContent", "Text box"},
        {"object", "Object"},      {"pict", "Shape"},           {"altChunk", "Embedded file"},
        {"sym", "Symbol"},         {"ruby", "Ruby text"},
    };
    const auto found = names.find(name);
    return found == names.end() ? QStringLiteral("Content") : QString::fromLatin1(found->second);
}

AttachmentRef make(std::string_view name, std::string_view preview, const std::optional<QFont>& font) {
    const QString text = QString::fromUtf8(preview.data(), static_cast<qsizetype>(preview.size()));
    if ((name == "fldSimple" || name == "sym") && !text.isEmpty())
        return std::make_shared<PreviewAttachment>(text, font.value_or(Theme::systemFont(11)));
    QString caption = label(name);
    if (!text.isEmpty()) caption += ": " + leading(text, 48);
    return std::make_shared<ChipAttachment>(caption, -5);
}

}  // namespace OpaqueAttachment

PreviewAttachment::PreviewAttachment(QString text, QFont font) {
    text_ = std::move(text);
    font_ = std::move(font);
    const QFontMetricsF metrics(font_);
    size_ = QSizeF(std::ceil(metrics.horizontalAdvance(text_)) + 4, std::ceil(metrics.height()));
    baseline_ = -metrics.descent();
}

void PreviewAttachment::draw(QPainter& painter, const QRectF& box) const {
    const QPalette colours = palette();
    QColor fill = Theme::labelColor(Theme::Label::quaternary, colours);
    fill.setAlphaF(0.25f);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 2, 2);
    painter.setFont(font_);
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(box.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text_);
}

NoteRefAttachment::NoteRefAttachment(qint64 number, const QString& label, const std::optional<QFont>& font)
    : number_(number) {
    text_ = label;
    const qreal size = font ? displaySize(*font) : 11;
    font_ = Theme::systemFont(size * 0.65, QFont::Medium);
    const QFontMetricsF metrics(font_);
    size_ = QSizeF(std::ceil(metrics.horizontalAdvance(text_)) + 1, std::ceil(metrics.height()));
    baseline_ = size * 0.4;
}

void NoteRefAttachment::draw(QPainter& painter, const QRectF& box) const {
    painter.setFont(font_);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text_);
}

void PageBreakAttachment::draw(QPainter& painter, const QRectF& box) const {
    const QPalette colours = palette();
    const QFont font = Theme::monoFont(captionSize);
    const QString caption = QStringLiteral("PAGE BREAK");
    const QFontMetricsF metrics(font);
    const qreal textWidth = metrics.horizontalAdvance(caption);
    const qreal middle = box.center().y();
    const qreal textLeft = box.left() + (box.width() - textWidth) / 2;

    QPen dashes(Theme::hairline.resolve(colours), 1);
    dashes.setDashPattern({3, 3});
    painter.setPen(dashes);
    painter.drawLine(QPointF(box.left(), middle), QPointF(std::max(box.left(), textLeft - 8), middle));
    painter.drawLine(QPointF(std::min(box.right(), textLeft + textWidth + 8), middle),
                     QPointF(box.right(), middle));

    painter.setFont(font);
    painter.setPen(Theme::labelColor(Theme::Label::tertiary, colours));
    painter.drawText(QRectF(textLeft, middle - metrics.height() / 2, textWidth + 1, metrics.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, caption);
}

}  // namespace tovin
