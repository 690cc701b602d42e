// Styled text for the editor's views: a paragraph snapshot becomes a string with the
// character format of each run, the paragraph's block format, and an attachment for each
// picture, note reference, opaque object and page break. Everything the document states in
// points is shown 1.25 times larger (DisplayUnits.h). Tracked changes and list labels
// travel as the properties of TextProperties.h.
//
// The string of a paragraph's styled text is exactly the snapshot's text (one attachment
// per U+FFFC); list labels are drawn beside the paragraph, never inserted. StoryText puts
// paragraphs, tables and opaque blocks into a QTextDocument.
#pragma once

#include <QPalette>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "RovuVuz/model/Identifiers.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/TextAttachment.h"

namespace rovuvuz {
class DocxDocument;
}

namespace tovin {

// One paragraph as styled text.
struct StyledText {
    struct Run {
        int start = 0;
        int length = 0;
        QTextCharFormat format;
    };

    QString text;
    std::vector<Run> runs;  // in order, together covering `text` exactly
    QTextBlockFormat block;
};

// What the paragraph separator after a paragraph carries. In a QTextDocument the character
// format of a block (the one an empty block is measured with) is stored on the separator
// that begins it, so StoryText gives each Qt block its own paragraph's separator format.
struct SeparatorFormat {
    QTextCharFormat character;
    QTextBlockFormat block;
};

class AttributedBuilder {
  public:
    // `document` supplies pictures of `story`; it may be null (no pictures, only chips).
    // `columnWidth` is the width of the text column in device-independent pixels.
    AttributedBuilder(rovuvuz::DocxDocument* document, rovuvuz::StoryID story, qreal columnWidth);

    rovuvuz::DocxDocument* document = nullptr;
    rovuvuz::StoryID story;
    qreal columnWidth = 0;
    // The window's zoom level, on top of the display scale (1 is actual size).
    qreal zoom = 1;
    // Built for pages, drawn as on paper: highlights in their full colour, as Word prints
    // them, and right and centre stops where the file sets them (the pages give lines set
    // against such a stop slack). On screen a highlight is tinted so that text stays
    // legible, and a stop at the column's end is drawn in a little so that Qt keeps the
    // text after it on the line.
    bool onPaper = false;
    // Colours that follow light and dark are resolved against this palette, or without one
    // against the application's at the time of building.
    std::optional<QPalette> palette;
    // Attachments for the blocks StoryText assembles, when set: a table's view, and an
    // opaque block's.
    std::function<AttachmentRef(const rovuvuz::TableSnapshot&)> makeTable;
    std::function<AttachmentRef(const std::string& name, const std::string& preview)> makeOpaqueBlock;

    StyledText paragraph(const rovuvuz::ParagraphSnapshot& p) const;
    SeparatorFormat separatorAttributes(const rovuvuz::ParagraphSnapshot& p) const;
    QTextCharFormat attributes(const rovuvuz::RunFormat& format,
                               const std::optional<rovuvuz::RevisionInfo>& revision) const;
    QTextBlockFormat paragraphStyle(const rovuvuz::ParagraphFormat& format,
                                    const std::optional<std::string>& label) const;
    // The distance between default tab stops, w:defaultTabStop at the display scale.
    qreal defaultTabDistance() const;

    // The attachment of a table block: makeTable's (the tables layer makes them live), or
    // a chip.
    AttachmentRef table(const rovuvuz::TableSnapshot& table) const;
    // The attachment of an opaque block: makeOpaqueBlock's, or its chip.
    AttachmentRef opaqueBlock(const std::string& name, const std::string& preview) const;

    // The block format of a paragraph holding one table or opaque block attachment.
    static QTextBlockFormat objectBlockFormat();
    // A paragraph's writing direction from its text (its first strong character).
    static Qt::LayoutDirection directionOf(const std::u16string& text);

    // A colour as the file writes it: exactly six hexadecimal digits ("1F4ED8").
    static std::optional<QColor> wordColor(std::string_view hex);
    // The highlight palette's colour of a name ("yellow"), at alpha 0.45.
    static std::optional<QColor> wordHighlight(std::string_view name);

  private:
    qreal scale() const;
    void applyTabs(QTextBlockFormat& block, const rovuvuz::ParagraphSnapshot& p) const;
    AttachmentRef image(const rovuvuz::Span& span, const rovuvuz::ParagraphFormat& format) const;
    AttachmentRef attachment(const rovuvuz::Span& span, const rovuvuz::ParagraphFormat& format,
                             const QTextCharFormat& attributes) const;
    std::optional<QImage> decodedImage(const rovuvuz::RelationshipID& id) const;

    // Resolved run formats and decoded pictures, shared by copies of the builder.
    struct Caches {
        std::unordered_map<rovuvuz::RunFormat, QTextCharFormat> formats;
        std::map<rovuvuz::RelationshipID, std::optional<QImage>> images;
        std::optional<double> defaultTabStop;  // points
    };
    std::shared_ptr<Caches> caches_;
};

}  // namespace tovin
