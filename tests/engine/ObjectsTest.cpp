// Inline objects: page breaks, pictures with their media parts, resizing, and links.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/InlineOps.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/snapshot/Snapshot.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

using rovuvuz::testing::count;
using rovuvuz::testing::rel;

namespace {

const Bytes pixel = {0x89, 'P', 'N', 'G', 0, 1, 2};

std::string partText(DocxDocument& document, std::string_view name) {
    return std::string(asChars(*document.partData(PartName(name))));
}


struct Fixture {
    std::unique_ptr<DocxDocument> document;
    ParagraphID first;

    explicit Fixture(std::string_view body = "<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>",
                     std::string rels = {}, std::vector<std::pair<std::string, std::string>> extra = {}) {
        auto parts = minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        document = std::make_unique<DocxDocument>(makePackage(parts));
        first = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
    }
    std::string body() { return partText(*document, "word/document.xml"); }
    ParagraphSnapshot paragraph() { return document->snapshot(first, StoryID::body()); }
    void reopen() {
        document = std::make_unique<DocxDocument>(document->data());
        first = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
    }
};

}  // namespace

TEST(Objects, PictureSizesMediaAndRelationship) {
    Fixture f;
    f.document->insertImage(pixel, "png", 100, 50, f.first, StoryID::body(), 5, EditMode::direct());
    f.document->insertImage(pixel, "JPG", 10.5, 1, f.first, StoryID::body(), 0, EditMode::direct());
    f.document->insertImage(pixel, "webp", 1, 1, f.first, StoryID::body(), 0, EditMode::direct());
    f.reopen();

    const std::string body = f.body();
    EXPECT_NE(body.find("<wp:extent cx=\"1270000\" cy=\"635000\"/>"), std::string::npos);
    EXPECT_NE(body.find("<a:ext cx=\"1270000\" cy=\"635000\"/>"), std::string::npos);
    EXPECT_NE(body.find("<wp:extent cx=\"133350\" cy=\"12700\"/>"), std::string::npos);
    EXPECT_EQ(*f.document->contents("word/media/tovin1.png"), pixel);
    EXPECT_TRUE(f.document->hasPart("word/media/tovin1.jpg"));
    EXPECT_TRUE(f.document->hasPart("word/media/tovin1.webp"));
    const std::string types = partText(*f.document, "[Content_Types].xml");
    EXPECT_NE(types.find("<Default Extension=\"png\" ContentType=\"image/png\"/>"), std::string::npos);
    EXPECT_NE(types.find("<Default Extension=\"jpg\" ContentType=\"image/jpeg\"/>"), std::string::npos);
    EXPECT_NE(types.find("<Default Extension=\"webp\" ContentType=\"image/jpeg\"/>"), std::string::npos);
    const std::string rels = partText(*f.document, "word/_rels/document.xml.rels");
    EXPECT_NE(rels.find("relationships/image\" Target=\"media/tovin1.png\""), std::string::npos);

    // The picture is one object character where it was put, and shows its size.
    const auto p = f.paragraph();
    EXPECT_EQ(p.text, u"\uFFFC\uFFFCHello\uFFFC world");
    bool found = false;
    for (const Span& span : p.spans)
        if (span.range.lower == 7 && span.content.type == Span::Content::Type::image) {
            found = true;
            EXPECT_EQ(span.content.width, 100.0);
            EXPECT_EQ(span.content.height, 50.0);
            ASSERT_TRUE(span.content.image);
            const auto data = f.document->imageData(*span.content.image, StoryID::body());
            ASSERT_TRUE(data);
            EXPECT_EQ(**data, pixel);
        }
    EXPECT_TRUE(found);
    // Each picture names its own number twice (wp:docPr and pic:cNvPr).
    EXPECT_EQ(count(body, "name=\"Picture "), 6u);
}

TEST(Objects, TrackedPictureAndPageBreak) {
    Fixture f;
    const auto when = std::chrono::sys_days{std::chrono::year{2024} / 1 / 2};
    f.document->insertImage(pixel, "gif", 20, 20, f.first, StoryID::body(), 11,
                            EditMode::trackedBy("Ann", when));
    f.document->insertPageBreak(f.first, StoryID::body(), 5, EditMode::direct());
    const std::string body = f.body();
    EXPECT_NE(
        body.find("<w:t>Hello</w:t></w:r><w:r><w:br w:type=\"page\"/></w:r><w:r><w:t xml:space=\"preserve\"> "
                  "world</w:t></w:r><w:ins "),
        std::string::npos)
        << body;
    EXPECT_NE(body.find("w:author=\"Ann\" w:date=\"2024-01-02T00:00:00Z\"><w:r><w:drawing>"),
              std::string::npos)
        << body;
    f.reopen();
    const auto p = f.paragraph();
    ASSERT_EQ(p.spans.back().content.type, Span::Content::Type::image);
    ASSERT_TRUE(p.spans.back().revision);
    EXPECT_EQ(p.spans.back().revision->kind, RevisionKind::insert);
    EXPECT_EQ(p.spans.at(1).content.type, Span::Content::Type::pageBreak);
}

