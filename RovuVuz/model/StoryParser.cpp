#include "RovuVuz/model/StoryParser.h"

#include <array>

namespace rovuvuz {

namespace {

// The block containers the editor walks into; every other block-level element (sdt,
// sectPr, tblPr, bookmarks, …) is opaque.
constexpr std::array<std::string_view, 13> groupNames = {
    "document", "body", "hdr", "ftr", "footnotes", "footnote", "endnotes",
    "endnote",  "comments", "comment", "tbl", "tr", "tc"};

template <size_t N>
bool contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

size_t childCount(const XMLTree& tree, int node) {
    size_t count = 0;
    for ([[maybe_unused]] int child : tree.children(node)) ++count;
    return count;
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

bool StoryParser::holdsBlocks(std::string_view parent, std::string_view local) {
    // A block-level content control (ECMA-376 §17.5.2.29) stands among paragraphs and
    // tables and holds them in its w:sdtContent. Row- and cell-level ones (in a w:tbl or
    // w:tr) stay whole: their rows and cells are not walked into.
    if (local == "sdtContent") return parent == "sdt";
    if (local != "sdt") return false;
    static constexpr std::array<std::string_view, 8> blockParents = {"body",    "hdr",     "ftr", "footnote",
                                                                     "endnote", "comment", "tc",  "sdtContent"};
    return contains(blockParents, parent);
}

StoryParser::StoryParser(const XMLTree& tree, IdentityMint& mint)
    : tree_(tree), mint_(mint), whole_(tree.sharedBytes(), ByteRange{0, tree.bytes().size()}) {}

Tags StoryParser::tags(int node) const {
    return Tags::read(tree_, whole_, node);
}

Raw StoryParser::raw(int node) const { return Raw{slice(tree_.range(node))}; }

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
        } else if ((isGroup(local) || holdsBlocks(result->local(), local)) && depth_ < maxDepth) {
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
            props = PropertyBag::read(tree_, whole_, child);
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
    if (const auto kind = containerKind(local); kind && depth_ < maxDepth) return container(node, *kind);
    return raw(node);
}

std::optional<Container::Kind> StoryParser::containerKind(std::string_view local) {
    using Kind = Container::Kind;
    if (local == "ins") return Kind::insert;
    if (local == "del") return Kind::remove;
    if (local == "hyperlink") return Kind::hyperlink;
    if (local == "moveFrom") return Kind::moveFrom;
    if (local == "moveTo") return Kind::moveTo;
    // A smart tag (ECMA-376 §17.5.1.9) and a run-level content control (§17.5.2.31) hold
    // runs a reader sees: walked into, so that their text is found, edited and counted.
    if (local == "smartTag" || local == "sdt" || local == "sdtContent") return Kind::wrapper;
    return std::nullopt;
}

Inline StoryParser::container(int node, Container::Kind kind) {
    DepthGuard guard(depth_);
    auto result = std::make_unique<Container>();
    result->kind = kind;
    result->tags = tags(node);
    result->inlines.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) result->inlines.push_back(inlineNode(child));
    return result;
}

std::unique_ptr<Run> StoryParser::run(int node) {
    auto result = std::make_unique<Run>();
    result->items.reserve(childCount(tree_, node));
    for (int child : tree_.children(node)) {
        RunItem::Kind kind = RunItem::Kind::read(tree_, child);
        if (kind.type == RunItem::Type::props) result->props = PropertyBag::read(tree_, whole_, child);
        result->items.emplace_back(std::move(kind), slice(tree_.range(child)));
    }
    result->key = RunKey{mint_.mint()};
    result->tags = tags(node);
    return result;
}

}  // namespace rovuvuz
