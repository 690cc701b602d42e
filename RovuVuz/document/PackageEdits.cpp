// The package edits a document makes when it adds content: a relationship, a free part
// name, a content type. Each edits the small XML part concerned through its tree and keeps
// the result as a pending part until the next save.
#include <algorithm>
#include <cctype>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLEdit.h"

namespace rovuvuz {

namespace {

constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// A pending or stored part read as an XML tree. Throws DocxError(unreadablePart) naming the
// part and the cause when it is missing, cannot be extracted, is not UTF-8 or does not parse.
XMLTree readPart(const DocxDocument& document, std::string_view name) {
    const auto unreadable = [&](std::string cause) {
        return DocxError(
            DocxErrorCode::unreadablePart,
            DocxError::Detail{std::nullopt, PartName(std::string(name)), std::nullopt, std::move(cause)});
    };
    if (!document.hasPart(name)) throw unreadable("the package has no such part");
    SharedBytes bytes;
    try {
        bytes = document.contents(name);
    } catch (const ZipError& error) {
        throw unreadable(error.what());
    }
    if (!utf8::isValid(*bytes)) throw unreadable("not UTF-8");
    try {
        return XMLTree(bytes);
    } catch (const XMLError& error) {
        throw unreadable(error.what());
    }
}

// The root's name qualified with its own prefix ("Relationship" under "Relationships",
// "ct:Override" under "ct:Types").
std::string sibling(const XMLTree& tree, std::string_view local) {
    return Markup::qualified(Markup::prefixOf(tree.nameView(tree.root())), local);
}

// Whether an element among the root's children has an attribute equal to `value`
// (compared as given, or case-insensitively).
bool anyChildHas(const XMLTree& tree, std::string_view local, std::string_view attribute,
                 std::string_view value, bool ignoringCase) {
    for (int child : tree.childElements(tree.root())) {
        if (tree.localName(child) != local) continue;
        const auto found = tree.attribute(child, attribute);
        if (found && (ignoringCase ? lowercased(*found) == lowercased(value) : *found == value)) return true;
    }
    return false;
}

}  // namespace

Relationships DocxDocument::relationships(const PartName& part) {
    if (part == mainPart_) return relationships_;
    const auto cached = cache_.relationships.find(part);
    if (cached != cache_.relationships.end()) return cached->second;
    std::optional<XMLTree> tree;
    try {
        tree.emplace(readPart(*this, Relationships::relsName(part)));
    } catch (const DocxError&) {
        // A part without relationships, or with an unreadable relationships part, links nothing.
    }
    Relationships read(part, tree ? std::optional<ByteView>(tree->bytes()) : std::nullopt);
    cache_.relationships.emplace(part, read);
    return read;
}

RelationshipID DocxDocument::addRelationship(const PartName& from, std::string_view kind, std::string_view target,
                                             bool external, std::optional<std::string_view> type) {
    const Relationships rels = relationships(from);
    const std::string fullType =
        type ? std::string(*type) : std::string(RelationshipTypes::officeDocumentBase) + std::string(kind);
    for (const Relationship& r : rels.all)
        if (r.type == fullType && r.target == target && r.external == external) return r.id;

    // The first free number above the count, so ids fill upward.
    size_t n = rels.all.size();
    std::string id;
    do {
        id = "rId" + std::to_string(++n);
    } while (rels.find(RelationshipID{id}));

    Markup::Attributes attributes{{"Id", id}, {"Type", fullType}, {"Target", std::string(target)}};
    if (external) attributes.emplace_back("TargetMode", "External");
    const std::string relsName = Relationships::relsName(from);
    std::string text;
    try {
        const XMLTree tree = readPart(*this, relsName);
        XMLEdit edit(tree);
        edit.append(tree.root(),
                    Markup::startTag(sibling(tree, "Relationship"), attributes, Markup::SelfClosing::Yes));
        text = edit.result();
    } catch (const DocxError&) {
        // No readable part: start a fresh one (an unreadable part links nothing, see above).
        text =
            std::string(declaration) +
            Markup::startTag("Relationships", {{"xmlns", std::string(RelationshipTypes::packageNamespace)}},
                             Markup::SelfClosing::No) +
            Markup::startTag("Relationship", attributes, Markup::SelfClosing::Yes) + "</Relationships>";
    }
    cache_.added[relsName] = share(toBytes(text));

    Relationships updated(from, asBytes(text));
    if (from == mainPart_)
        relationships_ = std::move(updated);
    else
        cache_.relationships[from] = std::move(updated);
    return RelationshipID{id};
}

void DocxDocument::storePart(const PartName& name, SharedBytes bytes) { cache_.added[name.rawValue] = std::move(bytes); }

PartName DocxDocument::freePartName(std::string_view stem, std::string_view extension) const {
    for (size_t n = 1;; ++n) {
        std::string name = "word/" + std::string(stem) + std::to_string(n) + "." + std::string(extension);
        if (!hasPart(name)) return PartName(name);
    }
}

void DocxDocument::ensureContentType(const std::optional<PartName>& part, const std::optional<std::string>& extension,
                                     std::string_view contentType) {
    if (!part && !extension) return;
    const XMLTree tree = readPart(*this, contentTypesPart);
    std::string element;
    if (part) {
        if (anyChildHas(tree, "Override", "PartName", "/" + part->rawValue, false)) return;
        element =
            Markup::startTag(sibling(tree, "Override"),
                             {{"PartName", "/" + part->rawValue}, {"ContentType", std::string(contentType)}},
                             Markup::SelfClosing::Yes);
    } else {
        // Extensions compare case-insensitively (ECMA-376 Part 2 §10.1.2.2).
        if (anyChildHas(tree, "Default", "Extension", *extension, true)) return;
        element = Markup::startTag(sibling(tree, "Default"),
                                   {{"Extension", *extension}, {"ContentType", std::string(contentType)}},
                                   Markup::SelfClosing::Yes);
    }
    XMLEdit edit(tree);
    edit.append(tree.root(), element);
    cache_.added[std::string(contentTypesPart)] = share(toBytes(edit.result()));
}

}  // namespace rovuvuz
