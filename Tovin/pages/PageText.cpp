#include "Tovin/pages/PageText.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <cmath>
#include <exception>
#include <span>

#include "Tovin/pages/ShapeFrames.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/DisplayUnits.h"
#include "Tovin/text/TabPositions.h"
#include "Tovin/text/TextProperties.h"

namespace tovin {

namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::ParagraphSnapshot;
using rovuvuz::TableSnapshot;

// Word's limit on a table's columns; wider grids are cut there.
constexpr int widestGrid = 63;
// Letter spacing that changes no advance (100% of the font's own), and the smallest
// spacing Qt keeps (its fixed-point unit).
constexpr qreal unspacedPercentage = 100;
constexpr qreal smallestSpacing = 1.0 / 64;
// The monochrome emoji font pages fall back to (Debian's fonts-symbola).
const QString monochromeEmoji = QStringLiteral("Symbola");
// A list label ends this far before the text it labels.
constexpr qreal labelGap = 6;

// The storage's own layout does nothing: PageFlow places every line itself. It still sizes
// and draws attachments, which Qt asks the document's layout for while laying out a line.
class PassiveLayout : public QAbstractTextDocumentLayout {
  public:
    using QAbstractTextDocumentLayout::QAbstractTextDocumentLayout;
    void draw(QPainter*, const PaintContext&) override {}
    int hitTest(const QPointF&, Qt::HitTestAccuracy) const override { return -1; }
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override { return {}; }
    QRectF frameBoundingRect(QTextFrame*) const override { return {}; }
    QRectF blockBoundingRect(const QTextBlock&) const override { return {}; }

  protected:
    void documentChanged(int, int, int) override {}
    // A box stands on the baseline, raised by its baseline offset or hanging below it.
    void resizeInlineObject(QTextInlineObject item, int position, const QTextFormat& format) override {
        const AttachmentRef attachment = attachmentOf(format);
        if (!attachment) return QAbstractTextDocumentLayout::resizeInlineObject(item, position, format);
        const QSizeF size = attachment->size();
        const qreal baseline = attachment->baseline();
        item.setWidth(size.width());
        item.setAscent(std::max<qreal>(size.height() + baseline, 0));
        item.setDescent(std::max<qreal>(-baseline, 0));
    }
};

// The largest side a float is drawn with, display points.
constexpr qreal largestFloat = 20000;

// What a floating object's character shows in its line: nothing, taking no room.
class AnchorMark : public TextAttachment {
  public:
    QSizeF size() const override { return {0, 0}; }
    void draw(QPainter&, const QRectF&) const override {}
};

// Whether a drawing stands apart from the line it is anchored in.
bool standsApart(const rovuvuz::DrawingSnapshot& drawing) {
    return drawing.floating && drawing.wrap != rovuvuz::DrawingSnapshot::Wrap::inlineWithText;
}

// One Qt block's content before it is written.
struct Entry {
    StyledText styled;
    QTextCharFormat separator;
};

bool isPageBreak(const QTextCharFormat& format) {
    return dynamic_cast<const PageBreakAttachment*>(attachmentOf(format).get()) != nullptr;
}

QTextCharFormat withoutObject(QTextCharFormat format) {
    format.clearProperty(QTextFormat::ObjectType);
    format.clearProperty(TextProperty::attachment);
    format.clearProperty(TextProperty::attachmentHash);
    return format;
}

class Assembler {
  public:
    explicit Assembler(const PageTextOptions& options)
        : options_(options), sums_(options.sumsSpacing), numbers_(options.numbers), notes_(options.noteNumbers) {}

    std::vector<FlowItem> text(const std::vector<BlockSnapshot>& blocks, const AttributedBuilder& builder,
                               bool inCell, int depth);
    std::vector<Entry> entries;
    std::unordered_map<int, std::vector<TabLeader>> leaders;
    std::vector<Floater> floats;

