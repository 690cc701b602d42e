// Footnotes and endnotes: the parts, styles and relationships a first note makes, the note
// and reference markup, numbers by reference order (custom marks and formats), and notes
// that go with their last reference, outright and through tracked changes.
#include <gtest/gtest.h>

#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "support/TestSupport.h"

using namespace rovuvuz;
using rovuvuz::testing::count;
using rovuvuz::testing::makePackage;
using rovuvuz::testing::minimalDocument;
using rovuvuz::testing::rel;

namespace {

const auto when = std::chrono::system_clock::time_point(std::chrono::seconds(1709285400));
const EditMode byA = EditMode::trackedBy("A", when);
const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

std::string run(std::string_view text) { return "<w:r><w:t>" + std::string(text) + "</w:t></w:r>"; }
std::string reference(int id) {
    return "<w:r><w:footnoteReference w:id=\"" + std::to_string(id) + "\"/></w:r>";
}
std::string endnoteReference(int id) { return "<w:r><w:endnoteReference w:id=\"" + std::to_string(id) + "\"/></w:r>"; }
std::string note(std::string_view element, int id, std::string_view text) {
    return "<w:" + std::string(element) + " w:id=\"" + std::to_string(id) + "\"><w:p>" + run(text) + "</w:p></w:" +
           std::string(element) + ">";
}
std::string separators(std::string_view element) {
    return "<w:" + std::string(element) + " w:type=\"separator\" w:id=\"-1\"><w:p/></w:" + std::string(element) +
           "><w:" + std::string(element) + " w:type=\"continuationSeparator\" w:id=\"0\"><w:p/></w:" +
           std::string(element) + ">";
}

struct Fixture {
    std::unique_ptr<DocxDocument> document;

    Fixture() = default;
    explicit Fixture(std::string_view body, std::string rels = {},
                     std::vector<std::pair<std::string, std::string>> extra = {}) {
        auto parts = minimalDocument(body, rels);
        parts.insert(parts.end(), extra.begin(), extra.end());
        document = std::make_unique<DocxDocument>(makePackage(parts));
    }
    ParagraphID paragraph(size_t n = 0) { return document->story(StoryID::body()).paragraphs().at(n)->id; }
    std::string part(std::string_view name) {
        const SharedBytes bytes = document->partData(PartName(std::string(name)));
        return std::string(asChars(*bytes));
    }
    void reopen() { document = std::make_unique<DocxDocument>(document->data()); }
    // The labels the body's references show, in order.
    std::vector<std::string> referenceLabels() {
        std::vector<std::string> labels;
        const StorySnapshot body = document->snapshot(StoryID::body());
        for (const ParagraphSnapshot* p : body.paragraphs())
            for (const Span& span : p->spans)
                if (span.content.type == Span::Content::Type::noteRef) labels.push_back(span.content.noteLabel);
        return labels;
    }
    // The notes of a story as "id:label".
    std::vector<std::string> notes(const StoryID& story) {
        std::vector<std::string> out;
        for (const EntrySnapshot& entry : document->snapshot(story).entries)
            out.push_back(std::to_string(entry.id) + ":" + entry.label);
        return out;
    }
    void resolveAll(bool accept) {
        document->apply(accept ? StructuralEdit{StructuralEdit::AcceptAll{}} : StructuralEdit{StructuralEdit::RejectAll{}},
                        StoryID::body(), EditMode::direct());
    }
};

}  // namespace

