// The editor's menu commands driven through their menu items on real documents, checked in
// the engine's result: the saved XML and fresh snapshots. Grouped by menu.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <filesystem>
#include <set>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/document/DocumentController.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/document/TovinDocument.h"
#include "Tovin/editor/EditorViewController.h"
#include "Tovin/editor/EditorWindowController.h"
#include "Tovin/editor/FindBar.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/editor/FormatPopover.h"
#include "Tovin/editor/InputPopover.h"
#include "Tovin/editor/InsertCommands.h"
#include "Tovin/editor/RevealToolbar.h"
#include "Tovin/editor/ReviewCommands.h"
#include "Tovin/text/StoryBridge.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using rovuvuz::ParagraphSnapshot;
using rovuvuz::StoryID;
using rovuvuz::testing::count;

std::string runs(std::initializer_list<const char*> texts) {
    std::string body;
    for (const char* text : texts)
        body += std::string("<w:p><w:r><w:t xml:space=\"preserve\">") + text + "</w:t></w:r></w:p>";
    return body;
}

const std::string inserted =
    "<w:p><w:r><w:t xml:space=\"preserve\">Keep </w:t></w:r>"
    "<w:ins w:id=\"7\" w:author=\"A\"><w:r><w:t>one</w:t></w:r></w:ins>"
    "<w:r><w:t xml:space=\"preserve\"> and </w:t></w:r>"
    "<w:ins w:id=\"8\" w:author=\"A\"><w:r><w:t>two</w:t></w:r></w:ins></w:p>";

class EditorActionsTest : public CommandTest {
  protected:
    bool enabled(Command command) {
        MainMenu::build().validate();
        return MainMenu::build().action(command)->isEnabled();
    }
    std::string body() { return part("word/document.xml"); }
    std::vector<ParagraphSnapshot> paragraphs() {
        std::vector<ParagraphSnapshot> out;
        const rovuvuz::StorySnapshot story = document->docx()->snapshot(StoryID::body());
        for (const auto* p : story.paragraphs()) out.push_back(*p);
        return out;
    }
    // The format of the first span holding `text`.
    rovuvuz::RunFormat formatOf(const QString& text) {
        for (const ParagraphSnapshot& p : paragraphs()) {
            for (const rovuvuz::Span& span : p.spans) {
                const QString shown =
                    QString::fromStdU16String(p.text.substr(span.range.lower, span.range.size()));
                if (shown == text) return span.format;
            }
        }
        ADD_FAILURE() << "no span " << text.toStdString();
        return {};
    }
};

// ---- Format ----

TEST_F(EditorActionsTest, MarksToggleOnTheSelectionAndACaretBeeps) {
    open(runs({"Hello world"}));
    select(6, 11);
    ASSERT_TRUE(run(Command::toggleBold));
    EXPECT_TRUE(formatOf("world").bold);
    EXPECT_FALSE(formatOf("Hello ").bold);
    EXPECT_EQ(count(body(), "<w:b/>"), 1u);
    select(6, 11);
    run(Command::toggleBold);
    EXPECT_FALSE(formatOf("world").bold);
    select(6, 11);
    run(Command::toggleItalic);
    run(Command::toggleUnderline);
    run(Command::toggleStrike);
    const rovuvuz::RunFormat format = formatOf("world");
    EXPECT_TRUE(format.italic && format.underline && format.strike);
    EXPECT_EQ(beeps, 0);

    const std::string before = body();
    select(3, 3);
    run(Command::toggleBold);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(body(), before);
}

TEST_F(EditorActionsTest, SuperscriptOnSuperscriptReturnsToTheBaseline) {
    open(runs({"E = mc2"}));
    select(6, 7);
    run(Command::toggleSuperscript);
    EXPECT_EQ(formatOf("2").verticalAlign, rovuvuz::VerticalAlign::superscript);
    select(6, 7);
    run(Command::toggleSuperscript);
    EXPECT_EQ(formatOf("2").verticalAlign, rovuvuz::VerticalAlign::baseline);
    select(6, 7);
    run(Command::toggleSubscript);
    EXPECT_EQ(formatOf("2").verticalAlign, rovuvuz::VerticalAlign::subscript);
    select(6, 7);
    run(Command::toggleSubscript);
    EXPECT_EQ(formatOf("2").verticalAlign, rovuvuz::VerticalAlign::baseline);
}

