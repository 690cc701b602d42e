#include "RovuVuz/snapshot/DrawingColors.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "RovuVuz/xml/Numbers.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

struct Rgb {
    double r = 0, g = 0, b = 0;  // 0…1
};

std::optional<Rgb> parseHex(std::string_view text) {
    if (text.size() == 3) {
        const std::string doubled{text[0], text[0], text[1], text[1], text[2], text[2]};
        return parseHex(doubled);
    }
    if (text.size() != 6) return std::nullopt;
    const auto value = Numbers::hex(text);
    if (!value) return std::nullopt;
    return Rgb{((*value >> 16) & 0xFF) / 255.0, ((*value >> 8) & 0xFF) / 255.0, (*value & 0xFF) / 255.0};
}

std::string hexOf(const Rgb& c) {
    auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    char out[8];
    std::snprintf(out, sizeof out, "%02X%02X%02X", byte(c.r), byte(c.g), byte(c.b));
    return out;
}

// The names DrawingML's a:prstClr and VML share for the colours documents use most.
constexpr std::array<std::pair<std::string_view, std::string_view>, 18> namedColors{{
    {"black", "000000"}, {"white", "FFFFFF"}, {"red", "FF0000"}, {"green", "008000"},
    {"lime", "00FF00"}, {"blue", "0000FF"}, {"yellow", "FFFF00"}, {"cyan", "00FFFF"},
    {"aqua", "00FFFF"}, {"magenta", "FF00FF"}, {"fuchsia", "FF00FF"}, {"gray", "808080"},
    {"grey", "808080"}, {"silver", "C0C0C0"}, {"maroon", "800000"}, {"navy", "000080"},
    {"olive", "808000"}, {"purple", "800080"},
}};

std::optional<std::string> named(std::string_view name) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [known, hex] : namedColors)
        if (known == lower) return std::string(hex);
    return std::nullopt;
}

// Office's default scheme, for themes that are missing or lack a colour.
constexpr std::array<std::pair<std::string_view, std::string_view>, 12> officeScheme{{
    {"dk1", "000000"}, {"lt1", "FFFFFF"}, {"dk2", "1F497D"}, {"lt2", "EEECE1"},
    {"accent1", "4F81BD"}, {"accent2", "C0504D"}, {"accent3", "9BBB59"}, {"accent4", "8064A2"},
    {"accent5", "4BACC6"}, {"accent6", "F79646"}, {"hlink", "0000FF"}, {"folHlink", "800080"},
}};

struct Hsl {
    double h = 0, s = 0, l = 0;
};

Hsl toHsl(const Rgb& c) {
    const double high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
    Hsl out;
    out.l = (high + low) / 2;
    const double d = high - low;
    if (d <= 0) return out;
    out.s = out.l > 0.5 ? d / (2 - high - low) : d / (high + low);
    if (high == c.r)
        out.h = (c.g - c.b) / d + (c.g < c.b ? 6 : 0);
    else if (high == c.g)
        out.h = (c.b - c.r) / d + 2;
    else
        out.h = (c.r - c.g) / d + 4;
    out.h /= 6;
    return out;
}

