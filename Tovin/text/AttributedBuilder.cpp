#include "Tovin/text/AttributedBuilder.h"

#include <QByteArray>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QUrl>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/format/Settings.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/FontResolver.h"
#include "Tovin/text/TabPositions.h"
#include "Tovin/text/TextProperties.h"
#include "Tovin/text/Theme.h"

namespace tovin {

using rovuvuz::ParagraphFormat;
using rovuvuz::ParagraphSnapshot;
using rovuvuz::RevisionInfo;
using rovuvuz::RunFormat;
using rovuvuz::Span;

namespace {

// A run with no size is 10 points (w:sz absent everywhere in the style chain), in the
// family a run without w:rFonts gets.
constexpr double defaultFontSize = 10;
constexpr const char* defaultFamily = "Times New Roman";
// Superscript and subscript text is drawn at 0.65 of the size, its baseline moved by
// 0.35 of the size up or 0.15 down.
constexpr double scriptScale = 0.65;
constexpr double superscriptRise = 0.35;
constexpr double subscriptRise = -0.15;
// Multiple line spacing below this overlaps lines on screen.
constexpr double smallestLineMultiple = 0.8;
// Spacing around a paragraph holding a table or an opaque block, in display points.
constexpr qreal objectBlockSpacing = 8;
// The largest picture side shown: the longest page side at the display scale.
constexpr qreal largestImageSide = rovuvuz::FormatValues::longestLength * displayScale;

QColor rgb(uint32_t value, int alpha = 255) {
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF, alpha);
}

// The picture's own size in points: pixels at its stated resolution, 72 dpi when none.
QSizeF pointSize(const QImage& image) {
    auto points = [](int pixels, int dotsPerMeter) {
        const double dpi = dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 72;
        return pixels / dpi * 72;
    };
    return {points(image.width(), image.dotsPerMeterX()), points(image.height(), image.dotsPerMeterY())};
}

RunFormat unscripted(RunFormat format) {
    format.verticalAlign = rovuvuz::VerticalAlign::baseline;
    return format;
}

// Qt draws one line under text in these styles; a thick one is drawn solid, and a double
// one gets its second line from the views.
QTextCharFormat::UnderlineStyle underlineStyle(rovuvuz::UnderlineStyle style) {
    switch (style) {
        case rovuvuz::UnderlineStyle::dotted:
            return QTextCharFormat::DotLine;
        case rovuvuz::UnderlineStyle::dashed:
            return QTextCharFormat::DashUnderline;
        case rovuvuz::UnderlineStyle::dotDash:
            return QTextCharFormat::DashDotLine;
        case rovuvuz::UnderlineStyle::wave:
            return QTextCharFormat::WaveUnderline;
        default:
            return QTextCharFormat::SingleUnderline;
    }
}

qreal sane(double value) {
    return std::isfinite(value) ? std::clamp<double>(value, 0, largestImageSide) : 0;
}

}  // namespace

AttributedBuilder::AttributedBuilder(rovuvuz::DocxDocument* document_, rovuvuz::StoryID story_,
                                     qreal columnWidth_)
    : document(document_),
      story(std::move(story_)),
      columnWidth(columnWidth_),
      caches_(std::make_shared<Caches>()) {}

qreal AttributedBuilder::scale() const {
    return displayScale * zoom;
}

AttachmentRef AttributedBuilder::table(const rovuvuz::TableSnapshot& table) const {
    if (makeTable) return makeTable(table);
    return OpaqueAttachment::make("tbl", "", std::nullopt);
}

AttachmentRef AttributedBuilder::opaqueBlock(const std::string& name, const std::string& preview) const {
    if (makeOpaqueBlock) return makeOpaqueBlock(name, preview);
    return OpaqueAttachment::make(name, preview, std::nullopt);
}

std::optional<QColor> AttributedBuilder::wordColor(std::string_view hex) {
    if (hex.size() != 6) return std::nullopt;
    std::string_view digits = hex;
    if (digits.front() == '+') digits.remove_prefix(1);
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return rgb(value);
}

