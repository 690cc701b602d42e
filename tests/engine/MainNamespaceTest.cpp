// Parts that bind the WordprocessingML main namespace to another prefix than w: (ns0:, a
// default namespace, single-quoted attributes) read exactly as their w: originals: styles,
// numbering, page setup, settings and direct formatting; and only attributes of the
// element's own namespace count.
#include <gtest/gtest.h>

#include <chrono>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "RovuVuz/format/Numbering.h"
#include "RovuVuz/format/Sections.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::MainBinding;
using rovuvuz::testing::rel;

namespace {

constexpr std::string_view declarations =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"";

std::string part(std::string_view root, std::string_view content) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<w:" + std::string(root) + " " +
           std::string(declarations) + ">" + std::string(content) + "</w:" + std::string(root) + ">";
}

const std::string styles = part(
    "styles",
    "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Cambria\" w:hAnsi=\"Cambria\"/><w:sz "
    "w:val=\"22\"/>"
    "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after=\"160\" w:line=\"259\" "
    "w:lineRule=\"auto\"/>"
    "</w:pPr></w:pPrDefault></w:docDefaults>"
    "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
    "w:val=\"Normal\"/><w:qFormat/>"
    "</w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:uiPriority w:val=\"9\"/><w:qFormat/><w:pPr><w:keepNext/>"
    "<w:spacing w:before=\"240\" w:after=\"0\"/><w:jc w:val=\"center\"/><w:outlineLvl w:val=\"0\"/></w:pPr>"
    "<w:rPr><w:b/><w:color w:val=\"2F5496\"/><w:sz w:val=\"32\"/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"ListParagraph\"><w:name w:val=\"List Paragraph\"/>"
    "<w:basedOn w:val=\"Normal\"/><w:uiPriority w:val=\"34\"/><w:qFormat/><w:pPr><w:ind w:left=\"720\"/>"
    "<w:contextualSpacing/></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Quiet\"><w:name w:val=\"Quiet\"/><w:semiHidden/></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Emphasis\"><w:name w:val=\"Emphasis\"/><w:rPr><w:i/>"
    "<w:u w:val=\"single\"/></w:rPr></w:style>"
    "<w:style w:type=\"table\" w:styleId=\"Grid\"><w:name w:val=\"Table Grid\"/><w:rPr><w:sz w:val=\"18\"/>"
    "</w:rPr></w:style>");

const std::string numbering = part(
    "numbering",
    "<w:abstractNum w:abstractNumId=\"0\"><w:multiLevelType w:val=\"hybridMultilevel\"/>"
    "<w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
    "<w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl>"
    "<w:lvl w:ilvl=\"1\"><w:start w:val=\"1\"/><w:numFmt w:val=\"lowerLetter\"/><w:lvlText w:val=\"%1.%2)\"/>"
    "<w:pPr><w:ind w:start=\"1440\" w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"bullet\"/>"
    "<w:lvlText w:val=\"\xEF\x82\xB7\"/></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
    "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride w:ilvl=\"0\">"
    "<w:startOverride w:val=\"5\"/></w:lvlOverride></w:num>"
    "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"1\"/></w:num>");

const std::string settings =
    part("settings",
         "<w:zoom w:percent=\"100\"/><w:compat><w:doNotUseHTMLParagraphAutoSpacing/>"
         "<w:compatSetting w:name=\"compatibilityMode\" w:uri=\"http://schemas.microsoft.com/office/word\" "
         "w:val=\"15\"/></w:compat>");

std::string item(std::string_view num, int level, std::string_view text) {
    return "<w:p><w:pPr><w:pStyle w:val=\"ListParagraph\"/><w:numPr><w:ilvl w:val=\"" +
           std::to_string(level) + "\"/><w:numId w:val=\"" + std::string(num) +
           "\"/></w:numPr></w:pPr><w:r><w:t>" + std::string(text) + "</w:t></w:r></w:p>";
}