Rgb toRgb(const Hsl& c) {
    if (c.s <= 0) return {c.l, c.l, c.l};
    const double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double p = 2 * c.l - q;
    auto channel = [&](double t) {
        t -= std::floor(t);
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    return {channel(c.h + 1.0 / 3), channel(c.h), channel(c.h - 1.0 / 3)};
}

// The colour changes a colour element holds, in order (§20.1.2.3): percentages in
// thousandths of a percent.
Rgb changed(const XMLTree& tree, int element, Rgb color) {
    for (int change : tree.childElements(element)) {
        const double amount = std::clamp(Numbers::decimal(tree.attribute(change, "val")).value_or(100000) / 100000,
                                         0.0, 10.0);
        const std::string_view kind = tree.localName(change);
        if (kind == "lumMod" || kind == "lumOff" || kind == "satMod") {
            Hsl hsl = toHsl(color);
            if (kind == "lumMod") hsl.l *= amount;
            if (kind == "lumOff") hsl.l += amount;
            if (kind == "satMod") hsl.s *= amount;
            hsl.l = std::clamp(hsl.l, 0.0, 1.0);
            hsl.s = std::clamp(hsl.s, 0.0, 1.0);
            color = toRgb(hsl);
        } else if (kind == "tint") {
            const double t = std::min(amount, 1.0);
            color = {1 - (1 - color.r) * t, 1 - (1 - color.g) * t, 1 - (1 - color.b) * t};
        } else if (kind == "shade") {
            const double s = std::min(amount, 1.0);
            color = {color.r * s, color.g * s, color.b * s};
        }
    }
    return color;
}

std::optional<std::string> base(const XMLTree& tree, int element, const ThemeColors& theme,
                                const std::optional<std::string>& placeholder) {
    const std::string_view kind = tree.localName(element);
    const std::string value = tree.attribute(element, "val").value_or("");
    if (kind == "srgbClr") return value;
    if (kind == "schemeClr") return value == "phClr" ? placeholder : theme.color(value);
    if (kind == "sysClr") {
        if (auto last = tree.attribute(element, "lastClr")) return last;
        return value == "window" ? std::optional<std::string>("FFFFFF") : std::optional<std::string>("000000");
    }
    if (kind == "prstClr") return named(value);
    if (kind == "scrgbClr") {
        // Linear percentages in thousandths; shown as the sRGB they stand for.
        auto channel = [&](const char* name) {
            const double linear = std::clamp(Numbers::decimal(tree.attribute(element, name)).value_or(0) / 100000, 0.0, 1.0);
            return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        };
        return hexOf({channel("r"), channel("g"), channel("b")});
    }
    return std::nullopt;
}

}  // namespace

ThemeColors ThemeColors::read(std::optional<ByteView> theme) {
    ThemeColors out;
    for (const auto& [name, hex] : officeScheme) out.colors_.emplace(std::string(name), std::string(hex));
    if (!theme) return out;
    try {
        const XMLTree tree(*theme);
        for (size_t index = 0; index < tree.nodeCount(); ++index) {
            const int node = static_cast<int>(index);
            if (tree.kind(node) != XMLTree::Kind::element || tree.localName(node) != "clrScheme") continue;
            for (int entry : tree.childElements(node)) {
                const auto children = tree.childElements(entry);
                if (children.empty()) continue;
                const auto color = base(tree, children.front(), out, std::nullopt);
                if (color && parseHex(*color)) out.colors_[std::string(tree.localName(entry))] = *color;
            }
            break;
        }
    } catch (const XMLError&) {
    }
    return out;
}

std::optional<std::string> ThemeColors::color(std::string_view name) const {
    if (name == "tx1") name = "dk1";
    if (name == "bg1") name = "lt1";
    if (name == "tx2") name = "dk2";
    if (name == "bg2") name = "lt2";
    const auto found = colors_.find(name);
    if (found == colors_.end()) return std::nullopt;
    return found->second;
}

namespace DrawingColors {

std::optional<std::string> of(const XMLTree& tree, int holder, const ThemeColors& theme,
                              const std::optional<std::string>& placeholder) {
    for (int child : tree.childElements(holder)) {
        const auto color = base(tree, child, theme, placeholder);
        if (!color) continue;
        const auto rgb = parseHex(*color);
        if (!rgb) return std::nullopt;
        return hexOf(changed(tree, child, *rgb));
    }
    return std::nullopt;
}

std::optional<std::string> vml(std::string_view value) {
    // "#RRGGBB [index]": the bracket is the colour's place in a palette, for old readers.
    value = value.substr(0, std::min(value.find(' '), value.size()));
    if (value.starts_with('#')) {
        const auto rgb = parseHex(value.substr(1));
        return rgb ? std::optional<std::string>(hexOf(*rgb)) : std::nullopt;
    }
    return named(value);
}

}  // namespace DrawingColors

}  // namespace rovuvuz
