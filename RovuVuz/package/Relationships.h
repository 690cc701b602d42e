// The relationships of one package part (its ".rels" part, ECMA-376 Part 2 §9.3): how a
// package links the main document to its headers, notes, comments, images and links, and
// how a relationship's target resolves to a part name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/package/PartName.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

namespace RelationshipTypes {
// The transitional officeDocument relationship namespace; a type is this plus a kind.
constexpr std::string_view officeDocumentBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
// The namespace of relationship parts themselves (Open Packaging Conventions).
constexpr std::string_view packageNamespace = "http://schemas.openxmlformats.org/package/2006/relationships";
}  // namespace RelationshipTypes

struct Relationship {
    RelationshipID id;
    std::string type;    // the Type URI; empty when absent
    std::string target;  // as written: relative or absolute
    bool external = false;

    // The last non-empty component of the type ("image", "header", "officeDocument").
    std::string_view kind() const;
    bool operator==(const Relationship&) const = default;
};

struct Relationships {
    PartName source;  // the part these belong to; empty for the package root
    std::vector<Relationship> all;

    Relationships() = default;
    // Reads a relationship part; missing or unreadable bytes give an empty list.
    Relationships(PartName source, std::optional<ByteView> data);

    std::vector<Relationship> of(std::string_view kind) const;
    const Relationship* find(const RelationshipID& id) const;

    // The part a relationship points at; nothing for external targets.
    std::optional<PartName> part(const Relationship& relationship) const;

    // "word/document.xml" → "word/_rels/document.xml.rels"; the root → "_rels/.rels".
    static std::string relsName(const PartName& part);

    bool operator==(const Relationships&) const = default;
};

}  // namespace rovuvuz
