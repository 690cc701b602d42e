#include "Tovin/pages/PaperText.h"

#include <algorithm>
#include <exception>

#include <QPainter>

#include "Tovin/pages/ShapeFrames.h"
#include "Tovin/text/Attachments.h"
#include "Tovin/text/TextProperties.h"

namespace tovin::PaperText {

namespace {

using rovuvuz::FieldInstruction;
using rovuvuz::ParagraphSnapshot;
using rovuvuz::Span;

struct Replacement {
    int lower = 0;
    int upper = 0;
    QString text;
    QTextCharFormat format;
};

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<QString> pageNumber(const rovuvuz::FieldSnapshot& field, const PageNumbers& numbers) {
    int64_t value = 0;
    switch (field.instruction.kind) {
        case FieldInstruction::Kind::page:
            value = numbers.page;
            break;
        case FieldInstruction::Kind::numPages:
            value = numbers.pages;
            break;
        case FieldInstruction::Kind::sectionPages:
            value = numbers.sectionPages;
            break;
        case FieldInstruction::Kind::other:
            return std::nullopt;
    }
    try {
        const std::string format = numbers.format.empty() ? std::string("decimal") : numbers.format;
        return fromUtf8(field.instruction.number(value, format, field.format.language.view()));
    } catch (const std::exception&) {
        return QString::number(value);
    }
}

// The faint frame that stands in for a chip on paper.
class FrameAttachment : public TextAttachment {
  public:
    FrameAttachment(QSizeF size, qreal baseline) : size_(size), baseline_(baseline) {}
    QSizeF size() const override { return size_; }
    qreal baseline() const override { return baseline_; }
    void draw(QPainter& painter, const QRectF& box) const override {
        painter.save();
        painter.setPen(QPen(QColor(200, 200, 200), 0.75));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
        painter.restore();
    }

  private:
    QSizeF size_;
    qreal baseline_;
};

// A note reference becomes its number as raised text, which a PDF reader reads with the
// word it follows; the run keeps the note's id, by which the page finds its note.
void renumber(StyledText& styled, const NoteOrder& notes) {
    for (size_t r = styled.runs.size(); r-- > 0;) {
        const StyledText::Run run = styled.runs[r];
        const auto* ref = dynamic_cast<const NoteRefAttachment*>(attachmentOf(run.format).get());
        if (!ref) continue;
        const auto found = notes.shown.find(ref->number());
        const bool endnote = notes.footnotes.count(ref->number()) == 0;
        const QString shown = found == notes.shown.end() ? ref->text() : noteNumber(found->second, endnote);
        QTextCharFormat look = run.format;
        look.clearProperty(QTextFormat::ObjectType);
        look.clearProperty(TextProperty::attachment);
        look.clearProperty(TextProperty::attachmentHash);
        look.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        look.setProperty(noteIdProperty, ref->number());
        replace(styled, run.start, run.start + run.length, shown, look);
    }
}

int clampOffset(size_t offset, int length) {
    return static_cast<int>(std::min<size_t>(offset, static_cast<size_t>(length)));
}

// What the fields and kept objects of `p` become, in text order, without overlaps: a
// field wins over the object it is made of (a w:fldSimple is one).
std::vector<Replacement> replacements(const ParagraphSnapshot& p, const AttributedBuilder& builder,
                                      const PageNumbers* numbers, int length) {
    std::vector<Replacement> out;
    for (const auto& field : p.fields) {
        std::optional<QString> text = numbers ? pageNumber(field, *numbers) : std::nullopt;
        if (!text && field.simple) text = fromUtf8(field.resultText);
        if (!text) continue;
        const int lower = clampOffset(field.result.lower, length);
        const int upper = std::max(lower, clampOffset(field.result.upper, length));
        out.push_back({lower, upper, *text, builder.attributes(field.format, std::nullopt)});
    }
    for (const Span& span : p.spans) {
        if (span.content.type != Span::Content::Type::opaque) continue;
        const int lower = clampOffset(span.range.lower, length);
        const int upper = std::max(lower, clampOffset(span.range.upper, length));
        // A text box's text is laid out in its own frame, not repeated here; a shape or
        // graphic keeps the attachment that draws it.
        const auto drawnHere = [&](const auto& drawing) { return drawing.offset == span.range.lower; };
        if (std::any_of(p.drawings.begin(), p.drawings.end(),
                        [&](const auto& drawing) { return drawnHere(drawing) && ShapeFrames::drawnAsShape(drawing); }))
            continue;
        const bool framed = std::any_of(p.drawings.begin(), p.drawings.end(), [&](const auto& drawing) {
            return drawnHere(drawing) && !drawing.blocks.empty();
        });
        out.push_back({lower, upper, framed ? QString() : fromUtf8(span.content.preview),
                       builder.attributes(span.format, span.revision)});
    }
    std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.lower < b.lower; });
    std::vector<Replacement> kept;
    for (auto& r : out) {
        if (!kept.empty() && r.lower < kept.back().upper) continue;
        if (!kept.empty() && r.lower == r.upper && r.lower == kept.back().lower) continue;
        kept.push_back(std::move(r));
    }
    return kept;
}

}  // namespace

