// Looking up an element's child by local name, as the drawing readers do over DrawingML,
// whose prefixes vary from producer to producer.
#pragma once

#include <optional>
#include <string_view>

#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

// The first child element of `node` whose local name is `local`.
inline std::optional<int> childNamed(const XMLTree& tree, int node, std::string_view local) {
    for (int child : tree.childElements(node))
        if (tree.localName(child) == local) return child;
    return std::nullopt;
}

}  // namespace rovuvuz
