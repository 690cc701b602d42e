// Copy and Paste with formatting between two open documents, through the clipboard as the
// Edit menu uses it: the three flavours Copy puts there, run properties kept byte for byte,
// styles the target lacks created, HTML and pictures from other programs, Paste and Match
// Style, and hostile clipboard contents.
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTextBlock>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "Tovin/editor/ClipboardCommands.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/editor/FooterBar.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::testing {
namespace {

using rovuvuz::testing::count;

const std::string sourceRun = "<w:rPr><w:b/><w:i/><w:color w:val=\"C00000\"/><w:sz w:val=\"30\"/></w:rPr>";

const std::string headingStyles = std::string("<w:styles ") + std::string(rovuvuz::testing::mainNamespace) +
                                  "><w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
                                  "<w:rPr><w:b/><w:sz w:val=\"32\"/></w:rPr></w:style></w:styles>";

class ClipboardTest : public CommandTest {
  protected:
    // Opens the source with a formatted run and a heading, then the target; both stay open.
    void openBoth() {
        open(rovuvuz::testing::packageWith(
            "<w:p><w:r><w:t xml:space=\"preserve\">Say </w:t></w:r><w:r>" + sourceRun +
                "<w:t>loudly</w:t></w:r></w:p>"
                "<w:p><w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr><w:r><w:t>Chapter</w:t></w:r></w:p>"
                "<w:p><w:r><w:t>After</w:t></w:r></w:p>",
            {{"styles", "styles.xml", headingStyles}}));
        source = editor;
        sourceDocument = document;
        open(plainParagraphs({"Target text"}));
    }
    void copyFromSource(int from, int to) {
        QTextCursor cursor = source->body()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        source->body()->setTextCursor(cursor);
        ClipboardCommands::copy(*source);
    }
    void pasteMime(QMimeData* data) {
        QGuiApplication::clipboard()->setMimeData(data);
        ASSERT_TRUE(run(Command::paste));
    }

    EditorViewController* source = nullptr;
    TovinDocument* sourceDocument = nullptr;
};

TEST_F(ClipboardTest, CopyPutsTheFragmentHtmlAndPlainText) {
    openBoth();
    copyFromSource(4, 10);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(ClipboardCommands::fragmentType()));
    EXPECT_EQ(data->text(), "loudly");
    EXPECT_TRUE(data->html().contains("loudly"));
    EXPECT_TRUE(data->html().contains("<b>") || data->html().contains("bold")) << data->html().toStdString();
    const QByteArray fragment = data->data(ClipboardCommands::fragmentType());
    EXPECT_TRUE(fragment.contains(QByteArray::fromStdString(sourceRun)));
}

TEST_F(ClipboardTest, PasteIntoAnotherDocumentKeepsRunPropertiesByteForByteAndCreatesMissingStyles) {
    openBoth();
    copyFromSource(4, 19);  // "loudly", "Chapter" and its paragraph mark
    select(6, 6);           // "Target| text"
    ASSERT_TRUE(run(Command::paste));
    EXPECT_EQ(texts(), (QStringList{"Targetloudly", "Chapter", " text"}));
    EXPECT_EQ(count(body(), sourceRun), 1u);
    // The heading keeps its style, which the target lacked and now has from the fragment.
    EXPECT_EQ(count(body(), "<w:pPr><w:pStyle w:val=\"Heading1\"/></w:pPr>"), 1u);
    ASSERT_TRUE(document->docx()->hasPart("word/styles.xml"));
    EXPECT_EQ(count(part("word/styles.xml"), "w:styleId=\"Heading1\""), 1u);
    // The caret stands after what was pasted, and the paste is one undo step.
    EXPECT_EQ(editor->body()->textCursor().position(), 21);
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(texts(), QStringList{"Target text"});
    // The source was only read.
    EXPECT_FALSE(sourceDocument->isDocumentEdited());
}

TEST_F(ClipboardTest, CutTakesTheTextAndPastesBackFormatted) {
    openBoth();
    editor = source;
    document = sourceDocument;
    select(4, 10);
    ClipboardCommands::cut(*editor);
    settle();
    EXPECT_EQ(texts().front(), "Say ");
    select(0, 0);
    ClipboardCommands::paste(*editor);
    settle();
    EXPECT_EQ(texts().front(), "loudlySay ");
    EXPECT_EQ(count(body(), sourceRun), 1u);
}

