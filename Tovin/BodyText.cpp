#include "Tovin/BodyText.h"

#include <variant>

#include "RovuVuz/DocxDocument.h"

namespace tovin {

namespace {

void appendInlines(const std::vector<rovuvuz::Inline>& inlines, std::u16string& out) {
    using rovuvuz::RunItem;
    for (const rovuvuz::Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<rovuvuz::Run>>(&node)) {
            for (const RunItem& item : (*run)->items) {
                switch (item.kind.type) {
                    case RunItem::Type::text:
                        out += item.kind.text;
                        break;
                    // Deleted text stays out of this plain view; the editor marks it instead.
                    case RunItem::Type::delText:
                        break;
                    case RunItem::Type::tab:
                        out += u'\t';
                        break;
                    case RunItem::Type::lineBreak:
                    case RunItem::Type::pageBreak:
                        out += u'\u2028';
                        break;
                    case RunItem::Type::object:
                    case RunItem::Type::noteRef:
                        out += u'\uFFFC';
                        break;
                    default:
                        break;
                }
            }
        } else if (const auto* container = std::get_if<std::unique_ptr<rovuvuz::Container>>(&node)) {
            if ((*container)->kind != rovuvuz::Container::Kind::remove)
                appendInlines((*container)->inlines, out);
        }
    }
}

}  // namespace

QString bodyText(rovuvuz::DocxDocument& document) {
    std::u16string text;
    try {
        const rovuvuz::Story& story = document.story(rovuvuz::StoryID::body());
        bool first = true;
        for (const rovuvuz::Paragraph* paragraph : story.paragraphs()) {
            if (!first) text += u'\n';
            first = false;
            appendInlines(paragraph->inlines, text);
        }
    } catch (const std::exception&) {
        return {};
    }
    return QString::fromStdU16String(text);
}

}  // namespace tovin
