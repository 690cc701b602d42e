// Text from outside (typed, pasted, arguments, settings) holding characters XML cannot
// carry, through every path that writes it: the saved parts parse, separators became
// breaks and tabs, the rest went; and a save refuses to write a part that does not parse.
#include <gtest/gtest.h>

#include "RovuVuz/document/Comments.h"
#include "RovuVuz/document/DocumentInternals.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/package/ZipArchive.h"
#include "RovuVuz/xml/XMLCheck.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;

namespace {

const auto date = std::chrono::sys_days{std::chrono::year{2024} / 3 / 1};

// Every C0 control from U+0000, U+FFFE, U+FFFF and an unpaired surrogate, between letters.
std::u16string everyForbidden() {
    std::u16string text = u"[";
    for (char16_t c = 0; c < 0x20; ++c) text += c;
    return text + u"\uFFFE\uFFFF" + char16_t(0xD800) + u"]";
}

struct Document {
    std::unique_ptr<DocxDocument> document;
    ParagraphID first;

    explicit Document(std::string_view body = "<w:p><w:r><w:t>Hello world</w:t></w:r></w:p>") {
        document = std::make_unique<DocxDocument>(makePackage(minimalDocument(body)));
        first = DocumentInternals::story(*document, StoryID::body()).paragraphs().at(0)->id;
    }

    // The saved package's parts, each checked as a strict reader takes it.
    std::map<std::string, std::string> savedParts() {
        const ZipArchive saved(document->checkedData());
        std::map<std::string, std::string> parts;
        for (const auto& entry : saved.entries()) {
            const Bytes bytes = saved.contents(entry.name);
            EXPECT_NO_THROW(XMLCheck::wellFormed(share(Bytes(bytes)))) << entry.name;
            parts[entry.name] = std::string(asChars(bytes));
        }
        return parts;
    }
};

bool hasForbiddenByte(const std::string& text) {
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return true;
    return text.find("\xEF\xBF\xBE") != std::string::npos || text.find("\xEF\xBF\xBF") != std::string::npos;
}

}  // namespace

TEST(WritableText, CommentTextTurnsSeparatorsIntoBreaksAndTabsAndDropsTheRest) {
    Document d;
    d.document->addComment(d.first, StoryID::body(), {0, 5}, u"A\vB\fC\tD" + everyForbidden(), "Ada", date);
    const std::string comments = d.savedParts()["word/comments.xml"];
    EXPECT_FALSE(hasForbiddenByte(comments)) << comments;
    EXPECT_NE(comments.find("<w:t>A</w:t><w:br/><w:t>B</w:t><w:br/><w:t>C</w:t><w:tab/><w:t>D[</w:t>"),
              std::string::npos)
        << comments;
    // Inside the bracket TAB became a tab, LF a new paragraph, VT, FF and CR breaks; the
    // other controls, U+FFFE, U+FFFF and the lone surrogate went.
    EXPECT_EQ(count(comments, "<w:p "), 2u) << comments;
    EXPECT_NE(comments.find("<w:t>D[</w:t><w:tab/></w:r></w:p>"), std::string::npos) << comments;
    EXPECT_NE(comments.find("<w:r><w:br/><w:br/><w:br/><w:t>]</w:t></w:r></w:p>"), std::string::npos) << comments;
}

TEST(WritableText, AuthorsAreWrittenAsReadersWillReadThem) {
    Document d;
    const std::string author = std::string("Ada\vKing\x01\tL\xFF");
    const CommentID comment = d.document->addComment(d.first, StoryID::body(), {0, 5}, u"x", author, date);
    d.document->reply(comment, u"y", author, date);
    d.document->replaceText(d.first, StoryID::body(), {6, 11}, u"there", EditMode::trackedBy(author, date));
    auto parts = d.savedParts();
    const std::string written = "Ada King L\xEF\xBF\xBD";
    EXPECT_EQ(count(parts["word/comments.xml"], "w:author=\"" + written + "\" w:date=\"2024-03-01T00:00:00Z\" "
                                                 "w:initials=\"AKL\""),
              2u)
        << parts["word/comments.xml"];
    EXPECT_EQ(count(parts["word/document.xml"], "w:author=\"" + written + "\""), 2u) << parts["word/document.xml"];
    EXPECT_FALSE(hasForbiddenByte(parts["word/document.xml"]));
}

