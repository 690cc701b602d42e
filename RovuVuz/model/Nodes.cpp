#include "RovuVuz/Nodes.h"

#include "RovuVuz/Markup.h"
#include "RovuVuz/Serializer.h"
#include "RovuVuz/StoryParser.h"
#include "RovuVuz/Utf8.h"
#include "RovuVuz/XMLTree.h"

namespace rovuvuz {

namespace {

bool endsName(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>'; }

}  // namespace

std::optional<std::string_view> Raw::local() const {
    const std::string_view text = bytes.chars();
    if (text.size() < 2 || text[0] != '<' || text[1] == '!' || text[1] == '?' || text[1] == '/') return std::nullopt;
    size_t end = 1;
    while (end < text.size() && !endsName(text[end])) ++end;
    const std::string_view name = text.substr(1, end - 1);
    const size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::optional<std::string> Raw::wid() const {
    if (!local()) return std::nullopt;
    const ByteView view = bytes.view();
    const auto close = std::find(view.begin(), view.end(), uint8_t('>'));
    if (close == view.end()) return std::nullopt;
    for (auto& [name, value] : Markup::attributes(view.first(size_t(close - view.begin()) + 1)))
        if (name == "w:id") return value;
    return std::nullopt;
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
        return StoryParser::itemKind(tree, tree.root());
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

Story::Story(PartName partName, SharedBytes data, SharedBytes originalBytes, IdentityMint& mint)
    : part(std::move(partName)) {
    const XMLTree tree(data);
    source = originalBytes ? std::move(originalBytes) : data;
    const ByteRange rootRange = tree.range(tree.root());
    prolog = ByteSlice(data, tree.prolog());
    epilog = ByteSlice(data, ByteRange{rootRange.upper, data->size()});
    StoryParser parser(tree, mint);
    root = parser.group(tree.root());
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

Paragraph* Story::findParagraph(ParagraphID id, const IdentityMint& mint) const {
    if (const auto found = index_.find(id.raw); found != index_.end() && mint.liveParagraph(id) == found->second)
        return found->second;
    index_.clear();
    for (Paragraph* p : paragraphs()) index_.emplace(p->id.raw, p);
    const auto found = index_.find(id.raw);
    return found == index_.end() ? nullptr : found->second;
}

std::vector<Paragraph*> Story::paragraphs() const {
    std::vector<Paragraph*> result;
    // Depth-first without recursion: a stack of (group, next child index).
    std::vector<std::pair<const Group*, size_t>> stack{{root.get(), 0}};
    while (!stack.empty()) {
        auto& [group, next] = stack.back();
        if (next == group->children.size()) {
            stack.pop_back();
            continue;
        }
        const Block& block = group->children[next++];
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block))
            result.push_back(p->get());
        else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block))
            stack.emplace_back(g->get(), 0);
    }
    return result;
}

Bytes Story::serialized() const { return Serializer::story(*this); }

namespace {

// Checks one group's direct children; nested groups are pushed for the caller's loop.
std::optional<std::string> checkGroup(const Group& group, std::vector<const Group*>& pending) {
    for (const Block& block : group.children) {
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            const Paragraph& paragraph = **p;
            if (paragraph.parent != &group) return "paragraph " + std::to_string(paragraph.id.raw) + " has a wrong parent";
            if (paragraph.isDirty() && paragraph.original) return "dirty paragraph keeps its original bytes";
        } else if (const auto* g = std::get_if<std::unique_ptr<Group>>(&block)) {
            if (!*g) return "null group";
            pending.push_back(g->get());
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> Story::checkInvariants() const {
    if (!root) return "story has no root";
    if (!source) return "story has no source";
    std::vector<const Group*> pending{root.get()};
    while (!pending.empty()) {
        const Group* group = pending.back();
        pending.pop_back();
        if (auto problem = checkGroup(*group, pending)) return problem;
    }
    return std::nullopt;
}

}  // namespace rovuvuz
