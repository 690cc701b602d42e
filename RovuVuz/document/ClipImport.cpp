// Paste: a fragment (Clip.h) put in place of a range of one story. Everything that can fail
// is checked or prepared before the story changes: the fragment is read whole, the range
// is checked, styles the document lacks are created (matched by name), lists are chosen
// and pictures stored. Then the range goes, and the fragment's paragraphs come in: the
// first joins the paragraph at the insertion point, the last joins what followed it, and
// those between stand as paragraphs of their own. Run properties keep their bytes unless a
// style reference in them had to change.
#include <algorithm>
#include <cctype>
#include <set>

#include "RovuVuz/document/Clip.h"
#include "RovuVuz/document/ClipParts.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/document/NumberingPart.h"
#include "RovuVuz/document/Objects.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/xml/Base64.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLCheck.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

using Markup::qualified;

DocxError bad(std::string cause) {
    return DocxError(DocxErrorCode::badFragment, DocxError::Detail{std::nullopt, std::nullopt, std::nullopt, std::move(cause)});
}

std::string lower(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return result;
}

struct ClipStyle {
    std::string id, name, kind;
    std::string element;
};

struct ClipImage {
    Bytes data;
    std::string extension;
};

struct ClipParagraph {
    int node = -1;  // the w:p
    ListKind list = ListKind::none;
    int level = 0;
    std::string styleName;  // tv:styleName
};

// The fragment read whole; throws badFragment.
struct ClipReading {
    std::optional<XMLTree> tree;
    std::vector<ClipStyle> styles;
    std::map<std::string, ClipImage> images;
    std::vector<ClipParagraph> paragraphs;
    std::string prefix;  // what the fragment's paragraphs name the main namespace

    // `strict`: the markup is checked as a save checks a part.
    ClipReading(std::string_view fragment, bool strict) {
        if (fragment.size() > Clip::largestFragment) throw bad("larger than the clipboard holds");
        if (!utf8::isValid(asBytes(fragment))) throw bad("not UTF-8");
        try {
            tree.emplace(asBytes(fragment));
            // Pasted markup is copied into the part as it stands, so it must be what a save
            // may write: the tree alone forgives what the strict check refuses.
            if (strict) XMLCheck::wellFormed(*tree, XMLCheck::Prefixes::mayBeUnbound);
        } catch (const XMLError& error) {
            throw bad(error.what());
        }
        const int root = tree->root();
        if (tree->localName(root) != "clip") throw bad("not a Tovin fragment");
        for (int child : tree->childElements(root)) read(child);
    }

  private:
    std::string own(int node, std::string_view local) const { return tree->ownAttribute(node, local).value_or(""); }

    void read(int node) {
        const std::string_view local = tree->localName(node);
        const std::vector<int> inner = tree->childElements(node);
        if (local == "style" && !inner.empty() && tree->localName(inner[0]) == "style") {
            const int style = inner[0];
            std::string styleName;
            for (int c : tree->childElements(style))
                if (tree->localName(c) == "name") styleName = tree->ownAttribute(c, "val").value_or("");
            const std::string id = tree->ownAttribute(style, "styleId").value_or("");
            if (!id.empty())
                styles.push_back({id, styleName.empty() ? id : styleName, tree->ownAttribute(style, "type").value_or("paragraph"),
                                  std::string(asChars(tree->raw(style)))});
        } else if (local == "image") {
            auto data = Base64::decode(tree->text(node));
            if (!data) throw bad("a picture's bytes are not Base64");
            std::string extension = lower(own(node, "extension"));
            if (extension.empty() || extension.size() > 10 ||
                !std::all_of(extension.begin(), extension.end(), [](unsigned char c) { return std::isalnum(c); }))
                extension = "png";
            images[own(node, "id")] = {std::move(*data), extension};
        } else if (local == "p" && !inner.empty() && tree->localName(inner[0]) == "p") {
            if (paragraphs.size() == Clip::mostParagraphs) throw bad("too many paragraphs");
            ClipParagraph p;
            p.node = inner[0];
            const std::string list = own(node, "list");
            p.list = list == "bullet" ? ListKind::bullet : list == "number" ? ListKind::number : ListKind::none;
            p.level = static_cast<int>(std::clamp<int64_t>(Numbers::integer(own(node, "level")).value_or(0), 0, 8));
            p.styleName = own(node, "styleName");
            if (paragraphs.empty()) prefix = std::string(Markup::prefixOf(tree->nameView(inner[0])));
            else if (Markup::prefixOf(tree->nameView(inner[0])) != prefix) throw bad("paragraphs under different prefixes");
            paragraphs.push_back(p);
        }
    }
};