TEST_F(EditorActionsTest, AlignmentWithACaretAppliesToItsParagraphOnly) {
    open(runs({"first", "second", "third"}));
    select(8, 8);  // inside "second"
    run(Command::alignCenter);
    std::vector<ParagraphSnapshot> now = paragraphs();
    EXPECT_EQ(now[0].format.alignment, rovuvuz::Alignment::left);
    EXPECT_EQ(now[1].format.alignment, rovuvuz::Alignment::center);
    EXPECT_EQ(now[2].format.alignment, rovuvuz::Alignment::left);
    select(2, 15);  // across all three
    run(Command::alignJustify);
    for (const ParagraphSnapshot& p : paragraphs()) EXPECT_EQ(p.format.alignment, rovuvuz::Alignment::both);
    EXPECT_EQ(count(body(), "w:val=\"both\""), 3u);
    EXPECT_EQ(beeps, 0);
}

TEST_F(EditorActionsTest, LinksTakeHttpsUnlessTypedWithASchemeAndAnEmptyFieldRemovesThem) {
    open(runs({"see the site"}));
    select(8, 12);
    ASSERT_TRUE(run(Command::addLink));
    InputPopover* popover = InputPopover::current();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->button()->text(), "Add Link");
    popover->field()->setText(" example.com ");
    popover->submit();
    settle();
    EXPECT_EQ(count(part("word/_rels/document.xml.rels"), "Target=\"https://example.com\""), 1u);
    EXPECT_EQ(count(body(), "<w:hyperlink"), 1u);

    select(9, 10);
    run(Command::addLink);
    ASSERT_NE(InputPopover::current(), nullptr);
    EXPECT_EQ(InputPopover::current()->button()->text(), "Change Link");
    EXPECT_EQ(InputPopover::current()->field()->text(), "https://example.com");
    InputPopover::current()->close();

    select(8, 12);
    InsertCommands::setLink(*editor, "");
    EXPECT_EQ(count(body(), "<w:hyperlink"), 0u);

    select(4, 7);
    InsertCommands::setLink(*editor, "mailto:a@example.com");
    EXPECT_EQ(count(part("word/_rels/document.xml.rels"), "Target=\"mailto:a@example.com\""), 1u);

    select(2, 2);
    EXPECT_FALSE(enabled(Command::addLink));
    InsertCommands::setLink(*editor, "example.com");
    EXPECT_EQ(beeps, 1);
}

TEST_F(EditorActionsTest, APageBreakGoesAtTheSelectionStartAndTheCaretAfterIt) {
    open(runs({"before after"}));
    select(7, 9);
    run(Command::insertPageBreak);
    EXPECT_EQ(count(body(), "<w:br w:type=\"page\"/>"), 1u);
    EXPECT_EQ(editor->body()->textCursor().position(), 8);
    EXPECT_EQ(paragraphs()[0].text, u"before \uFFFCafter");
}

