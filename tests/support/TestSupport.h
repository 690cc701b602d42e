// Shared helpers of the test suites: the corpus of real documents and file reading.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::testing {

// Every .docx file of the corpus, sorted by name. Empty when the folder is missing.
std::vector<std::filesystem::path> corpusFiles();

Bytes readFile(const std::filesystem::path& path);

// A ZIP package holding the given parts (name → contents), made with the archive writer
// from an empty archive.
SharedBytes makePackage(const std::vector<std::pair<std::string, std::string>>& parts);

// The smallest Word package around a body: content types, package and document
// relationships (`documentRels` inside <Relationships>), and word/document.xml.
std::vector<std::pair<std::string, std::string>> minimalDocument(std::string_view bodyXml,
                                                                 std::string_view documentRels = {});

// A package around a body with more parts, each related from the main part: `parts` are
// (relationship kind, part name under word/, XML), and their relationship ids are rIdP1,
// rIdP2, … in order. `documentRels` adds further relationships.
struct RelatedPart {
    std::string kind;
    std::string name;
    std::string xml;
};
SharedBytes packageWith(std::string_view bodyXml, const std::vector<RelatedPart>& parts,
                        std::string_view documentRels = {});
// The WordprocessingML main namespace declaration, for building parts in tests.
inline constexpr std::string_view mainNamespace =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

// One <Relationship> element of the officeDocument type family ("header", "image", …).
std::string rel(std::string_view id, std::string_view kind, std::string_view target, bool external = false);

// How many times `needle` occurs in `haystack`, overlapping occurrences included.
size_t count(std::string_view haystack, std::string_view needle);

// A file name suitable as a gtest parameter name (letters, digits and underscores).
std::string parameterName(const std::filesystem::path& path);

// How a rewritten part binds the WordprocessingML main namespace in place of w:. Elements
// take `elements` ("" declares it the default namespace), attributes take `attributes`
// (declared beside it when it differs; "" leaves them unqualified, as some writers do).
struct MainBinding {
    std::string elements;
    std::string attributes;
    bool singleQuotes = false;  // every attribute value of the part single-quoted
};

// The part with every element and attribute name qualified with w: renamed as `binding`
// says and its xmlns:w declarations rewritten, by walking the parsed part (text, comments
// and other prefixes untouched). Nothing when the part cannot be rewritten faithfully: it
// does not parse, binds w: to another namespace, already uses the new prefix or default
// namespace, or has no w: at all.
std::optional<std::string> rebindMainNamespace(std::string_view part, const MainBinding& binding);

// A package with the named parts rebound (see rebindMainNamespace) and every other entry
// as it was; nothing when a named part is missing or cannot be rewritten. Without names,
// every .xml part that can be rewritten is, and the names rewritten are added to `rebound`.
std::optional<SharedBytes> rebindPackage(const SharedBytes& package, const std::vector<std::string>& parts,
                                         const MainBinding& binding,
                                         std::vector<std::string>* rebound = nullptr);

// The identity mint of a document as its edits see it, for tests that build nodes by hand.
inline IdentityMint& mintOf(EditContext& document) { return document.mint(); }

}  // namespace rovuvuz::testing
