// Attachments: what an object character (U+FFFC) of the editor's text shows in place of a
// glyph — a picture, a note number, a chip for content the editor does not edit, a page
// break marker, a table. An attachment is an immutable value shared through AttachmentRef;
// the character's format carries it under TextProperty::attachment with the object type
// `attachmentObjectType`, and one QTextObjectInterface handler, registered on each
// document that shows attachments, asks it for its size and has it draw itself.
#pragma once

#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QTextCharFormat>
#include <QTextObjectInterface>
#include <memory>

class QPainter;
class QTextDocument;

namespace tovin {

class TextAttachment {
  public:
    virtual ~TextAttachment() = default;

    // The box in device-independent pixels.
    virtual QSizeF size() const = 0;
    // The box in a document's layout; an attachment that fits itself to the text width
    // (a table) reads it from the document.
    virtual QSizeF sizeIn(const QTextDocument&) const { return size(); }
    // How far the box's bottom edge sits above the baseline; negative hangs below it.
    virtual qreal baseline() const { return 0; }
    // Draws into `box` (its size is size()). The painter's state is restored afterwards.
    virtual void draw(QPainter& painter, const QRectF& box) const = 0;
};

using AttachmentRef = std::shared_ptr<const TextAttachment>;

constexpr int attachmentObjectType = QTextFormat::UserObject + 1;

// `attributes` made into the format of an object character showing `attachment`. The
// underline and strike-through of the text around it are dropped: they would cross the
// attachment.
QTextCharFormat attachmentFormat(const AttachmentRef& attachment, QTextCharFormat attributes);
// The attachment an object character's format carries; null for any other format.
AttachmentRef attachmentOf(const QTextFormat& format);

// Makes `document` draw attachments (idempotent).
void registerAttachmentHandler(QTextDocument* document);

class AttachmentHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
  public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

}  // namespace tovin

Q_DECLARE_METATYPE(tovin::AttachmentRef)
