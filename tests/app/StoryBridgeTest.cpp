// Typing into a view bridged to a story: each burst of key events becomes one engine edit,
// the view is rebuilt from the engine's paragraphs, the caret lands where a writer expects
// it, and refused edits change nothing. Driven with real key events on the offscreen
// platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

#include "RovuVuz/document/DocxDocument.h"
#include "TestEditHost.h"
#include "Tovin/text/StoryBridge.h"
#include "Tovin/text/TextProperties.h"
#include "support/TestSupport.h"

namespace tovin::testing {
namespace {

using rovuvuz::BlockSnapshot;
using rovuvuz::DocxDocument;
using rovuvuz::EditMode;
using rovuvuz::ParagraphSnapshot;
using rovuvuz::StoryID;

std::string paragraphs(std::initializer_list<const char*> texts) {
    std::string body;
    for (const char* text : texts) body += std::string("<w:p><w:r><w:t>") + text + "</w:t></w:r></w:p>";
    return body;
}

const std::string table =
    "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid>"
    "<w:tr><w:tc><w:p><w:r><w:t>cell</w:t></w:r></w:p></w:tc></w:tr></w:tbl>";

class StoryBridgeTest : public ::testing::Test {
  protected:
    void open(const std::string& body) {
        doc = std::make_unique<DocxDocument>(
            rovuvuz::testing::makePackage(rovuvuz::testing::minimalDocument(body)));
        view = std::make_unique<QTextEdit>();
        view->resize(700, 500);
        view->show();
        view->activateWindow();
        view->setFocus();
        bridge = std::make_unique<StoryBridge>(doc.get(), StoryID::body(), view.get(),
                                               AttributedBuilder(doc.get(), StoryID::body(), 600), &host);
        bridge->load(doc->snapshot(StoryID::body()).blocks);
    }

