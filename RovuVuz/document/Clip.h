// Copy and paste with formatting: what a selection becomes on the clipboard, and the
// limits a pasted fragment is held to.
//
// The fragment is a small XML document of our own making:
//
//     <tv:clip xmlns:tv="urn:x-tovin:clip:1" xmlns:w="…/main" xmlns:r="…" …>
//       <tv:style><w:style w:type="paragraph" w:styleId="Heading1">…</w:style></tv:style>
//       <tv:image tv:id="rId5" tv:extension="png">iVBORw0…</tv:image>
//       <tv:p tv:list="number" tv:level="0" tv:styleName="heading 1">
//         <w:p><w:pPr>…</w:pPr><w:r><w:rPr>…</w:rPr>…</w:r></w:p></tv:p>
//     </tv:clip>
//
// Paragraphs and runs keep the bytes of their w:pPr and w:rPr as in the source; list
// membership travels as the list's kind and level (the source's w:numId means nothing
// elsewhere), pictures as their image bytes keyed by the relationship id their drawing
// names, links as tv:target on the w:hyperlink, and the styles the paragraphs and runs use
// (with the styles they are based on, base first) as their definitions, so that a document
// lacking them can create them, matched by name; each paragraph also names its style, so
// that a style whose definition did not come along is still found by name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rovuvuz {

struct ClipboardContent {
    std::string fragment;  // Clip::mimeType
    std::string html;      // bold, italic, underline, links, headings, lists
    std::u16string text;   // paragraphs ended by LF, as a reader sees them
    bool operator==(const ClipboardContent&) const = default;
};

namespace Clip {

constexpr std::string_view mimeType = "application/x-tovin-wordml+xml";
constexpr std::string_view namespaceURI = "urn:x-tovin:clip:1";
constexpr std::string_view prefix = "tv";

// A pasted fragment larger than this, or with more paragraphs, is refused as a whole: a
// clipboard holds what a user selected, and real selections stay far below.
constexpr size_t largestFragment = size_t{64} << 20;
constexpr size_t mostParagraphs = 200000;

}  // namespace Clip

}  // namespace rovuvuz
