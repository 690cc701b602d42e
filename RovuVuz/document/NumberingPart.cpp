#include "RovuVuz/document/NumberingPart.h"

#include <algorithm>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLEdit.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz::NumberingPart {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view contentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml";
constexpr std::string_view defaultName = "word/numbering.xml";

DocxError unreadable(const PartName& part, std::string cause) {
    return DocxError(DocxErrorCode::unreadablePart,
                     DocxError::Detail{std::nullopt, part, std::nullopt, std::move(cause)});
}

// The prefixes the part's root gives the main namespace: its own prefix for both, or, for a
// default namespace, another prefix bound to the same namespace for attributes (none when
// the part binds none, as loose writers do).
ListDefinitions::Prefixes prefixesOf(const XMLTree& tree) {
    const std::string element(Markup::prefixOf(tree.nameView(tree.root())));
    if (!element.empty()) return {element, element};
    for (const auto& [name, value] : Markup::attributes(tree.rawStartTag(tree.root())))
        if (name.starts_with("xmlns:") && value == mainNamespace) return {"", name.substr(6)};
    return {"", ""};
}

// The largest whole-number id among the root's children of that local name; 0 when none.
int64_t largestID(const XMLTree& tree, std::string_view local, std::string_view attribute) {
    int64_t largest = 0;
    for (int child : tree.childElements(tree.root()))
        if (tree.localName(child) == local)
            largest = std::max(largest, Numbers::integer(tree.ownAttribute(child, attribute)).value_or(0));
    return largest;
}

std::optional<int> firstChild(const XMLTree& tree, std::string_view local) {
    for (int child : tree.childElements(tree.root()))
        if (tree.localName(child) == local) return child;
    return std::nullopt;
}

// An nsid that differs between definitions and documents yet is the same on every run
// (FNV-1a over the part's bytes and the new id), so that tests and saves are repeatable.
uint32_t nsidFor(ByteView part, std::string_view id) {
    uint32_t hash = 2166136261u;
    const auto mix = [&](uint8_t byte) { hash = (hash ^ byte) * 16777619u; };
    for (uint8_t byte : part) mix(byte);
    for (char c : id) mix(static_cast<uint8_t>(c));
    return hash;
}

// The relationship target of a part in word/ from a main part in word/ ("numbering.xml"),
// else the package-absolute name, which resolves from anywhere.
std::string targetFromMain(const DocxDocument& document, const PartName& part) {
    const std::string& main = document.mainPart().rawValue;
    const size_t slash = main.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : main.substr(0, slash + 1);
    if (!folder.empty() && part.rawValue.starts_with(folder) && part.rawValue.find('/', folder.size()) == std::string::npos)
        return part.rawValue.substr(folder.size());
    return "/" + part.rawValue;
}

// Adds definitions to an existing part: a new abstract definition goes before the first
// w:num (the schema lists every w:abstractNum before any w:num, ECMA-376 §17.9.17), the
// w:num before w:numIdMacAtCleanup or at the end.
NumberingID addToPart(DocxDocument& document, const PartName& part, const SharedBytes& bytes, ListKind kind,
                      const std::optional<std::string>& abstractID) {
    if (!utf8::isValid(*bytes)) throw unreadable(part, "not UTF-8");
    std::optional<XMLTree> parsed;
    try {
        parsed.emplace(bytes);
    } catch (const XMLError& error) {
        throw unreadable(part, error.what());
    }
    const XMLTree& tree = *parsed;
    const ListDefinitions::Prefixes prefixes = prefixesOf(tree);
    const std::string numID = std::to_string(largestID(tree, "num", "numId") + 1);
    std::string abstractMarkup;
    std::string abstract = abstractID.value_or("");
    if (!abstractID) {
        abstract = std::to_string(largestID(tree, "abstractNum", "abstractNumId") + 1);
        abstractMarkup = ListDefinitions::abstractNum(prefixes, abstract, kind, nsidFor(*bytes, abstract));
    }
    const std::string numMarkup = ListDefinitions::num(prefixes, numID, abstract, kind == ListKind::number);

    const auto cleanup = firstChild(tree, "numIdMacAtCleanup");
    const auto firstNum = firstChild(tree, "num");
    const std::optional<int> abstractAnchor = firstNum ? firstNum : cleanup;
    XMLEdit edit(tree);
    if (abstractAnchor == cleanup) {
        // Both go to the same place, one after the other.
        if (cleanup) edit.insertBefore(*cleanup, abstractMarkup + numMarkup);
        else edit.append(tree.root(), abstractMarkup + numMarkup);
    } else {
        if (!abstractMarkup.empty()) edit.insertBefore(*abstractAnchor, abstractMarkup);
        if (cleanup) edit.insertBefore(*cleanup, numMarkup);
        else edit.append(tree.root(), numMarkup);
    }
    document.storePart(part, share(toBytes(edit.result())));
    return NumberingID{numID};
}