TEST_F(ClipboardTest, HtmlFromOtherProgramsKeepsMarksHeadingsAndLists) {
    openBoth();
    select(0, 0);
    auto* data = new QMimeData;
    data->setHtml("<h1>Title</h1><p>a <b>bold</b> and <i>slanted</i> <a href=\"https://example.org\">link</a></p>"
                  "<ul><li>one</li><li>two</li></ul>");
    data->setText("Title a bold and slanted link one two");
    pasteMime(data);
    // The last pasted paragraph joins the one pasted into, as in any word processor.
    EXPECT_EQ(texts(), (QStringList{"Title", "a bold and slanted link", "one", "twoTarget text"}));
    EXPECT_TRUE(formatOf(" bold").bold);
    EXPECT_TRUE(formatOf(" slanted").italic);
    EXPECT_EQ(count(body(), "<w:hyperlink"), 1u);
    EXPECT_EQ(count(body(), "<w:pStyle w:val=\"Heading1\"/>"), 1u);
    EXPECT_EQ(count(body(), "<w:numPr>"), 1u);
}

TEST_F(ClipboardTest, PasteAndMatchStylePastesOnlyTheText) {
    openBoth();
    copyFromSource(4, 10);
    select(0, 0);
    ASSERT_TRUE(run(Command::pasteAsPlainText));
    EXPECT_EQ(texts(), QStringList{"loudlyTarget text"});
    EXPECT_EQ(count(body(), "<w:b/>"), 0u);
}

TEST_F(ClipboardTest, APictureOnTheClipboardPastesAsAPicture) {
    openBoth();
    select(0, 0);
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    auto* data = new QMimeData;
    data->setImageData(image);
    pasteMime(data);
    EXPECT_EQ(count(body(), "<w:drawing>"), 1u);
    EXPECT_GE(count(part("[Content_Types].xml"), "image/png"), 1u);
}

// What the body shows of each paragraph: its text, list label and the format of every
// stretch of text as the view holds it.
QStringList shownBlocks(QTextEdit* view) {
    QStringList blocks;
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        QString shown = block.text() + " |";
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            shown += QString(" %1:%2%3%4%5").arg(it.fragment().length()).arg(format.fontWeight())
                         .arg(format.fontItalic() ? "i" : "").arg(format.fontUnderline() ? "u" : "")
                         .arg(format.foreground().color().name());
            shown += QString::number(format.fontPointSize()) + format.background().color().name();
        }
        shown += QString(" align %1 indent %2").arg(int(block.blockFormat().alignment())).arg(block.blockFormat().leftMargin());
        blocks << shown;
    }
    return blocks;
}

const std::string decimalList =
    std::string("<w:numbering ") + std::string(rovuvuz::testing::mainNamespace) +
    "><w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:start w:val=\"1\"/><w:numFmt w:val=\"decimal\"/>"
    "<w:lvlText w:val=\"%1.\"/><w:pPr><w:ind w:left=\"720\" w:hanging=\"360\"/></w:pPr></w:lvl></w:abstractNum>"
    "<w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num></w:numbering>";

// A paragraph, a numbered list of three items (the second bold), and a paragraph.
rovuvuz::SharedBytes threeItemList() {
    const std::string list = "<w:pPr><w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr></w:pPr>";
    return rovuvuz::testing::packageWith(
        "<w:p><w:r><w:t>Before the list</w:t></w:r></w:p>"
        "<w:p>" + list + "<w:r><w:t>first item</w:t></w:r></w:p>"
        "<w:p>" + list + "<w:r><w:rPr><w:b/></w:rPr><w:t>second item</w:t></w:r></w:p>"
        "<w:p>" + list + "<w:r><w:t>third item</w:t></w:r></w:p>"
        "<w:p><w:r><w:t>After</w:t></w:r></w:p>",
        {{"numbering", "numbering.xml", decimalList}});
}

QStringList labels(StoryBridge& bridge) {
    QStringList out;
    for (const StoryBridge::Entry& entry : bridge.entries())
        if (const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value))
            out << QString::fromStdString(p->listLabel.value_or("-"));
    return out;
}

