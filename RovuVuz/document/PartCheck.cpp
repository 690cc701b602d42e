// The check every XML part passes before a save writes it: parsed by the engine's own
// reader and checked strictly (XMLCheck), so that a save never reports success for a file
// some reader cannot open. Only the parts a save replaces or adds are read, each once.
#include <algorithm>
#include <cctype>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/model/Story.h"
#include "RovuVuz/xml/XMLCheck.h"

namespace rovuvuz {

namespace {

bool endsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Parts of a package that hold XML: stories, comments and their extended part, styles,
// settings, relationship parts and "[Content_Types].xml".
bool holdsXML(std::string_view name) {
    return endsWithIgnoringCase(name, ".xml") || endsWithIgnoringCase(name, ".rels");
}

}  // namespace

void DocxDocument::checkXMLParts(const PartMap& parts) const {
    for (const auto& [name, bytes] : parts) {
        if (!holdsXML(name)) continue;
        try {
            XMLCheck::wellFormed(bytes);
        } catch (const XMLError& error) {
            // A part that came so from its producer and still holds the fault is written
            // back as it came: refusing would only keep the user from saving any edit.
            // One the engine broke is never written.
            if (archive_.entry(name)) {
                try {
                    XMLCheck::wellFormed(share(archive_.contents(name)));
                } catch (const std::exception&) {
                    continue;
                }
            }
            throw DocxError(DocxErrorCode::malformedPart,
                            DocxError::Detail{std::nullopt, PartName(name), std::nullopt, error.what()});
        }
    }
}

}  // namespace rovuvuz