std::optional<QColor> AttributedBuilder::wordHighlight(std::string_view name) {
    // ST_HighlightColor (ECMA-376 §17.18.40) with its standard colours.
    static const std::map<std::string_view, uint32_t> colours = {
        {"yellow", 0xFFFF00},    {"green", 0x00FF00},       {"cyan", 0x00FFFF},     {"magenta", 0xFF00FF},
        {"blue", 0x0000FF},      {"red", 0xFF0000},         {"darkBlue", 0x000080}, {"darkCyan", 0x008080},
        {"darkGreen", 0x008000}, {"darkMagenta", 0x800080}, {"darkRed", 0x800000},  {"darkYellow", 0x808000},
        {"darkGray", 0x808080},  {"lightGray", 0xC0C0C0},   {"black", 0x000000},    {"white", 0xFFFFFF},
    };
    const auto found = colours.find(name);
    if (found == colours.end()) return std::nullopt;
    return rgb(found->second, qRound(0.45 * 255));
}

QTextCharFormat AttributedBuilder::attributes(const RunFormat& f,
                                              const std::optional<RevisionInfo>& revision) const {
    auto cached = caches_->formats.find(f);
    if (cached == caches_->formats.end()) {
        const double size = f.size.value_or(defaultFontSize);
        double shown = size * scale();
        double rise = 0;
        if (f.verticalAlign != rovuvuz::VerticalAlign::baseline) {
            shown *= scriptScale;
            rise = size * scale() *
                   (f.verticalAlign == rovuvuz::VerticalAlign::superscript ? superscriptRise : subscriptRise);
        }
        const std::string& family = f.font ? *f.font : std::string(defaultFamily);
        QFont font(FontResolver::shared().resolve(QString::fromStdString(family)));
        setDisplaySize(font, shown);
        font.setWeight(f.bold ? QFont::Bold : QFont::Normal);
        font.setItalic(f.italic);
        // w:caps shows lower case as capitals; w:smallCaps as capitals of the lower case's
        // height.
        font.setCapitalization(f.caps ? QFont::AllUppercase : f.smallCaps ? QFont::SmallCaps : QFont::MixedCase);
        // w:kern turns on pair kerning from a size up; below it, and without it, text is
        // set without kerning.
        font.setKerning(f.kernFrom && size >= *f.kernFrom);

        QTextCharFormat format;
        format.setFont(font, QTextCharFormat::FontPropertiesAll);
        // Qt raises text by a percentage of its font's height.
        if (rise != 0) format.setBaselineOffset(rise / QFontMetricsF(font).height() * 100);
        if (f.color)
            if (const auto colour = wordColor(*f.color)) format.setForeground(*colour);
        if (f.underline) format.setUnderlineStyle(underlineStyle(f.underlineStyle));
        // Qt draws one line; the views draw the second (DoubleUnderline.h).
        if (f.underline && f.underlineStyle == rovuvuz::UnderlineStyle::doubleLine)
            format.setProperty(TextProperty::doubleUnderline, true);
        if (f.underline && f.underlineStyle == rovuvuz::UnderlineStyle::thick)
            format.setProperty(TextProperty::thickUnderline, true);
        if (f.strike || f.doubleStrike) format.setFontStrikeOut(true);
        if (f.highlight)
            if (auto colour = wordHighlight(*f.highlight)) {
                if (onPaper) colour->setAlpha(255);
                format.setBackground(*colour);
            }
        if (!f.language.empty())
            format.setProperty(TextProperty::language, QString::fromUtf8(f.language.view().data(),
                                                                         qsizetype(f.language.view().size())));
        cached = caches_->formats.emplace(f, format).first;
    }
    if (!revision) return cached->second;

    QTextCharFormat format = cached->second;
    const QPalette colours = palette.value_or(QGuiApplication::palette());
    setRevisionProperty(format, TextProperty::revision, *revision);
    // Tracked changes show in the reviewing colours whatever the document's own.
    if (revision->kind == rovuvuz::RevisionKind::insert) {
        const QColor cobalt = Theme::cobalt.resolve(colours);
        format.setForeground(cobalt);
        format.setFontUnderline(true);
        format.setUnderlineColor(cobalt);
    } else {
        format.setForeground(Theme::brick.resolve(colours));
        format.setFontStrikeOut(true);
    }
    return format;
}

