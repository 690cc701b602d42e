// Reads the XML tree of a story part into the node tree: decides which WordprocessingML
// elements the editor models and which stay opaque, and gives every node the exact bytes
// it came from. Elements are classified by local name (any prefix).
#pragma once

#include <memory>
#include <optional>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

class StoryParser {
public:
    // Containers nest without limit in the format; a hostile part can nest a million of
    // them in a few kilobytes. Past this depth of groups and inline containers a subtree
    // is kept whole as one raw piece: preserved byte for byte, simply not editable. Real
    // documents stay far below it.
    static constexpr int maxDepth = 200;

    StoryParser(const XMLTree& tree, IdentityMint& mint);

    std::unique_ptr<Group> group(int node);
    std::unique_ptr<Paragraph> paragraph(int node);
    Inline inlineNode(int node);
    std::unique_ptr<Run> run(int node);
    Raw raw(int node) const;
    Tags tags(int node) const;

    // Whether a local name is one of the block containers read as groups.
    static bool isGroup(std::string_view local);
    // Whether an element of a group read as `parent` holds blocks of its own, read as a
    // group too (a block-level content control and its content).
    static bool holdsBlocks(std::string_view parent, std::string_view local);
    // The inline container an element is read as; nothing for elements kept raw.
    static std::optional<Container::Kind> containerKind(std::string_view local);

private:
    ByteSlice slice(ByteRange range) const { return whole_.sub(range); }
    Inline container(int node, Container::Kind kind);

    const XMLTree& tree_;
    IdentityMint& mint_;
    ByteSlice whole_;  // the tree's whole buffer, from which every node's slice is cut
    int depth_ = 0;
};

}  // namespace rovuvuz
