// Tracked moves (ECMA-376 §17.13.5.21 to §17.13.5.26): text moved from one place to
// another is marked twice, w:moveFrom where it stood (its runs hold w:delText) and w:moveTo
// where it stands now, each side between range marks (w:moveFromRangeStart … w:moveToRangeEnd)
// whose starts name the move (w:name). A moved paragraph also carries w:moveFrom or w:moveTo
// in its mark's run properties. The story reads each moved piece as a container of runs
// (one nested past the parser's depth limit stays a preserved element, resolved from its
// bytes); this finds which pieces make up one move, and the range marks left empty.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/EditValues.h"

namespace rovuvuz::Moves {

// The side a moved piece counts as: w:moveFrom a deletion, w:moveTo an insertion; nothing
// for any other element.
std::optional<RevisionKind> side(std::string_view local);
std::optional<RevisionKind> side(const Raw& raw);

// The content of a preserved w:moveFrom or w:moveTo read as inlines, its runs taking their
// identities from the mint; nothing when it does not parse.
std::optional<std::vector<Inline>> content(const Raw& raw, IdentityMint& mint);

// What a moved piece shows: the display text of the runs it holds.
std::u16string text(ByteView element);

// The w:ids of the moved pieces and moved paragraph marks, both sides, of the move that
// the revision `id` belongs to: those inside ranges whose starts carry the same w:name as
// the range around `id`. Empty when `id` lies in no named move range.
std::vector<int64_t> partsOfMove(const Group& root, int64_t id);

// Removes the range marks of every move range that no longer encloses a moved piece or
// mark of its side. An end without a start stays.
void removeEmptyRanges(Group& root);

}  // namespace rovuvuz::Moves
