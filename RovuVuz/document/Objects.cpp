#include "RovuVuz/document/Objects.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {

namespace {

constexpr double emuPerPoint = 12700;
// Far beyond any page (about 2.8 m): larger sizes are mistakes, not pictures.
constexpr double largestPoints = 8000;

constexpr std::string_view drawingNamespace =
    "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
constexpr std::string_view mainDrawingNamespace = "http://schemas.openxmlformats.org/drawingml/2006/main";
constexpr std::string_view pictureNamespace = "http://schemas.openxmlformats.org/drawingml/2006/picture";
constexpr std::string_view relationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string prefixOf(const Paragraph& paragraph) {
    const std::string_view prefix = paragraph.tags.prefix();
    return prefix.empty() ? std::string("w") : std::string(prefix);
}

std::vector<Inline> snippetInlines(EditContext& document, const std::string& snippet) {
    std::vector<Inline> result;
    auto parsed = Fragment::paragraph("<w:p>" + snippet + "</w:p>", document.mint());
    if (!parsed) return result;
    for (Inline& node : parsed->inlines)
        if (!std::holds_alternative<PropsMarker>(node)) result.push_back(std::move(node));
    return result;
}

void checkOffset(Paragraph& paragraph, const StoryID& story, size_t at) {
    if (at > InlineOps::length(paragraph.inlines)) throw DocxError(DocxErrorCode::rangeOutOfBounds, story);
}

bool isExtension(std::string_view extension) {
    return !extension.empty() && extension.size() <= 10 &&
           std::all_of(extension.begin(), extension.end(), [](unsigned char c) { return std::isalnum(c); });
}

std::string pictureRun(std::string_view p, int64_t n, int64_t cx, int64_t cy, const RelationshipID& rid) {
    const std::string prefix(p), id = std::to_string(n), name = "Picture " + id;
    const std::string size = "cx=\"" + std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"";
    return "<" + prefix + ":r><" + prefix + ":drawing>" +
           "<wp:inline distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\" xmlns:wp=\"" +
           std::string(drawingNamespace) + "\">" + "<wp:extent " + size + "/>" + "<wp:docPr id=\"" + id +
           "\" name=\"" + name + "\"/>" + "<wp:cNvGraphicFramePr><a:graphicFrameLocks xmlns:a=\"" +
           std::string(mainDrawingNamespace) + "\" noChangeAspect=\"1\"/></wp:cNvGraphicFramePr>" +
           "<a:graphic xmlns:a=\"" + std::string(mainDrawingNamespace) + "\"><a:graphicData uri=\"" +
           std::string(pictureNamespace) + "\"><pic:pic xmlns:pic=\"" + std::string(pictureNamespace) +
           "\">" + "<pic:nvPicPr><pic:cNvPr id=\"" + id + "\" name=\"" + name +
           "\"/><pic:cNvPicPr/></pic:nvPicPr>" + "<pic:blipFill><a:blip r:embed=\"" +
           XMLText::escapeAttribute(rid.rawValue) + "\" xmlns:r=\"" + std::string(relationshipsNamespace) +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>" +
           "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext " + size +
           "/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr>" +
           "</pic:pic></a:graphicData></a:graphic></wp:inline></" + prefix + ":drawing></" + prefix + ":r>";
}

// The relationship target of a part as seen from another part's folder.
std::string relativeTarget(const PartName& from, const PartName& to) {
    const size_t slash = from.rawValue.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : from.rawValue.substr(0, slash + 1);
    if (to.rawValue.starts_with(folder)) return to.rawValue.substr(folder.size());
    // From another folder the package-absolute name is the one that resolves.
    return "/" + to.rawValue;
}

// The inlines of [a, b), with every link among them replaced by its content.
std::vector<Inline> takeDissolvingLinks(std::vector<Inline>& inlines, size_t a, size_t b) {
    std::vector<Inline> taken;
    for (size_t i = a; i < b; ++i) {
        auto* c = std::get_if<std::unique_ptr<Container>>(&inlines[i]);
        if (c && (*c)->kind == Container::Kind::hyperlink) {
            std::move((*c)->inlines.begin(), (*c)->inlines.end(), std::back_inserter(taken));
        } else {
            taken.push_back(std::move(inlines[i]));
        }
    }
    inlines.erase(inlines.begin() + static_cast<std::ptrdiff_t>(a),
                  inlines.begin() + static_cast<std::ptrdiff_t>(b));
    return taken;
}

}  // namespace