// The direction Qt would find from the paragraph's first strong character, decided here
// once. Left automatic, the text layout looks for it again in every paragraph after an
// edit, which in a long document is most of what a keystroke costs.
Qt::LayoutDirection AttributedBuilder::directionOf(const std::u16string& text) {
    return QStringView(text).isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

QTextBlockFormat AttributedBuilder::paragraphStyle(const ParagraphFormat& f,
                                                   const std::optional<std::string>& label) const {
    QTextBlockFormat block;
    switch (f.alignment) {
        case rovuvuz::Alignment::left:
            block.setAlignment(Qt::AlignLeading);
            break;
        case rovuvuz::Alignment::center:
            block.setAlignment(Qt::AlignHCenter);
            break;
        case rovuvuz::Alignment::right:
            block.setAlignment(Qt::AlignRight);
            break;
        case rovuvuz::Alignment::both:
            block.setAlignment(Qt::AlignJustify);
            break;
    }
    block.setLeftMargin(f.indentLeft * scale());
    // A list paragraph's hanging space holds its label, drawn beside the text: the first
    // line starts at the left indent like the others.
    const bool labelHangs = label && f.firstLine < 0;
    block.setTextIndent(labelHangs ? 0 : f.firstLine * scale());
    block.setRightMargin(f.indentRight * scale());
    block.setTopMargin(f.spaceBefore * scale());
    block.setBottomMargin(f.spaceAfter * scale());
    if (f.lineExact)
        block.setLineHeight(*f.lineExact * scale(), QTextBlockFormat::FixedHeight);
    else if (f.lineMultiple)
        block.setLineHeight(std::max(*f.lineMultiple, smallestLineMultiple) * 100,
                            QTextBlockFormat::ProportionalHeight);
    return block;
}

void AttributedBuilder::applyTabs(QTextBlockFormat& block, const ParagraphSnapshot& p) const {
    TabPositions::apply(block, p.tabs, scale(), onPaper ? std::nullopt : std::optional(columnWidth));
}

qreal AttributedBuilder::defaultTabDistance() const {
    if (!caches_->defaultTabStop) {
        caches_->defaultTabStop = 36;
        try {
            if (document) caches_->defaultTabStop = document->settings().defaultTabStop;
        } catch (const std::exception&) {
            // Settings that do not parse keep Word's half inch.
        }
    }
    return TabPositions::defaultDistance(*caches_->defaultTabStop * scale());
}

QTextBlockFormat AttributedBuilder::objectBlockFormat() {
    QTextBlockFormat block;
    block.setLayoutDirection(Qt::LeftToRight);
    block.setTopMargin(objectBlockSpacing);
    block.setBottomMargin(objectBlockSpacing);
    return block;
}

SeparatorFormat AttributedBuilder::separatorAttributes(const ParagraphSnapshot& p) const {
    SeparatorFormat separator{attributes(p.markFormat, std::nullopt), paragraphStyle(p.format, p.listLabel)};
    applyTabs(separator.block, p);
    separator.block.setLayoutDirection(directionOf(p.text));
    if (p.listLabel)
        separator.character.setProperty(TextProperty::listLabel, QString::fromStdString(*p.listLabel));
    // The paragraph's own changes, drawn beside it (RevisionMarks): its mark's, shown as a
    // pilcrow, and a format change of it or of its text, shown as a bar in the margin.
    if (p.markRevision) setRevisionProperty(separator.block, TextProperty::markRevision, *p.markRevision);
    if (p.formatRevision) setRevisionProperty(separator.block, TextProperty::formatRevision, *p.formatRevision);
    if (p.formatRevision ||
        std::any_of(p.spans.begin(), p.spans.end(), [](const Span& span) { return span.formatRevision; }))
        separator.block.setProperty(TextProperty::changeBar, true);
    return separator;
}

std::optional<QImage> AttributedBuilder::decodedImage(const rovuvuz::RelationshipID& id) const {
    const auto cached = caches_->images.find(id);
    if (cached != caches_->images.end()) return cached->second;
    std::optional<QImage> image;
    if (document) {
        if (const auto bytes = document->imageData(id, story); bytes && *bytes) {
            const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>((*bytes)->data()),
                                                            static_cast<qsizetype>((*bytes)->size()));
            // fromRawData does not copy; the decoded image owns its pixels.
            QImage decoded = QImage::fromData(data);
            if (!decoded.isNull()) image = std::move(decoded);
        }
    }
    caches_->images.emplace(id, image);
    return image;
}

