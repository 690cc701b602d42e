#include "RovuVuz/snapshot/NoteLabels.h"

#include <array>
#include <limits>

#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// The "chicago" format (ECMA-376 §17.18.59): *, †, ‡, §, then each doubled, tripled, …
std::string chicago(int64_t n) {
    static constexpr std::array<std::string_view, 4> marks = {"*", "\u2020", "\u2021", "\u00A7"};
    if (n < 1) return std::to_string(n);
    const int64_t times = std::min<int64_t>((n - 1) / 4 + 1, Numbering::longestNumber);
    std::string label;
    for (int64_t i = 0; i < times; ++i) label += marks[static_cast<size_t>((n - 1) % 4)];
    return label;
}

std::string formatted(int64_t n, const NoteNumbering& numbering) {
    if (numbering.format == "chicago") return chicago(n);
    return Numbering::format(n, numbering.format);
}

// The text that follows a reference in its run, up to the first item that is not text:
// the mark a w:customMarkFollows reference brings.
std::string markAfter(const Run& run, size_t index) {
    std::u16string mark;
    for (size_t i = index + 1; i < run.items.size() && run.items[i].kind.type == RunItem::Type::text; ++i)
        mark += run.items[i].kind.text;
    return utf8::fromUtf16(mark);
}

// Visits the runs of an owner's inlines in document order; recursion follows container
// nesting, which the story parser bounds.
template <typename Visit>
void eachRun(const std::vector<Inline>& inlines, Visit& visit) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node))
            visit(**run);
        else if (const auto* container = std::get_if<std::unique_ptr<Container>>(&node))
            eachRun((*container)->inlines, visit);
    }
}

}  // namespace

NoteNumbering NoteNumbering::read(std::optional<ByteView> settings, bool endnotes) {
    NoteNumbering numbering;
    if (endnotes) numbering.format = "lowerRoman";
    if (!settings) return numbering;
    try {
        const XMLTree tree(*settings);
        for (int properties : tree.childElements(tree.root())) {
            if (tree.localName(properties) != (endnotes ? "endnotePr" : "footnotePr")) continue;
            for (int child : tree.childElements(properties)) {
                const std::string_view local = tree.localName(child);
                const auto value = tree.ownAttribute(child, "val");
                if (local == "numFmt" && value && !value->empty()) numbering.format = *value;
                if (local == "numStart")
                    if (const auto start = Numbers::integer(value); start && *start >= 0) numbering.start = *start;
            }
        }
    } catch (const XMLError&) {
    }
    return numbering;
}

NoteLabels::NoteLabels(const Group& body, const NoteNumbering& footnotes, const NoteNumbering& endnotes) {
    auto visit = [&](const Run& run) {
        for (size_t i = 0; i < run.items.size(); ++i) {
            const RunItem& item = run.items[i];
            if (item.kind.type != RunItem::Type::noteRef) continue;
            const bool endnote = item.kind.isEndnoteRef();
            Kind& kind = endnote ? endnotes_ : footnotes_;
            if (kind.labels.count(item.kind.number)) continue;
            if (hasCustomMark(item)) {
                kind.labels[item.kind.number] = markAfter(run, i);
                continue;
            }
            const NoteNumbering& numbering = endnote ? endnotes : footnotes;
            const int64_t n = numbering.start > std::numeric_limits<int64_t>::max() - kind.counted
                                  ? numbering.start
                                  : numbering.start + kind.counted;
            ++kind.counted;
            kind.labels[item.kind.number] = formatted(n, numbering);
        }
    };
    walkBlocks(body, [&](const Paragraph& paragraph) { eachRun(paragraph.inlines, visit); }, [](const Group&) {});
}

bool NoteLabels::hasCustomMark(const RunItem& item) {
    if (item.kind.type != RunItem::Type::noteRef || !item.hasOriginal()) return false;
    const ByteView bytes = item.original.view();
    for (const auto& [name, value] : Markup::attributes(bytes))
        if (Markup::localOf(name) == "customMarkFollows") return Markup::isOn(value);
    return false;
}

std::optional<std::string> NoteLabels::reference(const RunItem& item) const {
    if (item.kind.type != RunItem::Type::noteRef) return std::nullopt;
    if (hasCustomMark(item)) return std::string();
    return note(item.kind.isEndnoteRef(), item.kind.number);
}

std::optional<std::string> NoteLabels::note(bool endnote, int64_t id) const {
    const Kind& kind = of(endnote);
    const auto found = kind.labels.find(id);
    if (found == kind.labels.end()) return std::nullopt;
    return found->second;
}

}  // namespace rovuvuz
