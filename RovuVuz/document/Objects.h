// Inline objects: page breaks (w:br w:type="page"), inline pictures (w:drawing around
// wp:inline, ECMA-376 §20.4.2.8, with their media part and relationship) and hyperlinks
// (w:hyperlink, §17.16.22) over a range. New content is written as WordprocessingML and
// read back by the story parser, so it enters the tree exactly as read content does. The
// entry points are DocxDocument::insertPageBreak, insertImage, resizeImage and setLink; pasted
// content enters through insertInlines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "RovuVuz/edit/EditContext.h"
#include "RovuVuz/model/EditValues.h"
#include "RovuVuz/model/Nodes.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz::Objects {

// A length in points as EMU (12700 to the point), truncated; nothing when the length is
// not positive or too large for a page.
std::optional<int64_t> emu(double points);

// A picture's drawing markup with its size set to cx by cy EMU in every wp:extent and
// a:ext, through the XML tree; the rest as it was. Throws XMLError when it does not parse.
std::string resized(ByteView drawing, int64_t cx, int64_t cy);

// The content type a picture's extension registers: png and gif by name, JPEG otherwise.
std::string_view imageContentType(std::string_view lowercaseExtension);

// Puts parsed inlines at an offset of a paragraph, inside a new w:ins when tracked. Throws
// DocxError(rangeOutOfBounds) for no inlines or an offset past the paragraph's end.
void insertInlines(EditContext& context, std::vector<Inline> inlines, Paragraph& into, size_t at,
                   const EditMode& mode);

}  // namespace rovuvuz::Objects
