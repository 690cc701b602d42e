// What a graphic frame shows when it is not a picture: a SmartArt graphic (a:graphicData of
// the diagram namespace, ECMA-376 §21.4) drawn from the shapes of its drawing part (the
// dsp:drawing Word keeps beside the data part), or from its data points' texts when there
// is none; a chart (§21.2) from the values its chart part caches. Parts are reached through
// the story part's relationships; a missing or broken part, relationship or element gives
// an empty graphic, never an error.
#pragma once

#include <functional>
#include <optional>

#include "RovuVuz/package/Relationships.h"
#include "RovuVuz/snapshot/DrawingColors.h"
#include "RovuVuz/snapshot/DrawingShapes.h"
#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

class XMLTree;

// What drawings read beyond their own markup: other parts of the package, their
// relationships, and the theme's colours (read on first use).
class DrawingParts {
  public:
    using Reader = std::function<SharedBytes(const PartName&)>;  // null when missing or unreadable
    using Related = std::function<Relationships(const PartName&)>;

    DrawingParts(Reader reader, Related related, std::optional<PartName> themePart);

    SharedBytes bytes(const PartName& part) const;
    Relationships relationships(const PartName& part) const;
    const ThemeColors& theme() const;

  private:
    Reader bytes_;
    Related related_;
    std::optional<PartName> themePart_;
    mutable std::optional<ThemeColors> theme_;
};

namespace DrawingGraphics {

// The most shapes, points, series and categories read from one graphic: past them the rest
// is left out.
constexpr size_t mostShapes = 2000;
constexpr size_t mostPoints = 4000;

// The graphic an a:graphicData element shows, with `story` the relationships of the part it
// stands in; kind none when it is neither a diagram nor a chart.
DrawingGraphic read(const XMLTree& tree, int graphicData, const Relationships& story, const DrawingParts& parts);

}  // namespace DrawingGraphics

}  // namespace rovuvuz
