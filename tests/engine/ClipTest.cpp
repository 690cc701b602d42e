// Copy and paste with formatting: round trips between two documents that keep run
// properties byte for byte, styles and lists a document lacks created by name, pictures and
// links carried with their parts, tracked pastes, the HTML and text flavours, HTML from
// other programs, and input that must be refused or bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/format/Styles.h"
#include "RovuVuz/xml/XMLTree.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::rel;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
constexpr std::string_view ns = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

const std::string sourceStyles =
    "<w:styles " + std::string(ns) +
    "><w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/><w:basedOn w:val=\"Normal\"/>"
    "<w:link w:val=\"Heading1Char\"/><w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr><w:rPr><w:sz w:val=\"32\"/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Strong\"><w:name w:val=\"Strong\"/><w:rPr><w:b/></w:rPr></w:style>"
    "</w:styles>";
const std::string sourceNumbering =
    "<w:numbering " + std::string(ns) +
    "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/>"
    "</w:lvl></w:abstractNum><w:num w:numId=\"9\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";

const std::string boldItalic = "<w:rPr><w:b/><w:i/><w:color w:val=\"C00000\"/><w:sz w:val=\"28\"/></w:rPr>";
const std::string strongDouble = "<w:rPr><w:rStyle w:val=\"Strong\"/><w:u w:val=\"double\"/></w:rPr>";
const std::string courier = "<w:rPr><w:rFonts w:ascii=\"Courier New\" w:hAnsi=\"Courier New\"/></w:rPr>";

const std::string sourceBody =
    "<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r>" + boldItalic + "<w:t>Bold italic</w:t></w:r></w:p>"
    "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"9\"/></w:numPr></w:pPr><w:r>" + strongDouble +
    "<w:t xml:space=\"preserve\">strong </w:t></w:r><w:del w:id=\"3\" w:author=\"X\"><w:r><w:delText>gone</w:delText>"
    "</w:r></w:del><w:ins w:id=\"4\" w:author=\"X\"><w:r>" + courier + "<w:t>code</w:t></w:r></w:ins>"
    "<w:bookmarkStart w:id=\"1\" w:name=\"b\"/><w:bookmarkEnd w:id=\"1\"/></w:p>";

struct Doc {
    std::unique_ptr<DocxDocument> document;
    explicit Doc(const std::string& body, bool styles = true, bool numbering = true) {
        std::string rels;
        if (styles) rels += rel("rS", "styles", "styles.xml");
        if (numbering) rels += rel("rN", "numbering", "numbering.xml");
        auto parts = rovuvuz::testing::minimalDocument(body, rels);
        if (styles) parts.emplace_back("word/styles.xml", sourceStyles);
        if (numbering) parts.emplace_back("word/numbering.xml", sourceNumbering);
        document = std::make_unique<DocxDocument>(rovuvuz::testing::makePackage(parts));
    }
    ParagraphID id(size_t i) { return DocumentInternals::story(*document, StoryID::body()).paragraphs().at(i)->id; }
    size_t length(size_t i) { return InlineOps::length(DocumentInternals::story(*document, StoryID::body()).paragraphs().at(i)->inlines); }
    ClipboardContent copyAll() {
        const size_t n = DocumentInternals::story(*document, StoryID::body()).paragraphs().size();
        return document->copy({id(0), 0}, {id(n - 1), length(n - 1)}, StoryID::body());
    }
    std::string body() {
        EXPECT_FALSE(DocumentInternals::story(*document, StoryID::body()).checkInvariants());
        const Bytes bytes = document->storyData(StoryID::body());
        return std::string(bytes.begin(), bytes.end());
    }
    std::string part(std::string_view name) {
        const SharedBytes bytes = document->contents(name);
        return std::string(bytes->begin(), bytes->end());
    }
    std::vector<std::u16string> texts() {
        std::vector<std::u16string> result;
        const StorySnapshot snapshot = document->snapshot(StoryID::body());
        for (const ParagraphSnapshot* p : snapshot.paragraphs()) result.push_back(p->text);
        return result;
    }
    const ParagraphSnapshot& snapshot(size_t i, StorySnapshot& keep) {
        keep = document->snapshot(StoryID::body());
        return *keep.paragraphs().at(i);
    }
};

}  // namespace

