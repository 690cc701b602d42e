// DrawingML colours (ECMA-376 §20.1.2.3): an a:srgbClr, a:schemeClr resolved through the
// theme's colour scheme (a:clrScheme, §20.1.6.2), a:sysClr, a:prstClr or a:scrgbClr, with
// the lumMod, lumOff, tint and shade changes applied; and VML colour attributes
// ("#FF0000", "red", "#F00 [3204]").
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "RovuVuz/xml/Bytes.h"

namespace rovuvuz {

class XMLTree;

// A theme's twelve colours by name (dk1, lt1, dk2, lt2, accent1…6, hlink, folHlink), as
// "RRGGBB".
class ThemeColors {
  public:
    ThemeColors() = default;
    // Reads a theme part; missing or malformed bytes give Office's default scheme. Never throws.
    static ThemeColors read(std::optional<ByteView> theme);

    // A scheme colour by the name a:schemeClr gives it: tx1, bg1, tx2 and bg2 are dk1, lt1,
    // dk2 and lt2; nothing for an unknown name (phClr among them).
    std::optional<std::string> color(std::string_view name) const;

  private:
    std::map<std::string, std::string, std::less<>> colors_;
};

namespace DrawingColors {

// The colour an element holding one colour element stands for (a:solidFill, a:fontRef,
// a gradient stop, …): its first child colour element with its changes applied; `placeholder`
// stands for a:schemeClr val="phClr" (a style reference's own colour).
std::optional<std::string> of(const XMLTree& tree, int holder, const ThemeColors& theme,
                              const std::optional<std::string>& placeholder = std::nullopt);

// A VML colour attribute's value; nothing when it names no colour.
std::optional<std::string> vml(std::string_view value);

}  // namespace DrawingColors

}  // namespace rovuvuz
