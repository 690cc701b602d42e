#include "RovuVuz/document/NewDocument.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "RovuVuz/format/ListDefinitions.h"
#include "RovuVuz/model/IsoDate.h"
#include "RovuVuz/package/Relationships.h"
#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/xml/XMLWriter.h"

namespace rovuvuz::NewDocument {

namespace {

namespace ns {
constexpr std::string_view main = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr std::string_view relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::string_view contentTypes = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view core = "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
constexpr std::string_view extended = "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
constexpr std::string_view docPropsTypes = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
constexpr std::string_view dc = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view dcterms = "http://purl.org/dc/terms/";
constexpr std::string_view dcmitype = "http://purl.org/dc/dcmitype/";
constexpr std::string_view xsi = "http://www.w3.org/2001/XMLSchema-instance";
}  // namespace ns

namespace part {
constexpr std::string_view contentTypes = "[Content_Types].xml";
constexpr std::string_view packageRels = "_rels/.rels";
constexpr std::string_view document = "word/document.xml";
constexpr std::string_view documentRels = "word/_rels/document.xml.rels";
constexpr std::string_view styles = "word/styles.xml";
constexpr std::string_view numbering = "word/numbering.xml";
constexpr std::string_view settings = "word/settings.xml";
constexpr std::string_view core = "docProps/core.xml";
constexpr std::string_view app = "docProps/app.xml";
}  // namespace part

namespace type {
constexpr std::string_view wordml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
constexpr std::string_view relationships = "application/vnd.openxmlformats-package.relationships+xml";
constexpr std::string_view core = "application/vnd.openxmlformats-package.core-properties+xml";
constexpr std::string_view app = "application/vnd.openxmlformats-officedocument.extended-properties+xml";
constexpr std::string_view coreRelationship =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
}  // namespace type

// Page sizes and margins in twentieths of a point (ECMA-376 §17.6.13, §17.6.11).
struct PageSize {
    int width, height;
};
constexpr PageSize letterSize{12240, 15840};  // 8.5 × 11 inches
constexpr PageSize a4Size{11906, 16838};      // 210 × 297 mm
constexpr int inch = 1440;
constexpr int halfInch = 720;

// Territories whose paper is Letter: glibc's LC_PAPER tables for these give 279 × 216 mm.
constexpr std::array<std::string_view, 14> letterTerritories = {
    "US", "CA", "MX", "PH", "PR", "CL", "CO", "VE", "CR", "GT", "SV", "NI", "PA", "DO"};

std::string wordType(std::string_view kind) { return std::string(type::wordml) + std::string(kind) + "+xml"; }

std::string contentTypesPart() {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("Types", {{"xmlns", std::string(ns::contentTypes)}});
    out.empty("Default", {{"Extension", "rels"}, {"ContentType", std::string(type::relationships)}});
    out.empty("Default", {{"Extension", "xml"}, {"ContentType", "application/xml"}});
    const std::pair<std::string_view, std::string> overrides[] = {
        {part::document, wordType("document.main")},
        {part::styles, wordType("styles")},
        {part::numbering, wordType("numbering")},
        {part::settings, wordType("settings")},
        {part::core, std::string(type::core)},
        {part::app, std::string(type::app)},
    };
    for (const auto& [name, contentType] : overrides)
        out.empty("Override", {{"PartName", "/" + std::string(name)}, {"ContentType", contentType}});
    return out.finish();
}

// A relationships part: (id, full type, target) in order.
std::string relationshipsPart(std::initializer_list<std::array<std::string, 3>> all) {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("Relationships", {{"xmlns", std::string(RelationshipTypes::packageNamespace)}});
    for (const auto& [id, fullType, target] : all)
        out.empty("Relationship", {{"Id", id}, {"Type", fullType}, {"Target", target}});
    return out.finish();
}

std::string officeType(std::string_view kind) {
    return std::string(RelationshipTypes::officeDocumentBase) + std::string(kind);
}

std::string documentPart(Paper paper) {
    const PageSize size = paper == Paper::letter ? letterSize : a4Size;
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:document", {{"xmlns:w", std::string(ns::main)}, {"xmlns:r", std::string(ns::relationships)}});
    out.open("w:body");
    out.empty("w:p");
    out.open("w:sectPr");
    out.empty("w:pgSz", {{"w:w", std::to_string(size.width)}, {"w:h", std::to_string(size.height)}});
    const std::string margin = std::to_string(inch), band = std::to_string(halfInch);
    out.empty("w:pgMar", {{"w:top", margin},
                          {"w:right", margin},
                          {"w:bottom", margin},
                          {"w:left", margin},
                          {"w:header", band},
                          {"w:footer", band},
                          {"w:gutter", "0"}});
    out.empty("w:cols", {{"w:space", band}});
    out.empty("w:docGrid", {{"w:linePitch", "360"}});
    return out.finish();
}

// One bulleted and one decimal list; new lists that the list commands make take the ids
// after these.
std::string numberingPart() {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:numbering", {{"xmlns:w", std::string(ns::main)}});
    const ListDefinitions::Prefixes w;
    out.raw(ListDefinitions::abstractNum(w, "0", ListKind::bullet, 0x5A1B0C01));
    out.raw(ListDefinitions::abstractNum(w, "1", ListKind::number, 0x5A1B0C02));
    out.raw(ListDefinitions::num(w, "1", "0"));
    out.raw(ListDefinitions::num(w, "2", "1"));
    return out.finish();
}

std::string settingsPart() {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("w:settings", {{"xmlns:w", std::string(ns::main)}});
    out.empty("w:zoom", {{"w:percent", "100"}});
    out.empty("w:defaultTabStop", {{"w:val", std::to_string(halfInch)}});
    out.empty("w:characterSpacingControl", {{"w:val", "doNotCompress"}});
    out.open("w:compat");
    // Mode 15 is Word 2013 and later: no emulation of older layouts.
    const std::pair<std::string_view, std::string_view> compat[] = {
        {"compatibilityMode", "15"},
        {"overrideTableStyleFontSizeAndJustification", "1"},
        {"enableOpenTypeFeatures", "1"},
        {"doNotFlipMirrorIndents", "1"},
        {"differentiateMultirowTableHeaders", "1"},
    };
    for (const auto& [name, value] : compat)
        out.empty("w:compatSetting", {{"w:name", std::string(name)},
                                      {"w:uri", "http://schemas.microsoft.com/office/word"},
                                      {"w:val", std::string(value)}});
    out.close();
    out.empty("w:themeFontLang", {{"w:val", "en-US"}});
    out.empty("w:decimalSymbol", {{"w:val", "."}});
    out.empty("w:listSeparator", {{"w:val", ","}});
    return out.finish();
}

std::string corePart(const Options& options) {
    const std::string when = IsoDate::format(options.created);
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("cp:coreProperties", {{"xmlns:cp", std::string(ns::core)},
                                   {"xmlns:dc", std::string(ns::dc)},
                                   {"xmlns:dcterms", std::string(ns::dcterms)},
                                   {"xmlns:dcmitype", std::string(ns::dcmitype)},
                                   {"xmlns:xsi", std::string(ns::xsi)}});
    out.leaf("dc:creator", {}, options.author);
    out.leaf("cp:lastModifiedBy", {}, options.author);
    out.leaf("cp:revision", {}, "1");
    out.leaf("dcterms:created", {{"xsi:type", "dcterms:W3CDTF"}}, when);
    out.leaf("dcterms:modified", {{"xsi:type", "dcterms:W3CDTF"}}, when);
    return out.finish();
}

std::string appPart() {
    XMLWriter out(XMLWriter::Declaration::Yes);
    out.open("Properties", {{"xmlns", std::string(ns::extended)}, {"xmlns:vt", std::string(ns::docPropsTypes)}});
    out.leaf("Application", {}, "Tovin");
    out.leaf("DocSecurity", {}, "0");
    return out.finish();
}

}  // namespace

std::map<std::string, std::string> parts(const Options& options) {
    std::map<std::string, std::string> result;
    result.emplace(part::contentTypes, contentTypesPart());
    result.emplace(part::packageRels,
                   relationshipsPart({{"rId1", officeType("officeDocument"), std::string(part::document)},
                                      {"rId2", std::string(type::coreRelationship), std::string(part::core)},
                                      {"rId3", officeType("extended-properties"), std::string(part::app)}}));
    result.emplace(part::documentRels, relationshipsPart({{"rId1", officeType("styles"), "styles.xml"},
                                                          {"rId2", officeType("numbering"), "numbering.xml"},
                                                          {"rId3", officeType("settings"), "settings.xml"}}));
    result.emplace(part::document, documentPart(options.paper));
    result.emplace(part::styles, stylesPart());
    result.emplace(part::numbering, numberingPart());
    result.emplace(part::settings, settingsPart());
    result.emplace(part::core, corePart(options));
    result.emplace(part::app, appPart());
    return result;
}

SharedBytes package(const Options& options) {
    // An archive with no entries is its end-of-central-directory record alone.
    Bytes empty = {0x50, 0x4B, 0x05, 0x06};
    empty.resize(22, 0);
    const auto all = parts(options);
    ZipArchive::Replacements entries;
    for (const auto& [name, text] : all) entries.emplace(name, asBytes(text));
    return ZipArchive(share(std::move(empty))).write(entries);
}

std::optional<std::string> territory(std::string_view localeName) {
    const size_t underscore = localeName.find('_');
    if (underscore == std::string_view::npos) return std::nullopt;
    std::string_view rest = localeName.substr(underscore + 1);
    rest = rest.substr(0, rest.find_first_of(".@"));
    if (rest.size() < 2 || rest.size() > 3 ||
        !std::all_of(rest.begin(), rest.end(), [](unsigned char c) { return std::isalpha(c) || std::isdigit(c); }))
        return std::nullopt;
    std::string upper(rest);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return upper;
}

Paper paperFor(const std::optional<std::string>& where) {
    if (where && std::find(letterTerritories.begin(), letterTerritories.end(), *where) != letterTerritories.end())
        return Paper::letter;
    return Paper::a4;
}

}  // namespace rovuvuz::NewDocument