  private:
    struct Previous {
        size_t item = 0;  // in the flow being built
        size_t entry = 0;
        std::optional<rovuvuz::StyleID> style;
        bool contextual = false;
    };

    FlowParagraph paragraph(const ParagraphSnapshot& p, const AttributedBuilder& builder, bool& endsInBreak);
    std::shared_ptr<FlowTable> table(const TableSnapshot& t, const AttributedBuilder& builder, int depth);
    void space(std::vector<FlowItem>& items, const ParagraphSnapshot& p, std::optional<Previous>& previous);
    FlowParagraph object(const AttachmentRef& attachment);
    void textBoxes(std::vector<FlowItem>& items, const ParagraphSnapshot& p, const AttributedBuilder& builder,
                   int depth, int block);
    void floatPictures(StyledText& styled, const ParagraphSnapshot& p, int block);
    void inlineShapes(StyledText& styled, const ParagraphSnapshot& p, const AttributedBuilder& builder);
    void floatTextBox(const rovuvuz::DrawingSnapshot& drawing, const AttributedBuilder& builder, int block);
    void tabs(const StyledText& styled, const ParagraphSnapshot& p, int block);

    PageTextOptions options_;
    bool sums_;
    const PageNumbers* numbers_;
    const NoteOrder* notes_;
};

// Page breaks: one ending the paragraph goes (the next block starts a page); any other
// becomes a line break with a page starting after it.
void breakPages(StyledText& styled, FlowParagraph& flow, bool& endsInBreak) {
    auto& runs = styled.runs;
    const int length = static_cast<int>(styled.text.size());
    for (size_t r = runs.size(); r-- > 0;) {
        if (runs[r].length != 1 || !isPageBreak(runs[r].format)) continue;
        const int at = runs[r].start;
        if (at == length - 1) {
            styled.text.chop(1);
            runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(r));
            endsInBreak = true;
        } else {
            styled.text[at] = QChar::LineSeparator;
            runs[r].format = withoutObject(runs[r].format);
            flow.pageStarts.push_back(at + 1);
        }
    }
    std::reverse(flow.pageStarts.begin(), flow.pageStarts.end());
}

// A column break's line separator is marked while fields and objects become their text,
// which moves the offsets after them, and found again after.
constexpr QChar columnMark(0x000B);

void markColumnBreaks(StyledText& styled, const ParagraphSnapshot& p) {
    for (size_t offset : p.columnBreaks)
        if (offset < static_cast<size_t>(styled.text.size()) && styled.text[offset] == QChar::LineSeparator)
            styled.text[offset] = columnMark;
}

void findColumnBreaks(StyledText& styled, FlowParagraph& flow) {
    for (int i = 0; i < styled.text.size(); ++i)
        if (styled.text[i] == columnMark) {
            styled.text[i] = QChar::LineSeparator;
            flow.columnStarts.push_back(i + 1);
        }
}

// The label as text and a tab at the start, in the first character's look without its
// lines and link; the first line starts where the label then ends just before the text.
void insertLabel(StyledText& styled, const QTextCharFormat& first, FlowParagraph& flow) {
    const QString label = listLabelProperty(first);
    if (label.isEmpty()) return;
    QTextCharFormat look = withoutObject(first);
    look.setFontUnderline(false);
    look.setFontStrikeOut(false);
    look.setAnchor(false);
    look.clearProperty(QTextFormat::AnchorHref);
    const qreal width = QFontMetricsF(look.font()).horizontalAdvance(label);
    const qreal head = styled.block.leftMargin();
    const qreal start = std::max<qreal>(0, head - width - labelGap);
    styled.block.setTextIndent(start - head);
    // Qt measures tab stops from where the line starts.
    styled.block.setTabPositions({QTextOption::Tab(head - start, QTextOption::LeftTab)});

    const QString inserted = label + QLatin1Char('\t');
    const int shift = static_cast<int>(inserted.size());
    for (auto& run : styled.runs) run.start += shift;
    styled.runs.insert(styled.runs.begin(), StyledText::Run{0, shift, look});
    styled.text.prepend(inserted);
    for (int& pageStart : flow.pageStarts) pageStart += shift;
    for (int& columnStart : flow.columnStarts) columnStart += shift;
}

