// The open document: finding stories, package edits, revision ids, undo snapshots and
// saving, on small packages built in the test.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/Structural.h"
#include "RovuVuz/edit/TextEdit.h"
#include "RovuVuz/model/Fragment.h"
#include "RovuVuz/package/FileIO.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

using rovuvuz::testing::rel;
using rovuvuz::testing::count;

namespace {



std::string text(const SharedBytes& bytes) { return std::string(bytes->begin(), bytes->end()); }

std::string header(std::string_view body) {
    return "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">" + std::string(body) +
           "</w:hdr>";
}

DocxDocument documentWith(std::string_view body, std::string_view rels,
                          std::vector<std::pair<std::string, std::string>> extra = {}) {
    auto parts = minimalDocument(body, rels);
    parts.insert(parts.end(), extra.begin(), extra.end());
    return DocxDocument(makePackage(parts));
}

// Marks a story's first paragraph dirty with one extra run of text.
void edit(DocxDocument& document, const StoryID& id, std::string_view word) {
    Story& story = document.story(id);
    auto donor = Fragment::paragraph("<w:p xmlns:w=\"w\"><w:r><w:t>" + std::string(word) + "</w:t></w:r></w:p>",
                                     rovuvuz::testing::mintOf(document));
    Paragraph& p = *story.paragraphs().at(0);
    p.setDirty(true);
    p.inlines.push_back(std::move(donor->inlines.at(0)));
    story.touched = true;
}

}  // namespace

TEST(DocxDocument, OpeningNeedsAMainDocument) {
    auto parts = minimalDocument("<w:p/>");
    parts[1].second = "<Relationships xmlns=\"x\"><Relationship Id=\"rId1\" Type=\"other\" Target=\"a.xml\"/></Relationships>";
    try {
        DocxDocument document(makePackage(parts));
        FAIL() << "opened without a main document";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::noMainDocument);
    }
    EXPECT_THROW(DocxDocument(share(toBytes("not a zip at all, not even close"))), ZipError);
}

TEST(DocxDocument, StoriesFollowTheMainPartsRelationships) {
    DocxDocument document = documentWith(
        "<w:p/>",
        rel("rId1", "header", "header1.xml") + rel("rId2", "footer", "footer1.xml") +
            rel("rId3", "header", "header1.xml") + rel("rId4", "header", "missing.xml") +
            rel("rId5", "styles", "styles.xml"),
        {{"word/header1.xml", header("<w:p/>")}, {"word/footer1.xml", header("<w:p/>")}});
    const std::vector<StoryID> expected = {StoryID::body(), StoryID::header(PartName("word/header1.xml")),
                                           StoryID::footer(PartName("word/footer1.xml"))};
    EXPECT_EQ(document.storyIDs(), expected);
    try {
        document.story(StoryID::footnotes());
        FAIL() << "a document without footnotes gave a footnotes story";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::unknownStory);
    }
}

TEST(DocxDocument, StoriesOfOnePartShareTheirEdits) {
    // A header relationship that points at the main part: both stories are one parsed
    // story, so an edit through either is saved and neither overwrites the other.
    DocxDocument document = documentWith("<w:p/>", rel("rId1", "header", "document.xml"));
    const StoryID alias = StoryID::header(PartName("word/document.xml"));
    EXPECT_EQ(&document.story(alias), &document.story(StoryID::body()));
    edit(document, alias, "via header");
    edit(document, StoryID::body(), "via body");
    DocxDocument reopened(document.data());
    const std::string saved = text(reopened.contents("word/document.xml"));
    EXPECT_NE(saved.find("via header"), std::string::npos);
    EXPECT_NE(saved.find("via body"), std::string::npos);
}

