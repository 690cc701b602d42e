// Copy: a selection of one story as the clipboard's three flavours. Each selected paragraph
// is copied (serialized and read again into a scratch tree, so the document itself is never
// touched), cut to the selection, and cleaned of what only makes sense where it stood:
// tracked deletions go, tracked insertions become plain content, comment and note
// references, bookmarks and objects that need relationships other than pictures are left
// out. What remains keeps its source bytes.
#include <set>

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/document/ClipParts.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/xml/Base64.h"
#include "RovuVuz/xml/XMLTree.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz {

namespace {

using Markup::qualified;

// Edits on the scratch copies need identities and a style sheet, never the document's.
class Scratch : public EditContext {
  public:
    IdentityMint& mint() override { return mint_; }
    int64_t nextRevisionID() override { return ++revision_; }
    const StyleSheet& styles() override { return sheet_; }

  private:
    IdentityMint mint_;
    StyleSheet sheet_;
    int64_t revision_ = 0;
};

// Inline markup kept as it is; every other preserved element (bookmarks, comment ranges,
// proofing marks, permissions, content controls) is left out.
bool keepsRaw(const Raw& raw) {
    const auto local = raw.local();
    return !local || *local == "fldSimple" || *local == "oMath" || *local == "oMathPara";
}

// What the copy of one selection gathers beside its paragraphs.
struct Gathered {
    std::set<std::string> styles;        // style ids named by w:pStyle and w:rStyle
    std::map<std::string, Bytes> images;  // relationship id → picture bytes
    std::map<std::string, std::string> imageExtensions;
};

class Cleaner {
  public:
    Cleaner(DocxDocument& document, const PartName& part, Gathered& gathered)
        : document_(document), relationships_(document.relationships(part)), gathered_(gathered) {}

    std::vector<Inline> clean(std::vector<Inline> inlines) {
        std::vector<Inline> kept;
        for (Inline& node : inlines) {
            if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
                cleanRun(**run);
                kept.push_back(std::move(node));
            } else if (auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
                Container& c = **container;
                if (c.kind == Container::Kind::remove) continue;
                if (c.kind == Container::Kind::insert || !linkTarget(c)) {
                    for (Inline& inner : clean(std::move(c.inlines))) kept.push_back(std::move(inner));
                    continue;
                }
                c.inlines = clean(std::move(c.inlines));
                kept.push_back(std::move(node));
            } else if (const auto* raw = std::get_if<Raw>(&node)) {
                if (keepsRaw(*raw)) kept.push_back(std::move(node));
            }
        }
        return kept;
    }

  private:
    // An external link keeps its target beside it; a link to a bookmark (which is not
    // copied) is dissolved into its text.
    bool linkTarget(Container& link) {
        const auto id = link.attribute("id");
        const Relationship* r = id ? relationships_.find(RelationshipID{*id}) : nullptr;
        if (!r || !r->external) return false;
        Markup::Attributes attributes;
        for (auto& [name, value] : Markup::attributes(link.tags.start.view()))
            if (Markup::localOf(name) != "id" && Markup::localOf(name) != "anchor" && Markup::localOf(name) != "history")
                attributes.emplace_back(std::move(name), std::move(value));
        attributes.emplace_back(qualified(Clip::prefix, "target"), r->target);
        link.tags = Tags::build(link.tags.qname(), attributes);
        link.dirty = true;
        return true;
    }

    void cleanRun(Run& run) {
        if (run.props)
            if (const auto style = run.props->child("rStyle"))
                if (auto val = Markup::attribute("val", *style)) gathered_.styles.insert(*val);
        const size_t before = run.items.size();
        std::erase_if(run.items, [&](const RunItem& item) {
            switch (item.kind.type) {
                case RunItem::Type::noteRef:
                case RunItem::Type::commentRef: return true;
                case RunItem::Type::object: return !keepObject(item);
                default: return false;
            }
        });
        if (run.items.size() != before) run.dirty = true;
    }

