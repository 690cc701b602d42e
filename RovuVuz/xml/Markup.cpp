#include "RovuVuz/xml/Markup.h"

#include <algorithm>

#include "RovuVuz/xml/XMLText.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz::Markup {

namespace {

constexpr std::string_view emptyElementClose = "/>";
constexpr std::string_view textElement = "t";  // ECMA-376 Part 1 §17.3.3.31

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

std::optional<std::string_view> ownAttribute(std::string_view element, const Attributes& attributes,
                                             std::string_view local) {
    std::optional<std::string_view> fallback;
    for (const auto& [name, value] : attributes) {
        const OwnAttributeMatch match = ownAttributeMatch(element, name, local);
        if (match == OwnAttributeMatch::own) return value;
        if (match == OwnAttributeMatch::otherPrefix && !fallback) fallback = value;
    }
    return fallback;
}

std::string qualified(std::string_view prefix, std::string_view local) {
    if (prefix.empty()) return std::string(local);
    std::string name;
    name.reserve(prefix.size() + 1 + local.size());
    name.append(prefix).append(1, ':').append(local);
    return name;
}

Attributes merged(Attributes base, const Attributes& set) {
    for (const auto& attribute : set) {
        auto found = std::find_if(base.begin(), base.end(),
                                  [&](const auto& pair) { return pair.first == attribute.first; });
        if (found != base.end())
            found->second = attribute.second;
        else
            base.push_back(attribute);
    }
    return base;
}

std::optional<std::string> boundPrefix(const Attributes& attributes, std::string_view uri) {
    for (const auto& [name, value] : attributes) {
        if (value != uri) continue;
        if (name == "xmlns") return std::string();
        if (name.starts_with("xmlns:")) return name.substr(6);
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

std::string element(std::string_view name, const Attributes& attributes, std::string_view content) {
    if (content.empty()) return startTag(name, attributes, SelfClosing::Yes);
    std::string whole = startTag(name, attributes, SelfClosing::No);
    whole.append(content).append("</").append(name).append(1, '>');
    return whole;
}

namespace {

// mc:AlternateContent (ECMA-376 Part 3 §10.2.1) holds the same content once per choice
// and once as a fallback; a reader sees one of them. The preview takes the first
// mc:Choice, or the mc:Fallback when there is no choice, and marks the others unchosen.
std::vector<bool> unchosenAlternatives(const XMLTree& tree) {
    std::vector<bool> unchosen(tree.nodeCount(), false);
    for (size_t node = 0; node < tree.nodeCount(); ++node) {
        const int index = static_cast<int>(node);
        if (tree.kind(index) != XMLTree::Kind::element || tree.localName(index) != "AlternateContent")
            continue;
        const std::vector<int> children = tree.childElements(index);
        auto named = [&](std::string_view local) {
            return std::find_if(children.begin(), children.end(),
                                [&](int child) { return tree.localName(child) == local; });
        };
        auto chosen = named("Choice");
        if (chosen == children.end()) chosen = named("Fallback");
        for (auto child = children.begin(); child != children.end(); ++child)
            if (child != chosen) unchosen[static_cast<size_t>(*child)] = true;
    }
    return unchosen;
}

}  // namespace

std::string previewText(ByteView fragment, std::string_view mainPrefix) {
    try {
        return previewText(XMLTree(fragment), mainPrefix);
    } catch (const XMLError&) {
        return {};
    }
}

std::string previewText(const XMLTree& tree, std::string_view mainPrefix) {
    const std::string textName = qualified(mainPrefix, textElement);
    const std::vector<bool> unchosen = unchosenAlternatives(tree);
    // Nodes come in document order, so everything that starts before the end of the
    // latest unchosen alternative lies inside it.
    size_t skipUntil = 0;
    std::string text;
    for (size_t node = 0; node < tree.nodeCount(); ++node) {
        const int index = static_cast<int>(node);
        const ByteRange range = tree.range(index);
        if (range.lower < skipUntil) continue;
        if (unchosen[node]) {
            skipUntil = range.upper;
            continue;
        }
        if (tree.kind(index) == XMLTree::Kind::element && tree.nameView(index) == textName)
            text += tree.text(index);
    }
    return text;
}

bool isOn(std::optional<std::string_view> value) {
    return !value || !(*value == "0" || *value == "false" || *value == "off" || *value == "none");
}

}  // namespace rovuvuz::Markup
