// Adding lists to a document's numbering part: a w:num for an abstract definition the
// document already has, or a new abstract definition with its w:num. The part is edited
// through its tree and kept as a pending part; a document without one gets a new part, its
// relationship from the main part and its content type. The document reads its numbering
// again when the pending bytes change, so labels count the new lists on the next snapshot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "RovuVuz/format/ListDefinitions.h"
#include "RovuVuz/model/Identifiers.h"

namespace rovuvuz {

class DocxDocument;

namespace NumberingPart {

// The list paragraphs of `kind` should join: the first of `neighbours` that is a plain list
// of that kind (ListDefinitions::isPlain), so that a paragraph made a list beside a list
// joins it; else, for bullets, the document's first plain bullet list; for numbers, a new
// w:num restarting at 1 over the document's first plain decimal definition; else a new
// definition. Throws DocxError(unreadablePart) when the numbering part must change but
// does not parse, before anything changed.
NumberingID listFor(DocxDocument& document, ListKind kind, const std::vector<NumberingID>& neighbours);

// A new w:num naming an abstract definition (restarting at 1), or a new abstract
// definition of the kind with a w:num when `abstractID` is nothing.
NumberingID add(DocxDocument& document, ListKind kind, const std::optional<std::string>& abstractID);

}  // namespace NumberingPart

}  // namespace rovuvuz