TEST(Notes, TheFirstFootnoteMakesItsPartStylesAndRelationship) {
    Fixture f("<w:p>" + run("Hello world") + "</w:p>");
    const NoteInsertion made = f.document->insertNote(NoteKind::footnote, f.paragraph(), StoryID::body(), 5,
                                                      EditMode::direct());
    EXPECT_EQ(made.id, 1);
    EXPECT_EQ(made.story, StoryID::footnotes());
    // The caret stands after the mark (which takes no place) and its space.
    EXPECT_EQ(made.caret.offset, 1u);
    EXPECT_EQ(f.document->snapshot(made.caret.paragraph, StoryID::footnotes()).text, u" ");
    f.reopen();

    const std::string types = f.part("[Content_Types].xml");
    EXPECT_EQ(count(types, "PartName=\"/word/footnotes.xml\" ContentType=\"application/vnd.openxmlformats-"
                           "officedocument.wordprocessingml.footnotes+xml\""),
              1u)
        << types;
    EXPECT_EQ(count(types, "PartName=\"/word/styles.xml\""), 1u);
    const std::string rels = f.part("word/_rels/document.xml.rels");
    EXPECT_EQ(count(rels, "relationships/footnotes\" Target=\"footnotes.xml\""), 1u) << rels;
    EXPECT_EQ(count(rels, "relationships/styles\" Target=\"styles.xml\""), 1u) << rels;

    const std::string notes = f.part("word/footnotes.xml");
    EXPECT_NE(notes.find("<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:pPr><w:spacing w:after=\"0\" "
                         "w:line=\"240\" w:lineRule=\"auto\"/></w:pPr><w:r><w:separator/></w:r></w:p></w:footnote>"
                         "<w:footnote w:type=\"continuationSeparator\" w:id=\"0\">"),
              std::string::npos)
        << notes;
    EXPECT_NE(notes.find("<w:footnote w:id=\"1\"><w:p><w:pPr><w:pStyle w:val=\"FootnoteText\"/></w:pPr><w:r><w:rPr>"
                         "<w:rStyle w:val=\"FootnoteReference\"/></w:rPr><w:footnoteRef/></w:r><w:r>"
                         "<w:t xml:space=\"preserve\"> </w:t></w:r></w:p></w:footnote>"),
              std::string::npos)
        << notes;
    const std::string styles = f.part("word/styles.xml");
    EXPECT_NE(styles.find("<w:style w:type=\"character\" w:styleId=\"FootnoteReference\"><w:name w:val=\"footnote "
                          "reference\"/>"),
              std::string::npos)
        << styles;
    EXPECT_NE(styles.find("<w:rPr><w:vertAlign w:val=\"superscript\"/></w:rPr>"), std::string::npos);
    EXPECT_NE(styles.find("w:styleId=\"FootnoteText\"><w:name w:val=\"footnote text\"/>"), std::string::npos);

    const std::string body = f.part("word/document.xml");
    EXPECT_NE(body.find("<w:t>Hello</w:t></w:r><w:r><w:rPr><w:rStyle w:val=\"FootnoteReference\"/></w:rPr>"
                        "<w:footnoteReference w:id=\"1\"/></w:r><w:r><w:t xml:space=\"preserve\"> world</w:t>"),
              std::string::npos)
        << body;
    const std::vector<std::string> expected = {"1:1"};
    EXPECT_EQ(f.notes(StoryID::footnotes()), expected);
}

TEST(Notes, AnEndnoteJoinsThePartAndStylesThereAre) {
    const std::string stylesPart = "<w:styles " + w +
                                   "><w:style w:type=\"character\" w:styleId=\"ERef\"><w:name w:val=\"Endnote "
                                   "Reference\"/></w:style></w:styles>";
    Fixture f("<w:p>" + run("One") + endnoteReference(2) + run(" two") + endnoteReference(7) + "</w:p>",
              rel("rE", "endnotes", "endnotes.xml") + rel("rS", "styles", "styles.xml"),
              {{"word/endnotes.xml", "<w:endnotes " + w + ">" + separators("endnote") + note("endnote", 7, "Seven") +
                                         note("endnote", 2, "Two") + "</w:endnotes>"},
               {"word/styles.xml", stylesPart}});
    const NoteInsertion made =
        f.document->insertNote(NoteKind::endnote, f.paragraph(), StoryID::body(), 3, EditMode::direct());
    EXPECT_EQ(made.id, 8);
    f.reopen();
    const std::string body = f.part("word/document.xml");
    EXPECT_NE(body.find("<w:rStyle w:val=\"ERef\"/></w:rPr><w:endnoteReference w:id=\"8\"/>"), std::string::npos)
        << body;
    const std::string styles = f.part("word/styles.xml");
    EXPECT_EQ(count(styles, "<w:style "), 2u) << styles;  // only the text style was missing
    EXPECT_EQ(count(f.part("word/_rels/document.xml.rels"), "endnotes.xml"), 1u);
    // Endnotes count in lower-case Roman numerals by the order of their references.
    const std::vector<std::string> references = {"i", "ii", "iii"};
    EXPECT_EQ(f.referenceLabels(), references);
    const std::vector<std::string> notes = {"7:iii", "2:ii", "8:i"};
    EXPECT_EQ(f.notes(StoryID::endnotes()), notes);
}