AttachmentRef AttributedBuilder::image(const Span& span, const ParagraphFormat& format) const {
    const std::optional<QImage> picture =
        span.content.image ? decodedImage(*span.content.image) : std::nullopt;
    if (!picture) return std::make_shared<ChipAttachment>(QStringLiteral("Picture"), 0);
    const QSizeF own = pointSize(*picture);
    qreal width = sane(span.content.width.value_or(own.width()) * scale());
    qreal height = sane(span.content.height.value_or(own.height()) * scale());
    const qreal available =
        std::max<qreal>(columnWidth - (format.indentLeft + format.indentRight) * scale(), 1);
    if (width > 0 && width > available) {
        height = height * available / width;
        width = available;
    }
    return std::make_shared<ImageAttachment>(*picture, QSizeF(width, height));
}

AttachmentRef AttributedBuilder::attachment(const Span& span, const ParagraphFormat& format,
                                            const QTextCharFormat& attrs) const {
    switch (span.content.type) {
        case Span::Content::Type::image:
            return image(span, format);
        case Span::Content::Type::noteRef:
            // The number by the references' order; the note's id where the story's
            // snapshot numbers no notes.
            return std::make_shared<NoteRefAttachment>(
                span.content.noteID, span.content.noteLabel.empty() ? QString::number(span.content.noteID)
                                               : QString::fromStdString(span.content.noteLabel),
                attrs.font());
        case Span::Content::Type::opaque:
            return OpaqueAttachment::make(span.content.name, span.content.preview, attrs.font());
        case Span::Content::Type::pageBreak:
            // The marker spans the column between the indents (as the document states them).
            return std::make_shared<PageBreakAttachment>(
                std::max<qreal>(columnWidth - format.indentLeft - format.indentRight - 4, 80));
        case Span::Content::Type::text:
            break;
    }
    return nullptr;
}

StyledText AttributedBuilder::paragraph(const ParagraphSnapshot& p) const {
    StyledText styled;
    styled.text = QString::fromStdU16String(p.text);
    styled.block = paragraphStyle(p.format, p.listLabel);
    applyTabs(styled.block, p);
    styled.block.setLayoutDirection(directionOf(p.text));
    const int length = static_cast<int>(styled.text.size());
    if (length == 0) return styled;

    const std::optional<QString> label =
        p.listLabel ? std::optional(QString::fromStdString(*p.listLabel)) : std::nullopt;
    auto add = [&](int start, int count, QTextCharFormat format) {
        if (label) format.setProperty(TextProperty::listLabel, *label);
        if (p.markRevision) setRevisionProperty(format, TextProperty::markRevision, *p.markRevision);
        styled.runs.push_back({start, count, std::move(format)});
    };

    // Spans cover the text in order; text no span covers (never in a well-formed snapshot)
    // takes the paragraph mark's format, so the styled text always has the snapshot's text.
    int position = 0;
    for (const Span& span : p.spans) {
        const int lower =
            std::clamp(static_cast<int>(std::min<size_t>(span.range.lower, length)), position, length);
        const int upper =
            std::clamp(static_cast<int>(std::min<size_t>(span.range.upper, length)), lower, length);
        if (lower > position) add(position, lower - position, attributes(p.markFormat, std::nullopt));
        position = upper;
        if (upper == lower) continue;

        // A note number raises and shrinks itself; the note reference style's own
        // superscript would shrink it twice.
        const bool noteRef = span.content.type == Span::Content::Type::noteRef;
        QTextCharFormat attrs = attributes(noteRef ? unscripted(span.format) : span.format, span.revision);
        if (span.formatRevision)
            setRevisionProperty(attrs, TextProperty::formatRevision, *span.formatRevision);
        if (span.link) {
            const QUrl url(QString::fromStdString(*span.link), QUrl::StrictMode);
            if (url.isValid()) {
                attrs.setAnchor(true);
                attrs.setAnchorHref(url.toString());
            }
        }
        if (span.content.type == Span::Content::Type::text) {
            add(lower, upper - lower, std::move(attrs));
            continue;
        }
        const AttachmentRef object = attachment(span, p.format, attrs);
        for (int i = lower; i < upper; ++i) add(i, 1, attachmentFormat(object, attrs));
    }
    if (position < length) add(position, length - position, attributes(p.markFormat, std::nullopt));
    return styled;
}

}  // namespace tovin
