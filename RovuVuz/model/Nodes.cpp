#include "RovuVuz/model/Nodes.h"

#include <array>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Run children shown as one object character.
constexpr std::array<std::string_view, 8> objectNames = {
    "drawing", "pict", "object", "AlternateContent", "sym", "ptab", "noBreakHyphen", "ruby"};

// A w:id as the file writes it; -1 when absent or not a number.
int64_t idAttribute(const XMLTree& tree, int node) {
    return Numbers::integer(tree.ownAttribute(node, "id")).value_or(-1);
}

// The text of a w:t or w:delText. Nearly every one holds a single run of character data
// without references, which decodes straight from the bytes.
std::u16string elementText(const XMLTree& tree, int node) {
    const auto children = tree.children(node);
    if (children.empty()) return {};
    const int only = *children.begin();
    if (std::next(children.begin()) == children.end() && tree.kind(only) == XMLTree::Kind::text) {
        const std::string_view text = asChars(tree.raw(only));
        if (text.find('&') == std::string_view::npos && !text.starts_with("<")) return utf8::toUtf16(text);
    }
    return utf8::toUtf16(tree.text(node));
}

}  // namespace

std::optional<std::string_view> Raw::local() const {
    const auto name = Markup::startTagName(bytes.chars());
    if (!name) return std::nullopt;
    return Markup::localOf(*name);
}

std::optional<std::string> Raw::wid() const {
    const auto name = Markup::startTagName(bytes.chars());
    if (!name) return std::nullopt;
    const ByteView view = bytes.view();
    const auto close = std::find(view.begin(), view.end(), uint8_t('>'));
    if (close == view.end()) return std::nullopt;
    // The id is qualified with the element's own prefix, whatever the part binds it to
    // ("w:id" on w:bookmarkStart, "ns0:id" on ns0:bookmarkStart).
    const std::string wanted = Markup::qualified(Markup::prefixOf(*name), "id");
    for (auto& [attribute, value] : Markup::attributes(view.first(size_t(close - view.begin()) + 1)))
        if (attribute == wanted) return value;
    return std::nullopt;
}

RunItem::Kind RunItem::Kind::read(const XMLTree& tree, int node) {
    using Type = RunItem::Type;
    if (tree.kind(node) != XMLTree::Kind::element) return Kind::make(Type::hidden);
    const std::string_view local = tree.localName(node);
    if (local == "rPr") return Kind::make(Type::props);
    if (local == "t") return Kind::makeText(elementText(tree, node));
    if (local == "delText") return Kind::makeDelText(elementText(tree, node));
    if (local == "tab") return Kind::make(Type::tab);
    if (local == "br") {
        const auto type = tree.ownAttribute(node, "type");
        if (type && *type == "column") return Kind::makeColumnBreak();
        return Kind::make(type && *type == "page" ? Type::pageBreak : Type::lineBreak);
    }
    if (local == "cr") return Kind::make(Type::lineBreak);
    if (local == "footnoteReference" || local == "endnoteReference")
        return Kind::makeNoteRef(idAttribute(tree, node), local == "endnoteReference");
    if (local == "commentReference") return Kind::makeCommentRef(idAttribute(tree, node));
    if (local == "fldChar") return Kind::make(Type::fieldChar);
    if (local == "instrText" || local == "delInstrText") return Kind::make(Type::instrText);
    if (std::find(objectNames.begin(), objectNames.end(), local) != objectNames.end())
        return Kind::makeObject(local);
    return Kind::make(Type::hidden);
}

RunItem::Kind RunItem::Kind::makeObject(std::string_view local) {
    return {Type::object, std::u16string(local.begin(), local.end()), 0};
}

std::string RunItem::Kind::objectName() const { return type == Type::object ? utf8::fromUtf16(text) : std::string(); }

std::optional<RunItem::Kind> RunItem::pristine() const {
    if (!hasOriginal() || !pristineType_) return std::nullopt;
    if (*pristineType_ != Type::text && *pristineType_ != Type::delText && *pristineType_ != Type::object &&
        *pristineType_ != Type::noteRef && *pristineType_ != Type::commentRef)
        return Kind::make(*pristineType_);
    try {
        const XMLTree tree(original.view());
        return Kind::read(tree, tree.root());
    } catch (const XMLError&) {
        return Kind::make(*pristineType_);
    }
}

bool RunItem::isPristine() const {
    if (!hasOriginal() || !pristineType_ || kind.type != *pristineType_) return false;
    if (kind.type != Type::text && kind.type != Type::delText && kind.type != Type::object &&
        kind.type != Type::noteRef && kind.type != Type::commentRef)
        return true;
    return pristine() == kind;
}

std::optional<std::string> Container::attribute(std::string_view name) const {
    for (auto& [qname, value] : Markup::attributes(tags.start.view())) {
        if (qname == name) return value;
        if (qname.size() > name.size() && qname.ends_with(name) && qname[qname.size() - name.size() - 1] == ':')
            return value;
    }
    return std::nullopt;
}

std::unique_ptr<Paragraph> Paragraph::make(IdentityMint& mint) {
    auto paragraph = std::make_unique<Paragraph>();
    paragraph->id = ParagraphID{mint.mint()};
    paragraph->mint_ = &mint;
    mint.enrol(paragraph->id.raw, paragraph.get());
    return paragraph;
}

Paragraph::~Paragraph() {
    if (mint_) mint_->withdraw(id.raw);
}

std::vector<Paragraph*> paragraphsIn(const Group& root) {
    std::vector<Paragraph*> result;
    walkBlocks(root, [&](Paragraph& p) { result.push_back(&p); }, [](const Group&) {});
    return result;
}

}  // namespace rovuvuz
