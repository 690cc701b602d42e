#include "cli/SnapshotText.h"

#include "RovuVuz/xml/Utf8.h"

namespace tovin::cli {

namespace {

using namespace rovuvuz;

std::string spanText(const ParagraphSnapshot& paragraph, const Span& span) {
    switch (span.content.type) {
        case Span::Content::Type::pageBreak: return "\f";
        // A note's number by reference order; a custom mark shows as the text after it.
        case Span::Content::Type::noteRef:
            return span.content.noteLabel.empty() ? std::string() : "[" + span.content.noteLabel + "]";
        case Span::Content::Type::image: return "[image]";
        case Span::Content::Type::opaque: return span.content.preview;
        case Span::Content::Type::text: break;
    }
    std::u16string text = paragraph.text.substr(span.range.lower, span.range.size());
    for (char16_t& c : text)
        if (c == u'\u2028') c = u'\n';
    return utf8::fromUtf16(text);
}

std::string tableText(const TableSnapshot& table, ShowChanges changes);

std::string blocksText(const std::vector<BlockSnapshot>& blocks, ShowChanges changes, const char* separator) {
    std::string out;
    for (const BlockSnapshot& block : blocks) {
        std::string line;
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value))
            line = plainText(*p, changes);
        else if (const auto* table = std::get_if<TableSnapshot>(&block.value))
            line = tableText(*table, changes);
        else
            line = std::get<OpaqueBlock>(block.value).preview;
        if (!out.empty()) out += separator;
        out += line;
    }
    return out;
}

std::string tableText(const TableSnapshot& table, ShowChanges changes) {
    std::string out;
    for (const auto& row : table.rows) {
        if (!out.empty()) out += '\n';
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += '\t';
            out += blocksText(row[i].blocks, changes, " ");
        }
    }
    return out;
}

nlohmann::json revisionJson(const std::optional<RevisionInfo>& revision) {
    if (!revision) return nullptr;
    return {{"id", revision->id.rawValue},
            {"kind", revision->kind == RevisionKind::insert ? "insert" : "delete"},
            {"author", revision->author},
            {"date", revision->date ? nlohmann::json(*revision->date) : nlohmann::json(nullptr)}};
}