FlowParagraph Assembler::paragraph(const ParagraphSnapshot& p, const AttributedBuilder& builder,
                                   bool& endsInBreak) {
    Entry entry;
    FlowParagraph flow;
    try {
        entry.styled = builder.paragraph(p);
        PaperText::unchip(entry.styled);
        floatPictures(entry.styled, p, static_cast<int>(entries.size()));
        inlineShapes(entry.styled, p, builder);
        markColumnBreaks(entry.styled, p);
        PaperText::apply(entry.styled, p, builder, numbers_, notes_);
        findColumnBreaks(entry.styled, flow);
        const SeparatorFormat separator = builder.separatorAttributes(p);
        entry.styled.block = separator.block;
        entry.separator = separator.character;
    } catch (const std::exception&) {
        // A paragraph that cannot be built shows empty.
        entry = Entry{};
    }
    breakPages(entry.styled, flow, endsInBreak);
    if (p.listLabel)
        insertLabel(entry.styled,
                    entry.styled.runs.empty() ? entry.separator : entry.styled.runs.front().format, flow);
    flow.block = static_cast<int>(entries.size());
    if (!p.listLabel) tabs(entry.styled, p, flow.block);
    flow.spaceBefore = entry.styled.block.topMargin();
    flow.spaceAfter = entry.styled.block.bottomMargin();
    entries.push_back(std::move(entry));
    return flow;
}

// The leaders of the paragraph's stops, which Qt does not draw; the stops themselves are
// already in the block format.
void Assembler::tabs(const StyledText& styled, const ParagraphSnapshot& p, int block) {
    std::vector<TabLeader> fills;
    bool filled = false;
    for (const TabPositions::Stop& stop : TabPositions::of(styled.block, p.tabs, displayScale)) {
        fills.push_back({stop.tab.position, stop.leader});
        filled = filled || stop.leader != rovuvuz::TabStop::Leader::none;
    }
    if (filled) leaders[block] = std::move(fills);
}

// The size a float is drawn at, display points: its extent, else `fallback`.
QSizeF floatSize(const rovuvuz::DrawingSnapshot& drawing, QSizeF fallback) {
    auto side = [](double points, qreal otherwise) {
        const double shown = points * displayScale;
        return std::isfinite(shown) && shown > 0 ? std::min<qreal>(shown, largestFloat) : otherwise;
    };
    return {side(drawing.width, fallback.width()), side(drawing.height, fallback.height())};
}

Floater floaterOf(const rovuvuz::DrawingSnapshot& drawing, int block) {
    Floater out;
    out.block = block;
    out.horizontal = drawing.horizontal;
    out.vertical = drawing.vertical;
    out.wrap = drawing.wrap;
    out.look = drawing.look;
    out.textFrame = drawing.textFrame;
    return out;
}

// A floating picture leaves its paragraph's line: its character shows nothing there, and
// the picture is drawn where its anchor places it.
// A floating shape or graphic without text is drawn the same way, as its outline, fill and
// graphic.
void Assembler::floatPictures(StyledText& styled, const ParagraphSnapshot& p, int block) {
    for (const rovuvuz::DrawingSnapshot& drawing : p.drawings) {
        if (!standsApart(drawing) || !drawing.blocks.empty()) continue;
        for (StyledText::Run& run : styled.runs) {
            if (run.length != 1 || run.start != static_cast<int>(drawing.offset)) continue;
            AttachmentRef picture = attachmentOf(run.format);
            if (!picture) break;
            Floater floater = floaterOf(drawing, block);
            floater.size = floatSize(drawing, picture->size());
            if (ShapeFrames::drawnAsShape(drawing))
                picture = std::make_shared<ShapeFrames::ShapeAttachment>(floater.size, drawing.look, drawing.graphic);
            floater.picture = std::move(picture);
            floats.push_back(std::move(floater));
            run.format = attachmentFormat(std::make_shared<AnchorMark>(), run.format);
            break;
        }
    }
}