// A paste redraws only the paragraphs it touched and added; the body then shows what a
// reopen of the saved file shows: the same text, list labels and formats, directly and
// tracked, over a selection across paragraphs of a list.
TEST_F(ClipboardTest, AfterAPasteTheBodyShowsWhatTheSavedFileShowsReopened) {
    QString html = "<h1>Pasted heading</h1><p>one <b>bold</b> and <a href=\"https://x.org\">link</a></p><ol>";
    for (int i = 0; i < 40; ++i) html += QString("<li>item %1 <i>slanted</i></li>").arg(i);
    html += "</ol><ul><li>bullet</li><li>another</li></ul><p>last <u>words</u></p>";
    for (const bool tracked : {false, true}) {
        open(threeItemList());
        document->setTrackChanges(tracked);
        const std::vector<StoryBridge::Entry> before = editor->bodyBridge()->entries();
        // From inside "first item" to inside "third item".
        select(22, 46);
        auto* data = new QMimeData;
        data->setHtml(html);
        pasteMime(data);
        StoryBridge& bridge = *editor->bodyBridge();
        ASSERT_GT(bridge.entries().size(), 45u) << tracked;
        // Paragraphs outside the selection were left as they were shown.
        EXPECT_EQ(bridge.entries().front().stamp, before.front().stamp) << tracked;
        EXPECT_EQ(bridge.entries().back().stamp, before.back().stamp) << tracked;
        EXPECT_EQ(bridge.viewText(), bridge.entriesText()) << tracked;
        const QStringList shown = shownBlocks(editor->body());
        const QStringList shownLabels = labels(bridge);

        EditorViewController* pasted = editor;
        open(document->docx()->checkedData());
        EXPECT_EQ(shown, shownBlocks(editor->body())) << tracked;
        EXPECT_EQ(shownLabels, labels(*editor->bodyBridge())) << tracked;
        EXPECT_NE(pasted, editor);
    }
}

// A paste with more paragraphs than the story had shows the story anew from one snapshot
// of it: the body then shows what a reopen of the saved file shows, the caret stands after
// the pasted text, and one undo takes it all back.
TEST_F(ClipboardTest, APasteThatOutnumbersTheStoryShowsWhatTheSavedFileShowsAndUndoesAtOnce) {
    QString html = "<h1>Pasted heading</h1>";
    for (int i = 0; i < 1500; ++i)
        html += i % 100 == 50 ? QString("<ol><li>item %1 <i>slanted</i></li><li>next</li></ol>").arg(i)
                              : QString("<p>line %1 <b>bold</b> <a href=\"https://x.org/%1\">link</a></p>").arg(i);
    for (const bool tracked : {false, true}) {
        open(threeItemList());
        document->setTrackChanges(tracked);
        const std::string before = body();
        const QString shownBefore = editor->bodyBridge()->viewText();
        // From inside "first item" to inside "third item".
        select(22, 46);
        auto* data = new QMimeData;
        data->setHtml(html);
        pasteMime(data);
        StoryBridge& bridge = *editor->bodyBridge();
        ASSERT_GT(bridge.entries().size(), 1500u) << tracked;
        EXPECT_EQ(bridge.viewText(), bridge.entriesText()) << tracked;
        const QTextCursor caret = editor->body()->textCursor();
        EXPECT_EQ(caret.block().text().mid(caret.positionInBlock()), "tem") << tracked;
        const QStringList shown = shownBlocks(editor->body());
        const QStringList shownLabels = labels(bridge);
        EXPECT_TRUE(shownLabels.contains("2.")) << tracked;
        const rovuvuz::SharedBytes saved = document->docx()->checkedData();

        editor->session()->undoStep();
        settle();
        EXPECT_EQ(body(), before) << tracked;
        EXPECT_EQ(editor->bodyBridge()->viewText(), shownBefore) << tracked;

        open(saved);
        EXPECT_EQ(shown, shownBlocks(editor->body())) << tracked;
        EXPECT_EQ(shownLabels, labels(*editor->bodyBridge())) << tracked;
    }
}

// Hostile clipboard contents paste their text, or are refused, without harm.
TEST_F(ClipboardTest, FiveMegabytesOfHtmlPasteTheirText) {
    openBoth();
    QString big;
    const QString paragraph = "<p>word <b>word</b> word word word word word word word word</p>";
    while (big.size() < 5 * 1024 * 1024) big += paragraph;
    select(0, 0);
    auto* huge = new QMimeData;
    huge->setHtml(big);
    pasteMime(huge);
    EXPECT_GT(paragraphs().size(), 10000u);
    // The footer counts what the body now shows.
    editor->flushRefresh();
    EXPECT_GT(editor->footer()->words(), 800000);
}

TEST_F(ClipboardTest, HtmlNestedTenThousandDeepPastesItsText) {
    open(plainParagraphs({"x"}));
    select(0, 0);
    auto* deep = new QMimeData;
    deep->setHtml(QString("<div>").repeated(10000) + "deep" + QString("</div>").repeated(10000));
    pasteMime(deep);
    EXPECT_TRUE(texts().join("").contains("deep"));
}

TEST_F(ClipboardTest, AFragmentThatIsNotOneIsRefusedWithTheEnginesReason) {
    open(plainParagraphs({"kept"}));
    select(0, 0);
    auto* bad = new QMimeData;
    bad->setData(ClipboardCommands::fragmentType(), "<not-a-clip><w:p>");
    bad->setText("fallback");
    const std::string before = body();
    pasteMime(bad);
    EXPECT_EQ(body(), before);
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(refusals.back().isEmpty());
}

}  // namespace
}  // namespace tovin::testing