const std::string documentPart = part(
    "document",
    "<w:body>"
    "<w:p w14:paraId=\"1A2B3C4D\"><w:pPr><w:pStyle "
    "w:val=\"Heading1\"/></w:pPr><w:r><w:t>Title</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:jc w:val=\"both\"/><w:spacing w:before=\"120\" w:line=\"360\" w:lineRule=\"auto\"/>"
    "<w:ind w:firstLine=\"283\"/></w:pPr><w:r><w:t xml:space=\"preserve\">Plain, </w:t></w:r>"
    "<w:r><w:rPr><w:rStyle w:val=\"Emphasis\"/></w:rPr><w:t>styled</w:t></w:r>"
    "<w:r><w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\"/><w:b/><w:i w:val=\"0\"/><w:strike/>"
    "<w:color w:val=\"C00000\"/><w:sz w:val=\"28\"/><w:highlight w:val=\"yellow\"/>"
    "<w:vertAlign w:val=\"superscript\"/></w:rPr><w:t xml:space=\"preserve\"> direct</w:t></w:r></w:p>" +
        item("1", 0, "one") + item("1", 1, "one a") + item("1", 1, "one b") + item("1", 0, "two") +
        item("2", 0, "restarted") + item("3", 0, "bullet") +
        "<w:tbl><w:tblPr><w:tblStyle w:val=\"Grid\"/><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>"
        "<w:tblGrid><w:gridCol w:w=\"4675\"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:tcW w:w=\"4675\" "
        "w:type=\"dxa\"/></w:tcPr><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>"
        "<w:p><w:pPr><w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/><w:cols w:num=\"3\"/></w:sectPr></w:pPr>"
        "<w:r><w:t>end of section one</w:t></w:r></w:p>"
        "<w:sectPr><w:headerReference w:type=\"even\" r:id=\"rId11\"/><w:headerReference w:type=\"default\" "
        "r:id=\"rId10\"/><w:footerReference w:type=\"default\" r:id=\"rId12\"/>"
        "<w:pgSz w:w=\"11906\" w:h=\"16838\" w:orient=\"portrait\"/><w:pgMar w:top=\"1417\" w:right=\"1134\" "
        "w:bottom=\"-1134\" w:left=\"1701\" w:header=\"708\" w:footer=\"567\" w:gutter=\"0\"/>"
        "<w:cols w:num=\"2\" w:space=\"708\"/><w:docGrid w:linePitch=\"360\"/></w:sectPr></w:body>");

const std::string header = part("hdr", "<w:p><w:r><w:t>Header</w:t></w:r></w:p>");

SharedBytes original() {
    const std::string rels = rel("rId1", "styles", "styles.xml") + rel("rId2", "numbering", "numbering.xml") +
                             rel("rId3", "settings", "settings.xml") + rel("rId10", "header", "header1.xml") +
                             rel("rId11", "header", "header2.xml") + rel("rId12", "footer", "footer1.xml");
    auto parts = rovuvuz::testing::minimalDocument("", rels);
    parts.back().second = documentPart;
    parts.insert(parts.end(), {{"word/styles.xml", styles},
                               {"word/numbering.xml", numbering},
                               {"word/settings.xml", settings},
                               {"word/header1.xml", header},
                               {"word/header2.xml", header},
                               {"word/footer1.xml", part("ftr", "<w:p/>")}});
    return rovuvuz::testing::makePackage(parts);
}

// ns0: throughout; a default namespace with unqualified, single-quoted attributes; and a
// default namespace whose attributes take a second prefix bound to it.
const MainBinding bindings[] = {{"ns0", "ns0", false}, {"", "", true}, {"", "ns1", true}};

std::string describe(const MainBinding& binding) {
    return "elements '" + binding.elements + "', attributes '" + binding.attributes + "'";
}

// The package with `parts` rebound; fails the test when they cannot be.
DocxDocument rebound(const std::vector<std::string>& parts, const MainBinding& binding) {
    const auto package = rovuvuz::testing::rebindPackage(original(), parts, binding);
    if (!package) throw std::runtime_error("the parts could not be rebound");
    return DocxDocument(*package);
}

// What a reader sees of the body: each paragraph's text, formats and list label.
struct Shown {
    std::u16string text;
    ParagraphFormat format;
    std::optional<std::string> label;
    RunFormat mark;
    std::vector<RunFormat> spans;
    bool operator==(const Shown&) const = default;
};

// Failures name the paragraph rather than dump its bytes.
[[maybe_unused]] void PrintTo(const Shown& shown, std::ostream* out) {
    *out << "paragraph of " << shown.text.size() << " UTF-16 units, label " << shown.label.value_or("(none)");
}