TEST_F(EditorActionsTest, ImagesAreScaledToTheColumnAndResizeBackAndForth) {
    open(runs({"picture: "}));
    QImage wide(4000, 1000, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    const QString path = scratch("wide.png");
    ASSERT_TRUE(wide.save(path));
    select(9, 9);
    InsertCommands::insertImageFile(*editor, path);
    ASSERT_EQ(beeps, 0);
    // The default page's text column is 612 − 2 × 72 = 468 points; EMU are 12700 a point.
    // The size stands in the inline's extent and in the picture's own.
    EXPECT_EQ(count(body(), "cx=\"5943600\" cy=\"1485900\""), 2u) << body();
    EXPECT_TRUE(document->docx()->hasPart("word/media/image1.png") ||
                count(part("[Content_Types].xml"), "png") > 0);

    select(9, 9);
    EXPECT_TRUE(enabled(Command::makeImageLarger));
    run(Command::makeImageLarger);
    run(Command::makeImageLarger);
    EXPECT_EQ(count(body(), "cx=\"7200900\" cy=\"1803400\""), 2u);  // 567 × 142 points
    run(Command::makeImageSmaller);
    run(Command::makeImageSmaller);
    EXPECT_EQ(count(body(), "cx=\"5943600\" cy=\"1485900\""), 2u);

    select(0, 3);
    EXPECT_FALSE(enabled(Command::makeImageLarger));

    const std::string before = body();
    const QString junk = writeScratch("junk.png", rovuvuz::Bytes{'n', 'o', 't'});
    InsertCommands::insertImageFile(*editor, junk);
    InsertCommands::insertImageFile(*editor, scratch("missing.png"));
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(body(), before);
}

// ---- Review ----

TEST_F(EditorActionsTest, CommentsGoOnTheBodySelectionAndAreRefusedInAHeader) {
    const std::string header =
        "<w:hdr xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:p><w:r><w:t>Running head</w:t></w:r></w:p></w:hdr>";
    open(runs({"Needs a source"}) +
             "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdH\"/></w:sectPr>",
         {{"word/header1.xml", header}}, rovuvuz::testing::rel("rIdH", "header", "header1.xml"));
    ASSERT_NE(editor->headerBand(), nullptr);
    EXPECT_EQ(editor->headerBand()->toPlainText(), "Running head");

    editor->headerBand()->setFocus();
    QTextCursor cursor = editor->headerBand()->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(7, QTextCursor::KeepAnchor);
    editor->headerBand()->setTextCursor(cursor);
    EXPECT_FALSE(enabled(Command::addComment));
    ReviewCommands::addComment(*editor, "nope");
    EXPECT_EQ(beeps, 1);

    // The Edit menu acts on the band: Delete takes the header's selected word.
    ASSERT_TRUE(run(Command::deleteSelection));
    settle();
    EXPECT_EQ(count(part("word/header1.xml"), "head</w:t>"), 1u);
    EXPECT_EQ(count(part("word/header1.xml"), "Running"), 0u);
    EXPECT_EQ(paragraphs()[0].text, u"Needs a source");

    editor->body()->setFocus();
    select(8, 14);
    ASSERT_TRUE(run(Command::addComment));
    ASSERT_NE(InputPopover::current(), nullptr);
    InputPopover::current()->field()->setText("Which one?");
    InputPopover::current()->submit();
    settle();
    EXPECT_EQ(count(body(), "<w:commentRangeStart"), 1u);
    EXPECT_EQ(count(part("word/comments.xml"), "Which one?"), 1u);
}

TEST_F(EditorActionsTest, NextChangeWrapsAndAcceptingMovesOn) {
    open(inserted);
    const std::vector<EditorSelection::Range> changes = ReviewCommands::changeRanges(*editor);
    ASSERT_EQ(changes, (std::vector<EditorSelection::Range>{{5, 3}, {13, 3}}));
    select(0, 0);
    run(Command::nextChange);
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "one");
    run(Command::nextChange);
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "two");
    run(Command::nextChange);  // wraps to the first
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "one");
    run(Command::previousChange);  // wraps to the last
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "two");

    select(0, 2);
    EXPECT_FALSE(enabled(Command::acceptChange));
    select(5, 8);
    ASSERT_TRUE(run(Command::acceptChange));
    EXPECT_EQ(count(body(), "<w:ins "), 1u);
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "two");  // on to the next change
    run(Command::rejectChange);
    EXPECT_EQ(count(body(), "<w:ins "), 0u);
    EXPECT_EQ(paragraphs()[0].text, u"Keep one and ");
    EXPECT_FALSE(enabled(Command::nextChange));
    EXPECT_FALSE(enabled(Command::acceptAll));
}

