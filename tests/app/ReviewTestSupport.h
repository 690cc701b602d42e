// Documents with comments and tracked changes for the rail and ledger tests, made with
// the engine's own comment and edit calls or from XML literals.
#pragma once

#include <QTextEdit>
#include <chrono>
#include <memory>
#include <string>

#include "EditorTestSupport.h"
#include "RovuVuz/document/Comments.h"

namespace tovin::testing {

inline const auto reviewDate = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1} + std::chrono::hours{9};

inline const std::string commentRels =
    "<Relationship Id=\"rId8\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    "comments\" Target=\"comments.xml\"/><Relationship Id=\"rId9\" "
    "Type=\"http://schemas.microsoft.com/office/2011/relationships/commentsExtended\" "
    "Target=\"commentsExtended.xml\"/>";

inline std::string commentsPart(const std::string& comments) {
    return "<w:comments xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
           "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\">" +
           comments + "</w:comments>";
}

// Paragraph identifiers after `from`, counting up, so that two runs make the same markup.
inline void countingParagraphIDs(uint32_t from = 0) {
    auto next = std::make_shared<uint32_t>(from);
    rovuvuz::Comments::setNumberSource([next] { return ++*next; });
}

// The rail and ledger tests open their documents as the editor tests do.
using ReviewTest = EditorTest;

}  // namespace tovin::testing