// An inline shape or graphic without text shows in its line at its extent, narrowed to the
// column as a picture is.
void Assembler::inlineShapes(StyledText& styled, const ParagraphSnapshot& p, const AttributedBuilder& builder) {
    for (const rovuvuz::DrawingSnapshot& drawing : p.drawings) {
        if (standsApart(drawing) || !ShapeFrames::drawnAsShape(drawing)) continue;
        for (StyledText::Run& run : styled.runs) {
            if (run.length != 1 || run.start != static_cast<int>(drawing.offset)) continue;
            const AttachmentRef shown = attachmentOf(run.format);
            QSizeF size = floatSize(drawing, shown ? shown->size() : QSizeF(24, 24));
            const qreal room = std::max<qreal>(builder.columnWidth, 24);
            if (size.width() > room) size = QSizeF(room, size.height() * room / size.width());
            run.format = attachmentFormat(
                std::make_shared<ShapeFrames::ShapeAttachment>(size, drawing.look, drawing.graphic), run.format);
            break;
        }
    }
}

// A floating text box's text, set at the box's width inside its insets.
void Assembler::floatTextBox(const rovuvuz::DrawingSnapshot& drawing, const AttributedBuilder& builder, int block) {
    Floater floater = floaterOf(drawing, block);
    floater.size = floatSize(drawing, QSizeF(builder.columnWidth / 2, 0));
    AttributedBuilder inner = builder;
    const QMarginsF inset = Floats::insets(drawing.textFrame);
    inner.columnWidth = std::max<qreal>(floater.size.width() - inset.left() - inset.right(), 1);
    PageTextOptions options = options_;
    options.noteNumbers = nullptr;
    floater.box = std::make_shared<PageText>(PageText::assemble(drawing.blocks, inner, options));
    floats.push_back(std::move(floater));
}

// A text box's text follows its paragraph in a frame of the box's width when the box
// stands in the line; a floating one is drawn where its anchor places it.
void Assembler::textBoxes(std::vector<FlowItem>& items, const ParagraphSnapshot& p,
                          const AttributedBuilder& builder, int depth, int block) {
    for (const rovuvuz::DrawingSnapshot& drawing : p.drawings) {
        if (drawing.blocks.empty() || depth >= PageText::deepestTable) continue;
        if (standsApart(drawing)) {
            floatTextBox(drawing, builder, block);
            continue;
        }
        auto frame = std::make_shared<FlowTable>();
        frame->rows = 1;
        FlowCell cell;
        const qreal width = std::isfinite(drawing.width) ? drawing.width * displayScale : 0;
        cell.width = std::clamp<qreal>(width > 0 ? width : builder.columnWidth, 24, std::max<qreal>(builder.columnWidth, 24));
        cell.padding = Floats::insets(drawing.textFrame);
        AttributedBuilder inner = builder;
        inner.columnWidth = std::max<qreal>(cell.width - cell.padding.left() - cell.padding.right(), 1);
        cell.items = text(drawing.blocks, inner, true, depth + 1);
        if (cell.items.empty()) continue;
        // Its own outline and fill, else a thin black frame.
        rovuvuz::BorderLine line{rovuvuz::BorderLine::Style::single, 0.75, std::nullopt, 0};
        if (drawing.look) {
            line.style = drawing.look->line ? rovuvuz::BorderLine::Style::single : rovuvuz::BorderLine::Style::none;
            line.width = drawing.look->lineWidth;
            line.color = drawing.look->line;
            if (drawing.look->fill) cell.fill = AttributedBuilder::wordColor(*drawing.look->fill);
        }
        cell.borders = {line, line, line, line};
        frame->cells.push_back(std::move(cell));
        items.emplace_back(std::move(frame));
    }
}