void unchip(StyledText& styled) {
    for (auto& run : styled.runs) {
        const auto* chip = dynamic_cast<const ChipAttachment*>(attachmentOf(run.format).get());
        if (!chip) continue;
        run.format = attachmentFormat(std::make_shared<FrameAttachment>(chip->size(), chip->baseline()), run.format);
    }
}

void replace(StyledText& styled, int lower, int upper, const QString& text, const QTextCharFormat& format) {
    const int length = static_cast<int>(styled.text.size());
    lower = std::clamp(lower, 0, length);
    upper = std::clamp(upper, lower, length);
    const int shift = static_cast<int>(text.size()) - (upper - lower);
    QTextCharFormat look = format;
    // The label travels on every run; the first one may now be this one.
    if (!styled.runs.empty()) {
        const QString label = listLabelProperty(styled.runs.front().format);
        if (!label.isEmpty()) look.setProperty(TextProperty::listLabel, label);
    }
    std::vector<StyledText::Run> runs;
    runs.reserve(styled.runs.size() + 2);
    bool placed = false;
    auto place = [&] {
        if (!placed && !text.isEmpty()) runs.push_back({lower, static_cast<int>(text.size()), look});
        placed = true;
    };
    for (const auto& run : styled.runs) {
        const int end = run.start + run.length;
        if (run.start < lower) runs.push_back({run.start, std::min(end, lower) - run.start, run.format});
        if (end > upper) {
            place();
            const int from = std::max(run.start, upper);
            runs.push_back({from + shift, end - from, run.format});
        }
    }
    place();
    styled.text.replace(lower, upper - lower, text);
    styled.runs = std::move(runs);
}

void apply(StyledText& styled, const ParagraphSnapshot& p, const AttributedBuilder& builder,
           const PageNumbers* numbers, const NoteOrder* notes) {
    const int length = static_cast<int>(styled.text.size());
    if (length == 0) return;
    auto list = replacements(p, builder, numbers, length);
    // From the end, so that the offsets before each replacement stay valid.
    for (auto it = list.rbegin(); it != list.rend(); ++it) replace(styled, it->lower, it->upper, it->text, it->format);
    if (notes) renumber(styled, *notes);
}

QString noteNumber(int64_t number, bool endnote) {
    if (!endnote) return QString::number(number);
    try {
        return fromUtf8(FieldInstruction{}.number(number, "lowerRoman", ""));
    } catch (const std::exception&) {
        return QString::number(number);
    }
}

namespace {

void orderNotes(const std::vector<rovuvuz::BlockSnapshot>& blocks, const std::set<int64_t>& footnotes,
                NoteOrder& order) {
    for (const auto& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            for (const Span& span : p->spans) {
                if (span.content.type != Span::Content::Type::noteRef) continue;
                const int64_t id = span.content.noteID;
                NoteNumbers& kind = footnotes.count(id) ? order.footnotes : order.endnotes;
                if (kind.emplace(id, static_cast<int64_t>(kind.size()) + 1).second) order.shown.emplace(id, kind.at(id));
            }
        } else if (const auto* t = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
            for (const auto& row : t->rows)
                for (const auto& cell : row) orderNotes(cell.blocks, footnotes, order);
        }
    }
}

}  // namespace

NoteOrder noteOrder(const std::vector<rovuvuz::BlockSnapshot>& blocks, const std::set<int64_t>& footnotes) {
    NoteOrder order;
    orderNotes(blocks, footnotes, order);
    return order;
}

bool hasPageFields(const std::vector<rovuvuz::BlockSnapshot>& blocks) {
    for (const auto& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            for (const auto& field : p->fields)
                if (field.instruction.kind != FieldInstruction::Kind::other) return true;
        } else if (const auto* t = std::get_if<rovuvuz::TableSnapshot>(&block.value)) {
            for (const auto& row : t->rows)
                for (const auto& cell : row)
                    if (hasPageFields(cell.blocks)) return true;
        }
    }
    return false;
}

}  // namespace tovin::PaperText