TEST(Notes, NumbersFollowTheReferencesCustomMarksAndSettings) {
    const std::string custom = "<w:r><w:footnoteReference w:customMarkFollows=\"1\" w:id=\"9\"/><w:t>*</w:t></w:r>";
    Fixture f("<w:p>" + run("a") + reference(5) + run("b") + custom + run("c") + reference(2) + "</w:p><w:p>" +
                  endnoteReference(1) + "</w:p>",
              rel("rF", "footnotes", "footnotes.xml") + rel("rE", "endnotes", "endnotes.xml") +
                  rel("rT", "settings", "settings.xml"),
              {{"word/footnotes.xml", "<w:footnotes " + w + ">" + separators("footnote") + note("footnote", 2, "Two") +
                                          note("footnote", 5, "Five") + note("footnote", 9, "Nine") +
                                          "</w:footnotes>"},
               {"word/endnotes.xml", "<w:endnotes " + w + ">" + note("endnote", 1, "End") + "</w:endnotes>"},
               {"word/settings.xml", "<w:settings " + w + "><w:endnotePr><w:numFmt w:val=\"upperLetter\"/>"
                                     "<w:numStart w:val=\"3\"/></w:endnotePr></w:settings>"}});
    // The custom mark takes no number and shows none itself; its note is labelled with it.
    const std::vector<std::string> references = {"1", "", "2", "C"};
    EXPECT_EQ(f.referenceLabels(), references);
    const std::vector<std::string> notes = {"2:2", "5:1", "9:*"};
    EXPECT_EQ(f.notes(StoryID::footnotes()), notes);

    // A note put before the others renumbers them all, in the body and in the notes.
    f.document->insertNote(NoteKind::footnote, f.paragraph(), StoryID::body(), 0, EditMode::direct());
    const std::vector<std::string> renumbered = {"1", "2", "", "3", "C"};
    EXPECT_EQ(f.referenceLabels(), renumbered);
    const std::vector<std::string> after = {"2:3", "5:2", "9:*", "10:1"};
    EXPECT_EQ(f.notes(StoryID::footnotes()), after);
    // One paragraph's snapshot labels its references as the whole story does.
    std::vector<std::string> alone;
    for (const Span& span : f.document->snapshot(f.paragraph(), StoryID::body()).spans)
        if (span.content.type == Span::Content::Type::noteRef) alone.push_back(span.content.noteLabel);
    const std::vector<std::string> firstParagraph = {"1", "2", "", "3"};
    EXPECT_EQ(alone, firstParagraph);
}

