// Bulleted and numbered lists from the Format menu and the keys at the start of a list
// item, with real key events on the editor's body; checked in the engine's list state and
// the saved numbering.
#include <QTest>

#include "CommandTestSupport.h"
#include "RovuVuz/document/DocxDocument.h"
#include "RovuVuz/edit/StructuralEdit.h"
#include "Tovin/document/EditorUndo.h"
#include "Tovin/editor/EditorSession.h"
#include "Tovin/text/StoryBridge.h"

namespace tovin::testing {
namespace {

using rovuvuz::ListKind;

class ListCommandsTest : public CommandTest {
  protected:
    rovuvuz::ListState state(size_t index) {
        return document->docx()->listState(paragraphs().at(index).id, rovuvuz::StoryID::body());
    }
    void caretAt(int position) { select(position, position); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(editor->body(), key, modifiers);
        settle();
    }
    // The label the body shows beside paragraph `index`.
    QString label(size_t index) {
        const auto& entry = editor->bodyBridge()->entries().at(index);
        const auto* p = std::get_if<rovuvuz::ParagraphSnapshot>(&entry.block.value);
        return p && p->listLabel ? QString::fromStdString(*p->listLabel) : QString();
    }
};

TEST_F(ListCommandsTest, TogglingTwoHundredParagraphsIsOneStepAndCreatesTheNumberingPart) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back("item " + std::to_string(i));
    open(plainParagraphs(lines));
    ASSERT_FALSE(document->docx()->hasPart("word/numbering.xml"));
    editor->body()->selectAll();
    ASSERT_TRUE(run(Command::toggleNumberedList));
    for (size_t i : {size_t(0), size_t(99), size_t(199)}) EXPECT_EQ(state(i).kind, ListKind::number) << i;
    EXPECT_TRUE(document->docx()->hasPart("word/numbering.xml"));
    EXPECT_EQ(label(0), "1.");
    EXPECT_EQ(label(199), "200.");
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:numPr>"), 200u);
    EXPECT_TRUE(MainMenu::build().action(Command::toggleNumberedList)->isChecked());

