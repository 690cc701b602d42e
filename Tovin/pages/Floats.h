// Pictures and text boxes that float (wp:anchor, ECMA-376 §20.4.2.3; a VML shape with an
// absolute position): where each stands and how it moves the text around it. A float is
// anchored in a paragraph; its position is an offset or an alignment relative to the page,
// the margins, the column or the paragraph (wp:positionH, wp:positionV). Square wrapping
// narrows the lines beside it, top-and-bottom wrapping moves lines below it, and a float
// in front of or behind the text leaves the lines where they are. Placement is
// approximate: tight and through wrapping are square, and a float's box is its extent.
#pragma once

#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "RovuVuz/snapshot/Snapshot.h"
#include "Tovin/text/TextAttachment.h"

namespace tovin {

struct PageText;
class FlowLayout;

// One floating object as the story's text carries it.
struct Floater {
    int block = 0;  // the Qt block of the paragraph it is anchored in
    QSizeF size;    // display points
    rovuvuz::DrawingSnapshot::Position horizontal, vertical;  // offsets in points, as in the file
    rovuvuz::DrawingSnapshot::Wrap wrap = rovuvuz::DrawingSnapshot::Wrap::inFront;
    AttachmentRef picture;            // a picture's image, or a shape or graphic without text
    std::shared_ptr<PageText> box;    // a text box's text
    // A text box's outline and fill (nothing: a thin black frame on white) and where its
    // text stands in it.
    std::optional<rovuvuz::ShapeLook> look;
    rovuvuz::TextFrame textFrame;
};

// Where the text of a story stands on its page, display points: what page-, margin- and
// column-relative positions are measured from.
struct FloatFrame {
    qreal pageWidth = 0;
    qreal pageHeight = 0;
    qreal columnLeft = 0;   // the column's left edge from the page's
    qreal columnWidth = 0;
    qreal textTop = 0;      // where the text's first line stands on its page
    qreal textHeight = 0;   // the body's height on the page
    // The y, in the text's coordinates, at which the page holding text y starts; without
    // it every page holds one body height of text.
    std::function<qreal(qreal)> pageTop;
};

// A float placed in the text's coordinates (x from the column's left, y from the text's
// top).
struct PlacedFloat {
    size_t floater = 0;  // in PageText::floats
    QRectF box;
    int line = 0;        // the first line of its anchor paragraph
    std::shared_ptr<FlowLayout> text;  // a text box's laid-out text
};

namespace Floats {

// The gap kept between a wrapping float and the text beside it, display points.
constexpr qreal wrapGap = 9 * 1.25;
// How far a text box's text stands inside its frame, display points (wps:bodyPr's insets).
QMarginsF insets(const rovuvuz::TextFrame& frame);
// Lines narrower than this beside a float go below it instead.
constexpr qreal narrowestBeside = 48;

// The float's box in the text's coordinates, for an anchor paragraph whose text starts at
// `paragraphTop`; inside the page however absurd its offsets.
QRectF place(const Floater& floater, QSizeF size, const FloatFrame& frame, qreal paragraphTop);

// Whether the float moves text: square and top-and-bottom wrapping.
bool wraps(const Floater& floater);

// Where a line between `top` and `bottom` may stand in a column of `width` beside the
// wrapping floats: its left and right edges, or nothing when it must move below them;
// `below` then says to where.
struct Room {
    qreal left = 0;
    qreal right = 0;
};
std::optional<Room> room(const std::vector<std::pair<QRectF, bool>>& areas, qreal top, qreal bottom, qreal width,
                         qreal& below);

}  // namespace Floats

}  // namespace tovin