TEST(DocxDocument, RelationshipIdsFillUpwardAndDuplicatesAreReused) {
    DocxDocument document =
        documentWith("<w:p/>", rel("rId1", "styles", "s.xml") + rel("rId2", "x", "a") + rel("rId5", "y", "b"));
    const PartName main("word/document.xml");
    EXPECT_EQ(document.addRelationship(main, "image", "media/a.png", false).rawValue, "rId4");
    EXPECT_EQ(document.addRelationship(main, "image", "media/b.png", false).rawValue, "rId6");
    const std::string before = text(document.contents("word/_rels/document.xml.rels"));
    EXPECT_EQ(document.addRelationship(main, "image", "media/a.png", false).rawValue, "rId4");
    EXPECT_EQ(text(document.contents("word/_rels/document.xml.rels")), before);
    const RelationshipID link = document.addRelationship(main, "hyperlink", "https://x.org/?a=1&b=2", true);
    const std::string after = text(document.contents("word/_rels/document.xml.rels"));
    EXPECT_NE(after.find("Target=\"https://x.org/?a=1&amp;b=2\" TargetMode=\"External\"/>"), std::string::npos);
    const Relationship* read = document.relationships().find(link);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->target, "https://x.org/?a=1&b=2");
    EXPECT_TRUE(read->external);
}

TEST(DocxDocument, ANewRelationshipPartStartsWithItsDeclaration) {
    DocxDocument document = documentWith("<w:p/>", rel("rId1", "header", "header1.xml"),
                                         {{"word/header1.xml", header("<w:p/>")}});
    const PartName headerPart("word/header1.xml");
    EXPECT_EQ(Relationships::relsName(headerPart), "word/_rels/header1.xml.rels");
    EXPECT_EQ(document.addRelationship(headerPart, "image", "media/i.png", false).rawValue, "rId1");
    const std::string rels = text(document.contents("word/_rels/header1.xml.rels"));
    EXPECT_EQ(rels.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<Relationships xmlns=\""
                         "http://schemas.openxmlformats.org/package/2006/relationships\">", 0), 0u);
    EXPECT_EQ(document.relationships(headerPart).all.size(), 1u);
}

TEST(DocxDocument, TargetsResolveAgainstTheSourceFolder) {
    const Relationships rels(PartName("word/document.xml"), std::nullopt);
    const auto resolve = [&](std::string target, bool external = false) {
        return rels.part(Relationship{RelationshipID{"r"}, "", std::move(target), external});
    };
    EXPECT_EQ(resolve("media/image1.png"), PartName("word/media/image1.png"));
    EXPECT_EQ(resolve("../customXml/item1.xml"), PartName("customXml/item1.xml"));
    EXPECT_EQ(resolve("/word/x.xml"), PartName("word/x.xml"));
    EXPECT_EQ(resolve("./a//b.xml"), PartName("word/a/b.xml"));
    EXPECT_EQ(resolve("../../../x.xml"), PartName("x.xml"));
    EXPECT_EQ(resolve("https://x.org", true), std::nullopt);
    EXPECT_EQ(PartName("/word/document.xml"), PartName("word/document.xml"));
    EXPECT_EQ(PartName("//x").rawValue, "/x");
}

TEST(DocxDocument, ContentTypesAndPartNames) {
    DocxDocument document = documentWith("<w:p/>", "");
    document.ensureContentType(std::nullopt, "XML", "other/type");  // defaults compare case-insensitively
    EXPECT_EQ(document.dirtyParts().count(PartName("[Content_Types].xml")), 0u);
    document.ensureContentType(std::nullopt, "png", "image/png");
    document.ensureContentType(PartName("word/comments.xml"), std::nullopt, "c/t");
    document.ensureContentType(PartName("word/comments.xml"), std::nullopt, "c/t");
    const std::string types = text(document.contents("[Content_Types].xml"));
    EXPECT_NE(types.find("<Default Extension=\"png\" ContentType=\"image/png\"/><Override PartName=\"/word/comments.xml\" "
                         "ContentType=\"c/t\"/></Types>"), std::string::npos);
    EXPECT_EQ(document.freePartName("media/tovin", "png"), PartName("word/media/tovin1.png"));
    document.storePart(PartName("word/media/tovin1.png"), share({1}));
    EXPECT_EQ(document.freePartName("media/tovin", "png"), PartName("word/media/tovin2.png"));
}