TEST(Clip, RoundTripBetweenTwoDocumentsKeepsRunPropertiesByteForByte) {
    Doc source(sourceBody);
    const ClipboardContent clip = source.copyAll();
    EXPECT_EQ(clip.text, u"Bold italic\nstrong code");
    // Deleted text, bookmarks and revision marks stay behind.
    EXPECT_EQ(count(clip.fragment, "gone"), 0u);
    EXPECT_EQ(count(clip.fragment, "bookmark"), 0u);
    EXPECT_EQ(count(clip.fragment, "<w:ins"), 0u);

    Doc target("<w:p><w:r><w:t>xy</w:t></w:r></w:p><w:p><w:r><w:t>other</w:t></w:r></w:p>", true, false);
    const std::string before = target.body();
    const auto made = target.document->paste(clip.fragment, {target.id(0), 1}, {target.id(0), 1}, StoryID::body(),
                                             EditMode::direct());
    EXPECT_EQ(made.size(), 2u);
    EXPECT_EQ(target.texts(), (std::vector<std::u16string>{u"xBold italic", u"strong codey", u"other"}));
    const std::string body = target.body();
    for (const std::string& rPr : {boldItalic, strongDouble, courier}) EXPECT_EQ(count(body, rPr), 1u) << rPr;
    EXPECT_NE(body.find("<w:p><w:r><w:t>other</w:t></w:r></w:p>"), std::string::npos);
    EXPECT_EQ(before.substr(before.find("<w:p><w:r><w:t>other")), body.substr(body.find("<w:p><w:r><w:t>other")));
    // Strong exists by that name: nothing is added to the styles part.
    EXPECT_EQ(count(target.part("word/styles.xml"), "w:styleId=\"Strong\""), 1u);

    // And back: the runs pasted into the second document copy out with the same bytes.
    const ClipboardContent again = target.document->copy({target.id(0), 1}, {target.id(1), 11}, StoryID::body());
    Doc back("<w:p/>");
    back.document->paste(again.fragment, {back.id(0), 0}, {back.id(0), 0}, StoryID::body(), EditMode::direct());
    const std::string returned = back.body();
    for (const std::string& rPr : {boldItalic, strongDouble, courier}) EXPECT_EQ(count(returned, rPr), 1u) << rPr;
    DocxDocument reopened(back.document->checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs().size(), 2u);
}

// The paragraphs between the first and the last stand on their own with their own w:pPr,
// byte for byte, whatever it holds.
TEST(Clip, ParagraphsBetweenTheEndsKeepTheirProperties) {
    const std::string centred = "<w:pPr><w:jc w:val=\"center\"/><w:spacing w:after=\"0\"/></w:pPr>";
    Doc source("<w:p><w:r><w:t>a</w:t></w:r></w:p><w:p>" + centred +
               "<w:r><w:t>b</w:t></w:r></w:p><w:p><w:r><w:t>c</w:t></w:r></w:p>");
    const ClipboardContent clip = source.copyAll();
    Doc target("<w:p><w:r><w:t>xy</w:t></w:r></w:p>");
    target.document->paste(clip.fragment, {target.id(0), 1}, {target.id(0), 1}, StoryID::body(), EditMode::direct());
    EXPECT_EQ(target.texts(), (std::vector<std::u16string>{u"xa", u"b", u"cy"}));
    EXPECT_EQ(count(target.body(), "<w:p>" + centred + "<w:r><w:t>b</w:t></w:r></w:p>"), 1u);
}

