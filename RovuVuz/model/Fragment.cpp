#include "RovuVuz/model/Fragment.h"

#include <vector>

#include "RovuVuz/model/StoryParser.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Fragment {

namespace {

void markDirty(Group& root) {
    for (Paragraph* paragraph : paragraphsIn(root)) paragraph->setDirty(true);
}

}  // namespace

std::unique_ptr<Group> group(std::string_view xml, IdentityMint& mint) {
    try {
        const XMLTree tree(asBytes(xml));
        StoryParser parser(tree, mint);
        auto result = parser.group(tree.root());
        markDirty(*result);
        return result;
    } catch (const XMLError&) {
        return nullptr;
    }
}

std::unique_ptr<Paragraph> paragraph(std::string_view xml, IdentityMint& mint) {
    try {
        const XMLTree tree(asBytes(xml));
        StoryParser parser(tree, mint);
        auto result = parser.paragraph(tree.root());
        result->setDirty(true);
        return result;
    } catch (const XMLError&) {
        return nullptr;
    }
}

std::optional<Raw> raw(std::string_view xml) {
    try {
        const XMLTree tree(asBytes(xml));
        return Raw{ByteSlice(tree.sharedBytes(), tree.range(tree.root()))};
    } catch (const XMLError&) {
        return std::nullopt;
    }
}

}  // namespace rovuvuz::Fragment
