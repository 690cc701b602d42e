#include "Tovin/BodyText.h"

#include <variant>

#include "RovuVuz/document/DocxDocument.h"

namespace tovin {

namespace {

// A paragraph as a reader sees it: its list label, then its spans, with tracked deletions
// left out (the editor will mark them instead).
void appendParagraph(const rovuvuz::ParagraphSnapshot& paragraph, std::u16string& out) {
    if (paragraph.listLabel) out += QString::fromStdString(*paragraph.listLabel + " ").toStdU16String();
    for (const rovuvuz::Span& span : paragraph.spans) {
        if (span.revision && span.revision->kind == rovuvuz::RevisionKind::remove) continue;
        out += std::u16string_view(paragraph.text).substr(span.range.lower, span.range.size());
    }
}

}  // namespace

QString bodyText(rovuvuz::DocxDocument& document) {
    std::u16string text;
    try {
        const rovuvuz::StorySnapshot snapshot = document.snapshot(rovuvuz::StoryID::body());
        bool first = true;
        for (const rovuvuz::ParagraphSnapshot* paragraph : snapshot.paragraphs()) {
            if (!first) text += u'\n';
            first = false;
            appendParagraph(*paragraph, text);
        }
    } catch (const std::exception&) {
        return {};
    }
    return QString::fromStdU16String(text);
}

}  // namespace tovin