// Gives a style element a new id and points its basedOn and next at the document's ids;
// references to styles the document does not get are dropped, as is a link to a character
// style, and a default mark (a pasted style never becomes the default).
std::string restyled(const std::string& element, const std::string& id, const std::map<std::string, std::string>& ids) {
    const XMLTree tree(asBytes(element));
    XMLEdit edit(tree);
    const std::string p(Markup::prefixOf(tree.nameView(tree.root())));
    Markup::Attributes attributes{{qualified(p, "styleId"), id}};
    if (tree.ownAttribute(tree.root(), "default")) attributes.emplace_back(qualified(p, "default"), "0");
    edit.setAttributes(tree.root(), attributes);
    for (int child : tree.childElements(tree.root())) {
        const std::string_view local = tree.localName(child);
        if (local != "basedOn" && local != "next" && local != "link") continue;
        const auto val = tree.ownAttribute(child, "val");
        const auto mapped = val ? ids.find(*val) : ids.end();
        if (local == "link" || mapped == ids.end()) edit.remove(child);
        else edit.setAttributes(child, {{qualified(p, "val"), mapped->second}});
    }
    return edit.result();
}

class Importer {
  public:
    Importer(DocxDocument& document, const ClipReading& clip, Story& story, const StoryID& storyID, Paragraph& at)
        : document_(document), clip_(clip), story_(story), storyID_(storyID), at_(at) {}

    // Styles, lists and pictures, before the story changes.
    void prepare() {
        planStyles();
        for (ListKind kind : {ListKind::bullet, ListKind::number}) {
            const bool used = std::any_of(clip_.paragraphs.begin(), clip_.paragraphs.end(),
                                          [&](const ClipParagraph& p) { return p.list == kind; });
            if (!used) continue;
            std::vector<NumberingID> neighbours;
            if (auto list = document_.listState(at_.id, storyID_).list) neighbours.push_back(*list);
            lists_[kind] = NumberingPart::listFor(document_, kind, neighbours);
        }
        storeImages();
    }

    std::vector<std::unique_ptr<Paragraph>> paragraphs() {
        std::vector<std::unique_ptr<Paragraph>> result;
        StoryParser parser(*clip_.tree, static_cast<EditContext&>(document_).mint());
        for (const ClipParagraph& p : clip_.paragraphs) {
            auto paragraph = parser.paragraph(p.node);
            paragraph->tags = Tags::build(qualified(prefix(), "p"), {});
            paragraph->setDirty(true);
            paragraph->inlines = remapInlines(std::move(paragraph->inlines));
            remapProps(*paragraph, p);
            result.push_back(std::move(paragraph));
        }
        return result;
    }

    std::string prefix() const { return std::string(at_.tags.prefix()); }

  private:
    void planStyles() {
        std::map<std::string, std::string>& byName = byName_;
        const StyleSheet& sheet = document_.styles();
        for (const auto& [id, style] : sheet.styles)
            byName.emplace(std::string(kinds[size_t(style.kind)]) + ":" + lower(style.name), id.rawValue);
        std::vector<std::string> created;
        for (const ClipStyle& style : clip_.styles) {
            if (auto found = byName.find(style.kind + ":" + lower(style.name)); found != byName.end()) {
                styleIDs_[style.id] = found->second;
                continue;
            }
            std::string id = style.id;
            for (int n = 1; sheet.find(StyleID{id}) || taken_.contains(id); ++n) id = style.id + std::to_string(n);
            taken_.insert(id);
            styleIDs_[style.id] = id;
            try {
                created.push_back(restyled(style.element, id, styleIDs_));
            } catch (const XMLError&) {
                styleIDs_.erase(style.id);
            }
        }
        ClipParts::addStyles(document_, created);
    }

    // A style reference the document can resolve: the mapped id, or the same id when the
    // document has it; nothing otherwise.
    std::optional<std::string> styleFor(const std::string& id) const {
        if (auto mapped = styleIDs_.find(id); mapped != styleIDs_.end()) return mapped->second;
        if (document_.styles().find(StyleID{id})) return id;
        return std::nullopt;
    }