std::vector<Shown> shown(DocxDocument& document) {
    std::vector<Shown> result;
    const StorySnapshot snapshot = document.snapshot(StoryID::body());
    for (const ParagraphSnapshot* paragraph : snapshot.paragraphs()) {
        Shown entry{paragraph->text, paragraph->format, paragraph->listLabel, paragraph->markFormat, {}};
        for (const Span& span : paragraph->spans) entry.spans.push_back(span.format);
        result.push_back(std::move(entry));
    }
    return result;
}

size_t countLabels(const std::vector<Shown>& body) {
    return static_cast<size_t>(
        std::count_if(body.begin(), body.end(), [](const Shown& s) { return s.label; }));
}

}  // namespace

TEST(MainNamespace, RebindingRenamesOnlyTheMainNamespace) {
    const std::string before =
        "<w:p xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:wp=\"x\"><w:r w:rsidR=\"1\"><w:t xml:space=\"preserve\">a 'w:t' </w:t>"
        "</w:r><wp:x w:y=\"it's\"/><!-- <w:z/> --></w:p >";
    EXPECT_EQ(rovuvuz::testing::rebindMainNamespace(before, {"ns0", "ns0", false}),
              "<ns0:p xmlns:ns0=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
              "xmlns:wp=\"x\"><ns0:r ns0:rsidR=\"1\"><ns0:t xml:space=\"preserve\">a 'w:t' </ns0:t>"
              "</ns0:r><wp:x ns0:y=\"it's\"/><!-- <w:z/> --></ns0:p >");
    EXPECT_EQ(rovuvuz::testing::rebindMainNamespace(before, {"", "ns1", true}),
              "<p xmlns='http://schemas.openxmlformats.org/wordprocessingml/2006/main' "
              "xmlns:ns1='http://schemas.openxmlformats.org/wordprocessingml/2006/main' "
              "xmlns:wp='x'><r ns1:rsidR='1'><t xml:space='preserve'>a 'w:t' </t>"
              "</r><wp:x ns1:y='it&apos;s'/><!-- <w:z/> --></p >");
    // w: bound elsewhere, or the new prefix already taken: nothing.
    EXPECT_FALSE(rovuvuz::testing::rebindMainNamespace("<w:p xmlns:w=\"other\"/>", {"ns0", "ns0", false}));
    EXPECT_FALSE(
        rovuvuz::testing::rebindMainNamespace("<w:p xmlns:w=\"http://schemas.openxmlformats.org/"
                                              "wordprocessingml/2006/main\"><x/></w:p>",
                                              {"", "", true}));
}

TEST(MainNamespace, StylesReadTheSameUnderAnyPrefix) {
    DocxDocument w(original());
    const StyleSheet& expected = w.styles();
    const std::vector<Shown> body = shown(w);
    // The original states what its styles part says, so a sheet read as empty would differ.
    ASSERT_EQ(expected.styles.size(), 6u);
    ASSERT_TRUE(expected.runDefaults && expected.paragraphDefaults && expected.defaultParagraphStyle);
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        DocxDocument other = rebound({"word/styles.xml"}, binding);
        const StyleSheet& sheet = other.styles();
        ASSERT_EQ(sheet.styles.size(), expected.styles.size());
        for (const auto& [id, style] : expected.styles) {
            SCOPED_TRACE(id.rawValue);
            const Style* read = sheet.find(id);
            ASSERT_TRUE(read);
            EXPECT_EQ(read->name, style.name);
            EXPECT_EQ(read->kind, style.kind);
            EXPECT_EQ(read->basedOn, style.basedOn);
            EXPECT_EQ(read->isDefault, style.isDefault);
            EXPECT_EQ(read->hidden, style.hidden);
            EXPECT_EQ(read->quickFormat, style.quickFormat);
            EXPECT_EQ(read->priority, style.priority);
            EXPECT_EQ(sheet.runFormat(id, nullptr), expected.runFormat(id, nullptr));
            EXPECT_EQ(sheet.runFormat(std::nullopt, nullptr, id),
                      expected.runFormat(std::nullopt, nullptr, id));
        }
        EXPECT_EQ(sheet.defaultParagraphStyle, expected.defaultParagraphStyle);
        std::vector<std::string> menu, expectedMenu;
        for (const Style& s : sheet.menu()) menu.push_back(s.name);
        for (const Style& s : expected.menu()) expectedMenu.push_back(s.name);
        EXPECT_EQ(menu, expectedMenu);
        EXPECT_EQ(shown(other), body);
    }
}

