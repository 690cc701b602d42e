#include "RovuVuz/model/Story.h"

#include "RovuVuz/model/Serializer.h"
#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

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

Paragraph* Story::findParagraph(ParagraphID id, const IdentityMint& mint) const {
    if (const auto found = index_.find(id.raw);
        found != index_.end() && mint.liveParagraph(id) == found->second)
        return found->second;
    index_.clear();
    for (Paragraph* p : paragraphs()) index_.emplace(p->id.raw, p);
    const auto found = index_.find(id.raw);
    return found == index_.end() ? nullptr : found->second;
}

std::vector<Paragraph*> Story::paragraphs() const {
    return paragraphsIn(*root);
}

Bytes Story::serialized() const {
    return Serializer::story(*this);
}

namespace {

// Checks one group's direct children; nested groups are pushed for the caller's loop.
std::optional<std::string> checkGroup(const Group& group, std::vector<const Group*>& pending) {
    for (const Block& block : group.children) {
        if (const auto* p = std::get_if<std::unique_ptr<Paragraph>>(&block)) {
            const Paragraph& paragraph = **p;
            if (paragraph.parent != &group)
                return "paragraph " + std::to_string(paragraph.id.raw) + " has a wrong parent";
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
