// Changes to one XML text made through its tree: each names nodes or byte ranges of the
// tree's input and what takes their place, and the result is the input with the changes
// applied and every other byte as it was. New markup is built with the markup helpers,
// so every attribute value written is escaped; names keep the prefixes the tree has.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

class XMLEdit {
  public:
    // The tree must outlive the edit.
    explicit XMLEdit(const XMLTree& tree) : tree_(tree) {}

    // Removes a node with everything inside it.
    void remove(int node) { replace(tree_.range(node), {}); }
    // Puts markup in place of a node.
    void replace(int node, std::string markup) { replace(tree_.range(node), std::move(markup)); }
    void insertBefore(int node, std::string markup) { insert(tree_.range(node).lower, std::move(markup)); }
    // Adds markup as an element's last content; an empty-element tag is opened for it.
    void append(int element, std::string markup);
    // Replaces everything between an element's start and end tag; an empty-element tag
    // is opened for it.
    void replaceContent(int element, std::string markup);
    // Writes an element's start tag anew with these attributes set: present ones keep
    // their place, new ones follow (double quotes, values escaped).
    void setAttributes(int element, const Markup::Attributes& attributes);

    bool empty() const { return changes_.empty(); }
    // The input with every change applied. Changes must not overlap.
    std::string result() const;

  private:
    void replace(ByteRange range, std::string markup) { changes_.push_back({range, std::move(markup)}); }
    void insert(size_t at, std::string markup) { replace(ByteRange{at, at}, std::move(markup)); }
    // The start tag of an element as an opened tag ("<w:trPr>" for "<w:trPr/>").
    std::string openedStartTag(int element) const;

    struct Change {
        ByteRange range;
        std::string markup;
    };
    const XMLTree& tree_;
    std::vector<Change> changes_;
};

}  // namespace rovuvuz