    void place(int anchor, int position = -1) {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(anchor);
        if (position >= 0) cursor.setPosition(position, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
    }
    void type(const QString& text) {
        QTest::keyClicks(view.get(), text);
        settle();
    }
    void key(Qt::Key k) {
        QTest::keyClick(view.get(), k);
        settle();
    }
    static void settle() { QCoreApplication::processEvents(); }

    // What the engine now holds for the body, paragraphs joined by "\n".
    QString engineText() {
        QString text;
        bool first = true;
        for (const BlockSnapshot& block : doc->snapshot(StoryID::body()).blocks) {
            if (!first) text += '\n';
            first = false;
            if (const auto* p = std::get_if<ParagraphSnapshot>(&block.value))
                text += QString::fromStdU16String(p->text);
            else
                text += QChar(0xFFFC);
        }
        return text;
    }
    void expectInSync() {
        EXPECT_FALSE(bridge->pending());
        EXPECT_EQ(bridge->viewText().toStdString(), bridge->entriesText().toStdString());
        EXPECT_EQ(bridge->entriesText().toStdString(), engineText().toStdString());
    }
    int caret() const { return view->textCursor().position(); }
    std::string bodyXml() {
        const rovuvuz::SharedBytes bytes = doc->partData(rovuvuz::PartName("word/document.xml"));
        return std::string(bytes->begin(), bytes->end());
    }

    std::unique_ptr<DocxDocument> doc;
    std::unique_ptr<QTextEdit> view;
    std::unique_ptr<StoryBridge> bridge;
    TestEditHost host;
    EditMode& mode = host.mode;
    int& engineCalls = host.engineCalls;
    int& beeps = host.beeps;
};

TEST_F(StoryBridgeTest, AKeystrokeIsOneEngineCallThatRewritesOnlyAttributes) {
    open(paragraphs({"Hello world", "Second"}));
    place(5);
    // Another cursor in the paragraph stands for the input method's and the layout's
    // positions: replacing characters would drag it to the region's start.
    QTextCursor watcher(view->document());
    watcher.setPosition(9);
    type(",");
    EXPECT_EQ(engineCalls, 1);
    EXPECT_EQ(engineText(), "Hello, world\nSecond");
    EXPECT_EQ(caret(), 6);
    EXPECT_EQ(watcher.position(), 10);
    expectInSync();

    // Two storage edits before one flush (an autocorrection, an input-method commit) are
    // one engine call covering both.
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(0);
    cursor.insertText("A");
    cursor.setPosition(14);
    cursor.insertText("B");
    settle();
    EXPECT_EQ(engineCalls, 2);
    EXPECT_EQ(engineText(), "AHello, world\nBSecond");
    expectInSync();
}

TEST_F(StoryBridgeTest, ReturnSplitsAndBackspaceOverTheSeparatorJoins) {
    open(paragraphs({"Hello world", "Next"}));
    const auto firstID = std::get<ParagraphSnapshot>(bridge->entries()[0].block.value).id;
    place(5);
    key(Qt::Key_Return);
    ASSERT_EQ(bridge->entries().size(), 3u);
    EXPECT_EQ(engineText(), "Hello\n world\nNext");
    const auto secondID = std::get<ParagraphSnapshot>(bridge->entries()[1].block.value).id;
    EXPECT_EQ(std::get<ParagraphSnapshot>(bridge->entries()[0].block.value).id, firstID);
    EXPECT_NE(secondID, firstID);
    EXPECT_EQ(caret(), 6);
    expectInSync();

    key(Qt::Key_Backspace);
    ASSERT_EQ(bridge->entries().size(), 2u);
    EXPECT_EQ(engineText(), "Hello world\nNext");
    EXPECT_EQ(caret(), 5);
    EXPECT_EQ(engineCalls, 2);
    expectInSync();

    // Typing into the joined paragraph edits it (its entry names a live paragraph).
    type("!");
    EXPECT_EQ(engineText(), "Hello! world\nNext");
    expectInSync();
}

TEST_F(StoryBridgeTest, TrackedDeletionsStayVisibleWithTheCaretOnTheWritersSide) {
    open(paragraphs({"abcdef"}));
    mode = EditMode::trackedBy("Ana", std::chrono::system_clock::now());

    place(3);
    key(Qt::Key_Backspace);  // deletes "c"
    EXPECT_EQ(bridge->viewText(), "abcdef");
    EXPECT_EQ(caret(), 2) << "a backward delete leaves the caret before the deleted text";
    QTextCursor probe(view->document());
    probe.setPosition(3);
    const auto revision = revisionProperty(probe.charFormat(), TextProperty::revision);
    ASSERT_TRUE(revision);
    EXPECT_EQ(revision->kind, rovuvuz::RevisionKind::remove);
    EXPECT_EQ(revision->author, "Ana");

    place(4);
    key(Qt::Key_Delete);  // deletes "e"
    EXPECT_EQ(bridge->viewText(), "abcdef");
    EXPECT_EQ(caret(), 5) << "a forward delete leaves the caret after the deleted text";
    expectInSync();

    // Replacing a selection by typing: the caret ends just after the typed text, which the
    // engine puts after the text it marks deleted.
    place(0, 2);
    type("X");
    EXPECT_EQ(bridge->viewText(), "abXcdef");
    EXPECT_EQ(caret(), 3);
    expectInSync();
    const std::string xml = bodyXml();
    EXPECT_EQ(rovuvuz::testing::count(xml, "<w:del "), 3u);
    EXPECT_EQ(rovuvuz::testing::count(xml, "w:author=\"Ana\""), 4u);
}

TEST_F(StoryBridgeTest, AnEmojiReplacedByOneSharingItsHighSurrogateIsReplacedWhole) {
    // U+1F600 and U+1F603 are D83D DE00 and D83D DE03.
    open(
        paragraphs({"a\xF0\x9F\x98\x80"
                    "b"}));
    place(1, 3);
    QTextCursor cursor = view->textCursor();
    cursor.insertText(QString::fromUtf8("\xF0\x9F\x98\x83"));
    settle();
    EXPECT_EQ(engineText(), QString::fromUtf8("a\xF0\x9F\x98\x83"
                                              "b"));
    EXPECT_EQ(engineCalls, 1);
    expectInSync();
    EXPECT_NE(bodyXml().find("a\xF0\x9F\x98\x83"
                             "b"),
              std::string::npos);
}

TEST_F(StoryBridgeTest, AnEditAcrossATableTakesTheTableWithItsText) {
    open(paragraphs({"before"}) + table + paragraphs({"after"}));
    ASSERT_EQ(bridge->viewText(), QString("before\n") + QChar(0xFFFC) + "\nafter");
    place(3, 11);
    key(Qt::Key_Delete);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(engineCalls, 1);
    EXPECT_EQ(engineText(), "befter");
    expectInSync();
    EXPECT_EQ(bridge->view()->textCursor().position(), 3);
    // The joined paragraph takes typing.
    type("!");
    EXPECT_EQ(engineText(), "bef!ter");
}

TEST_F(StoryBridgeTest, AnEditReachingIntoAnOpaqueBlockBeepsAndIsPutBack) {
    open(paragraphs({"before"}) + "<w:customXml w:element=\"x\">" + paragraphs({"control"}) + "</w:customXml>" +
         paragraphs({"after"}));
    const QString shown = bridge->viewText();
    ASSERT_EQ(shown, QString("before\n") + QChar(0xFFFC) + "\nafter");
    place(3, 11);
    key(Qt::Key_Delete);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(engineCalls, 0);
    EXPECT_EQ(bridge->viewText(), shown);
    EXPECT_TRUE(doc->dirtyParts().empty());
    expectInSync();

    // The paragraphs on either side still take typing.
    place(14);
    type("!");
    EXPECT_EQ(engineText(), QString("before\n") + QChar(0xFFFC) + "\nafter!");
}

TEST_F(StoryBridgeTest, AnEngineRefusalBeepsAndReloadsTheModel) {
    open(paragraphs({"abc"}));
    host.beforeEdit = [this] {
        // The paragraph vanishes under the bridge: the engine refuses the edit.
        doc->restoreStory(StoryID::body(), doc->storyData(StoryID::body()));
    };
    place(1);
    type("x");
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(bridge->viewText(), "abc");
    expectInSync();
}

TEST_F(StoryBridgeTest, ParagraphRangesGiveACaretAtAnEdgeToTheRightParagraph) {
    open(paragraphs({"abc", "de"}));
    const auto first = std::get<ParagraphSnapshot>(bridge->entries()[0].block.value).id;
    const auto second = std::get<ParagraphSnapshot>(bridge->entries()[1].block.value).id;
    auto ranges = bridge->paragraphRanges(3, 0);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].first, first);
    EXPECT_EQ(ranges[0].second, (rovuvuz::TextRange{3, 3}));
    ranges = bridge->paragraphRanges(4, 0);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].first, second);
    EXPECT_EQ(ranges[0].second, (rovuvuz::TextRange{0, 0}));
    ranges = bridge->paragraphRanges(1, 4);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[0].second, (rovuvuz::TextRange{1, 3}));
    EXPECT_EQ(ranges[1].second, (rovuvuz::TextRange{0, 1}));
}

TEST_F(StoryBridgeTest, AStoryWithOneParagraphTakesEveryOffset) {
    open(paragraphs({""}));
    type("Hi");
    key(Qt::Key_Return);
    type("there");
    EXPECT_EQ(engineText(), "Hi\nthere");
    key(Qt::Key_Home);
    key(Qt::Key_Backspace);
    EXPECT_EQ(engineText(), "Hithere");
    expectInSync();
}

}  // namespace
}  // namespace tovin::testing