template <typename T>
nlohmann::json optionalJson(const std::optional<T>& value) {
    return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

nlohmann::json formatJson(const RunFormat& f) {
    return {{"bold", f.bold},           {"italic", f.italic},
            {"underline", f.underline}, {"strike", f.strike},
            {"verticalAlign", f.verticalAlign == VerticalAlign::baseline      ? "baseline"
                              : f.verticalAlign == VerticalAlign::superscript ? "superscript"
                                                                              : "subscript"},
            {"font", optionalJson(f.font)}, {"size", optionalJson(f.size)},
            {"color", optionalJson(f.color)}, {"highlight", optionalJson(f.highlight)},
            {"style", f.style ? nlohmann::json(f.style->rawValue) : nlohmann::json(nullptr)}};
}

nlohmann::json contentJson(const Span::Content& c) {
    switch (c.type) {
        case Span::Content::Type::text: return {{"type", "text"}};
        case Span::Content::Type::pageBreak: return {{"type", "pageBreak"}};
        case Span::Content::Type::noteRef:
            return {{"type", "noteRef"}, {"id", c.noteID}, {"label", c.noteLabel}, {"element", c.name}};
        case Span::Content::Type::image:
            return {{"type", "image"},
                    {"relationship", c.image ? nlohmann::json(c.image->rawValue) : nlohmann::json(nullptr)},
                    {"width", optionalJson(c.width)},
                    {"height", optionalJson(c.height)}};
        case Span::Content::Type::opaque: return {{"type", "opaque"}, {"name", c.name}, {"preview", c.preview}};
    }
    return nullptr;
}

nlohmann::json paragraphJson(const ParagraphSnapshot& p) {
    nlohmann::json spans = nlohmann::json::array();
    for (const Span& span : p.spans)
        spans.push_back({{"start", span.range.lower},
                         {"end", span.range.upper},
                         {"text", utf8::fromUtf16(p.text.substr(span.range.lower, span.range.size()))},
                         {"content", contentJson(span.content)},
                         {"format", formatJson(span.format)},
                         {"revision", revisionJson(span.revision)},
                         {"formatRevision", revisionJson(span.formatRevision)},
                         {"link", optionalJson(span.link)}});
    nlohmann::json marks = nlohmann::json::array();
    for (const CommentMark& mark : p.commentMarks)
        marks.push_back({{"id", mark.id.rawValue}, {"offset", mark.offset}, {"isStart", mark.isStart}});
    return {{"type", "paragraph"},
            {"text", utf8::fromUtf16(p.text)},
            {"style", p.format.style ? nlohmann::json(p.format.style->rawValue) : nlohmann::json(nullptr)},
            {"listLabel", optionalJson(p.listLabel)},
            {"markRevision", revisionJson(p.markRevision)},
            {"spans", spans},
            {"commentMarks", marks}};
}

nlohmann::json blocksJson(const std::vector<BlockSnapshot>& blocks) {
    nlohmann::json out = nlohmann::json::array();
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            out.push_back(paragraphJson(*p));
        } else if (const auto* table = std::get_if<TableSnapshot>(&block.value)) {
            nlohmann::json rows = nlohmann::json::array();
            for (const auto& row : table->rows) {
                nlohmann::json cells = nlohmann::json::array();
                for (const CellSnapshot& cell : row)
                    cells.push_back({{"gridSpan", cell.gridSpan},
                                     {"vMerge", !cell.vMerge                        ? nlohmann::json(nullptr)
                                                : *cell.vMerge == VMerge::restart ? nlohmann::json("restart")
                                                                                  : nlohmann::json("continue")},
                                     {"blocks", blocksJson(cell.blocks)}});
                rows.push_back(cells);
            }
            out.push_back({{"type", "table"}, {"columns", table->columns}, {"rows", rows}});
        } else {
            const auto& opaque = std::get<OpaqueBlock>(block.value);
            out.push_back({{"type", "opaque"}, {"name", opaque.name}, {"preview", opaque.preview}});
        }
    }
    return out;
}

}  // namespace

std::string plainText(const ParagraphSnapshot& paragraph, ShowChanges changes) {
    std::string out = paragraph.listLabel ? *paragraph.listLabel + " " : "";
    std::optional<RevisionKind> open;  // the change whose marker is open
    const auto close = [&] {
        if (open) out += *open == RevisionKind::insert ? "+}" : "-]";
        open.reset();
    };
    for (const Span& span : paragraph.spans) {
        const auto kind = span.revision ? std::optional(span.revision->kind) : std::nullopt;
        if (changes == ShowChanges::No) {
            if (kind != RevisionKind::remove) out += spanText(paragraph, span);
            continue;
        }
        if (kind != open) {
            close();
            if (kind) out += *kind == RevisionKind::insert ? "{+" : "[-";
            open = kind;
        }
        out += spanText(paragraph, span);
    }
    close();
    return out;
}

std::string plainText(const StorySnapshot& story, ShowChanges changes) {
    std::string out = blocksText(story.blocks, changes, "\n");
    for (const EntrySnapshot& entry : story.entries) {
        if (!out.empty()) out += '\n';
        // Notes by the number a reader sees; comments, and notes nothing references, by id.
        const std::string label = entry.label.empty() ? std::to_string(entry.id) : entry.label;
        out += "[" + label + "] " + blocksText(entry.blocks, changes, "\n    ");
    }
    return out;
}

nlohmann::json toJson(const StorySnapshot& story) {
    nlohmann::json entries = nlohmann::json::array();
    for (const EntrySnapshot& entry : story.entries)
        entries.push_back({{"id", entry.id},
                           {"label", entry.label},
                           {"author", optionalJson(entry.author)},
                           {"date", optionalJson(entry.date)},
                           {"blocks", blocksJson(entry.blocks)}});
    return {{"story", story.id.description()}, {"part", story.part.rawValue}, {"blocks", blocksJson(story.blocks)},
            {"entries", entries}};
}

}  // namespace tovin::cli
