#include "RovuVuz/xml/Markup.h"

#include <algorithm>

#include "RovuVuz/xml/XMLText.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Markup {

namespace {

constexpr std::string_view emptyElementClose = "/>";
constexpr std::string_view textElement = "w:t";  // ECMA-376 Part 1 §17.3.3.31

bool endsWith(ByteView bytes, std::string_view suffix) {
    return asChars(bytes).ends_with(suffix);
}

}  // namespace

// The tag is closed as an empty element and parsed on its own, so exactly the tree's
// rules decide what an attribute is, and a start tag reads the same here as in a part.
Attributes attributes(ByteView tag) {
    Bytes closed(tag.begin(), tag.end());
    if (!endsWith(tag, emptyElementClose)) {
        if (!closed.empty()) closed.pop_back();
        closed.insert(closed.end(), emptyElementClose.begin(), emptyElementClose.end());
    }
    try {
        const XMLTree tree(share(std::move(closed)));
        const int root = tree.root();
        Attributes result;
        result.reserve(tree.attributeCount(root));
        for (std::string& name : tree.attributeNames(root)) {
            std::string value = tree.attribute(root, name).value_or(std::string());
            result.emplace_back(std::move(name), std::move(value));
        }
        return result;
    } catch (const XMLError&) {
        return {};
    }
}

std::optional<std::string> attribute(std::string_view name, ByteView slice) {
    const auto close = std::find(slice.begin(), slice.end(), uint8_t{'>'});
    if (close == slice.end()) return std::nullopt;
    const Attributes found = attributes(slice.first(static_cast<size_t>(close - slice.begin()) + 1));
    for (const auto& [qualified, value] : found) {
        const bool prefixed = qualified.size() > name.size() &&
                              qualified[qualified.size() - name.size() - 1] == ':' &&
                              qualified.ends_with(name);
        if (qualified == name || prefixed) return value;
    }
    return std::nullopt;
}

std::string startTag(std::string_view name, const Attributes& attributes, SelfClosing selfClosing) {
    std::string tag;
    tag.reserve(name.size() + 2 + attributes.size() * 16);
    tag += '<';
    tag += name;
    for (const auto& [attributeName, value] : attributes) {
        tag += ' ';
        tag += attributeName;
        tag += "=\"";
        tag += XMLText::escapeAttribute(value);
        tag += '"';
    }
    tag += selfClosing == SelfClosing::Yes ? "/>" : ">";
    return tag;
}

std::string previewText(ByteView fragment) {
    try {
        const XMLTree tree(fragment);
        std::string text;
        for (size_t node = 0; node < tree.nodeCount(); ++node) {
            const int index = static_cast<int>(node);
            if (tree.kind(index) == XMLTree::Kind::element && tree.nameView(index) == textElement)
                text += tree.text(index);
        }
        return text;
    } catch (const XMLError&) {
        return {};
    }
}

bool isOn(std::optional<std::string_view> value) {
    return !value || !(*value == "0" || *value == "false" || *value == "off" || *value == "none");
}

}  // namespace rovuvuz::Markup