namespace Objects {

std::optional<int64_t> emu(double points) {
    if (!std::isfinite(points) || points <= 0 || points > largestPoints) return std::nullopt;
    return static_cast<int64_t>(points * emuPerPoint);
}

// wp:extent gives the size of the picture in the line, a:ext the size of the shape that
// draws it (DrawingML, ECMA-376 §20.4.2.7 and §20.1.7.3); other elements named ext
// (extension lists) carry no cx and cy and are left alone.
std::string resized(ByteView drawing, int64_t cx, int64_t cy) {
    const XMLTree tree(drawing);
    XMLEdit edit(tree);
    for (size_t index = 0; index < tree.nodeCount(); ++index) {
        const int node = static_cast<int>(index);
        if (tree.kind(node) != XMLTree::Kind::element) continue;
        const std::string_view local = tree.localName(node);
        if ((local != "extent" && local != "ext") || !tree.attribute(node, "cx") ||
            !tree.attribute(node, "cy"))
            continue;
        edit.setAttributes(node, {{"cx", std::to_string(cx)}, {"cy", std::to_string(cy)}});
    }
    return edit.result();
}

std::string_view imageContentType(std::string_view extension) {
    if (extension == "png") return "image/png";
    if (extension == "gif") return "image/gif";
    return "image/jpeg";
}

void insertInlines(EditContext& context, std::vector<Inline> inlines, Paragraph& into, size_t at,
                   const EditMode& mode) {
    if (inlines.empty() || at > InlineOps::length(into.inlines))
        throw DocxError(DocxErrorCode::rangeOutOfBounds);
    const size_t k = InlineOps::cut(into, at, context);
    if (mode.tracked) {
        const std::string prefix = prefixOf(into);
        auto insertion = std::make_unique<Container>();
        insertion->tags = Tags::build(Markup::qualified(prefix, "ins"),
                                      TextEdit::revisionAttributes(context, prefix, *mode.tracked));
        insertion->kind = Container::Kind::insert;
        insertion->inlines = std::move(inlines);
        insertion->dirty = true;
        inlines.clear();
        inlines.emplace_back(std::move(insertion));
    }
    into.inlines.insert(into.inlines.begin() + static_cast<std::ptrdiff_t>(k),
                        std::make_move_iterator(inlines.begin()), std::make_move_iterator(inlines.end()));
    into.setDirty(true);
}

}  // namespace Objects

void DocxDocument::insertPageBreak(ParagraphID id, const StoryID& storyID, size_t at, const EditMode& mode) {
    auto [target, paragraph] = this->paragraph(id, storyID);
    checkOffset(*paragraph, storyID, at);
    const std::string p = prefixOf(*paragraph);
    Objects::insertInlines(*this,
                           snippetInlines(*this, "<" + p + ":r><" + p + ":br " + p + ":type=\"page\"/></" + p + ":r>"),
                           *paragraph, at, mode);
    target->touched = true;
}

void DocxDocument::insertImage(ByteView data, std::string_view extension, double width, double height,
                               ParagraphID id, const StoryID& storyID, size_t at, const EditMode& mode) {
    auto [target, paragraph] = this->paragraph(id, storyID);
    checkOffset(*paragraph, storyID, at);
    const auto cx = Objects::emu(width), cy = Objects::emu(height);
    if (!cx || !cy || !isExtension(extension)) throw DocxError(DocxErrorCode::unsupported, storyID);

    std::string ext(extension);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    // The content type first: it is the one step that can fail, and then nothing changed.
    ensureContentType(std::nullopt, ext, Objects::imageContentType(ext));
    const PartName media = freePartName("media/tovin", ext);
    storePart(media, share(Bytes(data.begin(), data.end())));
    const RelationshipID rid =
        addRelationship(target->part, "image", relativeTarget(target->part, media), false);

    const int64_t n = nextRevisionID();
    Objects::insertInlines(*this, snippetInlines(*this, pictureRun(prefixOf(*paragraph), n, *cx, *cy, rid)),
                           *paragraph, at, mode);
    target->touched = true;
}