TEST(Notes, ANoteGoesWithItsLastReference) {
    const std::string notesPart = "<w:footnotes " + w + ">" + separators("footnote") + note("footnote", 1, "One") +
                                  note("footnote", 2, "Two") + "</w:footnotes>";
    const auto make = [&] {
        return Fixture("<w:p>" + run("ab") + reference(1) + run("cd") + reference(2) + "</w:p><w:p>" + reference(2) +
                           "</w:p>",
                       rel("rF", "footnotes", "footnotes.xml"), {{"word/footnotes.xml", notesPart}});
    };
    {
        // Outright: the note of the deleted reference goes; one still referenced stays.
        Fixture f = make();
        f.document->replaceText(f.paragraph(), StoryID::body(), {1, 6}, u"X", EditMode::direct());
        const std::vector<std::string> left = {"2:1"};
        EXPECT_EQ(f.notes(StoryID::footnotes()), left);
        f.document->replaceText({f.paragraph(0), 0}, {f.paragraph(1), 1}, StoryID::body(), u"", EditMode::direct());
        EXPECT_TRUE(f.notes(StoryID::footnotes()).empty());
        EXPECT_EQ(count(f.part("word/footnotes.xml"), "<w:footnote "), 2u);  // the separators stay
    }
    {
        // Tracked: a deleted reference keeps its note until the deletion is accepted.
        Fixture f = make();
        f.document->replaceText(f.paragraph(), StoryID::body(), {1, 4}, u"", byA);
        const std::string body = f.part("word/document.xml");
        const size_t deletion = body.find("<w:del ");
        EXPECT_LT(body.find("<w:footnoteReference w:id=\"1\"/>"), body.find("</w:del>", deletion)) << body;
        EXPECT_LT(deletion, body.find("<w:footnoteReference w:id=\"1\"/>")) << body;
        EXPECT_EQ(f.notes(StoryID::footnotes()).size(), 2u);
        Fixture rejected;
        rejected.document = std::make_unique<DocxDocument>(f.document->data());
        rejected.resolveAll(false);
        EXPECT_EQ(rejected.notes(StoryID::footnotes()).size(), 2u);
        EXPECT_EQ(rejected.referenceLabels().size(), 3u);
        f.resolveAll(true);
        const std::vector<std::string> left = {"2:1"};
        EXPECT_EQ(f.notes(StoryID::footnotes()), left);
    }
    {
        // A tracked new note: its reference is an insertion; rejecting it, or its author
        // deleting it again, takes the note away.
        Fixture f = make();
        const NoteInsertion made = f.document->insertNote(NoteKind::footnote, f.paragraph(1), StoryID::body(), 1, byA);
        EXPECT_NE(f.part("word/document.xml").find("w:author=\"A\" w:date=\"2024-03-01T09:30:00Z\"><w:r><w:rPr>"
                                                  "<w:rStyle w:val=\"FootnoteReference\"/></w:rPr><w:footnoteReference "
                                                  "w:id=\"3\"/></w:r></w:ins>"),
                  std::string::npos)
            << f.part("word/document.xml");
        EXPECT_EQ(f.notes(StoryID::footnotes()).size(), 3u);
        Fixture rejected;
        rejected.document = std::make_unique<DocxDocument>(f.document->data());
        rejected.resolveAll(false);
        EXPECT_EQ(rejected.notes(StoryID::footnotes()).size(), 2u);
        f.document->replaceText(f.paragraph(1), StoryID::body(), {1, 2}, u"", byA);
        EXPECT_EQ(f.notes(StoryID::footnotes()).size(), 2u);
        EXPECT_EQ(f.part("word/footnotes.xml").find("w:id=\"" + std::to_string(made.id) + "\""), std::string::npos);
    }
}

TEST(Notes, RefusedOrUndoneNoteInsertionsLeaveNothing) {
    Fixture f("<w:p>" + run("Text") + "</w:p>", rel("rH", "header", "header1.xml"),
              {{"word/header1.xml", "<w:hdr " + w + "><w:p>" + run("Head") + "</w:p></w:hdr>"}});
    const auto refused = [&](const auto& insert, DocxErrorCode code) {
        try {
            insert();
            ADD_FAILURE() << "inserted";
        } catch (const DocxError& error) {
            EXPECT_EQ(error.code(), code);
        }
        EXPECT_TRUE(f.document->dirtyParts().empty());
    };
    const StoryID header = StoryID::header(PartName("word/header1.xml"));
    const ParagraphID inHeader = f.document->story(header).paragraphs().at(0)->id;
    refused([&] { f.document->insertNote(NoteKind::footnote, inHeader, header, 0, EditMode::direct()); },
            DocxErrorCode::unsupported);
    refused([&] { f.document->insertNote(NoteKind::footnote, f.paragraph(), StoryID::body(), 5, EditMode::direct()); },
            DocxErrorCode::rangeOutOfBounds);

    const auto state = f.document->packageState();
    f.document->insertNote(NoteKind::endnote, f.paragraph(), StoryID::body(), 4, byA);
    EXPECT_EQ(f.document->dirtyParts().size(), 5u);  // body, endnotes, styles, relationships, content types
    f.document->restore(state);
    EXPECT_TRUE(f.document->dirtyParts().empty());
    EXPECT_EQ(f.document->part(StoryID::endnotes()), std::nullopt);

    // A notes part that does not read refuses the note before anything changes.
    Fixture damaged("<w:p>" + run("Text") + "</w:p>", rel("rF", "footnotes", "footnotes.xml"),
                    {{"word/footnotes.xml", "<w:footnotes " + w + "><w:footnote"}});
    try {
        damaged.document->insertNote(NoteKind::footnote, damaged.paragraph(), StoryID::body(), 0, EditMode::direct());
        ADD_FAILURE() << "inserted into a damaged part";
    } catch (const DocxError& error) {
        EXPECT_EQ(error.code(), DocxErrorCode::damagedPart);
    }
    EXPECT_TRUE(damaged.document->dirtyParts().empty());
}