// The author compared with a w:ins already there is the one written, so that typing on
// extends one's own insertion rather than opening one per key.
TEST(WritableText, TypingOnExtendsTheInsertionOfAnAuthorWithAControlCharacter) {
    Document d;
    const EditMode mode = EditMode::trackedBy("Ada\vKing", date);
    d.document->replaceText(d.first, StoryID::body(), {5, 5}, u"!", mode);
    d.document->replaceText(d.first, StoryID::body(), {6, 6}, u"?", mode);
    EXPECT_EQ(count(d.savedParts()["word/document.xml"], "<w:ins "), 1u);
}

TEST(WritableText, ReplacedTextGetsBreaksAndTabsAndAcrossParagraphsKeepsItsPlace) {
    Document d;
    d.document->replaceText(d.first, StoryID::body(), {0, 5}, u"A\vB\tC\x01" u"D", EditMode::direct());
    EXPECT_NE(d.savedParts()["word/document.xml"].find("<w:t>A</w:t><w:br/><w:t>B</w:t><w:tab/>"),
              std::string::npos);
    EXPECT_EQ(d.document->snapshot(d.first, StoryID::body()).text, u"A\u2028B\tCD world");

    // A dropped character must not shift where the next paragraph starts: the split falls
    // after the text actually inserted.
    Document e;
    e.document->replaceText(ParagraphPos{e.first, 0}, ParagraphPos{e.first, 5}, StoryID::body(),
                            u"x\x01y\nz", EditMode::direct());
    const auto body = e.document->snapshot(StoryID::body());
    ASSERT_EQ(body.paragraphs().size(), 2u);
    EXPECT_EQ(body.paragraphs()[0]->text, u"xy");
    EXPECT_EQ(body.paragraphs()[1]->text, u"z world");
}

TEST(WritableText, LinkAddressesAreWrittenValid) {
    Document d;
    d.document->setLink(d.first, StoryID::body(), {0, 5}, std::string("https://example.org/\v\x01?a=1&b\t2"));
    const std::string rels = d.savedParts()["word/_rels/document.xml.rels"];
    EXPECT_NE(rels.find("Target=\"https://example.org/ ?a=1&amp;b 2\" TargetMode=\"External\""), std::string::npos)
        << rels;
}

TEST(WritableText, ASaveRefusesAPartThatDoesNotParseAndNamesIt) {
    Document d;
    d.document->storePart(PartName("word/extra.xml"), share(toBytes("<a>&nbsp;</a>")));
    try {
        d.document->checkedData();
        ADD_FAILURE() << "saved";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::malformedPart);
        EXPECT_EQ(error.detail().part, PartName("word/extra.xml"));
        EXPECT_NE(std::string(error.what()).find("undefined entity"), std::string::npos) << error.what();
    }
    EXPECT_THROW(d.document->data(), DocxError);
    // Media are not XML, and are not read.
    Document e;
    e.document->storePart(PartName("word/media/a.png"), share(toBytes("<not xml")));
    EXPECT_NO_THROW(e.document->checkedData());
}

// A part that came from its producer with a fault a strict reader refuses is written back
// with the user's edit: refusing would keep every edit of the file from being saved.
TEST(WritableText, APartThatCameMalformedIsStillSaved) {
    Document d("<w:p><w:r><w:t>Hello world</w:t></w:r></w:p><w:p><x:unbound/></w:p>");
    d.document->replaceText(d.first, StoryID::body(), {0, 5}, u"Howdy", EditMode::direct());
    const ZipArchive saved(d.document->checkedData());
    EXPECT_NE(std::string(asChars(saved.contents("word/document.xml"))).find("<w:t>Howdy world</w:t>"),
              std::string::npos);
}