TEST(DocxDocument, RevisionIdsStartAboveEveryStoryPart) {
    DocxDocument document = documentWith(
        "<w:p><w:ins w:id=\"7\"/><w:bookmarkStart w:id=\"12345678901\"/></w:p>", rel("rId1", "header", "header1.xml"),
        {{"word/header1.xml", header("<w:p><w:del w:id=\"41\"/><w:x w:id=\"99\" /></w:p>")}});
    EXPECT_EQ(document.nextRevisionID(), 100);
    const auto attributes = TextEdit::revisionAttributes(
        document, "w", {"Ann", std::chrono::system_clock::time_point(std::chrono::seconds(1714566896))});
    const Markup::Attributes expected = {
        {"w:id", "101"}, {"w:author", "Ann"}, {"w:date", "2024-05-01T12:34:56Z"}};
    EXPECT_EQ(attributes, expected);
    EXPECT_EQ(DocxDocument::maxID(asBytes(std::string_view("w:id=\"41\" x:id=\"7\" w:id=\"12345678901\" w:id=\"5x\""))),
              41);
    EXPECT_EQ(DocxDocument::maxID(asBytes(std::string_view(":id=\""))), 0);
    EXPECT_EQ(DocxDocument::maxID(asBytes(std::string_view("ns0:id='52' w:id='60\" w:id=\"9'"))), 52);
    // Unqualified ids count only where the main namespace is the default one.
    const std::string_view defaultNamespace =
        "<document xmlns='http://schemas.openxmlformats.org/wordprocessingml/"
        "2006/main'><ins id='70'/><del\nid=\"71\"/><x w:id='3'/></document>";
    EXPECT_EQ(DocxDocument::maxID(asBytes(defaultNamespace)), 71);
    EXPECT_EQ(DocxDocument::maxID(asBytes(std::string_view("<w:p xmlns:w='m'><wp:docPr id='80'/></w:p>"))),
              0);
}

TEST(DocxDocument, RestoreReturnsToTheSnapshot) {
    DocxDocument document = documentWith("<w:p><w:r><w:t>a</w:t></w:r></w:p>", rel("rId1", "header", "header1.xml"),
                                         {{"word/header1.xml", header("<w:p/>")}});
    const StoryID headerID = StoryID::header(PartName("word/header1.xml"));
    edit(document, StoryID::body(), "first");
    const auto state = document.packageState();
    const auto afterFirst = document.data();
    edit(document, StoryID::body(), "second");
    edit(document, headerID, "header");  // a story untouched at snapshot time
    document.addRelationship(PartName("word/document.xml"), "image", "media/x.png", false);
    document.restore(state);
    EXPECT_EQ(*document.data(), *afterFirst);
    EXPECT_FALSE(document.story(headerID).touched);
    EXPECT_TRUE(document.story(StoryID::body()).touched);
    EXPECT_EQ(document.dirtyParts(), std::set<PartName>{PartName("word/document.xml")});
}

TEST(DocxDocument, RestoreReturnsToAnEditedStateFromAnUntouchedOne) {
    // Undo back to the opened file, then redo: the story is untouched when the edited
    // state comes back.
    DocxDocument document = documentWith("<w:p><w:r><w:t>a</w:t></w:r></w:p>", "");
    const auto before = document.packageState();
    edit(document, StoryID::body(), "typed");
    const auto after = document.packageState();
    const auto edited = document.data();
    document.restore(before);
    EXPECT_FALSE(document.story(StoryID::body()).touched);
    EXPECT_EQ(*document.data(), *document.archive().data());
    document.restore(after);
    EXPECT_TRUE(document.story(StoryID::body()).touched);
    EXPECT_EQ(*document.data(), *edited);
}

TEST(DocxDocument, EditingBackToTheSourceLeavesNothingDirty) {
    DocxDocument document = documentWith("<w:p><w:r><w:t>a</w:t></w:r></w:p>", "");
    Story& story = document.story(StoryID::body());
    story.paragraphs().at(0)->setDirty(true);
    story.touched = true;
    EXPECT_TRUE(document.dirtyParts().empty());
    EXPECT_EQ(document.data(), document.archive().data());
}