    // A picture keeps its drawing and brings its image bytes; any other object that names a
    // relationship (charts, embedded objects, linked pictures) cannot travel and is left out.
    bool keepObject(const RunItem& item) {
        if (!item.hasOriginal()) return true;
        std::optional<XMLTree> tree;
        try {
            tree.emplace(item.original.view());
        } catch (const XMLError&) {
            return false;
        }
        bool keep = true;
        for (size_t i = 0; i < tree->nodeCount() && keep; ++i) {
            const int node = static_cast<int>(i);
            if (tree->kind(node) != XMLTree::Kind::element) continue;
            for (const std::string& name : tree->attributeNames(node)) {
                if (!name.starts_with("r:")) continue;
                keep = tree->localName(node) == "blip" && name == "r:embed" && gatherImage(*tree->attribute(node, name));
                if (!keep) break;
            }
        }
        return keep;
    }

    bool gatherImage(const std::string& id) {
        if (gathered_.images.contains(id)) return true;
        const Relationship* r = relationships_.find(RelationshipID{id});
        const auto part = r ? relationships_.part(*r) : std::nullopt;
        if (!part || !document_.hasPart(part->rawValue)) return false;
        try {
            const SharedBytes bytes = document_.contents(part->rawValue);
            gathered_.images[id] = *bytes;
        } catch (const std::exception&) {
            return false;
        }
        const size_t dot = part->rawValue.rfind('.');
        gathered_.imageExtensions[id] = dot == std::string::npos ? "png" : part->rawValue.substr(dot + 1);
        return true;
    }

    DocxDocument& document_;
    Relationships relationships_;
    Gathered& gathered_;
};

// A paragraph's properties as they travel: without its tracked property change and section
// break, and its mark without revision markers.
std::optional<PropertyBag> travellingProps(const std::optional<PropertyBag>& props) {
    if (!props) return std::nullopt;
    PropertyBag bag = *props;
    for (std::string_view local : {"pPrChange", "sectPr"})
        if (bag.child(local)) bag.set(local, std::nullopt);
    if (const auto mark = bag.child("rPr")) {
        if (auto markBag = PropertyBag::parse(*mark)) {
            bool changed = false;
            for (std::string_view local : {"ins", "del", "moveFrom", "moveTo", "rPrChange"})
                if (markBag->child(local)) {
                    markBag->set(local, std::nullopt);
                    changed = true;
                }
            if (changed) bag.set("rPr", markBag->serialized());
        }
    }
    return bag;
}

struct CopiedParagraph {
    std::unique_ptr<Paragraph> paragraph;  // the scratch copy, cut and cleaned
    ListState list;
    std::optional<StyleID> style;       // its w:pStyle
    std::optional<int> outlineLevel;  // from its style, for the HTML headings
    std::string styleName;              // the name of its w:pStyle, when the style sheet has it
};

// The scratch copy of [from, to) of a paragraph.
std::unique_ptr<Paragraph> cutCopy(const Paragraph& source, size_t from, size_t to, Scratch& scratch) {
    Bytes bytes;
    Serializer::paragraph(source, bytes);
    auto copy = Fragment::paragraph(asChars(bytes), scratch.mint());
    if (!copy) return nullptr;
    const size_t length = InlineOps::length(copy->inlines);
    to = std::min(to, length);
    from = std::min(from, to);
    const size_t a = InlineOps::cut(*copy, from, scratch);
    const size_t b = InlineOps::cut(*copy, to, scratch);
    std::vector<Inline> kept;
    for (size_t i = a; i < b; ++i)
        if (!std::holds_alternative<PropsMarker>(copy->inlines[i])) kept.push_back(std::move(copy->inlines[i]));
    copy->inlines = std::move(kept);
    copy->props = travellingProps(copy->props);
    return copy;
}

std::vector<const Paragraph*> selectedParagraphs(Paragraph& first, Paragraph& last, const StoryID& story) {
    if (&first == &last) return {&first};
    if (!first.parent || first.parent != last.parent) throw DocxError(DocxErrorCode::crossesStructure, story);
    std::vector<const Paragraph*> result;
    bool inside = false;
    for (const Block& block : first.parent->children) {
        const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block);
        if (p && p->get() == &first) inside = true;
        if (inside && p) result.push_back(p->get());  // tables between are skipped
        if (p && p->get() == &last) return inside ? result : throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
    }
    throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
}