TEST(Objects, ResizingChangesBothExtentsAndRefusesText) {
    Fixture f;
    f.document->insertImage(pixel, "png", 100, 50, f.first, StoryID::body(), 0, EditMode::direct());
    f.reopen();
    const std::string before = f.body();
    f.document->resizeImage(f.first, StoryID::body(), 0, 20, 10);
    const std::string after = f.body();
    EXPECT_NE(after.find("<wp:extent cx=\"254000\" cy=\"127000\"/>"), std::string::npos);
    EXPECT_NE(after.find("<a:ext cx=\"254000\" cy=\"127000\"/>"), std::string::npos);
    // Nothing else in the drawing changes.
    std::string expected = before;
    for (size_t at; (at = expected.find("cx=\"1270000\" cy=\"635000\"")) != std::string::npos;)
        expected.replace(at, 24, "cx=\"254000\" cy=\"127000\"");
    EXPECT_EQ(after, expected);
    EXPECT_THROW(f.document->resizeImage(f.first, StoryID::body(), 1, 20, 10), DocxError);   // text
    EXPECT_THROW(f.document->resizeImage(f.first, StoryID::body(), 12, 20, 10), DocxError);  // the end
    EXPECT_THROW(f.document->resizeImage(f.first, StoryID::body(), 0, -1, 10), DocxError);
    EXPECT_EQ(DocumentInternals::story(*f.document, StoryID::body()).checkInvariants(), std::nullopt);
}

TEST(Objects, LinksReplaceRemoveAndAnchor) {
    const std::string rels = rel("rId5", "hyperlink", "https://old.example/", true);
    Fixture f(
        "<w:p><w:hyperlink r:id=\"rId5\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships\"><w:r><w:t>Hello</w:t></w:r></w:hyperlink><w:r><w:t> world</w:t></w:r></w:p>",
        rels);
    // Part of the old link and some plain text: the rest of the old link stays linked.
    f.document->setLink(f.first, StoryID::body(), {3, 8}, std::string("https://new.example/?a=1&b=2"));
    auto p = f.paragraph();
    EXPECT_EQ(p.text, u"Hello world");
    std::vector<std::pair<TextRange, std::optional<std::string>>> links;
    for (const Span& span : p.spans) links.emplace_back(span.range, span.link);
    ASSERT_GE(links.size(), 3u);
    EXPECT_EQ(links.front(),
              (std::pair<TextRange, std::optional<std::string>>{{0, 3}, "https://old.example/"}));
    for (const Span& span : p.spans)
        if (span.range.lower >= 3 && span.range.upper <= 8) {
            EXPECT_EQ(span.link, "https://new.example/?a=1&b=2");
            EXPECT_EQ(span.format.color, "0563C1");
            EXPECT_TRUE(span.format.underline);
        }
    EXPECT_EQ(p.spans.back().link, std::nullopt);
    EXPECT_NE(partText(*f.document, "word/_rels/document.xml.rels")
                  .find("Target=\"https://new.example/?a=1&amp;b=2\" TargetMode=\"External\""),
              std::string::npos);

    // Removing the new link leaves its text formatted but unlinked.
    f.document->setLink(f.first, StoryID::body(), {3, 8}, std::nullopt);
    p = f.paragraph();
    for (const Span& span : p.spans)
        if (span.range.lower >= 3 && span.range.upper <= 8) {
            EXPECT_EQ(span.link, std::nullopt);
            EXPECT_EQ(span.format.color, "0563C1");
        }

    // An internal link names the bookmark and adds no relationship.
    const std::string relsBefore = partText(*f.document, "word/_rels/document.xml.rels");
    f.document->setLink(f.first, StoryID::body(), {6, 11}, std::string("#_Toc1"));
    EXPECT_EQ(partText(*f.document, "word/_rels/document.xml.rels"), relsBefore);
    EXPECT_NE(f.body().find("<w:hyperlink w:anchor=\"_Toc1\" w:history=\"1\">"), std::string::npos);
    f.reopen();
    EXPECT_EQ(f.paragraph().spans.back().link, "#_Toc1");
    EXPECT_THROW(f.document->setLink(f.first, StoryID::body(), {4, 4}, std::string("#x")), DocxError);
    EXPECT_THROW(f.document->setLink(f.first, StoryID::body(), {4, 12}, std::string("#x")), DocxError);
}

TEST(Objects, LinkUsesTheHyperlinkStyleWhenDefined) {
    const std::string styles =
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:style w:type=\"character\" w:styleId=\"Hyperlink\"/></w:styles>";
    Fixture f("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>",
              rel("rIdS", "styles", "styles.xml"),
              {{"word/styles.xml", styles}});
    f.document->setLink(f.first, StoryID::body(), {0, 5}, std::string("https://x.example/"));
    const std::string body = f.body();
    EXPECT_NE(body.find("<w:rStyle w:val=\"Hyperlink\"/>"), std::string::npos) << body;
    EXPECT_EQ(body.find("0563C1"), std::string::npos);
    // The body root declares no r: prefix, so the link declares it itself and still parses.
    f.reopen();
    EXPECT_EQ(f.paragraph().spans.at(0).link, "https://x.example/");
}

