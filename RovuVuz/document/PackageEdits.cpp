// The package edits a document makes when it adds content: a relationship, a free part
// name, a content type. Each rewrites the text of the small XML part concerned and keeps
// the result as a pending part until the next save.
#include <algorithm>
#include <cctype>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {

namespace {

constexpr std::string_view relationshipsEnd = "</Relationships>";
constexpr std::string_view typesEnd = "</Types>";

std::string lowercased(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// A pending or stored part as UTF-8 text; nothing when missing, unreadable or not UTF-8.
std::optional<std::string> partText(const DocxDocument& document, std::string_view name) {
    if (!document.hasPart(name)) return std::nullopt;
    try {
        const SharedBytes bytes = document.contents(name);
        if (!utf8::isValid(*bytes)) return std::nullopt;
        return std::string(asChars(*bytes));
    } catch (const ZipError&) {
        return std::nullopt;
    }
}

}  // namespace

Relationships DocxDocument::relationships(const PartName& part) {
    if (part == mainPart_) return relationships_;
    const auto cached = cache_.relationships.find(part);
    if (cached != cache_.relationships.end()) return cached->second;
    const auto text = partText(*this, Relationships::relsName(part));
    Relationships read(part, text ? std::optional<ByteView>(asBytes(*text)) : std::nullopt);
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

    std::string element = "<Relationship Id=\"" + id + "\" Type=\"" + fullType + "\" Target=\"" +
                          XMLText::escapeAttribute(target) + "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
    const std::string relsName = Relationships::relsName(from);
    std::string text = partText(*this, relsName).value_or("");
    const size_t end = text.find(relationshipsEnd);
    if (end != std::string::npos) {
        text.insert(end, element);
    } else {
        // No readable part: start a fresh one (an unreadable part is dropped).
        text = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\"" +
               std::string(RelationshipTypes::packageNamespace) + "\">" + element + std::string(relationshipsEnd);
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
    auto text = partText(*this, contentTypesPart);
    if (!text) return;
    std::string element;
    if (part) {
        if (text->find("PartName=\"/" + part->rawValue + "\"") != std::string::npos) return;
        element = "<Override PartName=\"/" + part->rawValue + "\" ContentType=\"" + std::string(contentType) + "\"/>";
    } else if (extension) {
        // Extensions compare case-insensitively (ECMA-376 Part 2 §10.1.2.2).
        if (lowercased(*text).find("extension=\"" + lowercased(*extension) + "\"") != std::string::npos) return;
        element = "<Default Extension=\"" + *extension + "\" ContentType=\"" + std::string(contentType) + "\"/>";
    } else {
        return;
    }
    const size_t end = text->find(typesEnd);
    if (end == std::string::npos) return;
    text->insert(end, element);
    cache_.added[std::string(contentTypesPart)] = share(toBytes(*text));
}

}  // namespace rovuvuz
