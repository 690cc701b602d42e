// Tracked changes of a story: listing them, and accepting or rejecting one revision by its
// w:id or every revision at once. Resolved here: w:ins and w:del around runs (ECMA-376
// §17.13.5.18, §17.13.5.14), the same markers on a paragraph mark (§17.13.5.16,
// §17.13.5.15), w:rPrChange and w:pPrChange (§17.13.5.31, §17.13.5.29), and moves:
// w:moveFrom and w:moveTo around runs (§17.13.5.22, §17.13.5.25) or on a paragraph mark,
// with their range marks (Moves), and table rows inserted or deleted (TrackedRows).
// Revisions inside other preserved raw elements are left alone.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/edit/TrackedChange.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz {


namespace Revisions {

// Whether accepting (true) or rejecting (false) a revision of a kind.
using Decision = std::function<bool(RevisionKind)>;


// Resolves the matching revisions of a story: the one whose w:id equals `id`, or every
// revision when there is none. A number that matches nothing changes nothing.
// A move counts as the deletion (w:moveFrom) and the insertion (w:moveTo) it is made of,
// and a request by number that reaches one part of a move reaches all of it; the mint
// gives identities to the runs a resolved move's content becomes.
void resolve(Story& story, std::optional<RevisionID> id, const Decision& decide, IdentityMint& mint);

// Runs an accept, reject, accept-all or reject-all edit on a story; false (and nothing
// done) for any other edit.
bool resolve(Story& story, const StructuralEdit& edit, IdentityMint& mint);

// The properties a w:rPrChange or w:pPrChange recorded: its first child whose local name
// is `name`, as a bag; nothing when there is none or it does not parse.
std::optional<PropertyBag> innerBag(ByteView element, std::string_view name);

// Every tracked change of a story in document order; neighbouring runs that carry the same
// change are listed once.
std::vector<TrackedChange> list(const Story& story);

}  // namespace Revisions

}  // namespace rovuvuz
