#include "RovuVuz/snapshot/Snapshot.h"

#include "RovuVuz/model/DisplayText.h"
#include "RovuVuz/snapshot/SnapshotContext.h"
#include "RovuVuz/snapshot/SnapshotWalk.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"

namespace rovuvuz {

namespace {

// An attribute by qualified-name suffix (":id" finds w:id), from parsed start-tag pairs.
std::optional<std::string> attributeEnding(const Markup::Attributes& attributes, std::string_view local) {
    for (const auto& [name, value] : attributes) {
        if (name == local) return value;
        if (name.size() > local.size() && name.ends_with(local) && name[name.size() - local.size() - 1] == ':')
            return value;
    }
    return std::nullopt;
}

RevisionInfo revisionFrom(ByteView startTag, RevisionKind kind) {
    const Markup::Attributes attributes = Markup::attributes(startTag);
    return RevisionInfo{RevisionID{Numbers::integer(attributeEnding(attributes, "id")).value_or(-1)}, kind,
                        attributeEnding(attributes, "author").value_or(""),
                        attributeEnding(attributes, "date")};
}

// The start tag of an element's bytes (the bytes up to the first ">").
ByteView startTagOf(ByteView element) {
    const auto close = std::find(element.begin(), element.end(), uint8_t('>'));
    return close == element.end() ? element : element.first(size_t(close - element.begin()) + 1);
}

// A block-level content control or its content, read as a group (StoryParser::holdsBlocks).
bool isBlockWrapper(const Group& group) {
    return group.local() == "sdt" || group.local() == "sdtContent";
}

void collectParagraphs(const std::vector<BlockSnapshot>& blocks, std::vector<const ParagraphSnapshot*>& out) {
    for (const BlockSnapshot& block : blocks) {
        if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value)) {
            out.push_back(p);
        } else if (const auto* table = std::get_if<TableSnapshot>(&block.value)) {
            for (const auto& row : table->rows)
                for (const CellSnapshot& cell : row) collectParagraphs(cell.blocks, out);
        }
    }
}

}  // namespace

std::vector<const ParagraphSnapshot*> StorySnapshot::paragraphs() const {
    std::vector<const ParagraphSnapshot*> result;
    collectParagraphs(blocks, result);
    for (const EntrySnapshot& entry : entries) collectParagraphs(entry.blocks, result);
    return result;
}

SnapshotContext::SnapshotContext(Relationships rels, const StyleSheet& styles, const Numbering& numbering,
                                 Counting counting)
    : rels_(std::move(rels)), styles_(styles), numbering_(numbering) {
    if (counting == Counting::Yes) counter_.emplace(numbering_);
}

std::vector<BlockSnapshot> SnapshotContext::blocks(const std::vector<Block>& children,
                                                   std::string_view mainPrefix) {
    static constexpr std::string_view opaqueRaws[] = {"sdt", "customXml", "altChunk", "oMathPara"};
    std::vector<BlockSnapshot> result;
    result.reserve(children.size());
    for (const Block& block : children) {
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            result.push_back(BlockSnapshot{paragraph(**p)});
        } else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block)) {
            if ((*g)->local() == "tbl") {
                result.push_back(BlockSnapshot{table(**g)});
            } else if (isBlockWrapper(**g)) {
                // A block-level content control shows its paragraphs and tables in place.
                std::vector<BlockSnapshot> inner = blocks((*g)->children, (*g)->tags.prefix());
                std::move(inner.begin(), inner.end(), std::back_inserter(result));
            } else {
                result.push_back(BlockSnapshot{OpaqueBlock{std::string((*g)->local()), ""}});
            }
        } else {
            const Raw& raw = std::get<Raw>(block);
            const auto local = raw.local();
            if (local && std::find(std::begin(opaqueRaws), std::end(opaqueRaws), *local) != std::end(opaqueRaws))
                result.push_back(BlockSnapshot{
                    OpaqueBlock{std::string(*local), Markup::previewText(raw.bytes.view(), mainPrefix)}});
        }
    }
    return result;
}

void SnapshotContext::applyListIndent(ParagraphFormat& format) const {
    // A list paragraph without its own left indent takes its level's indents.
    if (!format.numbering || format.indentLeft != 0) return;
    const Numbering::Level* level = numbering_.level(*format.numbering, format.numberingLevel);
    if (!level) return;
    if (level->indentLeft) format.indentLeft = *level->indentLeft;
    if (level->hanging) format.firstLine = -*level->hanging;
}