// A new part holding one definition and its list; the part takes the name the main part's
// relationship gives it when there is one (naming a part that is missing), else
// word/numbering.xml or the first free name like it.
NumberingID newPart(DocxDocument& document, const std::optional<PartName>& named, ListKind kind) {
    const PartName part = named ? *named : document.hasPart(defaultName) ? document.freePartName("numbering", "xml")
                                                                        : PartName(std::string(defaultName));
    // The content type first: it is the one step that can fail, and then nothing changed.
    document.ensureContentType(part, std::nullopt, contentType);
    const ListDefinitions::Prefixes w;
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:numbering", {{"xmlns:w", std::string(mainNamespace)}});
    out.raw(ListDefinitions::abstractNum(w, "1", kind, nsidFor(asBytes(part.rawValue), "1")));
    out.raw(ListDefinitions::num(w, "1", "1"));
    document.storePart(part, share(toBytes(out.finish())));
    if (!named) document.addRelationship(document.mainPart(), "numbering", targetFromMain(document, part), false);
    return NumberingID{"1"};
}

// The document's lists in w:numId order (numerically: 2 before 10).
std::vector<std::pair<NumberingID, std::string>> listsInOrder(const Numbering& numbering) {
    std::vector<std::pair<NumberingID, std::string>> lists;
    for (const auto& [id, list] : numbering.nums) lists.emplace_back(NumberingID{id}, list.abstract);
    std::stable_sort(lists.begin(), lists.end(), [](const auto& a, const auto& b) {
        const auto x = Numbers::integer(a.first.rawValue), y = Numbers::integer(b.first.rawValue);
        return x && y ? *x < *y : bool(x) > bool(y);
    });
    return lists;
}

}  // namespace

NumberingID add(DocxDocument& document, ListKind kind, const std::optional<std::string>& abstractID) {
    const DocxDocument::Cache::PartSource source = document.partSource("numbering");
    const SharedBytes bytes = document.partBytes(source);
    if (bytes) return addToPart(document, *source.part, bytes, kind, abstractID);
    // A part that is named but cannot be read is not replaced: it may hold lists that a
    // better reader sees.
    if (source.part && document.hasPart(source.part->rawValue)) throw unreadable(*source.part, "cannot be read");
    return newPart(document, source.part, kind);
}

NumberingID listFor(DocxDocument& document, ListKind kind, const std::vector<NumberingID>& neighbours) {
    const Numbering& numbering = document.numbering();
    for (const NumberingID& id : neighbours)
        if (ListDefinitions::isPlain(numbering, id, kind)) return id;
    for (const auto& [id, abstract] : listsInOrder(numbering)) {
        if (!ListDefinitions::isPlain(numbering, id, kind)) continue;
        // Bullets look the same wherever they are; numbers would go on counting from the
        // other list, so a new list of the same definition starts again at 1.
        if (kind == ListKind::bullet) return id;
        return add(document, kind, abstract);
    }
    return add(document, kind, std::nullopt);
}

}  // namespace rovuvuz::NumberingPart
