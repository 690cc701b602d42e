// Where an edit lands: a selection made in any way (keys by word, line or paragraph, a
// shift-click, a double-click, a drag, Select All) is exactly what Delete removes, tracked
// changes included; a click in the space under a paragraph puts the caret at its end; and
// text typed right after a link stays out of the link. On real documents, with real key and
// mouse events.
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "EditorTestSupport.h"
#include "RovuVuz/edit/TrackedChange.h"

namespace tovin::testing {
namespace {

using rovuvuz::TrackedChange;

std::filesystem::path corpus(const char* name) {
    return std::filesystem::path(TOVIN_CORPUS_DIR) / name;
}

std::filesystem::path welcome() {
    return std::filesystem::path(TOVIN_SAMPLES_DIR) / "welcome.docx";
}

class CaretAndSelectionTest : public EditorTest {
  protected:
    void openFile(const std::filesystem::path& path) {
        if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is missing";
        open(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
    }
    QTextEdit* body() { return editor->body(); }
    // The view offset where `text` begins (its `nth` occurrence).
    int offsetOf(const QString& text, int nth = 0) {
        const int at = int(body()->toPlainText().indexOf(text));
        int found = at;
        for (int i = 0; i < nth; ++i) found = int(body()->toPlainText().indexOf(text, found + 1));
        EXPECT_GE(found, 0) << text.toStdString();
        return found;
    }
    // The point of the viewport where the caret stands at a view offset.
    QPoint pointAt(int offset) {
        QTextCursor cursor(body()->document());
        cursor.setPosition(offset);
        const QRect caret = body()->cursorRect(cursor);
        return {caret.left() + 1, caret.center().y()};
    }
    void caretAt(int offset) {
        QTest::mouseClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(offset));
        settle();
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(body(), key, modifiers);
        settle();
    }
    // The body's tracked changes of one kind, their texts in document order.
    QStringList changes(TrackedChange::Kind kind) {
        QStringList out;
        for (const TrackedChange& change : document->docx()->trackedChanges(rovuvuz::StoryID::body()))
            if (change.kind == kind) out << QString::fromStdU16String(change.text);
        return out;
    }
    QString engineText() {
        QStringList paragraphs;
        const rovuvuz::StorySnapshot snapshot = document->docx()->snapshot(rovuvuz::StoryID::body());
        for (const rovuvuz::BlockSnapshot& block : snapshot.blocks) {
            const auto* paragraph = std::get_if<rovuvuz::ParagraphSnapshot>(&block.value);
            paragraphs << (paragraph ? QString::fromStdU16String(paragraph->text) : QString(QChar(0xFFFC)));
        }
        return paragraphs.join('\n');
    }
};

// ---- Selections ----

enum class Selecting { wordKeys, lineKeys, paragraphKeys, shiftClick, doubleClick, drag, selectAll };

struct SelectionCase {
    const char* name;
    Selecting how;
    const char* document;  // of the corpus
    // What is selected, as a view text, and the tracked deletions Delete must record.
    QString selected;
    QStringList deleted;
};

class SelectionDelete : public CaretAndSelectionTest, public ::testing::WithParamInterface<SelectionCase> {
  protected:
    // Selects as the user would; the selection starts at view offset `from`.
    void select(Selecting how, int from, int to) {
        switch (how) {
            case Selecting::wordKeys:
                caretAt(from);
                key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
                break;
            case Selecting::lineKeys:
                caretAt(from);
                key(Qt::Key_Down, Qt::ShiftModifier);
                break;
            case Selecting::paragraphKeys:
                caretAt(from);
                key(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
                break;
            case Selecting::shiftClick:
                caretAt(from);
                QTest::mouseClick(body()->viewport(), Qt::LeftButton, Qt::ShiftModifier, pointAt(to));
                break;
            case Selecting::doubleClick:
                QTest::mouseDClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(from + 1));
                break;
            case Selecting::drag:
                QTest::mousePress(body()->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(from));
                QTest::mouseMove(body()->viewport(), pointAt((from + to) / 2));
                QTest::mouseMove(body()->viewport(), pointAt(to));
                QTest::mouseRelease(body()->viewport(), Qt::LeftButton, Qt::NoModifier, pointAt(to));
                break;
            case Selecting::selectAll:
                caretAt(from);
                key(Qt::Key_A, Qt::ControlModifier);
                break;
        }
        settle();
    }
};

// "some " is followed by "s", the paragraph "P8" by "P9": removing them leaves a text that
// removing "ome s" or "8¶P" leaves too.
TEST_P(SelectionDelete, TrackedDeleteMarksExactlyTheSelection) {
    const SelectionCase& c = GetParam();
    openFile(corpus(c.document));
    document->setTrackChanges(true);
    const int from = offsetOf(c.selected.startsWith("some") ? "some superscript" : "P8");
    const int to = from + int(c.selected.size());
    select(c.how, from, to);
    QTextCursor selection = body()->textCursor();
    const QString selected = selection.selectedText().replace(QChar::ParagraphSeparator, '\n');
    ASSERT_EQ(selected, c.how == Selecting::selectAll ? body()->toPlainText() : c.selected);

    key(Qt::Key_Delete);
    // Bookmarks in the last paragraph split its deletion in three; together they are the
    // selected text.
    EXPECT_EQ(changes(TrackedChange::Kind::deletion).join(""), c.deleted.join(""));
    EXPECT_EQ(body()->toPlainText(), engineText());
    EXPECT_EQ(beeps, 0);
    if (c.selected.endsWith('\n')) {
        EXPECT_EQ(changes(TrackedChange::Kind::deletedMark).size(), 1) << "the paragraph's mark goes too";
    }
}

const QString allText = QString::fromUtf8(
    "A paragraph in ‘Having Typeface’ style.|Paragraph in ‘Large Size’ style.|Paragraph in ‘Underlined’ "
    "style.|Paragraph in ‘Double Underlined’ style.|Paragraph in ‘None Underlined’ style.|Text having some "
    "superscript and some subscript.");
constexpr const char* quotes = "pydocx-txt-font-props.docx";  // quoted style names, one line of words
constexpr const char* lines = "pydocx-sct-inner-content.docx";  // paragraphs P5 to P9, one after another

INSTANTIATE_TEST_SUITE_P(
    EveryWayOfSelecting, SelectionDelete,
    ::testing::Values(SelectionCase{"WordByKeys", Selecting::wordKeys, quotes, "some ", {"some "}},
                      SelectionCase{"ShiftClick", Selecting::shiftClick, quotes, "some ", {"some "}},
                      SelectionCase{"Drag", Selecting::drag, quotes, "some ", {"some "}},
                      SelectionCase{"DoubleClick", Selecting::doubleClick, quotes, "some", {"some"}},
                      SelectionCase{"LineByKeys", Selecting::lineKeys, lines, "P8\n", {"P8"}},
                      SelectionCase{"ParagraphByKeys", Selecting::paragraphKeys, lines, "P8\n", {"P8"}},
                      SelectionCase{"SelectAll", Selecting::selectAll, quotes, "some ", allText.split('|')}),
    [](const auto& test) { return std::string(test.param.name); });

// Backspace and Delete at a caret between two equal letters remove the one the key names.
TEST_F(CaretAndSelectionTest, KeysAtACaretBetweenEqualLettersRemoveTheOneTheyName) {
    open("<w:p><w:r><w:t>keep all letters</w:t></w:r></w:p>");
    document->setTrackChanges(true);
    caretAt(offsetOf("ll") + 1);  // between the two l's
    key(Qt::Key_Backspace);
    EXPECT_EQ(changes(TrackedChange::Kind::deletion), QStringList{"l"});
    // The caret stands before the deleted letter: the first l of "all".
    EXPECT_EQ(body()->textCursor().position(), offsetOf("ll"));
    const std::string xml = part("word/document.xml");
    EXPECT_NE(xml.find("<w:t>keep a</w:t></w:r><w:del"), std::string::npos) << xml;

    open("<w:p><w:r><w:t>keep all letters</w:t></w:r></w:p>");
    document->setTrackChanges(true);
    caretAt(offsetOf("tt") + 1);
    key(Qt::Key_Delete);
    const std::string after = part("word/document.xml");
    EXPECT_NE(after.find("<w:t>keep all let</w:t></w:r><w:del"), std::string::npos)
        << after;
}

// ---- Clicks between paragraphs ----

TEST_F(CaretAndSelectionTest, AClickUnderAParagraphsLastLineGoesToItsEnd) {
    openFile(welcome());
    const int edit = offsetOf("Edit a copy");
    const QTextBlock block = body()->document()->findBlock(edit);
    const QTextBlock next = block.next();
    ASSERT_TRUE(next.text().startsWith("At a glance"));
    // The space between the paragraph's last line and the heading's first line.
    const QTextLayout* upper = block.layout();
    const QTextLine last = upper->lineAt(upper->lineCount() - 1);
    const qreal gapTop = upper->position().y() + last.y() + last.height();
    const qreal gapBottom = next.layout()->position().y() + next.layout()->lineAt(0).y();
    ASSERT_GT(gapBottom - gapTop, 8) << "the heading has space before it";
    const int scrolled = body()->verticalScrollBar()->value();
    for (const qreal y : {gapTop + 2, (gapTop + gapBottom) / 2, gapBottom - 2}) {
        const QPoint below(int(upper->position().x() + 40), int(y) - scrolled);
        QTest::mouseClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier, below);
        settle();
        EXPECT_EQ(body()->textCursor().position(), block.position() + block.length() - 1) << "at y " << y;
    }
    QTest::keyClicks(body(), " Typed.");
    settle();
    EXPECT_TRUE(engineText().contains("only what you changed differs. Typed.\nAt a glance"));
    // A click on the heading's line still goes into the heading.
    QTest::mouseClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(int(upper->position().x() + 2), int(gapBottom + 4) - scrolled));
    settle();
    EXPECT_EQ(body()->document()->findBlock(body()->textCursor().position()).text(), "At a glance");
}

