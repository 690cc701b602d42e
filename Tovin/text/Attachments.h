// The attachments a paragraph's objects become: pictures, the chip that stands for content
// the editor shows but does not edit (and for a picture it cannot show), raised note
// numbers, previews of fields and symbols, and the page-break marker. Sizes are in
// device-independent pixels at the display scale.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <optional>
#include <string_view>

#include "Tovin/text/TextAttachment.h"

namespace tovin {

// A decoded picture shown at a given size.
class ImageAttachment : public TextAttachment {
  public:
    ImageAttachment(QImage image, QSizeF size) : image_(std::move(image)), size_(size) {}
    QSizeF size() const override { return size_; }
    void draw(QPainter& painter, const QRectF& box) const override;
    const QImage& image() const { return image_; }

  private:
    QImage image_;
    QSizeF size_;
};

// A rounded outline holding a caption in capitals ("EQUATION: x+1") and the hint
// "EDIT IN WORD".
class ChipAttachment : public TextAttachment {
  public:
    ChipAttachment(QString label, qreal baseline);
    QSizeF size() const override { return size_; }
    qreal baseline() const override { return baseline_; }
    void draw(QPainter& painter, const QRectF& box) const override;
    const QString& label() const { return label_; }

    static constexpr const char* hint = "Edit in Word";

  private:
    QString label_;
    qreal baseline_;
    QSizeF size_;
    qreal labelWidth_ = 0;
};

// Content kept but not edited: a field or symbol shows its preview text on a light
// rounded background; everything else a chip naming what it is.
namespace OpaqueAttachment {
// The chip label of an element by local name ("oMath" → "Equation"); "Content" for others.
QString label(std::string_view name);
// `font` is the surrounding text's; without one the system font of 11 is used.
AttachmentRef make(std::string_view name, std::string_view preview, const std::optional<QFont>& font);
}  // namespace OpaqueAttachment

// A short text drawn in its own font: what field previews and note numbers have in common.
class TextLabelAttachment : public TextAttachment {
  public:
    QSizeF size() const override { return size_; }
    qreal baseline() const override { return baseline_; }
    const QString& text() const { return text_; }

  protected:
    QString text_;
    QFont font_;
    QSizeF size_;
    qreal baseline_ = 0;
};

// The preview text of a field or symbol in the text's font.
class PreviewAttachment : public TextLabelAttachment {
  public:
    PreviewAttachment(QString text, QFont font);
    void draw(QPainter& painter, const QRectF& box) const override;
};

// A footnote or endnote number, raised like a superscript.
class NoteRefAttachment : public TextLabelAttachment {
  public:
    // `label` is the number a reader sees (by the references' order); `font` is the
    // surrounding text's; without one the size is 11.
    // `number` is the note's id, which the page layout finds its note by.
    NoteRefAttachment(qint64 number, const QString& label, const std::optional<QFont>& font);
    void draw(QPainter& painter, const QRectF& box) const override;
    qint64 number() const { return number_; }

  private:
    qint64 number_ = 0;
};

// A dashed rule across the column with "PAGE BREAK" in its middle.
class PageBreakAttachment : public TextAttachment {
  public:
    explicit PageBreakAttachment(qreal width) : width_(width) {}
    QSizeF size() const override { return {width_, 22}; }
    qreal baseline() const override { return -6; }
    void draw(QPainter& painter, const QRectF& box) const override;

  private:
    qreal width_;
};

}  // namespace tovin