    // Every item is already numbered: the same command takes them all out again.
    editor->body()->selectAll();
    run(Command::toggleNumberedList);
    EXPECT_EQ(state(150).kind, ListKind::none);
    EXPECT_EQ(label(150), "");
    // One undo step each way.
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(state(150).kind, ListKind::number);
    editor->session()->undoStep();
    settle();
    EXPECT_EQ(state(150).kind, ListKind::none);
}

TEST_F(ListCommandsTest, TheKeyTogglesABulletAndTrackedModeRecordsTheParagraphChange) {
    open(plainParagraphs({"one", "two"}));
    document->setTrackChanges(true);
    caretAt(1);
    key(Qt::Key_8, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(state(0).kind, ListKind::bullet);
    EXPECT_EQ(state(1).kind, ListKind::none);
    EXPECT_EQ(rovuvuz::testing::count(body(), "<w:pPrChange"), 1u);
    EXPECT_FALSE(label(0).isEmpty());
}

TEST_F(ListCommandsTest, TabAndShiftTabAtAnItemsStartChangeItsLevelAndElsewhereTypeATab) {
    open(plainParagraphs({"first", "second"}));
    editor->body()->selectAll();
    run(Command::toggleNumberedList);
    caretAt(6);  // the start of "second"
    key(Qt::Key_Tab);
    EXPECT_EQ(state(1).level, 1);
    EXPECT_EQ(texts(), (QStringList{"first", "second"}));
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(state(1).level, 0);
    // Inside the item's text a tab is typed as usual.
    caretAt(8);
    key(Qt::Key_Tab);
    EXPECT_EQ(texts(), (QStringList{"first", "se\tcond"}));
}

TEST_F(ListCommandsTest, ReturnOnAnEmptyItemEndsTheListAndBackspaceRemovesTheLabelFirst) {
    open(plainParagraphs({"alpha", "beta"}));
    editor->body()->selectAll();
    run(Command::toggleBulletedList);
    // Return at the end of "beta" makes an empty item; Return again ends the list there.
    caretAt(10);
    key(Qt::Key_Return);
    ASSERT_EQ(texts(), (QStringList{"alpha", "beta", ""}));
    EXPECT_EQ(state(2).kind, ListKind::bullet);
    key(Qt::Key_Return);
    EXPECT_EQ(texts(), (QStringList{"alpha", "beta", ""}));
    EXPECT_EQ(state(2).kind, ListKind::none);

    // Backspace at the start of "beta": first the label goes, then the paragraphs join.
    caretAt(6);
    key(Qt::Key_Backspace);
    EXPECT_EQ(state(1).kind, ListKind::none);
    EXPECT_EQ(texts(), (QStringList{"alpha", "beta", ""}));
    EXPECT_EQ(label(0).isEmpty(), false);
    key(Qt::Key_Backspace);
    EXPECT_EQ(texts(), (QStringList{"alphabeta", ""}));
}

// Deleting the mark between two paragraphs joins them under the first one's properties, as
// Word and LibreOffice join them. A tracked session's reader sees the paragraph after a
// deleted mark as part of the one before, so Return and Backspace at its start act on the
// first one's list membership, and a Return there splits as the joined paragraph would:
// accepting the tracked session gives the direct one, text and lists alike.
TEST_F(ListCommandsTest, KeysAfterAMarkDeletedTrackedDoWhatTheyDoToTheDirectlyJoinedParagraph) {
    struct Outcome {
        QStringList texts;
        std::vector<ListKind> kinds;
        bool operator==(const Outcome&) const = default;
    };
    auto session = [&](bool tracked, size_t listed, Qt::Key press) {
        open(plainParagraphs({"Intro", "", "After"}));
        caretAt(listed == 0 ? 0 : 6);
        run(Command::toggleBulletedList);
        document->setTrackChanges(tracked);
        select(0, 6);  // "Intro" and its mark
        key(Qt::Key_Delete);
        // The caret where the reader's paragraph "" starts: past the deleted text, if shown.
        const auto& entries = editor->bodyBridge()->entries();
        caretAt(editor->bodyBridge()->starts().at(entries.size() - 2));
        key(press);
        rovuvuz::DocxDocument accepted(document->docx()->checkedData());
        accepted.apply(rovuvuz::StructuralEdit{rovuvuz::StructuralEdit::AcceptAll{}}, rovuvuz::StoryID::body(),
                       rovuvuz::EditMode::direct());
        Outcome outcome;
        const rovuvuz::StorySnapshot story = accepted.snapshot(rovuvuz::StoryID::body());
        for (const auto* p : story.paragraphs()) {
            outcome.texts << QString::fromStdU16String(p->text);
            outcome.kinds.push_back(accepted.listState(p->id, rovuvuz::StoryID::body()).kind);
        }
        return outcome;
    };
    // "Intro" a list item (0): Return on the empty item ends the list, and so does Backspace
    // at its start. The empty paragraph the item (1): the joined paragraph is none.
    for (size_t listed : {size_t(0), size_t(1)}) {
        for (Qt::Key press : {Qt::Key_Return, Qt::Key_Backspace}) {
            const Outcome direct = session(false, listed, press);
            const Outcome tracked = session(true, listed, press);
            EXPECT_EQ(tracked.texts, direct.texts) << listed << " " << press;
            EXPECT_EQ(tracked.kinds, direct.kinds) << listed << " " << press;
        }
    }
    // What the direct sessions give: a split paragraph, or the list ended.
    const Outcome split = session(false, 1, Qt::Key_Return);
    EXPECT_EQ(split.texts, (QStringList{"", "", "After"}));
    EXPECT_EQ(split.kinds, (std::vector<ListKind>(3, ListKind::none)));
    const Outcome ended = session(false, 0, Qt::Key_Return);
    EXPECT_EQ(ended.texts, (QStringList{"", "After"}));
    EXPECT_EQ(ended.kinds, (std::vector<ListKind>(2, ListKind::none)));
}

TEST_F(ListCommandsTest, LabelsRenumberWhenAnItemLeavesTheList) {
    open(plainParagraphs({"a", "b", "c"}));
    editor->body()->selectAll();
    run(Command::toggleNumberedList);
    EXPECT_EQ(label(2), "3.");
    select(2, 3);  // "b"
    run(Command::toggleNumberedList);
    EXPECT_EQ(label(1), "");
    EXPECT_EQ(label(2), "2.");
}

}  // namespace
}  // namespace tovin::testing