ParagraphSnapshot SnapshotContext::paragraph(const Paragraph& p) {
    ParagraphSnapshot snapshot;
    snapshot.id = p.id;
    snapshot.format = styles_.paragraphFormat(p.props, tableStyle_, conditions_);
    applyListIndent(snapshot.format);
    Walk state{snapshot, snapshot.format.style, p.tags.prefix(), {}};
    walk(p.inlines, std::nullopt, std::nullopt, state);
    closeOpenFields(state);

    std::optional<PropertyBag> mark;
    if (p.props)
        if (const auto rPr = p.props->child("rPr")) mark = PropertyBag::parse(*rPr);
    if (mark) {
        // A mark both inserted and deleted shows as deleted.
        if (const auto del = mark->child("del"))
            snapshot.markRevision = revisionFrom(startTagOf(*del), RevisionKind::remove);
        else if (const auto ins = mark->child("ins"))
            snapshot.markRevision = revisionFrom(startTagOf(*ins), RevisionKind::insert);
    }
    if (p.props)
        if (const auto change = p.props->child("pPrChange"))
            snapshot.formatRevision = revisionFrom(startTagOf(*change), RevisionKind::insert);
    snapshot.markFormat = styles_.runFormat(snapshot.format.style, mark, tableStyle_, conditions_);
    snapshot.listLabel = listLabel(snapshot.format, snapshot.markFormat.language);
    // Tab stops matter only where something stands at one.
    if (snapshot.listLabel || snapshot.text.find(u'\t') != std::u16string::npos)
        snapshot.tabs = styles_.tabStops(snapshot.format.style, p.props ? &*p.props : nullptr, tableStyle_);
    return snapshot;
}

std::optional<std::string> SnapshotContext::listLabel(const ParagraphFormat& format,
                                                      const LanguageTag& language) {
    if (!format.numbering || !counter_) return std::nullopt;
    return counter_->next(*format.numbering, format.numberingLevel, language.empty() ? "en-US" : language.view());
}

LanguageTag SnapshotContext::markLanguage(const Paragraph& p, const ParagraphFormat& format) const {
    std::optional<PropertyBag> mark;
    if (p.props)
        if (const auto rPr = p.props->child("rPr")) mark = PropertyBag::parse(*rPr);
    return styles_.runFormat(format.style, mark, tableStyle_, conditions_).language;
}

void SnapshotContext::listLabels(const std::vector<Block>& children, std::map<ParagraphID, std::string>& labels) {
    for (const Block& block : children) {
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            const ParagraphFormat format = styles_.paragraphFormat((*p)->props, tableStyle_, conditions_);
            if (!format.numbering) continue;
            if (auto label = listLabel(format, markLanguage(**p, format))) labels.emplace((*p)->id, std::move(*label));
        } else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block); g && (*g)->local() == "tbl") {
            eachCell(**g, [](const Group&) {}, [&](const Group& cell) { listLabels(cell.children, labels); });
        } else if (g && isBlockWrapper(**g)) {
            listLabels((*g)->children, labels);
        }
    }
}

std::optional<std::string> SnapshotContext::linkTarget(const Container& hyperlink) const {
    // The relationship id is the "id" of another namespace than the element's own (r:id
    // beside w:anchor, whatever either prefix is).
    const std::string_view own = hyperlink.tags.prefix();
    for (const auto& [name, value] : Markup::attributes(hyperlink.tags.start.view())) {
        const std::string_view prefix = Markup::prefixOf(name);
        const bool relationship = Markup::localOf(name) == "id" && !prefix.empty() && prefix != own;
        if (!relationship) continue;
        if (const Relationship* r = rels_.find(RelationshipID{value})) return r->target;
        break;
    }
    if (auto anchor = hyperlink.attribute("anchor")) return "#" + *anchor;
    return std::nullopt;
}

void SnapshotContext::walk(const std::vector<Inline>& inlines, const std::optional<RevisionInfo>& revision,
                           const std::optional<std::string>& link, Walk& state) {
    for (const Inline& node : inlines) {
        if (const auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
            walkRun(**run, revision, link, state);
        } else if (const auto* c = std::get_if<std::unique_ptr<Container>>(&node)) {
            const Container& container = **c;
            if (container.kind == Container::Kind::hyperlink) {
                walk(container.inlines, revision, linkTarget(container), state);
            } else if (container.kind == Container::Kind::wrapper) {
                walk(container.inlines, revision, link, state);
            } else {
                // A move shows as what it is to a reader: its old place deleted, its new one inserted.
                const auto kind = container.isDeletion() ? RevisionKind::remove : RevisionKind::insert;
                walk(container.inlines, revisionFrom(container.tags.start.view(), kind), link, state);
            }
        } else if (const auto* raw = std::get_if<Raw>(&node)) {
            walkRaw(*raw, revision, link, state);
        }
    }
}

