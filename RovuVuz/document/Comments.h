// Comments (ECMA-376 §17.13.4): comment bodies in the comments part, their anchors
// (w:commentRangeStart, w:commentRangeEnd and a w:commentReference run) in the commented
// paragraphs, and threading and the resolved state in the commentsExtended part of
// [MS-DOCX], whose entries are keyed by the w14:paraId of each comment's last paragraph.
// The entry points are DocxDocument::addComment, reply, setResolved and commentThreads.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

struct CommentThreadInfo {
    std::optional<CommentID> parent;  // the comment this one replies to
    bool done = false;                // the thread is resolved
    bool operator==(const CommentThreadInfo&) const = default;
};

namespace Comments {

// Draws the numbers paragraph identifiers are made from; each call must give a value in
// [1, 0x7FFFFFFE]. The default draws uniformly from a generator seeded by random_device;
// tests install a predictable source, and nothing restores the default.
using NumberSource = std::function<uint32_t()>;
void setNumberSource(NumberSource source);

// A new w14:paraId: eight upper-case hexadecimal digits.
std::string newParagraphID();

// The first letter of each space-separated word of a name ("Ada King Lovelace" → "AKL").
std::string initials(std::string_view author);

}  // namespace Comments

}  // namespace rovuvuz