void DocxDocument::resizeImage(ParagraphID id, const StoryID& storyID, size_t at, double width,
                               double height) {
    auto [target, paragraph] = this->paragraph(id, storyID);
    checkOffset(*paragraph, storyID, at);
    const auto cx = Objects::emu(width), cy = Objects::emu(height);
    if (!cx || !cy) throw DocxError(DocxErrorCode::unsupported, storyID);
    const auto slot = InlineOps::slot(paragraph->inlines, at, InlineOps::Side::after);
    if (!slot || slot->run->items[slot->item].kind.type != RunItem::Type::object ||
        !slot->run->items[slot->item].hasOriginal())
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);

    RunItem& item = slot->run->items[slot->item];
    std::string resized;
    try {
        resized = Objects::resized(item.original.view(), *cx, *cy);
    } catch (const XMLError& error) {
        throw DocxError(DocxErrorCode::unsupported,
                        DocxError::Detail{storyID, target->part, id, error.what()});
    }
    // Built with its kind as the kind it was read as, the item is written from these bytes.
    item = RunItem(item.kind, ByteSlice::copyOf(std::string_view(resized)));
    slot->run->dirty = true;
    for (Container* c : slot->chain) c->dirty = true;
    paragraph->setDirty(true);
    target->touched = true;
}

void DocxDocument::setLink(ParagraphID id, const StoryID& storyID, TextRange range,
                           const std::optional<std::string>& url) {
    auto [target, paragraph] = this->paragraph(id, storyID);
    if (range.lower >= range.upper || range.upper > InlineOps::length(paragraph->inlines))
        throw DocxError(DocxErrorCode::rangeOutOfBounds, storyID);

    const size_t a = InlineOps::cut(*paragraph, range.lower, *this);
    const size_t b = InlineOps::cut(*paragraph, range.upper, *this);
    std::vector<Inline> taken = takeDissolvingLinks(paragraph->inlines, a, b);
    std::vector<Inline> replacement;
    if (!url) {
        replacement = std::move(taken);
    } else {
        const std::string p = prefixOf(*paragraph);
        Markup::Attributes attributes;
        if (url->starts_with("#")) {
            attributes.emplace_back(p + ":anchor", url->substr(1));
        } else {
            const RelationshipID rid = addRelationship(target->part, "hyperlink", *url, true);
            attributes.emplace_back("r:id", rid.rawValue);
            // r: is declared on the root of every part Word writes; a part without it
            // would otherwise no longer parse.
            if (!Markup::attribute("xmlns:r", target->root->tags.start.view()))
                attributes.emplace_back("xmlns:r", std::string(relationshipsNamespace));
        }
        attributes.emplace_back(p + ":history", "1");
        auto link = std::make_unique<Container>();
        link->tags = Tags::build(Markup::qualified(p, "hyperlink"), attributes);
        link->kind = Container::Kind::hyperlink;
        link->inlines = std::move(taken);
        link->dirty = true;
        replacement.emplace_back(std::move(link));
    }
    paragraph->inlines.insert(paragraph->inlines.begin() + static_cast<std::ptrdiff_t>(a),
                              std::make_move_iterator(replacement.begin()),
                              std::make_move_iterator(replacement.end()));
    paragraph->setDirty(true);
    target->touched = true;
    if (!url) return;

    // The link's look, set directly even when the caller tracks changes.
    if (styles().find(StyleID{"Hyperlink"})) {
        Structural::setRunFormat(*this, *paragraph, range,
                                 RunFormatChange{RunFormatChange::RunStyle{StyleID{"Hyperlink"}}},
                                 EditMode::direct());
    } else {
        Structural::setRunFormat(*this, *paragraph, range, RunFormatChange{RunFormatChange::Color{"0563C1"}},
                                 EditMode::direct());
        Structural::setRunFormat(
            *this, *paragraph, range,
            RunFormatChange{RunFormatChange::Switch{RunFormatChange::Toggle::underline, true}},
            EditMode::direct());
    }
}

}  // namespace rovuvuz