TEST(DocxDocument, WritingIsAtomicAndKeepsPermissions) {
    const auto folder = std::filesystem::temp_directory_path() / ("tovin-write-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const auto target = folder / "out.docx";
    DocxDocument document = documentWith("<w:p/>", "");
    edit(document, StoryID::body(), "saved");
    document.write(target);
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink("out.docx", folder / "link.docx");
    edit(document, StoryID::body(), "again");
    document.write(folder / "link.docx");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.docx"));
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    DocxDocument reopened(FileIO::read(target));
    EXPECT_NE(text(reopened.contents("word/document.xml")).find("again"), std::string::npos);
    // A folder that does not exist fails with the reason, and leaves nothing behind.
    try {
        document.write(folder / "missing" / "x.docx");
        FAIL() << "wrote into a missing folder";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("no such file or folder"), std::string::npos) << error.what();
    }
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++files;
    EXPECT_EQ(files, 2u);  // out.docx and link.docx, no temporary left
    std::filesystem::remove_all(folder);
}

TEST(DocxDocument, ParagraphsAreFoundByIdentityInTheirOwnStoryOnly) {
    DocxDocument document = documentWith("<w:p><w:r><w:t>ab</w:t></w:r></w:p><w:p/>",
                                         rel("rId1", "header", "header1.xml"),
                                         {{"word/header1.xml", header("<w:p/>")}});
    const StoryID headerID = StoryID::header(PartName("word/header1.xml"));
    const ParagraphID first = document.story(StoryID::body()).paragraphs().at(0)->id;
    const ParagraphID second = document.story(StoryID::body()).paragraphs().at(1)->id;
    const ParagraphID inHeader = document.story(headerID).paragraphs().at(0)->id;
    EXPECT_EQ(document.paragraph(first, StoryID::body()).second->id, first);
    EXPECT_THROW(document.paragraph(inHeader, StoryID::body()), DocxError);
    EXPECT_THROW(document.paragraph(first, headerID), DocxError);
    // A paragraph made by an edit is found; one an edit removed is not.
    const auto made = document.apply(StructuralEdit{StructuralEdit::SplitParagraph{first, 1}}, StoryID::body(),
                                     EditMode::direct());
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(document.paragraph(made[0], StoryID::body()).second->id, made[0]);
    document.apply(StructuralEdit{StructuralEdit::JoinWithNext{made[0]}}, StoryID::body(), EditMode::direct());
    EXPECT_THROW(document.paragraph(second, StoryID::body()), DocxError);
    EXPECT_EQ(document.paragraph(made[0], StoryID::body()).second->id, made[0]);
}

// A story part cut short (a ZIP that reads, with half a document.xml) used to open as an
// empty body: the parse error was only the XML scanner's, naming no part. Every story part
// that is not well-formed is refused on each use, named in the message, and saved as read.
TEST(DocxDocument, ADamagedStoryPartIsRefusedNamingThePart) {
    const std::string whole = "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
                              "<w:body><w:p><w:r><w:t>Some text here</w:t></w:r></w:p></w:body></w:document>";
    auto parts = minimalDocument("<w:p/>", rel("rId1", "header", "header1.xml"));
    parts.emplace_back("word/header1.xml", header("<w:p><w:r><w:t>Head</w:t></w:r></w:p>").substr(0, 40));
    for (auto& [name, bytes] : parts)
        if (name == "word/document.xml") bytes = whole.substr(0, whole.size() / 2);
    DocxDocument document(makePackage(parts));
    const auto refused = [&](const StoryID& id, std::string_view part) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                document.snapshot(id);
                ADD_FAILURE() << id.description() << " read as a story";
            } catch (const DocxError& error) {
                EXPECT_EQ(error.code(), DocxErrorCode::damagedPart);
                EXPECT_EQ(error.detail().part, PartName(std::string(part)));
                const std::string message = error.what();
                EXPECT_EQ(message.rfind(std::string(part) + ": XML ends inside", 0), 0u) << message;
                EXPECT_NE(message.find("at byte"), std::string::npos) << message;
            }
        }
    };
    refused(StoryID::body(), "word/document.xml");
    refused(StoryID::header(PartName("word/header1.xml")), "word/header1.xml");
    // The damaged parts go back as they were read, never as empty stories.
    EXPECT_TRUE(document.dirtyParts().empty());
    const DocxDocument reopened(document.data());
    EXPECT_EQ(text(reopened.contents("word/document.xml")), whole.substr(0, whole.size() / 2));
}