    void storeImages() {
        for (const auto& [id, image] : clip_.images) {
            document_.ensureContentType(std::nullopt, image.extension, Objects::imageContentType(image.extension));
            const PartName media = document_.freePartName("media/tovin", image.extension);
            document_.storePart(media, share(image.data));
            images_[id] = document_.addRelationship(story_.part, "image", relativeTarget(media), false).rawValue;
        }
    }

    std::string relativeTarget(const PartName& to) const {
        const size_t slash = story_.part.rawValue.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : story_.part.rawValue.substr(0, slash + 1);
        if (to.rawValue.starts_with(folder)) return to.rawValue.substr(folder.size());
        return "/" + to.rawValue;
    }

    void remapProps(Paragraph& paragraph, const ClipParagraph& clip) {
        if (!paragraph.props && clip.list == ListKind::none) return;
        Structural::ensureProps(paragraph);
        PropertyBag& bag = *paragraph.props;
        for (std::string_view local : {"pPrChange", "sectPr", "numPr"})
            if (bag.child(local)) bag.set(local, std::nullopt);
        remapStyle(bag, "pStyle", clip.styleName);
        if (clip.list != ListKind::none)
            FormatEdit::apply(ParagraphFormatChange{ParagraphFormatChange::Numbering{lists_.at(clip.list), clip.level}}, bag);
    }

    void remapStyle(PropertyBag& bag, std::string_view local, const std::string& name = {}) {
        const auto child = bag.child(local);
        const auto val = child ? Markup::attribute("val", *child) : std::nullopt;
        if (!val) return;
        auto target = styleFor(*val);
        if (!target && !name.empty())
            if (auto found = byName_.find("paragraph:" + lower(name)); found != byName_.end()) target = found->second;
        if (!target) bag.set(local, std::nullopt);
        else if (*target != *val) bag.set(local, Markup::Attributes{{"val", *target}});
    }

    std::vector<Inline> remapInlines(std::vector<Inline> inlines) {
        std::vector<Inline> kept;
        for (Inline& node : inlines) {
            if (auto* run = std::get_if<std::unique_ptr<Run>>(&node)) {
                remapRun(**run);
                kept.push_back(std::move(node));
            } else if (auto* container = std::get_if<std::unique_ptr<Container>>(&node)) {
                Container& c = **container;
                if (c.kind == Container::Kind::remove) continue;
                const auto target = c.attribute("target");
                if (c.kind == Container::Kind::insert || !target) {
                    for (Inline& inner : remapInlines(std::move(c.inlines))) kept.push_back(std::move(inner));
                    continue;
                }
                link(c, *target);
                c.inlines = remapInlines(std::move(c.inlines));
                kept.push_back(std::move(node));
            } else if (const auto* raw = std::get_if<Raw>(&node)) {
                const auto local = raw->local();
                if (!local || *local == "fldSimple" || *local == "oMath" || *local == "oMathPara") kept.push_back(std::move(node));
            } else if (std::holds_alternative<PropsMarker>(node)) {
                // Where the paragraph's w:pPr is written: without it a paragraph pasted
                // between the first and the last would lose its properties.
                kept.push_back(std::move(node));
            }
        }
        return kept;
    }

    void link(Container& c, const std::string& target) {
        const RelationshipID rid = document_.addRelationship(story_.part, "hyperlink", target, true);
        Markup::Attributes attributes;
        for (auto& [name, value] : Markup::attributes(c.tags.start.view()))
            if (Markup::prefixOf(name) != Clip::prefix) attributes.emplace_back(std::move(name), std::move(value));
        attributes.emplace_back("r:id", rid.rawValue);
        c.tags = Tags::build(c.tags.qname(), attributes);
        c.dirty = true;
        if (!Markup::attribute("xmlns:r", story_.root->tags.start.view())) needsRelationshipNamespace = true;
    }

    void remapRun(Run& run) {
        // The bag keeps its bytes unless one of these changes it.
        if (run.props) {
            if (run.props->child("rPrChange")) run.props->set("rPrChange", std::nullopt);
            remapStyle(*run.props, "rStyle");
        }
        std::erase_if(run.items, [&](RunItem& item) {
            if (item.kind.type == RunItem::Type::noteRef || item.kind.type == RunItem::Type::commentRef) return true;
            if (item.kind.type != RunItem::Type::object || !item.hasOriginal()) return false;
            auto rewritten = picture(item.original.view());
            if (!rewritten) return true;
            item = RunItem(item.kind, ByteSlice::copyOf(std::string_view(*rewritten)));
            run.dirty = true;
            return false;
        });
    }

