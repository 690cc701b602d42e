// The values of a note edit that callers above the engine use.
#pragma once

#include <cstdint>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

enum class NoteKind : uint8_t { footnote, endnote };

// A new note: its w:id, the story it is in, and where typing its text begins (after the
// note's mark and the space that follows it).
struct NoteInsertion {
    int64_t id = 0;
    StoryID story;
    ParagraphPos caret;
    bool operator==(const NoteInsertion&) const = default;
};

}  // namespace rovuvuz