TEST(MainNamespace, NumberingCountsTheSameLabelsUnderAnyPrefix) {
    DocxDocument w(original());
    const std::vector<Shown> body = shown(w);
    ASSERT_EQ(countLabels(body), 6u);
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        DocxDocument other = rebound({"word/numbering.xml"}, binding);
        EXPECT_EQ(other.numbering().abstracts.size(), w.numbering().abstracts.size());
        EXPECT_EQ(other.numbering().nums.size(), w.numbering().nums.size());
        EXPECT_EQ(shown(other), body);  // labels and the list indents they bring
    }
}

TEST(MainNamespace, PageSetupHeadersAndSettingsReadTheSameUnderAnyPrefix) {
    DocxDocument w(original());
    const PageSetup page = w.pageSetup();
    ASSERT_NE(page, PageSetup());
    ASSERT_NE(page.columns, 1);
    ASSERT_TRUE(w.sumsParagraphSpacing());
    ASSERT_EQ(w.defaultHeader(), StoryID::header(PartName("word/header1.xml")));
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        DocxDocument other = rebound({"word/document.xml", "word/settings.xml"}, binding);
        EXPECT_EQ(other.pageSetup(), page);
        EXPECT_EQ(other.defaultHeader(), w.defaultHeader());
        EXPECT_EQ(other.defaultFooter(), w.defaultFooter());
        EXPECT_EQ(other.storiesInOrder(), w.storiesInOrder());
        EXPECT_TRUE(other.sumsParagraphSpacing());
    }
}

TEST(MainNamespace, DirectFormattingReadsTheSameUnderAnyPrefix) {
    DocxDocument w(original());
    const std::vector<Shown> body = shown(w);
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        DocxDocument document = rebound({"word/document.xml"}, binding);
        EXPECT_EQ(shown(document), body);
        DocxDocument whole = rebound(
            {"word/document.xml", "word/styles.xml", "word/numbering.xml", "word/settings.xml"}, binding);
        EXPECT_EQ(shown(whole), body);
        EXPECT_EQ(whole.pageSetup(), w.pageSetup());
    }
}

TEST(MainNamespace, OnlyTheElementsOwnNamespaceNamesAnAttribute) {
    using Markup::ownAttribute;
    const Markup::Attributes attributes{{"xml:val", "1"}, {"w14:val", "2"}, {"val", "3"}, {"w:val", "4"}};
    EXPECT_EQ(ownAttribute("w:sz", attributes, "val"), "4");
    EXPECT_EQ(ownAttribute("ns0:sz", attributes, "val"), std::nullopt);
    // Unprefixed: the unqualified one first, then any prefix but xml: and xmlns:.
    EXPECT_EQ(ownAttribute("sz", attributes, "val"), "3");
    EXPECT_EQ(ownAttribute("sz", {{"xml:val", "1"}, {"w14:val", "2"}}, "val"), "2");
    EXPECT_EQ(ownAttribute("sz", {{"xml:space", "1"}, {"xmlns:space", "2"}}, "space"), std::nullopt);
    EXPECT_EQ(ownAttribute("w:sz", {{"w:value", "1"}}, "val"), std::nullopt);

    const XMLTree tree(
        asBytes("<ns0:p xmlns:ns0=\"m\"><ns0:jc w14:val=\"left\" ns0:val=\"center\"/>"
                "<jc xml:val=\"a\" ns1:val=\"b\"/><ns0:jc val=\"right\"/></ns0:p>"));
    const std::vector<int> children = tree.childElements(tree.root());
    EXPECT_EQ(tree.ownAttribute(children[0], "val"), "center");
    EXPECT_EQ(tree.ownAttribute(children[1], "val"), "b");
    EXPECT_EQ(tree.ownAttribute(children[2], "val"), std::nullopt);

    // The same rule decides a run's format: another namespace's val leaves w:b on and
    // w:sz as its own val says.
    const std::string rPr =
        "<w:rPr xmlns:w=\"m\"><w:b w14:val=\"0\"/><w:sz xml:val=\"80\" w:val=\"24\"/>"
        "<w:color r:val=\"00FF00\" w:val=\"FF0000\"/></w:rPr>";
    RunFormat format;
    format.merge(*PropertyBag::parse(asBytes(rPr)), {});
    EXPECT_TRUE(format.bold);
    EXPECT_EQ(format.size, 12);
    EXPECT_EQ(format.color, "FF0000");
}