// A change the file gives no usable w:id cannot be named to the engine: accepting it is
// refused with a beep and the document stays as it was.
TEST_F(EditorActionsTest, AChangeWithoutAnIdentifierIsRefusedAndLeftAlone) {
    open("<w:p><w:ins w:author=\"A\"><w:r><w:t>orphan</w:t></w:r></w:ins></w:p>");
    const std::string before = body();
    select(1, 3);
    ASSERT_TRUE(run(Command::acceptChange));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(body(), before);
    EXPECT_EQ(ReviewCommands::changeRanges(*editor).size(), 1u);
}

TEST_F(EditorActionsTest, AcceptAllIsOneUndoStep) {
    open(inserted);
    ASSERT_TRUE(run(Command::acceptAll));
    EXPECT_EQ(count(body(), "<w:ins "), 0u);
    EXPECT_EQ(paragraphs()[0].text, u"Keep one and two");
    EXPECT_TRUE(ReviewCommands::changeRanges(*editor).empty());
    editor->undo().undo();
    EXPECT_EQ(count(body(), "<w:ins "), 2u);
}

TEST_F(EditorActionsTest, TrackMyEditsIsCheckedAndShownInTheFooter) {
    open(runs({"x"}));
    EXPECT_FALSE(MainMenu::build().action(Command::toggleTracking)->isChecked());
    run(Command::toggleTracking);
    EXPECT_TRUE(document->trackChanges());
    MainMenu::build().validate();
    EXPECT_TRUE(MainMenu::build().action(Command::toggleTracking)->isChecked());
    EXPECT_EQ(editor->footer()->right()->text(), "TRACK MY EDITS: ON");
    select(0, 1);
    run(Command::toggleBold);
    EXPECT_EQ(count(body(), "<w:rPrChange"), 1u);
}

// ---- View ----

TEST_F(EditorActionsTest, InPageViewOnlyTheViewCommandsAreEnabled) {
    open(inserted);
    select(5, 8);
    EXPECT_TRUE(enabled(Command::toggleBold));
    EXPECT_TRUE(enabled(Command::acceptAll));
    editor->setPageView(true);
    EXPECT_FALSE(enabled(Command::toggleBold));
    EXPECT_FALSE(enabled(Command::acceptAll));
    for (Command command : {Command::printDocument, Command::exportPDF, Command::share})
        EXPECT_TRUE(enabled(command)) << int(command);
    editor->setPageView(false);
    EXPECT_TRUE(enabled(Command::toggleBold));
}

TEST_F(EditorActionsTest, ShowCommentsIsOffWithoutCardsAndTheToolbarItemFollowsThePin) {
    open(runs({"x"}));
    EXPECT_FALSE(enabled(Command::toggleRail));
    EXPECT_EQ(MainMenu::build().action(Command::toggleRail)->text(), "Hide Comments");
    EXPECT_EQ(MainMenu::build().action(Command::toggleRevealToolbar)->text(), "Show Toolbar");
    run(Command::toggleRevealToolbar);
    MainMenu::build().validate();
    EXPECT_EQ(MainMenu::build().action(Command::toggleRevealToolbar)->text(), "Hide Toolbar");
}

TEST_F(EditorActionsTest, TenQuickKeystrokesRefreshTheFooterOnce) {
    open(runs({"Some words"}));
    select(10, 10);
    const int refreshes = editor->refreshCount();
    const int counts = editor->footer()->countsMade();
    QTest::keyClicks(editor->body(), " and more");
    QTest::keyClick(editor->body(), Qt::Key_S);
    settle();
    EXPECT_EQ(editor->refreshCount(), refreshes);  // still waiting for the burst to end
    ASSERT_TRUE(waitFor([&] { return editor->refreshCount() > refreshes; }, 2000));
    QTest::qWait(EditorViewController::refreshDelayMs + 100);
    EXPECT_EQ(editor->refreshCount(), refreshes + 1);
    EXPECT_EQ(editor->footer()->countsMade(), counts + 1);
    EXPECT_EQ(editor->footer()->left()->text(), "4 WORDS");
}

