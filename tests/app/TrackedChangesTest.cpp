// Tracked changes as a reviewer meets them in the window, on the sample document (which holds
// two changes of Mira Okafor's, left out of what is counted here) with real keys and clicks: one author's run of Backspaces (or of typing) is one change with one
// card; a tracked paragraph mark is shown as a pilcrow and goes with the text typed after
// it, in one card that accepts or rejects both; a format change shows a bar in the margin
// and no card.
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <set>

#include "EditorTestSupport.h"
#include "RovuVuz/edit/TrackedChange.h"
#include "Tovin/commands/MainMenu.h"
#include "Tovin/editor/ColumnTextView.h"
#include "Tovin/review/CommentRail.h"
#include "Tovin/text/RevisionMarks.h"
#include "Tovin/text/Theme.h"

namespace tovin::testing {
namespace {

using rovuvuz::TrackedChange;

class TrackedChangesTest : public EditorTest {
  protected:
    void openWelcome() {
        const auto path = std::filesystem::path(TOVIN_SAMPLES_DIR) / "welcome.docx";
        open(std::make_shared<const rovuvuz::Bytes>(rovuvuz::testing::readFile(path)));
        QTest::keyClick(body(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);  // Track My Edits
        settle();
        ASSERT_TRUE(document->trackChanges());
        for (const TrackedChange& change : changes()) sample.insert(change.id);
        ASSERT_EQ(sample.size(), 2u);
    }
    ColumnTextView* body() { return static_cast<ColumnTextView*>(editor->body()); }
    int offsetOf(const QString& text) {
        const int at = int(body()->toPlainText().indexOf(text));
        EXPECT_GE(at, 0) << text.toStdString();
        return at;
    }
    void caretAt(int offset) {
        QTextCursor cursor(body()->document());
        cursor.setPosition(offset);
        const QRect caret = body()->cursorRect(cursor);
        QTest::mouseClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(caret.left() + 1, caret.center().y()));
        settle();
        ASSERT_EQ(body()->textCursor().position(), offset);
    }
    void keys(Qt::Key key, int times = 1, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(body(), key, modifiers);
            settle();
        }
    }
    // The body's tracked changes but the sample's own.
    std::vector<TrackedChange> changes() {
        std::vector<TrackedChange> out = document->docx()->trackedChanges(rovuvuz::StoryID::body());
        std::erase_if(out, [&](const TrackedChange& change) { return sample.count(change.id) > 0; });
        return out;
    }
    QStringList texts(TrackedChange::Kind kind) {
        QStringList out;
        for (const TrackedChange& change : changes())
            if (change.kind == kind) out << QString::fromStdU16String(change.text);
        return out;
    }
    // The rail's change cards, after the refresh that follows the last edit.
    std::vector<RailCard*> changeCards() {
        editor->flushRefresh();
        std::vector<RailCard*> out;
        for (RailCard* card : editor->rail()->cards())
            if (!card->isComment() && !sample.count(std::to_string(model(card).revision.id.rawValue)))
                out.push_back(card);
        return out;
    }
    static const ChangeCardModel& model(const RailCard* card) { return std::get<ChangeCardModel>(card->model()); }
    static QToolButton* button(RailCard* card, const QString& title) {
        for (QToolButton* b : card->actionButtons())
            if (b->text() == title) return b;
        ADD_FAILURE() << "no button " << title.toStdString();
        return nullptr;
    }
    QString engineText() {
        QStringList paragraphs;
        const rovuvuz::StorySnapshot snapshot = document->docx()->snapshot(rovuvuz::StoryID::body());
        for (const rovuvuz::ParagraphSnapshot* paragraph : snapshot.paragraphs())
            paragraphs << QString::fromStdU16String(paragraph->text);
        return paragraphs.join('\n');
    }
    // How many pixels of the body's viewport, in a rectangle of it, are near a colour.
    int pixelsNear(const QRect& area, const QColor& colour) {
        const QImage shown = body()->viewport()->grab().toImage();
        int count = 0;
        for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), shown.height() - 1); ++y)
            for (int x = std::max(area.left(), 0); x <= std::min(area.right(), shown.width() - 1); ++x) {
                const QColor pixel = shown.pixelColor(x, y);
                if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                        std::abs(pixel.blue() - colour.blue()) <
                    90)
                    ++count;
            }
        return count;
    }
    QPoint scrolled() const { return {0, editor->body()->verticalScrollBar()->value()}; }

    std::set<std::string> sample;  // the ids of the sample's own changes
};