namespace {

// Format edits, direct and tracked, on the "Plain, styled direct" paragraph and a list item.
void edit(DocxDocument& document) {
    const std::vector<Paragraph*> paragraphs = DocumentInternals::story(document, StoryID::body()).paragraphs();
    const ParagraphID plain = paragraphs.at(1)->id;
    const ParagraphID item = paragraphs.at(2)->id;
    const auto tracked =
        EditMode::trackedBy("Ann", std::chrono::system_clock::time_point(std::chrono::hours(1)));
    using Change = ParagraphFormatChange;
    for (const Change& change :
         {Change{Change::Align{Alignment::center}}, Change{Change::Indent{36, 0, -18}},
          Change{Change::Spacing{6, 12, 1.5}}, Change{Change::Numbering{NumberingID{"2"}, 1}}})
        document.apply({StructuralEdit::SetParagraphFormat{plain, change}}, StoryID::body(),
                       EditMode::direct());
    document.apply({StructuralEdit::SetParagraphFormat{item, Change{Change::Numbering{std::nullopt, 0}}}},
                   StoryID::body(), EditMode::direct());
    using Run = RunFormatChange;
    for (const Run& change :
         {Run{Run::Switch{Run::Toggle::underline, true}}, Run{Run::Font{"Courier New"}}, Run{Run::Size{9}},
          Run{Run::Color{"00aa00"}}, Run{Run::RunStyle{StyleID{"Emphasis"}}}})
        document.apply({StructuralEdit::SetRunFormat{plain, TextRange{0, 5}, change}}, StoryID::body(),
                       EditMode::direct());
    document.apply(
        {StructuralEdit::SetRunFormat{plain, TextRange{7, 13}, Run{Run::Switch{Run::Toggle::bold, true}}}},
        StoryID::body(), tracked);
    document.replaceText(plain, StoryID::body(), TextRange{0, 0}, u"New ", tracked);
}

// Every attribute name of a part's elements, declarations left out.
std::vector<std::string> attributeNames(std::string_view part) {
    std::vector<std::string> names;
    const XMLTree tree(asBytes(part));
    for (size_t i = 0; i < tree.nodeCount(); ++i)
        if (tree.kind(static_cast<int>(i)) == XMLTree::Kind::element)
            for (std::string& name : tree.attributeNames(static_cast<int>(i)))
                if (name != "xmlns" && !name.starts_with("xmlns:")) names.push_back(std::move(name));
    return names;
}

}  // namespace

TEST(MainNamespace, EditsWriteWithThePartsOwnBinding) {
    DocxDocument w(original());
    const std::vector<Shown> before = shown(w);
    edit(w);
    const std::vector<Shown> expected = shown(w);
    ASSERT_NE(expected, before);
    for (const MainBinding& binding : bindings) {
        SCOPED_TRACE(describe(binding));
        DocxDocument document =
            rebound({"word/document.xml", "word/styles.xml", "word/numbering.xml"}, binding);
        edit(document);
        EXPECT_EQ(shown(document), expected);
        // Saved and read again, the part still parses and reads the same.
        DocxDocument reopened(document.checkedData());
        EXPECT_EQ(shown(reopened), expected);
        const Bytes saved = reopened.archive().contents("word/document.xml");
        const std::string_view text = asChars(saved);
        // No name the edits wrote uses w:, and attributes are qualified as the part's are.
        // Edits qualify attributes with their element's prefix, so a part that qualifies
        // them with a second one gets unqualified ones from edits, which Tovin reads alike.
        EXPECT_EQ(text.find("<w:"), std::string_view::npos);
        EXPECT_EQ(text.find(" w:"), std::string_view::npos);
        if (binding.attributes != binding.elements) continue;
        for (const std::string& name : attributeNames(text)) {
            if (name == "xml:space" || name.starts_with("w14:") || name.starts_with("r:")) continue;
            EXPECT_EQ(Markup::prefixOf(name), binding.attributes) << name;
        }
    }
}
