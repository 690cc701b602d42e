#include "Tovin/text/TextAttachment.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include "Tovin/text/TextProperties.h"

namespace tovin {

QTextCharFormat attachmentFormat(const AttachmentRef& attachment, QTextCharFormat attributes) {
    attributes.setObjectType(attachmentObjectType);
    attributes.setProperty(TextProperty::attachment, QVariant::fromValue(attachment));
    // Hashed by its type's name alone, every attachment would look alike to Qt's format
    // lookup, which would then compare each new one with all the others.
    attributes.setProperty(TextProperty::attachmentHash, int(qHash(quintptr(attachment.get()))));
    attributes.setFontUnderline(false);
    attributes.clearProperty(QTextFormat::TextUnderlineColor);
    attributes.setFontStrikeOut(false);
    attributes.setAnchor(false);
    // Qt lays an object out standing on the baseline, or, aligned to the bottom, hanging
    // by the line's descent; a box that reaches below the baseline takes the latter.
    const qreal baseline = attachment ? attachment->baseline() : 0;
    attributes.setVerticalAlignment(baseline < 0 ? QTextCharFormat::AlignBottom
                                                 : QTextCharFormat::AlignNormal);
    return attributes;
}

AttachmentRef attachmentOf(const QTextFormat& format) {
    if (format.objectType() != attachmentObjectType) return nullptr;
    return format.property(TextProperty::attachment).value<AttachmentRef>();
}

void registerAttachmentHandler(QTextDocument* document) {
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    if (layout->handlerForObject(attachmentObjectType)) return;
    layout->registerHandler(attachmentObjectType, new AttachmentHandler(layout));
}

QSizeF AttachmentHandler::intrinsicSize(QTextDocument* document, int, const QTextFormat& format) {
    const AttachmentRef attachment = attachmentOf(format);
    if (!attachment) return {};
    // A raised box (a note number) stands on the baseline with empty space below it.
    const QSizeF size = document ? attachment->sizeIn(*document) : attachment->size();
    return {size.width(), size.height() + std::max<qreal>(attachment->baseline(), 0)};
}

void AttachmentHandler::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                   const QTextFormat& format) {
    const AttachmentRef attachment = attachmentOf(format);
    if (!attachment || !painter) return;
    painter->save();
    attachment->draw(*painter, QRectF(rect.topLeft(), attachment->size()));
    painter->restore();
}

}  // namespace tovin