    // A drawing with its pictures pointed at the stored images and fresh drawing ids;
    // nothing when it names a relationship the fragment did not bring.
    std::optional<std::string> picture(ByteView bytes) {
        std::optional<XMLTree> tree;
        try {
            tree.emplace(bytes);
        } catch (const XMLError&) {
            return std::nullopt;
        }
        XMLEdit edit(*tree);
        for (size_t i = 0; i < tree->nodeCount(); ++i) {
            const int node = static_cast<int>(i);
            if (tree->kind(node) != XMLTree::Kind::element) continue;
            for (const std::string& name : tree->attributeNames(node)) {
                if (!name.starts_with("r:")) continue;
                const auto found = images_.find(*tree->attribute(node, name));
                if (tree->localName(node) != "blip" || name != "r:embed" || found == images_.end()) return std::nullopt;
                edit.setAttributes(node, {{name, found->second}});
            }
            const std::string_view local = tree->localName(node);
            if ((local == "docPr" || local == "cNvPr") && tree->attribute(node, "id"))
                edit.setAttributes(node, {{"id", std::to_string(document_.nextRevisionID())}});
        }
        return edit.result();
    }

  public:
    bool needsRelationshipNamespace = false;

  private:
    DocxDocument& document_;
    const ClipReading& clip_;
    Story& story_;
    const StoryID& storyID_;
    Paragraph& at_;
    static constexpr std::string_view kinds[] = {"paragraph", "character", "table", "numbering"};
    std::map<std::string, std::string> byName_;  // kind + ":" + lower-case name → the document's id
    std::map<std::string, std::string> styleIDs_;
    std::set<std::string> taken_;
    std::map<ListKind, NumberingID> lists_;
    std::map<std::string, std::string> images_;
};

// A paragraph left empty at the insertion point takes the pasted paragraph's properties
// (a heading pasted into an empty line is a heading).
void adoptProps(DocxDocument& document, Paragraph& target, const Paragraph& pasted, const EditMode& mode) {
    if (!pasted.props || InlineOps::length(target.inlines) != 0) return;
    Structural::editProps(document, target, mode, [&](PropertyBag& bag) {
        std::optional<ByteView> mark = bag.child("rPr");
        const Bytes keptMark = mark ? Bytes(mark->begin(), mark->end()) : Bytes();
        bag.children = pasted.props->children;
        bag.original.reset();
        bag.set("rPr", mark ? std::optional<ByteView>(keptMark) : std::nullopt);
    });
}

void putInlines(DocxDocument& document, Paragraph& paragraph, std::vector<Inline> inlines, size_t at,
                const EditMode& mode) {
    std::erase_if(inlines, [](const Inline& node) { return std::holds_alternative<PropsMarker>(node); });
    if (inlines.empty()) return;
    Objects::insertInlines(document, std::move(inlines), paragraph, at, mode);
}

}  // namespace

std::vector<ParagraphID> DocxDocument::paste(std::string_view fragment, ParagraphPos from, ParagraphPos to,
                                             const StoryID& storyID, const EditMode& mode) {
    return DocumentInternals::paste(*this, fragment, from, to, storyID, mode, true);
}