// Contextual spacing between paragraphs of one style, then the larger of the space after
// and the space before, unless the document sums them.
void Assembler::space(std::vector<FlowItem>& items, const ParagraphSnapshot& p,
                      std::optional<Previous>& previous) {
    auto& current = std::get<FlowParagraph>(items.back());
    if (previous) {
        auto& before = std::get<FlowParagraph>(items[previous->item]);
        if (previous->style == p.format.style) {
            if (previous->contextual) before.spaceAfter = 0;
            if (p.format.contextualSpacing) current.spaceBefore = 0;
        }
        const qreal a = before.spaceAfter;
        const qreal b = current.spaceBefore;
        if (!sums_ && a > 0 && b > 0) {
            current.spaceBefore = std::max<qreal>(0, b - a);
            current.lift = b - current.spaceBefore;
        }
        entries[previous->entry].styled.block.setBottomMargin(before.spaceAfter);
    }
    entries[static_cast<size_t>(current.block)].styled.block.setTopMargin(current.spaceBefore);
    previous = Previous{items.size() - 1, static_cast<size_t>(current.block), p.format.style,
                        p.format.contextualSpacing};
}

FlowParagraph Assembler::object(const AttachmentRef& attachment) {
    Entry entry;
    entry.styled.block = AttributedBuilder::objectBlockFormat();
    if (attachment) {
        entry.styled.text = QString(QChar(QChar::ObjectReplacementCharacter));
        entry.styled.runs.push_back({0, 1, attachmentFormat(attachment, QTextCharFormat())});
    }
    FlowParagraph flow;
    flow.block = static_cast<int>(entries.size());
    flow.spaceBefore = entry.styled.block.topMargin();
    flow.spaceAfter = entry.styled.block.bottomMargin();
    entries.push_back(std::move(entry));
    return flow;
}

std::vector<FlowItem> Assembler::text(const std::vector<BlockSnapshot>& blocks,
                                      const AttributedBuilder& builder, bool inCell, int depth) {
    std::vector<FlowItem> items;
    std::optional<Previous> previous;
    bool pending = false;  // the previous block ended in a page break
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            bool endsInBreak = false;
            FlowParagraph flow = paragraph(*p, builder, endsInBreak);
            if (!inCell) {
                flow.rules = KeepRules{p->format.keepNext, p->format.keepLines, p->format.widowControl};
                flow.startsPage = p->format.pageBreakBefore || pending;
            }
            const int anchor = flow.block;
            items.emplace_back(std::move(flow));
            space(items, *p, previous);
            pending = endsInBreak;
            if (!p->drawings.empty()) {
                const size_t before = items.size();
                textBoxes(items, *p, builder, depth, anchor);
                if (items.size() != before) previous.reset();
            }
            continue;
        }
        previous.reset();
        if (const auto* t = std::get_if<TableSnapshot>(&block.value)) {
            if (depth >= PageText::deepestTable) {
                // Too deep to draw as a grid: its cells' text follows on.
                for (const auto& row : t->rows)
                    for (const auto& cell : row) {
                        auto inner = text(cell.blocks, builder, inCell, depth);
                        items.insert(items.end(), inner.begin(), inner.end());
                    }
                continue;
            }
            auto flow = table(*t, builder, depth + 1);
            flow->startsPage = pending && !inCell;
            items.emplace_back(std::move(flow));
        } else if (const auto* opaque = std::get_if<rovuvuz::OpaqueBlock>(&block.value)) {
            FlowParagraph flow = object(builder.opaqueBlock(opaque->name, opaque->preview));
            flow.startsPage = pending && !inCell;
            items.emplace_back(std::move(flow));
        }
        pending = false;
    }
    return items;
}

