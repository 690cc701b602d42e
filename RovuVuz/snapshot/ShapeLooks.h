// How a shape is drawn, read from its markup: DrawingML shape properties (wps:spPr or
// dsp:spPr: a:prstGeom, the fill, a:ln) over the style's references (wps:style a:fillRef,
// a:lnRef), and the text body's insets, autofit and anchoring (a:bodyPr, ECMA-376
// §21.1.2.1.1); or VML's stroke and fill attributes and v:textbox (§14.1.2.19).
#pragma once

#include <optional>
#include <string_view>

#include "RovuVuz/snapshot/DrawingColors.h"
#include "RovuVuz/snapshot/DrawingShapes.h"

namespace rovuvuz {

class XMLTree;

namespace ShapeLooks {

// A DrawingML shape element (wps:wsp, dsp:sp, p:sp): its look from its spPr and style children.
ShapeLook drawingML(const XMLTree& tree, int shape, const ThemeColors& theme);
// An a:bodyPr (or wps:bodyPr); the defaults without one.
TextFrame bodyFrame(const XMLTree& tree, std::optional<int> bodyPr);

// A VML shape element (v:shape, v:rect, v:roundrect, v:oval, v:line): stroked in black
// 0.75 pt and filled in white unless it says otherwise.
ShapeLook vml(const XMLTree& tree, int shape);
// Its v:textbox's insets and fit, and the shape's v-text-anchor.
TextFrame vmlFrame(const XMLTree& tree, int shape);

// A CSS length of a VML style or attribute ("72pt", "1in", "2.5cm", "30px", "0.5mm", a bare
// number in points); nothing when unreadable.
std::optional<double> cssLength(std::string_view text);

}  // namespace ShapeLooks

}  // namespace rovuvuz