// ---- Edit ----

TEST_F(EditorActionsTest, FindWrapsAndEscapeReturnsToTheText) {
    open(runs({"one fish two fish", "red Fish"}));
    ASSERT_TRUE(run(Command::showFindBar));
    FindBar* bar = editor->findBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_FALSE(bar->replacing());
    bar->searchField()->setText("fish");
    select(0, 0);
    run(Command::findNext);
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 4);
    run(Command::findNext);
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 13);
    run(Command::findNext);  // case aside, in the next paragraph
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 22);
    run(Command::findNext);  // wraps
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 4);
    run(Command::findPrevious);  // wraps back
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 22);
    bar->searchField()->setText("trout");
    EXPECT_FALSE(bar->findNext());
    EXPECT_EQ(beeps, 1);
    QTest::keyClick(bar->searchField(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(EditorActionsTest, ReplaceAllIsOneUndoStepAndReplaceMovesOn) {
    open(runs({"one fish two fish", "red fish"}));
    run(Command::showReplaceBar);
    FindBar* bar = editor->findBar();
    ASSERT_TRUE(bar->replacing());
    bar->searchField()->setText("fish");
    bar->replaceField()->setText("cod");
    select(0, 0);
    bar->replace();  // no match selected yet: finds the first
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "fish");
    bar->replace();
    EXPECT_EQ(paragraphs()[0].text, u"one cod two fish");
    EXPECT_EQ(editor->body()->textCursor().selectionStart(), 12);  // on to the next

    EXPECT_EQ(bar->replaceAll(), 2);
    EXPECT_EQ(paragraphs()[0].text, u"one cod two cod");
    EXPECT_EQ(paragraphs()[1].text, u"red cod");
    editor->undo().undo();
    EXPECT_EQ(paragraphs()[0].text, u"one cod two fish");
    EXPECT_EQ(paragraphs()[1].text, u"red fish");
}

TEST_F(EditorActionsTest, CheckDocumentNowSelectsTheNextMisspelling) {
    open(runs({"A wrold of", "good speling"}));
    select(0, 0);
    run(Command::checkSpelling);
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "wrold");
    run(Command::checkSpelling);
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "speling");
    run(Command::checkSpelling);  // wraps
    EXPECT_EQ(editor->body()->textCursor().selectedText(), "wrold");
}

// ---- The format popover ----

TEST(FormatPopoverPlacement, AboveTheLineCentredAndKeptInsideTheView) {
    const QSize bar(200, 30);
    // Room above: 8 above the line, centred on it.
    EXPECT_EQ(FormatPopover::placement(QRect(300, 200, 100, 20), bar, 1000), QPoint(250, 162));
    // Near the top: 8 below the line instead.
    EXPECT_EQ(FormatPopover::placement(QRect(300, 60, 100, 20), bar, 1000), QPoint(250, 88));
    // At the edges: 12 from either side.
    EXPECT_EQ(FormatPopover::placement(QRect(0, 200, 10, 20), bar, 1000), QPoint(12, 162));
    EXPECT_EQ(FormatPopover::placement(QRect(990, 200, 10, 20), bar, 1000), QPoint(788, 162));
}

TEST_F(EditorActionsTest, ThePopoverShowsTheSelectionsMarksAndHidesForACaret) {
    open(runs({"plain bold"}));
    select(6, 10);
    run(Command::toggleBold);
    select(6, 10);
    settle();
    FormatPopover* popover = editor->popover();
    ASSERT_TRUE(popover->isVisible());
    EXPECT_TRUE(popover->mark(0)->isChecked());
    EXPECT_FALSE(popover->mark(1)->isChecked());
    select(2, 2);
    settle();
    EXPECT_FALSE(popover->isVisible());
}

