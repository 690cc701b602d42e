// Table rows inserted or deleted as tracked changes: w:ins or w:del in a w:tr's w:trPr
// (ECMA-376 §17.13.5.19, §17.13.5.13). Resolving one keeps the row and drops its marker
// (an accepted insertion, a rejected deletion) or removes the whole row (a rejected
// insertion, an accepted deletion). The revisions inside the row's cells are separate
// changes of their own, resolved with the story's other inline revisions.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Story.h"

namespace rovuvuz::TrackedRows {

// Whether a marker's w:id (as written, nothing when absent) is one the request reaches.
using Matches = std::function<bool(const std::optional<std::string>&)>;
// Whether a revision of a kind is accepted (true) or rejected (false).
using Decide = std::function<bool(RevisionKind)>;

// Resolves the row markers that `matches` reaches in every table of the story, nested
// tables included. A w:trPr left with no element is dropped. A table whose last row goes
// is removed with it; a cell or story body it leaves without a final paragraph gets an
// empty one, as every cell and body must end in one. The rest of the story is untouched.
// Returns whether any marker matched.
bool resolve(Story& story, const Matches& matches, const Decide& decide, IdentityMint& mint);

}  // namespace rovuvuz::TrackedRows