TEST_F(TrackedChangesTest, OneAuthorsBackspacesDeletesAndTypingAreOneChangeAndOneCardEach) {
    openWelcome();
    caretAt(offsetOf("minutes") + 7);
    keys(Qt::Key_Backspace, 6);
    caretAt(offsetOf("contracts"));
    keys(Qt::Key_Delete, 3);
    caretAt(offsetOf("reports"));
    QTest::keyClicks(body(), "annual ");
    settle();
    EXPECT_EQ(texts(TrackedChange::Kind::deletion), (QStringList{"con", "inutes"}));
    EXPECT_EQ(texts(TrackedChange::Kind::insertion), QStringList{"annual "});
    const std::string xml = part("word/document.xml");
    EXPECT_EQ(rovuvuz::testing::count(xml, "<w:del "), 3u);  // with the sample's one of each
    EXPECT_EQ(rovuvuz::testing::count(xml, "<w:ins "), 2u);
    QStringList snippets;
    for (const RailCard* card : changeCards()) snippets << model(card).snippet;
    EXPECT_EQ(snippets, (QStringList{"“annual”", "“con”", "“inutes”"}));
    EXPECT_EQ(beeps, 0);
}

TEST_F(TrackedChangesTest, ANewParagraphIsOneCardWithItsMarkShownAndResolvedWithIt) {
    const QString save = "when you save.";
    for (const bool accept : {true, false}) {
        SCOPED_TRACE(accept ? "accept" : "reject");
        openWelcome();
        const QString before = engineText();
        caretAt(offsetOf(save) + int(save.size()));
        keys(Qt::Key_Return);
        QTest::keyClicks(body(), "Tracked new paragraph.");
        settle();
        ASSERT_TRUE(engineText().contains(save + "\nTracked new paragraph."));
        ASSERT_EQ(texts(TrackedChange::Kind::insertedMark).size(), 1);

        // The inserted mark is drawn as a pilcrow after "save." in the insertions' colour.
        const QTextBlock marked = body()->document()->findBlock(offsetOf(save));
        const auto pilcrow = RevisionMarks::pilcrow(marked, body()->palette());
        ASSERT_TRUE(pilcrow.has_value());
        const QColor cobalt = Theme::cobalt.resolve(body()->palette());
        EXPECT_EQ(pilcrow->color, cobalt);
        const QPoint at = pilcrow->baseline.toPoint() - scrolled();
        EXPECT_GT(pixelsNear(QRect(at.x(), at.y() - 14, 12, 14), cobalt), 4) << "no pilcrow drawn";

        // One card for the text and the mark before it.
        const std::vector<RailCard*> cards = changeCards();
        ASSERT_EQ(cards.size(), 1u);
        EXPECT_EQ(model(cards[0]).snippet, "“¶Tracked new paragraph.”");
        EXPECT_EQ(model(cards[0]).revisions().size(), 2u);
        QTest::mouseClick(button(cards[0], accept ? "Accept" : "Reject"), Qt::LeftButton);
        settle();
        EXPECT_TRUE(changes().empty()) << "the card resolved both the text and the mark";
        EXPECT_TRUE(changeCards().empty());
        const QString expected = accept ? QString(before).replace(save, save + "\nTracked new paragraph.") : before;
        EXPECT_EQ(engineText(), expected);
        // Nothing is left for Reject All to join: it only rejects the sample's own changes.
        MainMenu::build().validate();
        MainMenu::build().trigger(Command::rejectAll);
        settle();
        EXPECT_TRUE(engineText().contains(accept ? save + "\nTracked new paragraph.\n" : save + "\n"));
        EXPECT_FALSE(engineText().contains(save + "Tracked"));
    }
}