void SnapshotContext::walkRun(const Run& run, const std::optional<RevisionInfo>& revision,
                              const std::optional<std::string>& link, Walk& state) {
    ParagraphSnapshot& snapshot = state.snapshot;
    const RunFormat format =
        styles_.runFormat(state.paragraphStyle, run.props ? &*run.props : nullptr, tableStyle_, conditions_);
    std::optional<RevisionInfo> formatRevision;
    if (run.props)
        if (const auto change = run.props->child("rPrChange"))
            formatRevision = revisionFrom(startTagOf(*change), RevisionKind::insert);

    for (const RunItem& item : run.items) {
        if (item.kind.type == RunItem::Type::fieldChar) fieldChar(item, format, state);
        if (item.kind.type == RunItem::Type::instrText) instrText(item, state);
        const std::u16string_view shown = DisplayText::displayText(item.kind);
        if (shown.empty()) continue;
        fieldResultRun(format, state);
        Span::Content content;
        std::optional<std::string> symbolFont;  // a w:sym's own font
        switch (item.kind.type) {
            case RunItem::Type::pageBreak: content.type = Span::Content::Type::pageBreak; break;
            case RunItem::Type::noteRef:
                content.type = Span::Content::Type::noteRef;
                content.noteID = item.kind.number;
                content.name = item.kind.isEndnoteRef() ? "endnoteReference" : "footnoteReference";
                if (notes_) content.noteLabel = notes_->reference(item).value_or("");
                break;
            case RunItem::Type::object: {
                const std::string name = item.kind.objectName();
                content = object(name, item.original.view(), state.mainPrefix);
                if (name == "sym") {
                    auto [character, font] = symbol(item.original.view());
                    content.preview = std::move(character);
                    symbolFont = std::move(font);
                } else if (auto drawn = drawing(name, item.original.view(), snapshot.text.size())) {
                    snapshot.drawings.push_back(std::move(*drawn));
                }
                break;
            }
            default: break;
        }
        const size_t offset = snapshot.text.size();
        if (item.kind.isColumnBreak()) snapshot.columnBreaks.push_back(offset);
        // Consecutive text, tabs and breaks of one run form one span; two runs never do.
        if (content.type == Span::Content::Type::text && !snapshot.spans.empty()) {
            Span& last = snapshot.spans.back();
            if (last.content.type == Span::Content::Type::text && last.key == run.key && last.range.upper == offset) {
                last.range.upper += shown.size();
                snapshot.text.append(shown);
                continue;
            }
        }
        snapshot.spans.push_back(Span{TextRange{offset, offset + shown.size()}, std::move(content), format, run.key,
                                      revision, formatRevision, link});
        if (symbolFont) snapshot.spans.back().format.font = std::move(symbolFont);
        snapshot.text.append(shown);
    }
}

void SnapshotContext::walkRaw(const Raw& raw, const std::optional<RevisionInfo>& revision,
                              const std::optional<std::string>& link, Walk& state) {
    ParagraphSnapshot& snapshot = state.snapshot;
    const auto local = raw.local();
    if (!local) return;
    if (*local == "commentRangeStart" || *local == "commentRangeEnd") {
        const int64_t id = Numbers::integer(raw.wid()).value_or(INT64_MIN);
        if (id != INT64_MIN) snapshot.commentMarks.push_back({CommentID{id}, snapshot.text.size(), *local == "commentRangeStart"});
    }
    if (!DisplayText::isVisibleRaw(*local)) return;
    if (*local == "fldSimple") simpleField(raw, state);
    const size_t offset = snapshot.text.size();
    Span::Content content;
    content.type = Span::Content::Type::opaque;
    content.name = std::string(*local);
    content.preview = Markup::previewText(raw.bytes.view(), state.mainPrefix);
    snapshot.spans.push_back(Span{TextRange{offset, offset + 1}, std::move(content),
                                  styles_.runFormat(state.paragraphStyle, nullptr, tableStyle_, conditions_), std::nullopt,
                                  revision, std::nullopt, link});
    snapshot.text.push_back(u'\uFFFC');
}

}  // namespace rovuvuz