std::vector<ParagraphID> DocumentInternals::paste(DocxDocument& document, std::string_view fragment, ParagraphPos from,
                                                  ParagraphPos to, const StoryID& storyID, const EditMode& mode,
                                                  bool checked) {
    const ClipReading clip(fragment, checked);
    // The range is checked before anything changes.
    auto [target, first] = document.paragraph(from.paragraph, storyID);
    Paragraph* last = document.paragraph(to.paragraph, storyID).second;
    TextEdit::siblings(*first, *last);
    if (from.offset > InlineOps::length(first->inlines) || to.offset > InlineOps::length(last->inlines) ||
        (first == last && from.offset > to.offset))
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);
    if (!clip.paragraphs.empty() && clip.prefix != first->tags.prefix())
        throw DocxError(DocxErrorCode::unsupported,
                        DocxError::Detail{storyID, target->part, std::nullopt,
                                          "the fragment names the main namespace \"" + clip.prefix + "\", this part \"" +
                                              std::string(first->tags.prefix()) + "\""});

    Importer importer(document, clip, *target, storyID, mode.tracked ? *last : *first);
    // Preparing adds parts one after another; when a later one fails (a numbering part
    // that does not parse after styles were added) the package goes back as it was.
    const PartMap addedBefore = document.cache_.added;
    const auto relationshipsBefore = document.cache_.relationships;
    const Relationships mainRelationshipsBefore = document.relationships_;
    try {
        importer.prepare();
    } catch (...) {
        document.cache_.added = addedBefore;
        document.cache_.relationships = relationshipsBefore;
        document.relationships_ = mainRelationshipsBefore;
        throw;
    }
    auto pasted = importer.paragraphs();

    // The range goes: tracked, its text stays as a deletion and the new text follows it.
    Paragraph* at = first;
    size_t offset = from.offset;
    if (from != to) {
        Structural::replaceText(document, *target, storyID, from, to, u"", mode);
        if (mode.tracked) {
            at = last;
            offset = to.offset;
        }
    }
    target->touched = true;
    // Pasted markup may use prefixes the source declared on its root (wp:, a:, pic: of a
    // drawing, w14: of newer properties) and this part does not: the fragment's
    // declarations of them go on this part's root. A prefix this part binds already keeps
    // its binding. r: is declared too when a link names a relationship.
    Markup::Attributes declarations;
    const Markup::Attributes present = Markup::attributes(target->root->tags.start.view());
    const auto declared = [&](const std::string& name) {
        return std::any_of(present.begin(), present.end(), [&](const auto& a) { return a.first == name; });
    };
    for (auto& attribute : Markup::attributes(clip.tree->rawStartTag(clip.tree->root())))
        if (attribute.first.starts_with("xmlns:") && attribute.first != "xmlns:" + std::string(Clip::prefix) &&
            !declared(attribute.first))
            declarations.push_back(std::move(attribute));
    if (importer.needsRelationshipNamespace && !declared("xmlns:r") &&
        std::none_of(declarations.begin(), declarations.end(), [](const auto& a) { return a.first == "xmlns:r"; }))
        declarations.emplace_back("xmlns:r", "http://schemas.openxmlformats.org/officeDocument/2006/relationships");
    if (!pasted.empty() && !declarations.empty()) target->root->tags = target->root->tags.with(declarations);
    if (pasted.empty()) return {at->id};
    if (pasted.size() == 1) {
        adoptProps(document, *at, *pasted[0], mode);
        putInlines(document, *at, std::move(pasted[0]->inlines), offset, mode);
        return {at->id};
    }
    Paragraph& after = Structural::split(document, *at, offset, mode);
    adoptProps(document, *at, *pasted.front(), mode);
    putInlines(document, *at, std::move(pasted.front()->inlines), InlineOps::length(at->inlines), mode);
    adoptProps(document, after, *pasted.back(), mode);
    putInlines(document, after, std::move(pasted.back()->inlines), 0, mode);

    // The paragraphs between stand on their own, put in place at once.
    std::vector<Block> middle;
    for (size_t i = 1; i + 1 < pasted.size(); ++i) {
        Paragraph& p = *pasted[i];
        p.parent = at->parent;
        if (mode.tracked) {
            std::vector<Inline> inlines;
            for (Inline& node : p.inlines)
                if (!std::holds_alternative<PropsMarker>(node)) inlines.push_back(std::move(node));
            std::erase_if(p.inlines, [](const Inline& node) { return !std::holds_alternative<PropsMarker>(node); });
            if (!inlines.empty()) Objects::insertInlines(document, std::move(inlines), p, 0, mode);
            Structural::markParagraph(document, p, RevisionKind::insert, *mode.tracked);
        }
        middle.emplace_back(std::move(pasted[i]));
    }
    auto& blocks = at->parent->children;
    const auto place = std::find_if(blocks.begin(), blocks.end(), [&](const Block& b) {
        const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&b);
        return p && p->get() == &after;
    });
    blocks.insert(place, std::make_move_iterator(middle.begin()), std::make_move_iterator(middle.end()));
    return TextEdit::region(*at, after);
}

}  // namespace rovuvuz
