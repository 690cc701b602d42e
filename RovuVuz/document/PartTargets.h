// The target a new part's relationship from the main part names it by.
#pragma once

#include <string>
#include <string_view>

#include "RovuVuz/document/DocxDocument.h"

namespace rovuvuz {

// "comments.xml" for word/comments.xml from a main part in word/, as Word writes it; the
// package-absolute name from a main part stored anywhere else, so that the target still
// resolves to the part.
inline std::string targetFromMain(const DocxDocument& document, std::string_view part) {
    constexpr std::string_view folder = "word/";
    const std::string& main = document.mainPart().rawValue;
    if (main.starts_with(folder) && main.find('/', folder.size()) == std::string::npos &&
        part.starts_with(folder))
        return std::string(part.substr(folder.size()));
    return "/" + std::string(part);
}

}  // namespace rovuvuz