TEST(Objects, BadArgumentsStoreNothing) {
    Fixture f;
    EXPECT_THROW(
        f.document->insertImage(pixel, "png", 10, 10, f.first, StoryID::body(), 12, EditMode::direct()),
        DocxError);
    EXPECT_THROW(
        f.document->insertImage(pixel, "p/g", 10, 10, f.first, StoryID::body(), 0, EditMode::direct()),
        DocxError);
    EXPECT_THROW(
        f.document->insertImage(pixel, "png", 0, 10, f.first, StoryID::body(), 0, EditMode::direct()),
        DocxError);
    EXPECT_THROW(f.document->insertPageBreak(f.first, StoryID::body(), 99, EditMode::direct()), DocxError);
    EXPECT_TRUE(f.document->dirtyParts().empty());
}

TEST(Objects, PicturesOfOtherProducersResizeAndShowThroughTheirOwnPrefixes) {
    // wp bound to d, relationships to rel (declared on the blip), apostrophes throughout,
    // and an extension list whose a:ext has no size.
    const std::string drawing =
        "<w:r><w:drawing><d:inline "
        "xmlns:d='http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing'>"
        "<d:extent cx='12700' cy='25400'/><d:docPr id='1' name='P'/><a:graphic "
        "xmlns:a='http://schemas.openxmlformats.org/drawingml/2006/main'><a:graphicData uri='u'><pic:pic "
        "xmlns:pic='http://schemas.openxmlformats.org/drawingml/2006/picture'><pic:blipFill><a:blip "
        "rel:embed='rId7' "
        "xmlns:rel='http://schemas.openxmlformats.org/officeDocument/2006/relationships'/></"
        "pic:blipFill><pic:spPr>"
        "<a:xfrm><a:off x='0' y='0'/><a:ext cx='12700' cy='25400'/></a:xfrm><a:extLst><a:ext "
        "uri='{X&amp;Y}'/>"
        "</a:extLst></pic:spPr></pic:pic></a:graphicData></a:graphic></d:inline></w:drawing></w:r>";
    Fixture f("<w:p>" + drawing + "<w:r><w:t>after</w:t></w:r></w:p>");
    const Span::Content before = f.paragraph().spans.at(0).content;
    EXPECT_EQ(before.type, Span::Content::Type::image);
    EXPECT_EQ(before.image, RelationshipID{"rId7"});
    EXPECT_EQ(before.width, 1);
    EXPECT_EQ(before.height, 2);

    f.document->resizeImage(f.first, StoryID::body(), 0, 20, 10);
    f.reopen();
    const Span::Content after = f.paragraph().spans.at(0).content;
    EXPECT_EQ(after.image, RelationshipID{"rId7"});
    EXPECT_EQ(after.width, 20);
    EXPECT_EQ(after.height, 10);
    const std::string body = f.body();
    EXPECT_NE(body.find("<d:extent cx=\"254000\" cy=\"127000\"/>"), std::string::npos) << body;
    EXPECT_NE(body.find("<a:ext cx=\"254000\" cy=\"127000\"/>"), std::string::npos) << body;
    EXPECT_NE(body.find("<a:ext uri='{X&amp;Y}'/>"), std::string::npos) << body;
    EXPECT_EQ(count(body, "cx="), 2u) << body;
}

TEST(Objects, ADamagedContentTypesPartIsReportedByNameAndChangesNothing) {
    for (const std::string damaged : {"<Types xmlns='x'><Default", "<Types>\xff</Types>"}) {
        SCOPED_TRACE(damaged);
        auto parts = minimalDocument("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>");
        for (auto& [name, xml] : parts)
            if (name == "[Content_Types].xml") xml = damaged;
        DocxDocument document(makePackage(parts));
        const ParagraphID first = DocumentInternals::story(document, StoryID::body()).paragraphs().at(0)->id;
        const auto expectUnreadableTypes = [&](const std::function<void()>& edit) {
            try {
                edit();
                ADD_FAILURE() << "accepted";
            } catch (const DocxError& error) {
                EXPECT_EQ(error.code(), DocxErrorCode::unreadablePart);
                EXPECT_EQ(error.detail().part, PartName("[Content_Types].xml"));
                EXPECT_NE(std::string(error.what()).find("[Content_Types].xml"), std::string::npos)
                    << error.what();
                EXPECT_FALSE(error.detail().cause.empty());
            }
        };
        expectUnreadableTypes([&] {
            document.insertImage(pixel, "png", 10, 10, first, StoryID::body(), 0, EditMode::direct());
        });
        expectUnreadableTypes([&] {
            document.addComment(first, StoryID::body(), {0, 5}, u"note", "A",
                                std::chrono::system_clock::now());
        });
        EXPECT_TRUE(document.dirtyParts().empty());
        EXPECT_FALSE(document.hasPart("word/media/tovin1.png"));
        EXPECT_EQ(document.snapshot(first, StoryID::body()).text, u"Hello");
    }
}
