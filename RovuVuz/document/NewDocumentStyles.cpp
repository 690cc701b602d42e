// The styles part of a new document: document defaults in Calibri 11 pt with 8 pt after
// each paragraph and 1.08 lines (259/240), and the styles a user reaches for first. Fonts
// are named outright rather than through a theme, so that the package needs no theme part.
// Children follow the schema's sequences (ECMA-376 §17.7.4.17 for w:style, §17.3.1.26 for
// w:pPr, §17.3.2.28 for w:rPr), which Word checks.
#include <map>
#include <vector>

#include "RovuVuz/document/NewDocument.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz::NewDocument {

namespace {

constexpr std::string_view mainNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view bodyFont = "Calibri";

enum class Kind : uint8_t { paragraph, character, table, numbering };

// What one style states; empty fields are left out.
struct StyleSpec {
    Kind kind = Kind::paragraph;
    std::string_view id{}, name{};
    std::string_view basedOn{}, next{};
    int priority = -1;  // -1: no w:uiPriority
    bool isDefault = false, semiHidden = false, quickFormat = false;
    // Names of property sets (propertySets) and of the table properties, or empty.
    std::string_view paragraph{};
    std::string_view run{};
    std::string_view table{};
};

std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::paragraph: return "paragraph";
        case Kind::character: return "character";
        case Kind::table: return "table";
        case Kind::numbering: return "numbering";
    }
    return "paragraph";
}

void writeFonts(XMLWriter& out, std::string_view font) {
    const std::string name(font);
    out.empty("w:rFonts", {{"w:ascii", name}, {"w:eastAsia", name}, {"w:hAnsi", name}, {"w:cs", name}});
}

void writeDefaults(XMLWriter& out) {
    out.open("w:docDefaults");
    out.open("w:rPrDefault").open("w:rPr");
    writeFonts(out, bodyFont);
    out.empty("w:sz", {{"w:val", "22"}});
    out.empty("w:szCs", {{"w:val", "22"}});
    out.empty("w:lang", {{"w:val", "en-US"}, {"w:eastAsia", "en-US"}, {"w:bidi", "ar-SA"}});
    out.close().close();
    out.open("w:pPrDefault").open("w:pPr");
    out.empty("w:spacing", {{"w:after", "160"}, {"w:line", "259"}, {"w:lineRule", "auto"}});
    out.close().close();
    out.close();
}

// Property content is kept as small markup literals of the style's own making: each is a
// sequence of empty elements, written through the writer so its attributes are escaped.
struct Property {
    std::string_view name;
    Markup::Attributes attributes;
};

const std::map<std::string_view, std::vector<Property>>& propertySets() {
    static const std::map<std::string_view, std::vector<Property>> sets = {
        {"heading1.p",
         {{"w:keepNext", {}},
          {"w:keepLines", {}},
          {"w:spacing", {{"w:before", "240"}, {"w:after", "0"}}},
          {"w:outlineLvl", {{"w:val", "0"}}}}},
        {"heading2.p",
         {{"w:keepNext", {}},
          {"w:keepLines", {}},
          {"w:spacing", {{"w:before", "40"}, {"w:after", "0"}}},
          {"w:outlineLvl", {{"w:val", "1"}}}}},
        {"heading3.p",
         {{"w:keepNext", {}},
          {"w:keepLines", {}},
          {"w:spacing", {{"w:before", "40"}, {"w:after", "0"}}},
          {"w:outlineLvl", {{"w:val", "2"}}}}},
        {"heading1.r", {{"w:color", {{"w:val", "2F5496"}}}, {"w:sz", {{"w:val", "32"}}}, {"w:szCs", {{"w:val", "32"}}}}},
        {"heading2.r", {{"w:color", {{"w:val", "2F5496"}}}, {"w:sz", {{"w:val", "26"}}}, {"w:szCs", {{"w:val", "26"}}}}},
        {"heading3.r", {{"w:color", {{"w:val", "1F3763"}}}, {"w:sz", {{"w:val", "24"}}}, {"w:szCs", {{"w:val", "24"}}}}},
        {"title.p", {{"w:spacing", {{"w:after", "0"}, {"w:line", "240"}, {"w:lineRule", "auto"}}},
                     {"w:contextualSpacing", {}}}},
        {"title.r", {{"w:spacing", {{"w:val", "-10"}}},
                     {"w:kern", {{"w:val", "28"}}},
                     {"w:sz", {{"w:val", "56"}}},
                     {"w:szCs", {{"w:val", "56"}}}}},
        {"subtitle.r", {{"w:color", {{"w:val", "5A5A5A"}}}, {"w:spacing", {{"w:val", "15"}}}}},
        {"listParagraph.p", {{"w:ind", {{"w:left", "720"}}}, {"w:contextualSpacing", {}}}},
        {"quote.p", {{"w:spacing", {{"w:before", "200"}}},
                     {"w:ind", {{"w:left", "864"}, {"w:right", "864"}}},
                     {"w:jc", {{"w:val", "center"}}}}},
        {"quote.r", {{"w:i", {}}, {"w:iCs", {}}, {"w:color", {{"w:val", "404040"}}}}},
        {"hyperlink.r", {{"w:color", {{"w:val", "0563C1"}}}, {"w:u", {{"w:val", "single"}}}}},
        {"tableGrid.p", {{"w:spacing", {{"w:after", "0"}, {"w:line", "240"}, {"w:lineRule", "auto"}}}}},
    };
    return sets;
}