// The namespaces the source part declares on its root, which its properties may use, with
// the ones the fragment itself needs.
Markup::Attributes rootNamespaces(const Story& story) {
    Markup::Attributes declared{{"xmlns:" + std::string(Clip::prefix), std::string(Clip::namespaceURI)}};
    for (auto& [name, value] : ClipParts::namespaces()) declared.emplace_back(name, value);
    for (auto& attribute : Markup::attributes(story.root->tags.start.view())) {
        if (!attribute.first.starts_with("xmlns:")) continue;
        const bool known =
            std::any_of(declared.begin(), declared.end(), [&](const auto& d) { return d.first == attribute.first; });
        if (!known) declared.push_back(std::move(attribute));
    }
    return declared;
}

void writeParagraph(XMLWriter& out, const CopiedParagraph& copied) {
    const Paragraph& p = *copied.paragraph;
    Markup::Attributes attributes;
    if (copied.list.kind != ListKind::none) {
        attributes.emplace_back(qualified(Clip::prefix, "list"), copied.list.kind == ListKind::bullet ? "bullet" : "number");
        attributes.emplace_back(qualified(Clip::prefix, "level"), std::to_string(copied.list.level));
    }
    if (!copied.styleName.empty()) attributes.emplace_back(qualified(Clip::prefix, "styleName"), copied.styleName);
    out.open(qualified(Clip::prefix, "p"), attributes);
    const std::string name = qualified(p.tags.prefix(), "p");
    out.open(name);
    Bytes bytes;
    if (p.props) p.props->serialize(bytes);
    Serializer::inlines(p.inlines, nullptr, bytes);
    out.raw(asChars(bytes));
    out.close().close();
}

std::u16string plainText(const std::vector<CopiedParagraph>& paragraphs) {
    std::u16string text;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i) text += u'\n';
        for (char16_t c : InlineOps::visibleText(paragraphs[i].paragraph->inlines)) {
            if (c == u'\u2028') text += u'\n';
            else if (c != u'\uFFFC') text += c;
        }
    }
    return text;
}

}  // namespace

ClipboardContent DocxDocument::copy(ParagraphPos from, ParagraphPos to, const StoryID& storyID) {
    auto [source, first] = paragraph(from.paragraph, storyID);
    Paragraph* last = paragraph(to.paragraph, storyID).second;
    if (first == last && from.offset > to.offset) throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    const auto selected = selectedParagraphs(*first, *last, storyID);

    Scratch scratch;
    Gathered gathered;
    Cleaner cleaner(*this, source->part, gathered);
    const StyleSheet& sheet = styles();
    std::vector<CopiedParagraph> copied;
    for (const Paragraph* p : selected) {
        const size_t a = p == first ? from.offset : 0;
        const size_t b = p == last ? to.offset : InlineOps::length(p->inlines);
        auto copy = cutCopy(*p, a, b, scratch);
        if (!copy) continue;
        copy->inlines = cleaner.clean(std::move(copy->inlines));
        const ParagraphFormat format = sheet.paragraphFormat(copy->props);
        std::optional<StyleID> style;
        if (copy->props)
            if (const auto pStyle = copy->props->child("pStyle"))
                if (auto val = Markup::attribute("val", *pStyle)) style = StyleID{*val};
        if (style) gathered.styles.insert(style->rawValue);
        const Style* named = style ? sheet.find(*style) : nullptr;
        copied.push_back({std::move(copy), listState(p->id, storyID), style, format.outlineLevel,
                          named ? named->name : std::string()});
    }

    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open(qualified(Clip::prefix, "clip"), rootNamespaces(*source));
    ClipParts::writeStyles(out, *this, gathered.styles);
    for (const auto& [id, bytes] : gathered.images)
        out.leaf(qualified(Clip::prefix, "image"),
                 {{qualified(Clip::prefix, "id"), id}, {qualified(Clip::prefix, "extension"), gathered.imageExtensions[id]}},
                 Base64::encode(bytes));
    for (const CopiedParagraph& p : copied) writeParagraph(out, p);

    ClipboardContent result;
    result.fragment = out.finish();
    result.text = plainText(copied);
    std::vector<ClipParts::HTMLParagraph> html;
    for (const CopiedParagraph& p : copied) html.push_back({p.paragraph.get(), p.style, p.list, p.outlineLevel});
    result.html = ClipParts::html(html, sheet);
    return result;
}

}  // namespace rovuvuz
