#include "RovuVuz/format/Sections.h"

#include <cmath>

#include "RovuVuz/format/EffectiveFormat.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

using FormatValues::longestLength;

// A layout never has room for more columns than this on the widest page.
constexpr int mostColumns = 64;

// Sets `field` to a twips attribute in points, within [lowest, highest]; an absent or
// unreadable attribute leaves it.
void readLength(const XMLTree& tree, int node, std::string_view name, double& field, double lowest,
                double highest) {
    const auto text = tree.attribute(node, name);
    const auto value = text ? FormatValues::number(*text) : std::nullopt;
    if (value) field = FormatValues::clamp(*value / 20, lowest, highest);
}

}  // namespace

PageSetup PageSetup::read(ByteView sectPr) {
    PageSetup page;
    try {
        const XMLTree tree(sectPr);
        for (int child : tree.childElements(tree.root())) {
            const std::string_view local = tree.localName(child);
            if (local == "pgSz") {
                readLength(tree, child, "w:w", page.width, 1, longestLength);
                readLength(tree, child, "w:h", page.height, 1, longestLength);
            } else if (local == "pgMar") {
                // Top and bottom are signed (§17.6.11): a negative value keeps the text
                // where it is however tall the header grows; the distance is its size.
                readLength(tree, child, "w:top", page.top, -longestLength, longestLength);
                readLength(tree, child, "w:right", page.right, 0, longestLength);
                readLength(tree, child, "w:bottom", page.bottom, -longestLength, longestLength);
                readLength(tree, child, "w:left", page.left, 0, longestLength);
                readLength(tree, child, "w:header", page.header, 0, longestLength);
                readLength(tree, child, "w:footer", page.footer, 0, longestLength);
                page.top = std::abs(page.top);
                page.bottom = std::abs(page.bottom);
            } else if (local == "cols") {
                const auto num = tree.attribute(child, "w:num");
                const auto columns = num ? FormatValues::integer(*num) : std::nullopt;
                page.columns = columns ? static_cast<int>(std::clamp<int64_t>(*columns, 1, mostColumns)) : 1;
            }
        }
    } catch (const XMLError&) {
        return PageSetup{};
    }
    return page;
}

namespace Sections {

std::optional<ByteSlice> finalSection(const Story& body) {
    for (const Block& block : body.root->children) {
        const auto* group = std::get_if<std::unique_ptr<Group>>(&block);
        if (!group || (*group)->local() != "body") continue;
        const auto& children = (*group)->children;
        for (auto child = children.rbegin(); child != children.rend(); ++child) {
            const Raw* raw = std::get_if<Raw>(&*child);
            if (raw && raw->local() == "sectPr") return raw->bytes;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<RelationshipID> reference(ByteView sectPr, std::string_view kind) {
    try {
        const XMLTree tree(sectPr);
        std::optional<int> chosen;
        for (int child : tree.childElements(tree.root())) {
            if (tree.localName(child) != kind) continue;
            if (tree.attribute(child, "w:type") == "default") {
                chosen = child;
                break;
            }
            if (!chosen) chosen = child;
        }
        const auto id = chosen ? tree.attribute(*chosen, "r:id") : std::nullopt;
        if (id) return RelationshipID{*id};
    } catch (const XMLError&) {
    }
    return std::nullopt;
}

bool sumsParagraphSpacing(ByteView settings) {
    try {
        const XMLTree tree(settings);
        for (int compat : tree.childElements(tree.root())) {
            if (tree.localName(compat) != "compat") continue;
            for (int option : tree.childElements(compat)) {
                if (tree.localName(option) != "doNotUseHTMLParagraphAutoSpacing") continue;
                const auto value = tree.attribute(option, "w:val");
                return !(value == "0" || value == "false" || value == "off");
            }
        }
    } catch (const XMLError&) {
    }
    return false;
}

}  // namespace Sections

}  // namespace rovuvuz