TEST(Clip, HeadingAndNumberedItemIntoADocumentWithoutTheirDefinitions) {
    Doc source(sourceBody);
    const ClipboardContent clip = source.copyAll();
    Doc target("<w:p/>", false, false);
    target.document->paste(clip.fragment, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());

    // The heading style came with its definition (its base too, its link left behind).
    const StyleSheet& styles = target.document->styles();
    ASSERT_TRUE(styles.find(StyleID{"Heading1"}));
    EXPECT_EQ(styles.find(StyleID{"Heading1"})->name, "heading 1");
    EXPECT_TRUE(styles.find(StyleID{"Normal"}));
    EXPECT_EQ(count(target.part("word/styles.xml"), "Heading1Char"), 0u);
    EXPECT_NE(target.part("[Content_Types].xml").find("/word/styles.xml"), std::string::npos);

    StorySnapshot keep;
    EXPECT_EQ(target.snapshot(0, keep).format.style, StyleID{"Heading1"});
    EXPECT_EQ(target.snapshot(0, keep).format.outlineLevel, 0);
    EXPECT_EQ(target.document->listState(target.id(1), StoryID::body()).kind, ListKind::number);
    EXPECT_EQ(target.snapshot(1, keep).listLabel, "1.");
    EXPECT_EQ(target.document->relationships().of("numbering").size(), 1u);
    DocxDocument reopened(target.document->checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs()[1]->listLabel, "1.");

    // A paragraph whose style came without its definition is matched by the name it gives.
    const std::string named =
        "<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\" " + std::string(ns) +
        "><tv:p tv:styleName=\"Heading 1\"><w:p><w:pPr><w:pStyle w:val=\"Titre1\"/></w:pPr><w:r><w:t>h</w:t></w:r>"
        "</w:p></tv:p></tv:clip>";
    Doc styled("<w:p/>");
    styled.document->paste(named, {styled.id(0), 0}, {styled.id(0), 0}, StoryID::body(), EditMode::direct());
    EXPECT_EQ(styled.snapshot(0, keep).format.style, StyleID{"Heading1"});
    EXPECT_EQ(count(styled.body(), "Titre1"), 0u);

    // A style whose id the target uses for another name gets an id of its own.
    Doc clash("<w:p/>");
    const std::string other =
        "<?xml version=\"1.0\"?><tv:clip xmlns:tv=\"urn:x-tovin:clip:1\" " + std::string(ns) +
        "><tv:style><w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"Fancy\"/></w:style></tv:style>"
        "<tv:p><w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:t>f</w:t></w:r></w:p></tv:p></tv:clip>";
    clash.document->paste(other, {clash.id(0), 0}, {clash.id(0), 0}, StoryID::body(), EditMode::direct());
    EXPECT_EQ(clash.snapshot(0, keep).format.style, StyleID{"Heading11"});
    EXPECT_EQ(clash.document->styles().find(StyleID{"Heading11"})->name, "Fancy");
}

TEST(Clip, TrackedPasteMarksRunsAndParagraphMarks) {
    Doc source(sourceBody);
    const ClipboardContent clip = source.copyAll();
    Doc target("<w:p><w:r><w:t>xy</w:t></w:r></w:p>");
    target.document->paste(clip.fragment, {target.id(0), 1}, {target.id(0), 2}, StoryID::body(),
                           EditMode::trackedBy("A", when));
    const std::string body = target.body();
    // Two insertions of runs, one inserted paragraph mark, one deletion of "y"; the empty
    // paragraph after the split took the pasted list item's properties, recorded as a
    // property change.
    EXPECT_EQ(count(body, "<w:ins w:id="), 3u) << body;
    EXPECT_EQ(count(body, "<w:rPr><w:ins w:id="), 1u) << body;
    EXPECT_EQ(count(body, "<w:del w:id="), 1u) << body;
    EXPECT_EQ(count(body, "<w:pPrChange w:id="), 1u) << body;
    for (const std::string& rPr : {boldItalic, strongDouble, courier}) EXPECT_EQ(count(body, rPr), 1u) << rPr;
    EXPECT_EQ(target.document->trackedChanges(StoryID::body()).size(), 5u);
    EXPECT_EQ(target.texts(), (std::vector<std::u16string>{u"xyBold italic", u"strong code"}));
}