void writeProperties(XMLWriter& out, std::string_view element, std::string_view set) {
    if (set.empty()) return;
    out.open(element);
    for (const Property& property : propertySets().at(set)) out.empty(property.name, property.attributes);
    out.close();
}

// The cell margins every table style starts from, and Table Grid's single borders.
void writeTableProperties(XMLWriter& out, std::string_view which) {
    if (which.empty()) return;
    out.open("w:tblPr");
    if (which == "normal") out.empty("w:tblInd", {{"w:w", "0"}, {"w:type", "dxa"}});
    if (which == "grid") {
        out.open("w:tblBorders");
        for (std::string_view side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"})
            out.empty(side, {{"w:val", "single"}, {"w:sz", "4"}, {"w:space", "0"}, {"w:color", "auto"}});
        out.close();
    }
    out.open("w:tblCellMar");
    for (const auto& [side, width] : {std::pair{"w:top", "0"}, {"w:left", "108"}, {"w:bottom", "0"}, {"w:right", "108"}})
        out.empty(side, {{"w:w", width}, {"w:type", "dxa"}});
    out.close();
    out.close();
}

void writeStyle(XMLWriter& out, const StyleSpec& s) {
    Markup::Attributes attributes{{"w:type", std::string(kindName(s.kind))}};
    if (s.isDefault) attributes.emplace_back("w:default", "1");
    attributes.emplace_back("w:styleId", std::string(s.id));
    out.open("w:style", attributes);
    out.empty("w:name", {{"w:val", std::string(s.name)}});
    if (!s.basedOn.empty()) out.empty("w:basedOn", {{"w:val", std::string(s.basedOn)}});
    if (!s.next.empty()) out.empty("w:next", {{"w:val", std::string(s.next)}});
    if (s.priority >= 0) out.empty("w:uiPriority", {{"w:val", std::to_string(s.priority)}});
    if (s.semiHidden) out.empty("w:semiHidden").empty("w:unhideWhenUsed");
    if (s.quickFormat) out.empty("w:qFormat");
    writeProperties(out, "w:pPr", s.paragraph);
    writeProperties(out, "w:rPr", s.run);
    writeTableProperties(out, s.table);
    out.close();
}

const StyleSpec styleSpecs[] = {
    // Word ranks Normal first among the quick styles (its latent priority 0); said outright
    // here, so that readers without Word's latent style table rank it first too.
    {.id = "Normal", .name = "Normal", .priority = 0, .isDefault = true, .quickFormat = true},
    {.id = "Heading1", .name = "heading 1", .basedOn = "Normal", .next = "Normal", .priority = 9,
     .quickFormat = true, .paragraph = "heading1.p", .run = "heading1.r"},
    {.id = "Heading2", .name = "heading 2", .basedOn = "Normal", .next = "Normal", .priority = 9,
     .quickFormat = true, .paragraph = "heading2.p", .run = "heading2.r"},
    {.id = "Heading3", .name = "heading 3", .basedOn = "Normal", .next = "Normal", .priority = 9,
     .quickFormat = true, .paragraph = "heading3.p", .run = "heading3.r"},
    {.kind = Kind::character, .id = "DefaultParagraphFont", .name = "Default Paragraph Font", .priority = 1,
     .isDefault = true, .semiHidden = true},
    {.kind = Kind::table, .id = "TableNormal", .name = "Normal Table", .priority = 99, .isDefault = true,
     .semiHidden = true, .table = "normal"},
    {.kind = Kind::numbering, .id = "NoList", .name = "No List", .priority = 99, .isDefault = true,
     .semiHidden = true},
    {.id = "Title", .name = "Title", .basedOn = "Normal", .next = "Normal", .priority = 10, .quickFormat = true,
     .paragraph = "title.p", .run = "title.r"},
    {.id = "Subtitle", .name = "Subtitle", .basedOn = "Normal", .next = "Normal", .priority = 11,
     .quickFormat = true, .run = "subtitle.r"},
    {.id = "ListParagraph", .name = "List Paragraph", .basedOn = "Normal", .priority = 34, .quickFormat = true,
     .paragraph = "listParagraph.p"},
    {.id = "Quote", .name = "Quote", .basedOn = "Normal", .next = "Normal", .priority = 29, .quickFormat = true,
     .paragraph = "quote.p", .run = "quote.r"},
    {.kind = Kind::character, .id = "Hyperlink", .name = "Hyperlink", .basedOn = "DefaultParagraphFont",
     .priority = 99, .run = "hyperlink.r"},
    {.kind = Kind::table, .id = "TableGrid", .name = "Table Grid", .basedOn = "TableNormal", .priority = 39,
     .paragraph = "tableGrid.p", .table = "grid"},
};

}  // namespace

std::string stylesPart() {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:styles", {{"xmlns:w", std::string(mainNamespace)}});
    writeDefaults(out);
    for (const StyleSpec& spec : styleSpecs) writeStyle(out, spec);
    return out.finish();
}

}  // namespace rovuvuz::NewDocument