TEST_F(TrackedChangesTest, ADeletedMarkAloneHasItsOwnCardAndPilcrow) {
    openWelcome();
    const int heading = offsetOf("At a glance");
    caretAt(heading);
    keys(Qt::Key_Backspace);  // joins the heading to the list item above: its mark is deleted
    ASSERT_EQ(texts(TrackedChange::Kind::deletedMark).size(), 1);
    const QTextBlock marked = body()->document()->findBlock(heading - 1);
    const auto pilcrow = RevisionMarks::pilcrow(marked, body()->palette());
    ASSERT_TRUE(pilcrow.has_value());
    EXPECT_EQ(pilcrow->color, Theme::brick.resolve(body()->palette()));
    const std::vector<RailCard*> cards = changeCards();
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_TRUE(model(cards[0]).mark);
    EXPECT_TRUE(cards[0]->findChildren<QLabel*>().front()->text().endsWith("DELETED PARAGRAPH MARK"));
    QTest::mouseClick(button(cards[0], "Reject"), Qt::LeftButton);
    settle();
    EXPECT_TRUE(changes().empty());
}

TEST_F(TrackedChangesTest, FormatChangesShowABarInTheMarginAndNoCard) {
    openWelcome();
    const int reports = offsetOf("reports");
    QTextCursor word(body()->document());
    word.setPosition(reports);
    QTest::mouseDClick(body()->viewport(), Qt::LeftButton, Qt::NoModifier,
                       body()->cursorRect(word).center() + QPoint(4, 0));
    settle();
    ASSERT_EQ(body()->textCursor().selectedText(), "reports");
    keys(Qt::Key_B, 1, Qt::ControlModifier);
    ASSERT_EQ(changes().size(), 1u);
    EXPECT_EQ(changes()[0].kind, TrackedChange::Kind::runFormat);

    // A paragraph format change of another paragraph, by the Format menu.
    const int tour = offsetOf("This document is itself");
    caretAt(tour);
    MainMenu::build().validate();
    MainMenu::build().trigger(Command::alignCenter);
    settle();
    ASSERT_EQ(texts(TrackedChange::Kind::paragraphFormat).size(), 1);

    EXPECT_TRUE(changeCards().empty()) << "format changes get no card";
    // The bar is drawn in a translucent text colour: what is not paper in its strip.
    const QColor paper = Theme::paper.resolve(body()->palette());
    for (const int offset : {reports, tour}) {
        const QTextBlock block = body()->document()->findBlock(offset);
        const auto line = RevisionMarks::changeBar(block, body()->columnX() - 12);
        ASSERT_TRUE(line.has_value());
        const QRect strip = QRectF(line->p1(), line->p2()).toRect().adjusted(-1, 2, 1, -2).translated(-scrolled());
        EXPECT_LT(pixelsNear(strip, paper), strip.height()) << "no change bar drawn at " << offset;
        EXPECT_EQ(pixelsNear(strip.translated(-8, 0), paper), strip.width() * strip.height()) << "paper beside it";
    }
    // A paragraph without one has no bar.
    EXPECT_FALSE(RevisionMarks::changeBar(body()->document()->findBlock(offsetOf("At a glance")), 0));

    // Accept Change with the caret in the centred paragraph accepts its format change.
    caretAt(tour + 3);
    QTest::keyClick(body(), Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    settle();
    EXPECT_TRUE(texts(TrackedChange::Kind::paragraphFormat).isEmpty());
    EXPECT_FALSE(RevisionMarks::changeBar(body()->document()->findBlock(offsetOf("This document is itself")), 0));
}

}  // namespace
}  // namespace tovin::testing
