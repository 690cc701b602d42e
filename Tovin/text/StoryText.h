// A story's blocks as the text of a QTextDocument: each paragraph in a Qt block of its
// own with the builder's block format, separator format and runs; each table and each
// opaque block as one attachment character in a block of its own. Consecutive entries are
// thus joined by exactly one paragraph separator, so an entry's offset in the document is
// the sum of (text length + 1) of the entries before it.
#pragma once

#include <QTextCursor>
#include <functional>
#include <span>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/AttributedBuilder.h"

class QTextDocument;

namespace tovin::StoryText {

// The block at an index, for callers that hold blocks other than in a vector.
using BlockAt = std::function<const rovuvuz::BlockSnapshot&(size_t)>;

// Replaces everything in `document` with the blocks and lets it draw attachments; the root
// frame's format (a view's margins) is kept. The text is laid out as it is shown, not at once.
void fill(QTextDocument& document, const std::vector<rovuvuz::BlockSnapshot>& blocks,
          const AttributedBuilder& builder);
// The same with `count` blocks read through `blockAt`.
void fill(QTextDocument& document, size_t count, const BlockAt& blockAt, const AttributedBuilder& builder);

// Writes the blocks at the cursor, which stands in an empty Qt block: the first entry goes
// into that block, each following one into a new block. The cursor ends after the last.
void insert(QTextCursor& cursor, std::span<const rovuvuz::BlockSnapshot> blocks,
            const AttributedBuilder& builder);
void insert(QTextCursor& cursor, size_t count, const BlockAt& blockAt, const AttributedBuilder& builder);

// Writes one paragraph's styled text at the cursor (its runs only).
void insertRuns(QTextCursor& cursor, const StyledText& styled);

// Every block a story shows: its own blocks, then those of each note or comment.
std::vector<rovuvuz::BlockSnapshot> allBlocks(const rovuvuz::StorySnapshot& story);

}  // namespace tovin::StoryText