TEST_F(EditorActionsTest, TheToolbarSlidesInUnderTheTopEdgeAndStaysWhenPinned) {
    open(runs({"x"}));
    RevealToolbar* toolbar = editor->toolbar();
    QWidget* viewport = editor->body()->viewport();
    const QPoint top = viewport->mapTo(editor, QPoint(0, 0));
    ASSERT_LE(top.y(), RevealToolbar::hotZone);
    QTest::mouseMove(viewport, QPoint(200, RevealToolbar::hotZone - top.y()));
    EXPECT_FALSE(toolbar->shown());  // not at once
    ASSERT_TRUE(waitFor([&] { return toolbar->shown(); }, 1000));
    EXPECT_TRUE(toolbar->draftSegment()->isChecked());
    EXPECT_FALSE(toolbar->trackSwitch()->isChecked());
    QTest::mouseMove(viewport, QPoint(200, 300));
    EXPECT_FALSE(toolbar->shown());

    run(Command::toggleRevealToolbar);
    EXPECT_TRUE(toolbar->pinned());
    EXPECT_TRUE(toolbar->shown());
    QTest::mouseMove(viewport, QPoint(200, 320));
    EXPECT_TRUE(toolbar->shown());  // pinned: the pointer leaving keeps it
    toolbar->trackSwitch()->click();
    EXPECT_TRUE(document->trackChanges());
    EXPECT_EQ(editor->footer()->right()->text(), "TRACK MY EDITS: ON");
}

// ---- Bands ----

// Corpus documents from other producers: the header stands above the body's text and the
// footer and notes below it, each in its own editable band.
TEST_F(EditorActionsTest, HeaderFooterAndNotesBandsStandAroundTheBody) {
    const std::filesystem::path corpus(TOVIN_CORPUS_DIR);
    const QString headed =
        writeScratch("hf.docx", rovuvuz::testing::readFile(corpus / "pydocx-hdr-header-footer.docx"));
    document = documents().openDocument(headed);
    ASSERT_NE(document, nullptr);
    editor = EditorWindowController::of(document)->editor();
    EditorWindowController::of(document)->showWindow();
    settle();
    ASSERT_NE(editor->headerBand(), nullptr);
    ASSERT_NE(editor->footerBand(), nullptr);
    EXPECT_EQ(editor->notesBand(), nullptr);
    EXPECT_EQ(editor->headerBand()->toPlainText(), "Header for section-1");
    EXPECT_EQ(editor->footerBand()->toPlainText(), "Footer for section 1");
    const QTextEdit* body = editor->body();
    const QRect firstLine = body->cursorRect(QTextCursor(body->document()));
    EXPECT_LT(editor->headerBand()->geometry().bottom(), firstLine.top());
    EXPECT_GT(editor->footerBand()->geometry().top(), firstLine.bottom());
    EXPECT_EQ(editor->headerBand()->geometry().left(), editor->footerBand()->geometry().left());

    const QString noted =
        writeScratch("fn.docx", rovuvuz::testing::readFile(corpus / "mammoth-footnotes.docx"));
    TovinDocument* second = documents().openDocument(noted);
    ASSERT_NE(second, nullptr);
    EditorViewController* notes = EditorWindowController::of(second)->editor();
    ASSERT_NE(notes->notesBand(), nullptr);
    EXPECT_TRUE(notes->notesBand()->toPlainText().contains("A tachyon walks into a bar."));
    EXPECT_EQ(notes->headerBand(), nullptr);
}

// ---- Every item ----

// Every item the application carries out has a handler once a document is open.
TEST_F(EditorActionsTest, EveryMenuItemHasAHandler) {
    open(runs({"x"}));
    for (const CommandRow& row : MainMenu::build().rows()) EXPECT_TRUE(bool(row.perform)) << row.selector.toStdString();
}

}  // namespace
}  // namespace tovin::testing