TEST(Clip, PicturesAndLinksTravelWithTheirParts) {
    Doc source("<w:p><w:r><w:t>see here</w:t></w:r></w:p>");
    const Bytes pixel = {0x89, 'P', 'N', 'G', 0, 1, 2, 0xFF};
    source.document->insertImage(pixel, "png", 20, 10, source.id(0), StoryID::body(), 0, EditMode::direct());
    source.document->setLink(source.id(0), StoryID::body(), {5, 9}, "https://example.org/?a=1&b=2");
    const ClipboardContent clip = source.copyAll();
    EXPECT_NE(clip.fragment.find("tv:target=\"https://example.org/?a=1&amp;b=2\""), std::string::npos);
    // The link's look (underline, set with it) comes along in the HTML too.
    EXPECT_NE(clip.html.find("<a href=\"https://example.org/?a=1&amp;b=2\"><u>here</u></a>"), std::string::npos)
        << clip.html;

    Doc target("<w:p/>", false, false);
    target.document->paste(clip.fragment, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());
    const auto images = target.document->relationships().of("image");
    ASSERT_EQ(images.size(), 1u);
    const auto links = target.document->relationships().of("hyperlink");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].target, "https://example.org/?a=1&b=2");
    const std::string body = target.body();
    EXPECT_NE(body.find("r:embed=\"" + images[0].id.rawValue + "\""), std::string::npos) << body;
    EXPECT_NE(body.find("r:id=\"" + links[0].id.rawValue + "\""), std::string::npos) << body;
    EXPECT_EQ(count(body, "tv:"), 0u);
    const auto data = target.document->imageData(images[0].id, StoryID::body());
    ASSERT_TRUE(data);
    EXPECT_EQ(**data, pixel);
    DocxDocument reopened(target.document->checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs()[0]->text, u"\uFFFCsee here");
}

TEST(Clip, HTMLAndTextFlavours) {
    Doc source(sourceBody);
    const ClipboardContent clip = source.copyAll();
    EXPECT_NE(clip.html.find("<h1><b><i>Bold italic</i></b></h1>"), std::string::npos) << clip.html;
    EXPECT_NE(clip.html.find("<ol><li><b><u>strong </u></b>code</li></ol>"), std::string::npos) << clip.html;
    // Part of one paragraph: only that text, its run properties as they were.
    const ClipboardContent part = source.document->copy({source.id(0), 2}, {source.id(0), 6}, StoryID::body());
    EXPECT_EQ(part.text, u"ld i");
    EXPECT_EQ(count(part.fragment, boldItalic), 1u);
    EXPECT_THROW(source.document->copy({source.id(1), 2}, {source.id(0), 1}, StoryID::body()), DocxError);
}

