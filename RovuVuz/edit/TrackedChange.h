// A tracked change as a reviewer sees it, as the document lists a story's changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

// One tracked change as a reviewer sees it.
struct TrackedChange {
    enum class Kind : uint8_t {
        insertion,        // w:ins around runs
        deletion,         // w:del around runs
        insertedMark,     // w:ins on a paragraph mark: a paragraph split
        deletedMark,      // w:del on a paragraph mark: a paragraph join
        runFormat,        // w:rPrChange
        paragraphFormat,  // w:pPrChange
        movedFrom,        // w:moveFrom around runs: where moved text was
        movedTo,          // w:moveTo around runs: where moved text is now
        movedFromMark,    // w:moveFrom on a paragraph mark
        movedToMark,      // w:moveTo on a paragraph mark
        insertedRow,      // w:ins in a table row's w:trPr
        deletedRow,       // w:del in a table row's w:trPr
    };

    std::string id;  // the w:id as written; empty when absent
    Kind kind = Kind::insertion;
    std::string author;
    std::optional<std::string> date;
    ParagraphID paragraph;  // for a row, its first paragraph
    std::u16string text;  // the text the change concerns; for marks and paragraph formats, the paragraph's;
                          // for a row, its paragraphs' text joined by tabs

    bool operator==(const TrackedChange&) const = default;
};

}  // namespace rovuvuz
