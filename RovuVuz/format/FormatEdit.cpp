#include "RovuVuz/format/FormatEdit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace rovuvuz::FormatEdit {

namespace {

constexpr double twipsPerPoint = 20;
constexpr double linesPerMultiple = 240;  // w:line with w:lineRule="auto" counts 240ths of a line
constexpr double halfPointsPerPoint = 2;

std::string whole(double value) { return std::to_string(std::llround(value)); }

bool isLength(const std::optional<double>& value) {
    return !value || (std::isfinite(*value) && std::abs(*value) <= FormatValues::longestLength);
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// clang 14 does not deduce aggregate template arguments by itself.
template <typename... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

std::string_view toggleName(RunFormatChange::Toggle toggle) {
    switch (toggle) {
        case RunFormatChange::Toggle::bold: return "b";
        case RunFormatChange::Toggle::italic: return "i";
        case RunFormatChange::Toggle::underline: return "u";
        case RunFormatChange::Toggle::strike: return "strike";
    }
    return "b";
}

bool shows(const RunFormat& format, RunFormatChange::Toggle toggle) {
    switch (toggle) {
        case RunFormatChange::Toggle::bold: return format.bold;
        case RunFormatChange::Toggle::italic: return format.italic;
        case RunFormatChange::Toggle::underline: return format.underline;
        case RunFormatChange::Toggle::strike: return format.strike;
    }
    return false;
}

void applySwitch(const RunFormatChange::Switch& change, PropertyBag& bag,
                 const std::function<RunFormat(const PropertyBag&)>& effective) {
    const std::string_view name = toggleName(change.property);
    const bool underline = change.property == RunFormatChange::Toggle::underline;
    if (change.on) {
        if (underline) {
            bag.set("u", std::nullopt);
            bag.set("u", Markup::Attributes{{"val", "single"}});
        } else {
            bag.set(name, Markup::Attributes{});
        }
        return;
    }
    bag.set(name, std::nullopt);
    // A style can still turn it on; only an explicit "off" overrides the style.
    if (shows(effective(bag), change.property)) bag.set(name, Markup::Attributes{{"val", underline ? "none" : "0"}});
}

// The w:rPr children Clear Formatting keeps: what the text is, not how it looks.
constexpr std::string_view kept[] = {"lang",     "rtl",  "cs",      "noProof", "specVanish", "oMath",
                                     "rPrChange", "ins", "del",     "moveFrom", "moveTo"};

void clearFormatting(PropertyBag& bag) {
    std::vector<std::string> names;
    for (const auto& child : bag.children) {
        const std::string_view local = child.local();
        if (!local.empty() && std::find(std::begin(kept), std::end(kept), local) == std::end(kept))
            names.emplace_back(local);
    }
    for (const std::string& name : names) bag.set(name, std::nullopt);
}

// A run without w:sz shows the size ECMA-376 gives text that states none: 10 points.
constexpr double unstatedSize = 10;

// Font names are written to all four slots (Latin, high ANSI, East Asian, complex script),
// as Word does when a font is picked for a selection; the slots' theme references go with
// the old element, since a theme reference would win over the name. A w:hint, which tells
// which slot ambiguous characters use, stays.
void setFont(PropertyBag& bag, const std::optional<std::string>& family) {
    if (!family) {
        bag.set("rFonts", std::nullopt);
        return;
    }
    Markup::Attributes attributes{{"ascii", *family}, {"hAnsi", *family}, {"eastAsia", *family}, {"cs", *family}};
    if (const auto old = bag.child("rFonts"))
        if (auto hint = Markup::attribute("hint", *old)) attributes.insert(attributes.begin(), {"hint", *hint});
    bag.set("rFonts", attributes);
}

}  // namespace

bool isValid(const ParagraphFormatChange& change) {
    return std::visit(
        Overloaded{
            [](const ParagraphFormatChange::Align&) { return true; },
            [](const ParagraphFormatChange::Indent& c) {
                return isLength(c.left) && isLength(c.right) && isLength(c.firstLine);
            },
            [](const ParagraphFormatChange::Spacing& c) {
                return isLength(c.before) && isLength(c.after) &&
                       (!c.line || (std::isfinite(*c.line) && *c.line > 0 &&
                                    *c.line <= FormatValues::largestLineMultiple));
            },
            [](const ParagraphFormatChange::Numbering& c) { return c.level >= 0 && c.level <= 8; },
        },
        change.value);
}

bool isValid(const RunFormatChange& change) {
    return std::visit(Overloaded{
                          [](const RunFormatChange::Size& c) {
                              return !c.points || (std::isfinite(*c.points) &&
                                                   *c.points >= FormatValues::smallestFontSize &&
                                                   *c.points <= FormatValues::largestFontSize);
                          },
                          [](const RunFormatChange::Color& c) {
                              return !c.hex || (c.hex->size() == 6 && std::all_of(c.hex->begin(), c.hex->end(),
                                                                                  [](char x) { return std::isxdigit(static_cast<unsigned char>(x)); }));
                          },
                          [](const RunFormatChange::SizeStep& c) {
                              return std::isfinite(c.points) && std::abs(c.points) <= FormatValues::largestFontSize;
                          },
                          [](const RunFormatChange::Highlight& c) {
                              return !c.name || (!c.name->empty() && std::all_of(c.name->begin(), c.name->end(),
                                                                                 [](char x) { return std::isalpha(static_cast<unsigned char>(x)); }));
                          },
                          [](const auto&) { return true; },
                      },
                      change.value);
}

void apply(const ParagraphFormatChange& change, PropertyBag& bag) {
    std::visit(
        Overloaded{
            [&](const ParagraphFormatChange::Align& c) {
                static constexpr std::string_view names[] = {"left", "center", "right", "both"};
                if (c.alignment) bag.set("jc", Markup::Attributes{{"val", std::string(names[size_t(*c.alignment)])}});
                else bag.set("jc", std::nullopt);
            },
            [&](const ParagraphFormatChange::Indent& c) {
                Markup::Attributes attributes;
                if (c.left) attributes.emplace_back("left", whole(*c.left * twipsPerPoint));
                if (c.right) attributes.emplace_back("right", whole(*c.right * twipsPerPoint));
                if (c.firstLine) {
                    if (*c.firstLine >= 0) attributes.emplace_back("firstLine", whole(*c.firstLine * twipsPerPoint));
                    else attributes.emplace_back("hanging", whole(-*c.firstLine * twipsPerPoint));
                }
                if (attributes.empty()) bag.set("ind", std::nullopt);
                else bag.set("ind", attributes);
            },
            [&](const ParagraphFormatChange::Spacing& c) {
                Markup::Attributes attributes;
                if (c.before) attributes.emplace_back("before", whole(*c.before * twipsPerPoint));
                if (c.after) attributes.emplace_back("after", whole(*c.after * twipsPerPoint));
                if (c.line) {
                    attributes.emplace_back("line", whole(*c.line * linesPerMultiple));
                    attributes.emplace_back("lineRule", "auto");
                }
                if (attributes.empty()) bag.set("spacing", std::nullopt);
                else bag.set("spacing", attributes);
            },
            [&](const ParagraphFormatChange::Numbering& c) {
                if (!c.id) {
                    bag.set("numPr", std::nullopt);
                    return;
                }
                std::string p(bag.tags.prefix());
                if (!p.empty()) p += ':';
                const std::string bytes =
                    "<" + p + "numPr>" +
                    Markup::startTag(p + "ilvl", {{p + "val", std::to_string(c.level)}}, Markup::SelfClosing::Yes) +
                    Markup::startTag(p + "numId", {{p + "val", c.id->rawValue}}, Markup::SelfClosing::Yes) + "</" +
                    p + "numPr>";
                bag.set("numPr", asBytes(bytes));
            },
        },
        change.value);
}

void apply(const RunFormatChange& change, PropertyBag& bag,
           const std::function<RunFormat(const PropertyBag&)>& effective) {
    auto setOrRemove = [&](std::string_view name, const std::optional<std::string>& value) {
        if (value) bag.set(name, Markup::Attributes{{"val", *value}});
        else bag.set(name, std::nullopt);
    };
    std::visit(Overloaded{
                   [&](const RunFormatChange::Switch& c) { applySwitch(c, bag, effective); },
                   [&](const RunFormatChange::VertAlign& c) {
                       if (c.align == VerticalAlign::baseline) bag.set("vertAlign", std::nullopt);
                       else
                           bag.set("vertAlign", Markup::Attributes{{"val", c.align == VerticalAlign::superscript
                                                                               ? "superscript"
                                                                               : "subscript"}});
                   },
                   [&](const RunFormatChange::Font& c) { setFont(bag, c.family); },
                   [&](const RunFormatChange::Size& c) {
                       const auto halfPoints =
                           c.points ? std::optional(whole(*c.points * halfPointsPerPoint)) : std::nullopt;
                       setOrRemove("sz", halfPoints);
                       setOrRemove("szCs", halfPoints);
                   },
                   [&](const RunFormatChange::Color& c) {
                       std::optional<std::string> upper = c.hex;
                       if (upper)
                           for (char& x : *upper) x = char(std::toupper(static_cast<unsigned char>(x)));
                       setOrRemove("color", upper);
                   },
                   [&](const RunFormatChange::Highlight& c) { setOrRemove("highlight", c.name); },
                   [&](const RunFormatChange::RunStyle& c) {
                       setOrRemove("rStyle", c.style ? std::optional(c.style->rawValue) : std::nullopt);
                   },
                   [&](const RunFormatChange::SizeStep& c) {
                       const double now = effective(bag).size.value_or(unstatedSize);
                       const double size = FormatValues::clamp(now + c.points, FormatValues::smallestFontSize,
                                                               FormatValues::largestFontSize);
                       const std::string halfPoints = whole(size * halfPointsPerPoint);
                       setOrRemove("sz", halfPoints);
                       setOrRemove("szCs", halfPoints);
                   },
                   [&](const RunFormatChange::ClearFormatting&) { clearFormatting(bag); },
               },
               change.value);
}

}  // namespace rovuvuz::FormatEdit