// Column widths: the grid's, shown at the display scale and shrunk to fit the column, or
// equal shares when the grid has fewer columns than the rows use.
std::vector<qreal> columnWidths(const TableSnapshot& t, int count, qreal available) {
    std::vector<qreal> widths;
    if (static_cast<int>(t.columns.size()) < count) return std::vector<qreal>(count, available / count);
    qreal sum = 0;
    for (int i = 0; i < count; ++i) {
        const double w = t.columns[i] * displayScale;
        widths.push_back(std::isfinite(w) ? std::clamp<qreal>(w, 0, 1e5) : 0);
        sum += widths.back();
    }
    if (sum > available && sum > 0)
        for (qreal& w : widths) w *= available / sum;
    return widths;
}

int span(const rovuvuz::CellSnapshot& cell) {
    return static_cast<int>(std::clamp<int64_t>(cell.gridSpan, 1, widestGrid));
}

// The grid column a cell starts at: after the row's w:gridBefore.
int firstColumn(const rovuvuz::CellSnapshot& cell) {
    return static_cast<int>(std::clamp<int64_t>(cell.gridColumn, 0, widestGrid));
}

std::optional<QColor> fillOf(const std::optional<rovuvuz::Shading>& shading) {
    if (!shading || !shading->fill) return std::nullopt;
    return AttributedBuilder::wordColor(*shading->fill);
}

qreal margin(double points) {
    return std::isfinite(points) ? std::clamp<qreal>(points * displayScale, 0, 200) : 0;
}

std::vector<FlowRowHeight> rowHeights(const TableSnapshot& t) {
    std::vector<FlowRowHeight> out(t.rows.size());
    bool any = false;
    for (size_t r = 0; r < t.rows.size() && r < t.rowProperties.size(); ++r) {
        const auto& row = t.rowProperties[r];
        if (!row.height || row.heightRule == rovuvuz::RowProperties::HeightRule::automatic) continue;
        out[r] = {std::clamp<qreal>(*row.height * displayScale, 0, 5000),
                  row.heightRule == rovuvuz::RowProperties::HeightRule::exact};
        any = true;
    }
    if (!any) out.clear();
    return out;
}

std::shared_ptr<FlowTable> Assembler::table(const TableSnapshot& t, const AttributedBuilder& builder,
                                            int depth) {
    int count = std::min<int>(static_cast<int>(t.columns.size()), widestGrid);
    for (const auto& row : t.rows) {
        int used = 0;
        for (const auto& cell : row) used = std::min(std::max(used, firstColumn(cell)) + span(cell), widestGrid);
        count = std::max(count, used);
    }
    count = std::max(count, 1);
    const std::vector<qreal> widths = columnWidths(t, count, builder.columnWidth);
    std::vector<qreal> edges(1, 0);
    for (qreal w : widths) edges.push_back(edges.back() + w);

    // Where each row's cells start, to follow vertical merges down.
    std::vector<std::vector<std::pair<int, bool>>> starts(t.rows.size());  // (column, continues)
    for (size_t r = 0; r < t.rows.size(); ++r) {
        for (const auto& cell : t.rows[r]) starts[r].emplace_back(firstColumn(cell), cell.vMerge == rovuvuz::VMerge::continues);
    }
    auto continuesAt = [&](size_t r, int column) {
        for (const auto& [start, continues] : starts[r])
            if (start == column) return continues;
        return false;
    };

    auto flow = std::make_shared<FlowTable>();
    flow->rows = static_cast<int>(t.rows.size());
    flow->heights = rowHeights(t);
    for (size_t r = 0; r < t.rows.size(); ++r) {
        for (const auto& cell : t.rows[r]) {
            const int first = firstColumn(cell);
            const int column = first + span(cell);
            if (cell.vMerge == rovuvuz::VMerge::continues || first >= count) continue;
            FlowCell out;
            out.row = static_cast<int>(r);
            if (cell.vMerge == rovuvuz::VMerge::restart)
                while (r + out.rowSpan < t.rows.size() && continuesAt(r + out.rowSpan, first)) ++out.rowSpan;
            const int last = std::min(column, count);
            out.x = edges[first];
            out.width = edges[last] - edges[first];
            out.borders = cell.format.borders;
            out.fill = fillOf(cell.format.shading);
            out.padding = QMarginsF(margin(cell.format.marginLeft), margin(cell.format.marginTop),
                                    margin(cell.format.marginRight), margin(cell.format.marginBottom));
            AttributedBuilder inner = builder;
            inner.columnWidth = std::max<qreal>(out.width - out.padding.left() - out.padding.right(), 1);
            out.items = text(cell.blocks, inner, true, depth);
            if (out.items.empty()) {
                // An empty cell still holds one empty line.
                FlowParagraph empty;
                empty.block = static_cast<int>(entries.size());
                entries.push_back(Entry{});
                out.items.emplace_back(empty);
            }
            flow->cells.push_back(std::move(out));
        }
    }
    return flow;
}