TEST(Clip, BadFragmentsChangeNothing) {
    Doc target("<w:p><w:r><w:t>xy</w:t></w:r></w:p>");
    const std::string before = target.body();
    for (const std::string& bad : {std::string("<tv:clip><tv:p><w:p>"), std::string("<html/>"),
                                   std::string("not xml at all"),
                                   std::string("<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\"><tv:image tv:id=\"r\">!!!</tv:image></tv:clip>"),
                                   std::string("<tv:clip>\xFF\xFE</tv:clip>"),
                                   // Markup a save could not write (a control character in a
                                   // name, an attribute twice) is refused, not copied in.
                                   std::string("<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\"><tv:p><w:p><w:pPr>"
                                               "<w:pStyle w:v\x03al=\"X\"/></w:pPr></w:p></tv:p></tv:clip>"),
                                   std::string("<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\"><tv:p><w:p><w:r>"
                                               "<w:t a=\"1\" a=\"2\">t</w:t></w:r></w:p></tv:p></tv:clip>")}) {
        try {
            target.document->paste(bad, {target.id(0), 1}, {target.id(0), 1}, StoryID::body(), EditMode::direct());
            ADD_FAILURE() << "pasted " << bad;
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), DocxErrorCode::badFragment) << bad;
        }
    }
    EXPECT_EQ(target.body(), before);
    EXPECT_TRUE(target.document->dirtyParts().empty());
    // A fragment whose styles can be added but whose list cannot (the numbering part does
    // not parse) leaves the styles part as it was too.
    Doc broken("<w:p/>");
    broken.document->storePart(PartName("word/numbering.xml"), share(toBytes("<w:numbering>")));
    const std::string styles = broken.part("word/styles.xml");
    const std::string listed =
        "<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\" " + std::string(ns) +
        "><tv:style><w:style w:styleId=\"New\"><w:name w:val=\"New\"/></w:style></tv:style><tv:p tv:list=\"bullet\">"
        "<w:p><w:pPr><w:pStyle w:val=\"New\"/></w:pPr></w:p></tv:p></tv:clip>";
    EXPECT_THROW(broken.document->paste(listed, {broken.id(0), 0}, {broken.id(0), 0}, StoryID::body(), EditMode::direct()),
                 DocxError);
    EXPECT_EQ(broken.part("word/styles.xml"), styles);
    // A fragment naming a style and a list kind the document has no definition for pastes
    // its text, without the style, in a list of that kind.
    const std::string unknown =
        "<tv:clip xmlns:tv=\"urn:x-tovin:clip:1\" " + std::string(ns) +
        "><tv:p tv:list=\"bullet\" tv:level=\"12\"><w:p><w:pPr><w:pStyle w:val=\"Nowhere\"/></w:pPr><w:r><w:rPr>"
        "<w:rStyle w:val=\"Missing\"/><w:b/></w:rPr><w:t>t</w:t></w:r></w:p></tv:p><tv:p><w:p/></tv:p></tv:clip>";
    target.document->paste(unknown, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());
    const std::string body = target.body();
    EXPECT_EQ(count(body, "Nowhere") + count(body, "Missing"), 0u) << body;
    EXPECT_EQ(target.document->listState(target.id(0), StoryID::body()),
              (ListState{ListKind::bullet, 8, NumberingID{"10"}}));
}

TEST(Clip, HTMLFromOtherPrograms) {
    Doc target("<w:p/>", false, false);
    const std::string html =
        "<html><head><style>p { color: red }</style><script>if (a < b) alert(1)</script></head><body>"
        "<h1>Title &amp; more</h1><p>Some <b>bold</b>, <i>it</i>, <u>under</u> and "
        "<a href=\"https://x.org/?a=1&amp;b=2\">a <b>link</b></a><br>next&nbsp;line</p>"
        "<ul><li>one</li><li>two<ul><li>deep</li></ul></li></ul><ol><li>first</li></ol><h4>plain</h4>"
        "<p>unclosed <b>bold <i>both</p><p>after</p></body></html>";
    target.document->pasteHTML(html, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());
    EXPECT_EQ(target.texts(), (std::vector<std::u16string>{u"Title & more", u"Some bold, it, under and a link\u2028next\u00A0line",
                                                           u"one", u"two", u"deep", u"first", u"plain", u"unclosed bold both",
                                                           u"after"}));
    StorySnapshot keep;
    EXPECT_EQ(target.snapshot(0, keep).format.style, StyleID{"Heading1"});
    const auto& spans = target.snapshot(1, keep).spans;
    const auto spanAt = [&](std::u16string_view word) -> const Span& {
        const size_t at = keep.paragraphs()[1]->text.find(word);
        for (const Span& s : spans)
            if (s.range.lower <= at && at < s.range.upper) return s;
        return spans.front();
    };
    EXPECT_TRUE(spanAt(u"bold").format.bold);
    EXPECT_TRUE(spanAt(u"it,").format.italic);
    EXPECT_TRUE(spanAt(u"under").format.underline);
    EXPECT_FALSE(spanAt(u"Some").format.bold);
    EXPECT_EQ(spanAt(u"link").link, "https://x.org/?a=1&b=2");
    EXPECT_TRUE(spanAt(u"link").format.bold);
    for (auto [i, kind, level] : {std::tuple{2, ListKind::bullet, 0}, {3, ListKind::bullet, 0}, {4, ListKind::bullet, 1},
                                  {5, ListKind::number, 0}}) {
        const ListState state = target.document->listState(target.id(size_t(i)), StoryID::body());
        EXPECT_EQ(state.kind, kind) << i;
        EXPECT_EQ(state.level, level) << i;
    }
    EXPECT_EQ(target.document->listState(target.id(6), StoryID::body()).kind, ListKind::none);
    EXPECT_FALSE(target.snapshot(8, keep).spans.front().format.bold);  // the unclosed b ended with its p
    DocxDocument reopened(target.document->checkedData());
    EXPECT_EQ(reopened.snapshot(StoryID::body()).paragraphs().size(), 9u);
}