// ---- Links ----

TEST_F(CaretAndSelectionTest, TextTypedRightAfterALinkIsNotPartOfIt) {
    openFile(welcome());
    const int end = offsetOf("the project page") + int(QString("the project page").size());
    for (const bool tracked : {false, true}) {
        document->setTrackChanges(tracked);
        caretAt(end);
        ASSERT_EQ(body()->textCursor().position(), end);
        QTest::keyClicks(body(), tracked ? "!" : " soon");
        settle();
    }
    const rovuvuz::StorySnapshot snapshot = document->docx()->snapshot(rovuvuz::StoryID::body());
    const rovuvuz::ParagraphSnapshot* news = nullptr;
    for (const rovuvuz::ParagraphSnapshot* paragraph : snapshot.paragraphs())
        if (QString::fromStdU16String(paragraph->text).startsWith("News about")) news = paragraph;
    ASSERT_NE(news, nullptr);
    EXPECT_EQ(QString::fromStdU16String(news->text), "News about Tovin will appear on the project page! soon.");
    QString linked;
    for (const rovuvuz::Span& span : news->spans)
        if (span.link) linked += QString::fromStdU16String(news->text.substr(span.range.lower, span.range.size()));
    EXPECT_EQ(linked, "the project page");
    // Nor is it shown as one.
    const int typed = offsetOf(" soon");
    QTextCursor at(body()->document());
    at.setPosition(typed + 1);
    EXPECT_FALSE(at.charFormat().isAnchor());
}

}  // namespace
}  // namespace tovin::testing