// Word sets text without standard ligatures unless a document asks for them, and a PDF
// reader cannot always tell which letters a ligature stands for. Qt 6.4 has no switch for
// the OpenType feature, but it sets letter-spaced text without ligatures, and spacing of
// 100% counts as spaced while leaving every advance as it is. (The smallest absolute
// spacing, 1/64 of a point a letter, made lines 0.25% wider than Word's and LibreOffice's
// and broke some a word early.)
QTextCharFormat withoutLigatures(QTextCharFormat format) {
    if (format.objectType() != 0 || format.fontLetterSpacing() != 0) return format;
    const bool shifted =
        format.verticalAlignment() != QTextCharFormat::AlignNormal || format.baselineOffset() != 0;
    if (!shifted) {
        format.setFontLetterSpacingType(QFont::PercentageSpacing);
        format.setFontLetterSpacing(unspacedPercentage);
    } else {
        // Qt rounds advances to 1/64 of a point, so the text after a raised note number
        // may start a hair inside the number's advance, and a PDF reader then reads the
        // number after the text; the smallest spacing there is keeps them apart.
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(smallestSpacing);
    }
    return format;
}

// Emoji the run's font lacks come from a monochrome emoji font before the system's colour
// one: PDF readers (poppler among them) draw nothing for the colour font's bitmap glyphs,
// and pages are what PDF export and printing draw.
bool hasEmoji(const QString& text) {
    for (const char32_t c : text.toUcs4())
        if ((c >= 0x2600 && c <= 0x27BF) || (c >= 0x1F000 && c <= 0x1FAFF)) return true;
    return false;
}

QTextCharFormat withPrintableEmoji(QTextCharFormat format, const QString& text) {
    if (format.objectType() != 0 || !hasEmoji(text)) return format;
    QStringList families = format.fontFamilies().toStringList();
    if (families.isEmpty()) families.append(format.font().family());
    if (!families.contains(monochromeEmoji)) families.append(monochromeEmoji);
    format.setFontFamilies(families);
    return format;
}

bool underlinedMore(const QTextCharFormat& format) {
    return format.boolProperty(TextProperty::doubleUnderline) || format.boolProperty(TextProperty::thickUnderline);
}

void write(QTextDocument& document, std::span<const Entry> entries, std::unordered_set<int>& underlined) {
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    // One Qt block per entry.
    for (size_t block = 0; block < entries.size(); ++block) {
        const Entry& entry = entries[block];
        if (std::any_of(entry.styled.runs.begin(), entry.styled.runs.end(),
                        [](const StyledText::Run& run) { return underlinedMore(run.format); }))
            underlined.insert(static_cast<int>(block));
        if (first) {
            cursor.setBlockFormat(entry.styled.block);
            cursor.setBlockCharFormat(entry.separator);
            first = false;
        } else {
            cursor.insertBlock(entry.styled.block, entry.separator);
        }
        // Runs that look alike go in as one: a document's runs are often split where
        // nothing shows (a space of its own between two runs of the same look), and each
        // insertion costs Qt a lookup among the text's formats.
        const auto& runs = entry.styled.runs;
        for (size_t r = 0; r < runs.size();) {
            size_t next = r + 1;
            int end = runs[r].start + runs[r].length;
            while (next < runs.size() && runs[next].start == end && runs[next].format == runs[r].format)
                end += runs[next++].length;
            const QString text = entry.styled.text.mid(runs[r].start, end - runs[r].start);
            cursor.insertText(text, withPrintableEmoji(withoutLigatures(runs[r].format), text));
            r = next;
        }
    }
    cursor.endEditBlock();
}