// The fragment the HTML reader writes is not checked again before it is pasted: whatever
// the HTML holds, what it becomes must be what a save may write.
TEST(Clip, HTMLWithCharactersXMLCannotCarryPastesWhatASaveWrites) {
    Doc target("<w:p/>", false, false);
    const std::string html =
        "<p>a&#1;b&#xFFFE;c\x02" "d \xC3\x28 e&#xD800;f</p>"
        "<p><a href=\"https://x.org/\x01&#x1F;?q=&quot;&lt;&amp;\">lin\x7F" "k</a> <b title=\"&#0;\">&#x10FFFF;</b></p>"
        "<h2>&lt;w:p&gt; ]]&gt; <![CDATA[x]]></h2>";
    target.document->pasteHTML(html, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());
    const std::vector<std::u16string> pasted = target.texts();
    ASSERT_EQ(pasted.size(), 3u);
    EXPECT_EQ(pasted[0].substr(0, 4), u"abcd");
    EXPECT_NE(pasted[1].find(char16_t(0x7F)), std::u16string::npos);
    EXPECT_NE(pasted[2].find(u"<w:p> ]]>"), std::u16string::npos);
    // checkedData runs the strict check a save runs; the reopened text is what was shown.
    DocxDocument reopened(target.document->checkedData());
    const StorySnapshot story = reopened.snapshot(StoryID::body());
    std::vector<std::u16string> shown;
    for (const ParagraphSnapshot* p : story.paragraphs()) shown.push_back(p->text);
    EXPECT_EQ(shown, pasted);
}

TEST(Clip, HugeAndDeepHTMLPasteTheirTextWithinBounds) {
    using Clock = std::chrono::steady_clock;
    std::string huge;
    while (huge.size() < (5u << 20)) huge += "<p>word <b>bold</b> &amp; <i>more</i></p>\n";
    Doc target("<w:p/>", false, false);
    auto start = Clock::now();
    target.document->pasteHTML(huge, {target.id(0), 0}, {target.id(0), 0}, StoryID::body(), EditMode::direct());
    const auto hugeTime = Clock::now() - start;
    const auto paragraphs = DocumentInternals::story(*target.document, StoryID::body()).paragraphs();
    EXPECT_LE(paragraphs.size(), Clip::mostParagraphs);
    EXPECT_EQ(InlineOps::visibleText(paragraphs.front()->inlines), u"word bold & more");

    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<div><b><span>";
    deep += "deep text";
    for (int i = 0; i < 10000; ++i) deep += "</span></b></div>";
    Doc nested("<w:p/>", false, false);
    start = Clock::now();
    nested.document->pasteHTML(deep, {nested.id(0), 0}, {nested.id(0), 0}, StoryID::body(), EditMode::direct());
    const auto deepTime = Clock::now() - start;
    EXPECT_EQ(nested.texts(), std::vector<std::u16string>{u"deep text"});
    // Not a timed test: the figures are printed for the record.
    std::printf("5 MB of HTML: %lld ms, %zu paragraphs; 10,000 deep: %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(hugeTime).count()),
                paragraphs.size(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(deepTime).count()));
}
