#include "RovuVuz/StoryParser.h"

#include <array>
#include <charconv>

#include "RovuVuz/Utf8.h"

namespace rovuvuz {

namespace {

// The block containers the editor walks into; every other block-level element (sdt,
// sectPr, tblPr, bookmarks, …) is opaque.
constexpr std::array<std::string_view, 13> groupNames = {
    "document", "body", "hdr", "ftr", "footnotes", "footnote", "endnotes",
    "endnote",  "comments", "comment", "tbl", "tr", "tc"};

// Run children shown as one object character.
constexpr std::array<std::string_view, 8> objectNames = {
    "drawing", "pict", "object", "AlternateContent", "sym", "ptab", "noBreakHyphen", "ruby"};

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A w:id as the file writes it; -1 when absent or not a number.
int64_t idAttribute(const XMLTree& tree, int node) {
    const auto value = tree.attribute(node, "w:id");
    if (!value) return -1;
    int64_t id = 0;
    const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), id);
    if (error != std::errc() || end != value->data() + value->size()) return -1;
    return id;
}

size_t childCount(const XMLTree& tree, int node) {
    size_t count = 0;
    for ([[maybe_unused]] int child : tree.children(node)) ++count;
    return count;
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

// Guards the nesting depth of one recursive descent.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~DepthGuard() { --depth_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

}  // namespace

bool StoryParser::isGroup(std::string_view local) { return contains(groupNames, local); }

StoryParser::StoryParser(const XMLTree& tree, IdentityMint& mint)
    : tree_(tree), mint_(mint), whole_(tree.sharedBytes(), ByteRange{0, tree.bytes().size()}) {}

Tags StoryParser::tags(const XMLTree& tree, const ByteSlice& whole, int node) {
    const ByteRange range = tree.range(node);
    ByteSlice start = whole.sub(tree.startTag(node));
    if (tree.isSelfClosing(node)) return Tags(std::move(start), std::nullopt);
    // The end tag begins where the last child ends (children cover every byte between the
    // tags). Looking back for the last "<" instead would be fooled by an end tag the
    // scanner accepts with junk after its name, such as "</w:p/<>".
    size_t endStart = tree.startTag(node).upper;
    for (int child : tree.children(node)) endStart = tree.range(child).upper;
    return Tags(std::move(start), ByteRange{endStart, range.upper});
}

Tags StoryParser::tags(int node) const { return tags(tree_, whole_, node); }

Raw StoryParser::raw(int node) const { return Raw{slice(tree_.range(node))}; }

PropertyBag StoryParser::bag(const XMLTree& tree, const ByteSlice& whole, int node) {
    PropertyBag bag;
    bag.tags = tags(tree, whole, node);
    bag.children.reserve(childCount(tree, node));
    for (int child : tree.children(node)) bag.children.push_back(PropertyBag::Child{whole.sub(tree.range(child))});
    bag.original = whole.sub(tree.range(node));
    return bag;
}

PropertyBag StoryParser::bag(const XMLTree& tree, int node) {
    return bag(tree, ByteSlice(tree.sharedBytes(), ByteRange{0, tree.bytes().size()}), node);
}

std::unique_ptr<Group> StoryParser::group(int node) {
    DepthGuard guard(depth_);
    auto result = std::make_unique<Group>();
    result->tags = tags(node);
    result->id = BlockID{mint_.mint()};
    result->children.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) {
        if (tree_.kind(child) != XMLTree::Kind::element) {
            result->children.emplace_back(raw(child));
            continue;
        }
        const std::string_view local = tree_.localName(child);
        if (local == "p") {
            auto p = paragraph(child);
            p->parent = result.get();
            result->children.emplace_back(std::move(p));
        } else if (isGroup(local) && depth_ < maxDepth) {
            result->children.emplace_back(group(child));
        } else {
            result->children.emplace_back(raw(child));
        }
    }
    return result;
}

std::unique_ptr<Paragraph> StoryParser::paragraph(int node) {
    // A paragraph takes its identity after its children, as runs do.
    std::vector<Inline> inlines;
    std::optional<PropertyBag> props;
    inlines.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) {
        if (tree_.kind(child) == XMLTree::Kind::element && tree_.localName(child) == "pPr") {
            props = bag(tree_, whole_, child);
            inlines.emplace_back(PropsMarker{});
        } else {
            inlines.push_back(inlineNode(child));
        }
    }
    auto result = Paragraph::make(mint_);
    result->inlines = std::move(inlines);
    result->props = std::move(props);
    result->tags = tags(node);
    result->original = slice(tree_.range(node));
    return result;
}

Inline StoryParser::inlineNode(int node) {
    if (tree_.kind(node) != XMLTree::Kind::element) return raw(node);
    const std::string_view local = tree_.localName(node);
    if (local == "r") return run(node);
    if (local == "hyperlink" || local == "ins" || local == "del") {
        if (depth_ < maxDepth) return container(node, local);
    }
    return raw(node);
}

Inline StoryParser::container(int node, std::string_view local) {
    DepthGuard guard(depth_);
    auto result = std::make_unique<Container>();
    result->kind = local == "ins"   ? Container::Kind::insert
                   : local == "del" ? Container::Kind::remove
                                    : Container::Kind::hyperlink;
    result->tags = tags(node);
    result->inlines.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) result->inlines.push_back(inlineNode(child));
    return result;
}

RunItem::Kind StoryParser::itemKind(const XMLTree& tree, int node) {
    using Kind = RunItem::Kind;
    using Type = RunItem::Type;
    if (tree.kind(node) != XMLTree::Kind::element) return Kind::make(Type::hidden);
    const std::string_view local = tree.localName(node);
    if (local == "rPr") return Kind::make(Type::props);
    if (local == "t") return Kind::makeText(elementText(tree, node));
    if (local == "delText") return Kind::makeDelText(elementText(tree, node));
    if (local == "tab") return Kind::make(Type::tab);
    if (local == "br") {
        const auto type = tree.attribute(node, "w:type");
        return Kind::make(type && *type == "page" ? Type::pageBreak : Type::lineBreak);
    }
    if (local == "cr") return Kind::make(Type::lineBreak);
    if (local == "footnoteReference" || local == "endnoteReference") return Kind::makeNoteRef(idAttribute(tree, node));
    if (local == "commentReference") return Kind::makeCommentRef(idAttribute(tree, node));
    if (local == "fldChar") return Kind::make(Type::fieldChar);
    if (local == "instrText" || local == "delInstrText") return Kind::make(Type::instrText);
    if (contains(objectNames, local)) return Kind::makeObject(local);
    return Kind::make(Type::hidden);
}

std::unique_ptr<Run> StoryParser::run(int node) {
    auto result = std::make_unique<Run>();
    result->items.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) {
        RunItem::Kind kind = itemKind(tree_, child);
        if (kind.type == RunItem::Type::props) result->props = bag(tree_, whole_, child);
        result->items.emplace_back(std::move(kind), slice(tree_.range(child)));
    }
    result->key = RunKey{mint_.mint()};
    result->tags = tags(node);
    return result;
}

}  // namespace rovuvuz