PageText emptyText(qreal defaultTab) {
    PageText text;
    text.document = std::make_unique<QTextDocument>();
    text.document->setUndoRedoEnabled(false);
    text.document->setDocumentLayout(new PassiveLayout(text.document.get()));
    registerAttachmentHandler(text.document.get());
    text.defaultTab = defaultTab;
    return text;
}

void shiftBlocks(FlowItem& item, int by) {
    if (auto* paragraph = std::get_if<FlowParagraph>(&item)) {
        paragraph->block -= by;
        return;
    }
    for (FlowCell& cell : std::get<std::shared_ptr<FlowTable>>(item)->cells)
        for (FlowItem& inner : cell.items) shiftBlocks(inner, by);
}

// Where the pieces start, as top-level items: at paragraphs (a table stays whole in its
// piece), each piece about an equal share of the blocks.
std::vector<size_t> pieceStarts(const std::vector<FlowItem>& items, size_t blocks, size_t pieces) {
    std::vector<size_t> starts{0};
    for (size_t i = 1; i < items.size() && starts.size() < pieces; ++i) {
        const auto* paragraph = std::get_if<FlowParagraph>(&items[i]);
        if (paragraph && static_cast<size_t>(paragraph->block) * pieces >= blocks * starts.size())
            starts.push_back(i);
    }
    return starts;
}

}  // namespace

PageText PageText::assemble(const std::vector<BlockSnapshot>& blocks, const AttributedBuilder& builder,
                            const PageTextOptions& options) {
    PageText text = emptyText(options.defaultTab);
    Assembler assembler(options);
    text.items = assembler.text(blocks, builder, false, 0);
    write(*text.document, assembler.entries, text.underlined);
    text.leaders = std::move(assembler.leaders);
    text.floats = std::move(assembler.floats);
    return text;
}

void PageText::assembleInPieces(const std::vector<BlockSnapshot>& blocks, const AttributedBuilder& builder,
                                const PageTextOptions& options, size_t pieces,
                                std::vector<std::unique_ptr<PageText>>& out,
                                const std::function<void(const PageText&)>& written) {
    Assembler assembler(options);
    std::vector<FlowItem> items = assembler.text(blocks, builder, false, 0);
    const size_t count = assembler.entries.size();
    // Floats are placed by the lines around their anchors: such a text stays whole.
    const std::vector<size_t> starts =
        assembler.floats.empty() ? pieceStarts(items, count, std::max<size_t>(pieces, 1)) : std::vector<size_t>{0};
    for (size_t k = 0; k < starts.size(); ++k) {
        const size_t end = k + 1 < starts.size() ? starts[k + 1] : items.size();
        const int first = k == 0 ? 0 : std::get<FlowParagraph>(items[starts[k]]).block;
        const int last = k + 1 < starts.size() ? std::get<FlowParagraph>(items[end]).block : static_cast<int>(count);
        auto& piece = *out.emplace_back(std::make_unique<PageText>(emptyText(options.defaultTab)));
        for (size_t i = starts[k]; i < end; ++i) {
            shiftBlocks(items[i], first);
            piece.items.push_back(std::move(items[i]));
        }
        for (auto& [block, leaders] : assembler.leaders)
            if (block >= first && block < last) piece.leaders.emplace(block - first, std::move(leaders));
        write(*piece.document,
              std::span<const Entry>(assembler.entries).subspan(static_cast<size_t>(first),
                                                                static_cast<size_t>(last - first)),
              piece.underlined);
        if (k == 0) piece.floats = std::move(assembler.floats);
        written(piece);
    }
}

}  // namespace tovin
