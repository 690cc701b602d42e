// The state of flattening one paragraph, shared by the files that build its parts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/snapshot/SnapshotContext.h"

namespace rovuvuz {

// A complex field between its begin and end characters.
struct OpenField {
    std::string code;  // its w:instrText so far
    bool inResult = false;
    size_t resultStart = 0;
    std::optional<RunFormat> resultFormat;  // of the first result run
    RunFormat ownFormat;                    // of the run holding the begin character
};

// The paragraph being flattened.
struct SnapshotContext::Walk {
    ParagraphSnapshot& snapshot;
    const std::optional<StyleID>& paragraphStyle;
    std::string_view mainPrefix;  // the paragraph's own prefix
    std::vector<OpenField> openFields;
};

}  // namespace rovuvuz
